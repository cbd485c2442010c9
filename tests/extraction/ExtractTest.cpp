#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ArchiveFixture.h"
#include "ExtractMovie.h"
#include "RecordingHost.h"

namespace fs = std::filesystem;

namespace {

// Both discs' archives, made once: sparse, so they cost next to nothing on disk.
class Extraction : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        discs = new fixture::TempDir;
        ASSERT_TRUE(fixture::WriteArchive(ArchiveOf(kDisc1), kDisc1));
        ASSERT_TRUE(fixture::WriteArchive(ArchiveOf(kDisc2), kDisc2));
    }
    static void TearDownTestSuite() { delete discs; }
    static fs::path ArchiveOf(DiscId disc) { return *discs / ("disc" + std::to_string(disc) + "/mildor4"); }

    RecordingHost HostFor(DiscId disc)
    {
        RecordingHost host;
        host.titlesOf = disc;
        host.folder = out.path().string() + "/";
        return host;
    }
    fs::path MovieFile(DiscId disc, int index) { return out / (fixture::Title(disc, index) + ".cpk"); }

    static fixture::TempDir* discs;
    fixture::TempDir out;
};

fixture::TempDir* Extraction::discs = nullptr;

struct MovieCase {
    DiscId disc;
    int index;
};

class ExtractOneMovie : public Extraction, public testing::WithParamInterface<MovieCase> {};

TEST_P(ExtractOneMovie, WritesExactlyTheMovieBytesFromItsOffset)
{
    const auto [disc, index] = GetParam();
    RecordingHost host = HostFor(disc);
    EXPECT_EQ(ExtractMovie(host, disc, index, ArchiveOf(disc).string()), kMovieWritten);
    EXPECT_EQ(fixture::CompareMovie(ArchiveOf(disc), disc, index, MovieFile(disc, index)), "");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.progressPosition, host.progressMax) << "a finished movie leaves the bar full";
    EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 1)
        << "only the movie file is left behind";
}

INSTANTIATE_TEST_SUITE_P(FirstMiddleLast, ExtractOneMovie,
                         testing::Values(MovieCase{kDisc1, 0}, MovieCase{kDisc1, 14}, MovieCase{kDisc1, 29},
                                         MovieCase{kDisc2, 0}, MovieCase{kDisc2, 9}, MovieCase{kDisc2, 18}),
                         [](const auto& info) {
                             return "Disc" + std::to_string(info.param.disc) + "Movie" + std::to_string(info.param.index);
                         });

// The calls a movie makes before its first block, then the pump/step pattern of its blocks.
void ExpectProgressSequence(const std::vector<std::string>& calls, int fullBlocks, bool partial)
{
    std::vector<std::string> expected = {"max:" + std::to_string(fullBlocks)};
    if (partial) expected.push_back("max:" + std::to_string(fullBlocks + 1));
    expected.push_back("pos:0");
    for (int i = 1; i <= fullBlocks; ++i) {
        expected.push_back("pump");
        expected.push_back("pos:" + std::to_string(i));
    }
    if (partial) expected.push_back("pos:" + std::to_string(fullBlocks + 1));  // no pump before the last block
    ASSERT_GE(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("status:", 0), 0u) << "status comes before the progress range";
    EXPECT_EQ(std::vector<std::string>(calls.begin() + 1, calls.end()), expected);
}

TEST_F(Extraction, WholeBlocksMovieStepsOncePerBlockWithAPumpBeforeEach)
{
    RecordingHost host = HostFor(kDisc1);
    ASSERT_EQ(ExtractMovie(host, kDisc1, 0, ArchiveOf(kDisc1).string()), kMovieWritten);
    ExpectProgressSequence(host.calls, 1157, false);
}

TEST_F(Extraction, PartialLastBlockGetsAStepButNoPump)
{
    RecordingHost host = HostFor(kDisc2);
    ASSERT_EQ(ExtractMovie(host, kDisc2, 0, ArchiveOf(kDisc2).string()), kMovieWritten);
    ExpectProgressSequence(host.calls, 1155, true);
}

TEST_F(Extraction, StatusNamesTheOutputFileAndTheGroupedByteCount)
{
    RecordingHost host = HostFor(kDisc1);
    ASSERT_EQ(ExtractMovie(host, kDisc1, 5, ArchiveOf(kDisc1).string()), kMovieWritten);
    EXPECT_EQ(host.status, "making " + MovieFile(kDisc1, 5).string() + " 2,252,800bytes\n");
    ASSERT_EQ(ExtractMovie(host, kDisc1, 0, ArchiveOf(kDisc1).string()), kMovieWritten);
    EXPECT_EQ(host.status, "making " + MovieFile(kDisc1, 0).string() + " 23,695,360bytes\n");
}

TEST_F(Extraction, FolderTextIsUsedVerbatimWithoutAddingASeparator)
{
    RecordingHost host = HostFor(kDisc2);
    fs::create_directory(out / "movies");
    host.folder = (out / "movies").string();  // no final "/": the title is glued to "movies"
    ASSERT_EQ(ExtractMovie(host, kDisc2, 1, ArchiveOf(kDisc2).string()), kMovieWritten);
    const fs::path glued = out / ("movies" + fixture::Title(kDisc2, 1) + ".cpk");
    EXPECT_EQ(fixture::CompareMovie(ArchiveOf(kDisc2), kDisc2, 1, glued), "");
    EXPECT_TRUE(fs::is_empty(out / "movies"));
    EXPECT_EQ(host.status, "making " + glued.string() + " 3,160,064bytes\n");
}

TEST_F(Extraction, AnExistingFileOfTheSameNameIsReplacedWithoutAsking)
{
    std::ofstream(MovieFile(kDisc2, 18)) << std::string(5'000'000, 'x');
    RecordingHost host = HostFor(kDisc2);
    ASSERT_EQ(ExtractMovie(host, kDisc2, 18, ArchiveOf(kDisc2).string()), kMovieWritten);
    EXPECT_EQ(fixture::CompareMovie(ArchiveOf(kDisc2), kDisc2, 18, MovieFile(kDisc2, 18)), "");
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
