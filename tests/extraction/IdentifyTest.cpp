#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "Archive.h"
#include "ArchiveFixture.h"
#include "ExtractMovie.h"
#include "IdentifyDisc.h"
#include "RecordingHost.h"

namespace fs = std::filesystem;

namespace {

using Icon = ExtractionHost::MessageIcon;

struct LengthCase {
    const char* name;
    std::int64_t length;
    DiscId expected;
};

class IdentifyByLength : public testing::TestWithParam<LengthCase> {};

TEST_P(IdentifyByLength, OnlyTheExactArchiveLengthIdentifiesADisc)
{
    const LengthCase& c = GetParam();
    fixture::TempDir dir;
    const fs::path archive = dir / "mildor4";
    std::ofstream(archive).close();
    fs::resize_file(archive, static_cast<std::uintmax_t>(c.length));

    RecordingHost host;
    EXPECT_EQ(IdentifyDisc(host, archive.string()), c.expected);
    if (c.expected == kNoDisc) {
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, "error:分割できません\n");
        EXPECT_EQ(host.messages[0].caption, "エラー！");
        EXPECT_EQ(host.messages[0].icon, Icon::Warning);
    } else {
        EXPECT_TRUE(host.messages.empty());
    }
}

constexpr std::int64_t kD1 = DiscCatalogue::Disc1ArchiveSize;
constexpr std::int64_t kD2 = DiscCatalogue::Disc2ArchiveSize;

INSTANTIATE_TEST_SUITE_P(
    Lengths, IdentifyByLength,
    testing::Values(LengthCase{"Disc1", kD1, kDisc1}, LengthCase{"Disc2", kD2, kDisc2},
                    LengthCase{"Disc1Shorter", kD1 - 1, kNoDisc}, LengthCase{"Disc1Longer", kD1 + 1, kNoDisc},
                    LengthCase{"Disc2Shorter", kD2 - 1, kNoDisc}, LengthCase{"Disc2Longer", kD2 + 1, kNoDisc},
                    LengthCase{"Disc1Plus4GiB", kD1 + (std::int64_t{1} << 32), kNoDisc},
                    LengthCase{"Empty", 0, kNoDisc}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IdentifyDisc, MissingArchiveNamesThePathItLookedFor)
{
    fixture::TempDir dir;
    const std::string path = BuildArchivePath(dir.path().string());
    RecordingHost host;
    EXPECT_EQ(IdentifyDisc(host, path), kNoDisc);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "file error:" + (dir.path() / "mildor4").string() + "\n");
    EXPECT_EQ(host.messages[0].caption, "エラー！");
    EXPECT_EQ(host.messages[0].icon, Icon::Warning);
}

TEST(IdentifyDisc, EmptyPathIsNoDiscWithoutAMessage)
{
    RecordingHost host;
    EXPECT_EQ(IdentifyDisc(host, ""), kNoDisc);
    EXPECT_TRUE(host.messages.empty());
}

TEST(IdentifyDisc, AFolderNamedLikeTheArchiveCannotBeOpened)
{
    fixture::TempDir dir;
    fs::create_directory(dir / "mildor4");
    RecordingHost host;
    EXPECT_EQ(IdentifyDisc(host, (dir / "mildor4").string()), kNoDisc);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.rfind("file error:", 0), 0u);
}

struct NameCase {
    const char* entry;
    bool matches;
};

class ArchiveNames : public testing::TestWithParam<NameCase> {};

TEST_P(ArchiveNames, MatchIgnoringCaseVersionAndEmptyExtension)
{
    EXPECT_EQ(IsArchiveName(GetParam().entry), GetParam().matches) << GetParam().entry;
}

INSTANTIATE_TEST_SUITE_P(Table, ArchiveNames,
                         testing::Values(NameCase{"mildor4", true}, NameCase{"MILDOR4", true},
                                         NameCase{"MILDOR4;1", true}, NameCase{"MILDOR4.;1", true},
                                         NameCase{"Mildor4.", true}, NameCase{"mildor4;12", true},
                                         NameCase{"mildor4.cpk", false}, NameCase{"mildor4..", false},
                                         NameCase{"mildor", false}, NameCase{"mildor44", false},
                                         NameCase{"xmildor4", false}, NameCase{"", false}));

TEST(BuildArchivePath, JoinsTheRootAndTheNameWithOneSlash)
{
    EXPECT_EQ(BuildArchivePath("/"), "/mildor4");
    EXPECT_EQ(BuildArchivePath(""), "");
    fixture::TempDir dir;
    EXPECT_EQ(BuildArchivePath(dir.path().string()), (dir / "mildor4").string());
    EXPECT_EQ(BuildArchivePath(dir.path().string() + "/"), (dir / "mildor4").string());
}

TEST(BuildArchivePath, AFileAsRootStandsForADiscImage)
{
    fixture::TempDir dir;
    std::ofstream(dir / "disc.iso").close();
    EXPECT_EQ(BuildArchivePath((dir / "disc.iso").string()), (dir / "disc.iso").string() + "/mildor4");
}

class CdMountNames : public testing::TestWithParam<const char*> {};

TEST_P(CdMountNames, ArchiveIsFoundForIdentificationAndCopy)
{
    fixture::TempDir disc, out;
    ASSERT_TRUE(fixture::WriteArchive(disc / GetParam(), kDisc2));
    const std::string path = BuildArchivePath(disc.path().string());
    EXPECT_EQ(path, (disc / GetParam()).string());

    RecordingHost host;
    host.titlesOf = kDisc2;
    host.folder = out.path().string() + "/";
    EXPECT_EQ(IdentifyDisc(host, path), kDisc2);
    EXPECT_EQ(ExtractMovie(host, kDisc2, 18, path), 1);
    EXPECT_EQ(fixture::CompareMovie(disc / GetParam(), kDisc2, 18, out / (fixture::Title(kDisc2, 18) + ".cpk")), "");
    EXPECT_TRUE(host.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Spellings, CdMountNames, testing::Values("MILDOR4", "MILDOR4;1", "MILDOR4.;1"),
                         [](const auto& info) { return std::to_string(info.index); });

}  // namespace
