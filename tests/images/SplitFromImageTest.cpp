#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "Archive.h"
#include "ArchiveFixture.h"
#include "DiscImage.h"
#include "DiscImageFixtures.h"
#include "ExtractMovie.h"
#include "IdentifyDisc.h"
#include "RecordingHost.h"

namespace fs = std::filesystem;

namespace {

struct ImageCase {
    const char* name;
    fs::path (*image)();
    fs::path (*archive)();  // the same archive as a plain file
    int movies;
};

std::ostream& operator<<(std::ostream& out, const ImageCase& c) { return out << c.name; }

class SplitFromImage : public testing::TestWithParam<ImageCase> {
protected:
    static void SetUpTestSuite() { InstallDiscImageReader(); }
    void SetUp() override
    {
        host.titlesOf = kDisc2;
        host.folder = out.path().string() + "/";
        host.recordPositions = false;
    }
    // The archive path as the window builds it for a drive that is an image.
    std::string ArchivePath() const { return BuildArchivePath(GetParam().image().string()); }

    fixture::TempDir out;
    RecordingHost host;
};

TEST_P(SplitFromImage, ArchivePathIsTheImagePathAndTheArchiveName)
{
    EXPECT_EQ(ArchivePath(), GetParam().image().string() + "/mildor4");
}

TEST_P(SplitFromImage, EveryMovieComesOutByteExact)
{
    const ImageCase& c = GetParam();
    for (int i = 0; i < c.movies; ++i) {
        ASSERT_EQ(ExtractMovie(host, kDisc2, i, ArchivePath()), kMovieWritten) << "movie " << i;
        EXPECT_EQ(fixture::CompareMovie(c.archive(), kDisc2, i, out / (fixture::Title(kDisc2, i) + ".cpk")), "");
        EXPECT_EQ(host.progressPosition, host.progressMax);
    }
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), c.movies);
}

// Reads at odd offsets and lengths against the plain archive: across sector boundaries,
// within one sector, and over the archive's end, where the read stops short.
TEST_P(SplitFromImage, ReadsAnyRangeAsThePlainArchiveHasIt)
{
    const ImageCase& c = GetParam();
    Archive archive;
    ASSERT_TRUE(archive.Open(ArchivePath()));
    ArchiveReader& reader = archive.Reader();
    const std::int64_t length = MovieOffset(kDisc2, c.movies);
    ASSERT_EQ(reader.Length(), length);

    std::ifstream plain(c.archive(), std::ios::binary);
    const struct {
        std::int64_t offset;
        std::size_t size;
    } ranges[] = {
        {0, 20480},          {1, 1},         {2047, 2},          {4095, 20480 * 3 + 7}, {100, 1000},
        {MovieOffset(kDisc2, 1) - 16, 32}, {length - 2048, 2048}, {length - 5000, 20480}, {length, 20480},
    };
    for (const auto& range : ranges) {
        SCOPED_TRACE(testing::Message() << "offset " << range.offset << " size " << range.size);
        const auto expected = static_cast<std::size_t>(
            std::max<std::int64_t>(0, std::min<std::int64_t>(static_cast<std::int64_t>(range.size), length - range.offset)));
        std::vector<char> got(range.size, '?'), want(expected);
        plain.clear();
        plain.seekg(range.offset);
        plain.read(want.data(), static_cast<std::streamsize>(expected));
        ASSERT_TRUE(reader.Seek(range.offset));
        ASSERT_EQ(reader.Read(got.data(), range.size), expected);
        EXPECT_EQ(std::memcmp(got.data(), want.data(), expected), 0);
    }
}

const ImageCase kDisc2Images[] = {
    {"iso", images::Disc2Iso, images::Disc2Archive, 19},
    {"bin", images::Disc2Bin, images::Disc2Archive, 19},
    {"cue", images::Disc2Cue, images::Disc2Archive, 19},
    {"crowdedIso", images::CrowdedIso, images::CrowdedArchive, images::kCrowdedMovies},
    {"crowdedMode2Bin", images::CrowdedBin, images::CrowdedArchive, images::kCrowdedMovies},
};
INSTANTIATE_TEST_SUITE_P(Images, SplitFromImage, testing::ValuesIn(kDisc2Images),
                         [](const auto& info) { return std::string(info.param.name); });

class IdentifyImage : public testing::TestWithParam<ImageCase> {
protected:
    static void SetUpTestSuite() { InstallDiscImageReader(); }
};

// Identification measures the archive inside the image, never the image file itself.
TEST_P(IdentifyImage, TheArchiveLengthInsideNamesTheDisc)
{
    RecordingHost host;
    EXPECT_EQ(IdentifyDisc(host, BuildArchivePath(GetParam().image().string())), kDisc2);
    EXPECT_TRUE(host.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Images, IdentifyImage, testing::ValuesIn(kDisc2Images, kDisc2Images + 3),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IdentifyImage, AShortArchiveInsideIsNoDisc)
{
    InstallDiscImageReader();
    RecordingHost host;
    EXPECT_EQ(IdentifyDisc(host, BuildArchivePath(images::CrowdedBin().string())), kNoDisc);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "error:分割できません\n");
}

}  // namespace

// Cue sheets as different tools write them; each must lead to the same archive.
TEST(CueSheet, IsFollowedToTheFileOfItsFirstTrack)
{
    InstallDiscImageReader();
    fixture::TempDir dir;
    fs::create_directories(dir / "discs");
    fs::create_symlink(images::CrowdedBin(), dir / "discs" / "crowded.bin");
    {
        // A rip that keeps the first track's two-second pregap in front of its data.
        std::ofstream withPregap(dir / "pregap.bin", std::ios::binary);
        withPregap << std::string(150 * 2352, '\0') << std::ifstream(images::CrowdedBin(), std::ios::binary).rdbuf();
    }
    const std::string absolute = (dir / "discs" / "crowded.bin").string();
    const struct {
        const char* name;
        std::string text;
    } sheets[] = {
        {"plain", "FILE \"discs/crowded.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n"},
        {"windows", "\xEF\xBB\xBF" "FILE \"DISCS\\CROWDED.BIN\" BINARY\r\n  TRACK 01 MODE2/2352\r\n    INDEX 01 00:00:00\r\n"},
        {"unquoted", "REM made by hand\nfile discs/crowded.bin binary\ntrack 01 mode2/2352\nindex 01 00:00:00\n"},
        {"absolute", "FILE \"" + absolute + "\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n"},
        {"pregap", "FILE \"pregap.bin\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 00 00:00:00\n    INDEX 01 00:02:00\n"
                   "  TRACK 02 AUDIO\n    INDEX 01 59:00:00\n"},
    };
    std::vector<char> want(20480), got(20480);
    std::ifstream(images::CrowdedArchive(), std::ios::binary).read(want.data(), static_cast<std::streamsize>(want.size()));
    for (const auto& sheet : sheets) {
        SCOPED_TRACE(sheet.name);
        const fs::path cue = dir / (std::string(sheet.name) + ".cue");
        std::ofstream(cue, std::ios::binary) << sheet.text;
        EXPECT_TRUE(LooksLikeDiscImage(cue.c_str()));
        Archive archive;
        ASSERT_TRUE(archive.Open(BuildArchivePath(cue.string())));
        EXPECT_EQ(archive.Reader().Length(), MovieOffset(kDisc2, images::kCrowdedMovies));
        ASSERT_EQ(archive.Reader().Read(got.data(), got.size()), got.size());
        EXPECT_EQ(got, want);
    }
}
