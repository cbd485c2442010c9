#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ArchiveFixture.h"
#include "ExtractMovie.h"
#include "IdentifyDisc.h"
#include "RecordingHost.h"

namespace fs = std::filesystem;

namespace {

using Icon = ExtractionHost::MessageIcon;

std::string Contents(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Listing(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// An archive, a finished first movie, and a host that still shows what that movie left.
class Faults : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fixture::WriteArchive(Archive(), kDisc2));
        host.titlesOf = kDisc2;
        host.folder = out.path().string() + "/";
        ASSERT_EQ(ExtractMovie(host, kDisc2, 18, Archive().string()), kMovieWritten);
        statusBefore = host.status;
        calls = host.calls.size();
    }
    fs::path Archive() const { return disc / "mildor4"; }
    fs::path MovieFile(int index) const { return out / (fixture::Title(kDisc2, index) + ".cpk"); }

    void ExpectOnlyMessage(const std::string& text, const std::string& caption)
    {
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, text);
        EXPECT_EQ(host.messages[0].caption, caption);
        EXPECT_EQ(host.messages[0].icon, Icon::Warning);
    }
    void ExpectProgressUntouched()
    {
        EXPECT_EQ(host.status, statusBefore);
        EXPECT_EQ(host.calls.size(), calls + 1) << "nothing but the message since the last movie";
    }

    fixture::TempDir disc, out;
    RecordingHost host;
    std::string statusBefore;
    std::size_t calls = 0;
};

TEST_F(Faults, MissingArchiveShowsItsPathAndCreatesNoOutput)
{
    fs::remove(Archive());
    EXPECT_EQ(ExtractMovie(host, kDisc2, 3, Archive().string()), kMovieOpenFailed);
    ExpectOnlyMessage("file error:" + Archive().string() + "\n", "エラー！");
    ExpectProgressUntouched();
    EXPECT_FALSE(fs::exists(MovieFile(3)));
}

struct FolderCase {
    const char* name;
    std::string (*folder)(const fs::path& out);
};

class UnusableOutput : public Faults, public testing::WithParamInterface<FolderCase> {};

TEST_P(UnusableOutput, FailsAtOpeningWithTheOutputPathAndLeavesNothing)
{
    std::ofstream(out / "plain-file") << "x";
    host.folder = GetParam().folder(out.path());
    const std::string outputPath = host.folder + fixture::Title(kDisc2, 3) + ".cpk";
    const auto before = Listing(out.path());

    EXPECT_EQ(ExtractMovie(host, kDisc2, 3, Archive().string()), kMovieOpenFailed);
    ExpectOnlyMessage("file error:" + outputPath + "\n", "エラー！");
    ExpectProgressUntouched();
    EXPECT_EQ(Listing(out.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UnusableOutput,
    testing::Values(
        FolderCase{"MissingFolder", [](const fs::path& o) { return (o / "no-such-folder/").string(); }},
        FolderCase{"PathThroughAFile", [](const fs::path& o) { return (o / "plain-file/").string(); }},
        FolderCase{"NameTooLong", [](const fs::path& o) { return (o / std::string(250, 'n')).string(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Faults, AFolderUnderTheMovieNameIsKeptAndReported)
{
    fs::create_directory(MovieFile(3));
    EXPECT_EQ(ExtractMovie(host, kDisc2, 3, Archive().string()), kMovieOpenFailed);
    ExpectOnlyMessage("file error:" + MovieFile(3).string() + "\n", "エラー！");
    EXPECT_TRUE(fs::is_directory(MovieFile(3)));
    EXPECT_EQ(Listing(out.path()).size(), 2u);
}

TEST_F(Faults, ArchiveCutShortAfterIdentificationIsAReadErrorNotData)
{
    ASSERT_EQ(IdentifyDisc(host, Archive().string()), kDisc2);
    std::ofstream(MovieFile(3)) << "the user's own file";
    // Cut through the middle of movie 3.
    fs::resize_file(Archive(), static_cast<std::uintmax_t>(MovieOffset(kDisc2, 3) + MovieSize(kDisc2, 3) / 2));

    EXPECT_EQ(ExtractMovie(host, kDisc2, 3, Archive().string()), kMovieCopyFailed);
    ExpectOnlyMessage("read error. abort.", "ERROR");
    EXPECT_EQ(Contents(MovieFile(3)), "the user's own file");
    EXPECT_EQ(Listing(out.path()).size(), 2u) << "no temporary file left";
    EXPECT_LT(host.progressPosition, host.progressMax);

    host.messages.clear();
    EXPECT_EQ(ExtractMovie(host, kDisc2, 10, Archive().string()), kMovieCopyFailed) << "a movie past the end";
    ExpectOnlyMessage("read error. abort.", "ERROR");
    EXPECT_FALSE(fs::exists(MovieFile(10)));
}

// A full disk, as root too: a file-size limit makes the write come up short, then fail.
// Runs in a child process, which reports what it saw on stderr and in its exit code.
void ExtractIntoAFullDisk(RecordingHost& host, const fs::path& archive, const fs::path& out, const fs::path& movie)
{
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1'000'000, 1'000'000};
    setrlimit(RLIMIT_FSIZE, &limit);
    host.messages.clear();
    const int result = ExtractMovie(host, kDisc2, 0, archive.string());
    const bool ok = result == kMovieCopyFailed && host.messages.size() == 1 &&
                    host.messages[0].text == "write error. abort." && host.messages[0].caption == "ERROR" &&
                    Contents(movie) == "the user's own file" && host.progressPosition > 0 &&
                    host.progressPosition < host.progressMax;
    std::fprintf(stderr, "result=%d messages=%zu files=%zu\n", result, host.messages.size(), Listing(out).size());
    std::exit(ok ? 0 : 1);
}

TEST_F(Faults, FullDiskIsAWriteErrorAndKeepsTheExistingFile)
{
    std::ofstream(MovieFile(0)) << "the user's own file";
    EXPECT_EXIT(ExtractIntoAFullDisk(host, Archive(), out.path(), MovieFile(0)), testing::ExitedWithCode(0),
                "result=0 messages=1 files=2");
}

}  // namespace
