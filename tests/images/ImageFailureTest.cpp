#include <gtest/gtest.h>

#include <fstream>

#include "Archive.h"
#include "ArchiveFixture.h"
#include "DiscImage.h"
#include "DiscImageFixtures.h"
#include "ExtractMovie.h"
#include "IdentifyDisc.h"
#include "RecordingHost.h"

namespace fs = std::filesystem;

namespace {

using Icon = ExtractionHost::MessageIcon;

void CopyHead(const fs::path& from, const fs::path& to, std::int64_t bytes)
{
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, std::ios::binary | std::ios::trunc);
    std::vector<char> data(static_cast<std::size_t>(bytes));
    in.read(data.data(), bytes);
    out.write(data.data(), in.gcount());
}

void WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Each case makes, in a scratch folder, a file that a user might take for a disc image.
struct BadImage {
    const char* name;
    const char* file;
    void (*make)(const fs::path& path);
    // A cut or odd image still looks like one, so the user can choose it and learn what is
    // wrong when splitting; a file that cannot carry a volume does not.
    bool looksLikeImage;
};

std::ostream& operator<<(std::ostream& out, const BadImage& c) { return out << c.name; }

const BadImage kBadImages[] = {
    // Downloads cut off after the directory or within the archive: its extent runs past the end.
    {"isoCutAfterItsDirectory", "disc2.iso", [](const fs::path& p) { CopyHead(images::Disc2Iso(), p, 1 << 20); }, true},
    {"binCutAfterItsDirectory", "disc2.bin", [](const fs::path& p) { CopyHead(images::Disc2Bin(), p, 1 << 20); }, true},
    {"isoCutInsideTheArchive", "crowded.iso",
     [](const fs::path& p) {
         CopyHead(images::CrowdedIso(), p, static_cast<std::int64_t>(fs::file_size(images::CrowdedIso()) / 2));
     },
     true},
    {"cueOfACutBin", "disc2.cue",
     [](const fs::path& p) {
         CopyHead(images::Disc2Bin(), p.parent_path() / "disc2.bin", 1 << 20);
         fs::copy_file(images::Disc2Cue(), p);
     },
     true},
    {"cueWithoutItsBin", "lost.cue", [](const fs::path& p) { fs::copy_file(images::Disc2Cue(), p); }, false},
    {"cueOfAnAudioDisc", "audio.cue",
     [](const fs::path& p) {
         fs::create_symlink(images::Disc2Bin(), p.parent_path() / "disc2.bin");
         WriteText(p, "FILE \"disc2.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
     },
     false},
    {"noImageAtAll", "notes.iso", [](const fs::path& p) { WriteText(p, std::string(100000, 'x')); }, false},
    {"emptyFile", "empty.bin", [](const fs::path& p) { WriteText(p, ""); }, false},
    {"plainArchiveNamedLikeAnImage", "disc2.img", [](const fs::path& p) { fs::create_symlink(images::Disc2Archive(), p); },
     false},
    {"isoWithLookAlikesOnly", "look-alikes.iso", [](const fs::path& p) { fs::create_symlink(images::NoArchiveIso(), p); },
     true},
    {"isoWithAnArchiveOfTwoExtents", "two-extents.iso",
     [](const fs::path& p) { fs::create_symlink(images::TwoExtentIso(), p); }, true},
    {"binWithAnArchiveOfTwoExtents", "two-extents.bin",
     [](const fs::path& p) { fs::create_symlink(images::TwoExtentBin(), p); }, true},
};


class BadImageTest : public testing::TestWithParam<BadImage> {
protected:
    static void SetUpTestSuite() { InstallDiscImageReader(); }
    void SetUp() override
    {
        fs::create_directories(out.path());
        GetParam().make(image());
        host.titlesOf = kDisc2;
        host.folder = out.path().string() + "/";
    }
    fs::path image() const { return scratch / GetParam().file; }
    std::string ArchivePath() const { return BuildArchivePath(image().string()); }

    void ExpectOnlyFileError()
    {
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, "file error:" + image().string() + "/mildor4\n");
        EXPECT_EQ(host.messages[0].caption, "エラー！");
        EXPECT_EQ(host.messages[0].icon, Icon::Warning);
    }

    fixture::TempDir scratch;
    fixture::TempDir out;
    RecordingHost host;
};

TEST_P(BadImageTest, IdentifiesNoDiscWithAFileError)
{
    EXPECT_EQ(IdentifyDisc(host, ArchivePath()), kNoDisc);
    ExpectOnlyFileError();
}

TEST_P(BadImageTest, SplitsNothingWithAFileError)
{
    EXPECT_EQ(ExtractMovie(host, kDisc2, 0, ArchivePath()), kMovieOpenFailed);
    ExpectOnlyFileError();
    EXPECT_TRUE(fs::is_empty(out.path()));
    EXPECT_TRUE(host.status.empty());
}

TEST_P(BadImageTest, LooksLikeAnImageOnlyWhereAVolumeIsInIt)
{
    EXPECT_EQ(LooksLikeDiscImage(image().c_str()), GetParam().looksLikeImage);
}

INSTANTIATE_TEST_SUITE_P(Images, BadImageTest, testing::ValuesIn(kBadImages),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DiscImage, LooksLikeOneOnlyWhenAVolumeIsInIt)
{
    const struct {
        std::string path;
        bool image;
    } cases[] = {
        {images::Disc2Iso().string(), true},   {images::Disc2Bin().string(), true},
        {images::Disc2Cue().string(), true},   {images::CrowdedBin().string(), true},
        {images::FixtureDir().string(), false}, {(images::FixtureDir() / "missing.iso").string(), false},
    };
    for (const auto& c : cases) EXPECT_EQ(LooksLikeDiscImage(c.path.c_str()), c.image) << c.path;
}

// The image shrinks under a copy that has begun, as a file on a failing disk might read:
// the copy stops with the read error and keeps nothing.
struct ShrinkingImage {
    const char* name;
    fs::path (*image)();
};

std::ostream& operator<<(std::ostream& out, const ShrinkingImage& c) { return out << c.name; }

class ShortReadTest : public testing::TestWithParam<ShrinkingImage> {
protected:
    static void SetUpTestSuite() { InstallDiscImageReader(); }
};

TEST_P(ShortReadTest, AShortReadInsideTheImageIsAReadError)
{
    fixture::TempDir scratch, out;
    const fs::path image = scratch / GetParam().image().filename();
    fs::copy_file(GetParam().image(), image);
    RecordingHost host;
    host.titlesOf = kDisc2;
    host.folder = out.path().string() + "/";
    host.recordPositions = false;
    int pumps = 0;
    host.onPump = [&] {
        if (++pumps == 100) fs::resize_file(image, fs::file_size(image) / 2);
    };

    EXPECT_EQ(ExtractMovie(host, kDisc2, 0, BuildArchivePath(image.string())), kMovieCopyFailed);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "read error. abort.");
    EXPECT_EQ(host.messages[0].caption, "ERROR");
    EXPECT_EQ(host.messages[0].icon, Icon::Warning);
    EXPECT_GE(host.progressPosition, 99);
    EXPECT_LT(host.progressPosition, host.progressMax);
    EXPECT_TRUE(fs::is_empty(out.path()));
}

INSTANTIATE_TEST_SUITE_P(Images, ShortReadTest,
                         testing::Values(ShrinkingImage{"iso", images::CrowdedIso},
                                         ShrinkingImage{"mode2Bin", images::CrowdedBin}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
