#include <gtest/gtest.h>
#include <iconv.h>

#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "ArchiveFixture.h"
#include "DiscCatalogue.h"

namespace {

std::vector<std::string> Titles(DiscId disc)
{
    std::vector<std::string> titles;
    for (int i = 0; i < MovieCount(disc); ++i) titles.push_back(fixture::Title(disc, i));
    return titles;
}

// The title in the Japanese Windows code page; false when it has no form there.
bool ToShiftJis(const std::string& utf8, std::string& out)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string in = utf8;
    out.assign(in.size() * 2 + 4, '\0');
    char* src = in.data();
    char* dst = out.data();
    size_t srcLeft = in.size(), dstLeft = out.size();
    const bool ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return ok && srcLeft == 0;
}

// Folds what file systems may treat as the same name: ASCII case and full-width ASCII forms.
std::u32string Folded(const std::string& utf8)
{
    iconv_t cd = iconv_open("UTF-32LE", "UTF-8");
    std::string in = utf8;
    std::u32string out(in.size() + 1, U'\0');
    char* src = in.data();
    char* dst = reinterpret_cast<char*>(out.data());
    size_t srcLeft = in.size(), dstLeft = out.size() * sizeof(char32_t);
    iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    out.resize(out.size() - dstLeft / sizeof(char32_t));
    for (char32_t& c : out) {
        if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFEE0;
        if (c >= U'A' && c <= U'Z') c += U'a' - U'A';
    }
    return out;
}

class TitlesOfDisc : public testing::TestWithParam<DiscId> {};

TEST_P(TitlesOfDisc, OneUsableDistinctFileNameAMovieWithinTheShiftJisLimit)
{
    const DiscId disc = GetParam();
    const std::string_view text = DiscTitles(disc);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n') << "the last title ends in a line feed too";
    EXPECT_EQ(text.find('\r'), std::string_view::npos);

    const auto titles = Titles(disc);
    EXPECT_EQ(static_cast<int>(std::count(text.begin(), text.end(), '\n')), MovieCount(disc));
    std::set<std::u32string> seen;
    for (const std::string& title : titles) {
        SCOPED_TRACE(title);
        std::string sjis;
        ASSERT_TRUE(ToShiftJis(title, sjis));
        EXPECT_GE(sjis.size(), 1u);
        EXPECT_LE(sjis.size(), 20u);
        EXPECT_EQ(title.find_first_of("\\/:*?\"<>|"), std::string::npos);
        EXPECT_NE(title.back(), '.');
        EXPECT_NE(title.back(), ' ');
        EXPECT_NE(title.front(), ' ');
        EXPECT_TRUE(seen.insert(Folded(title)).second) << "two movies would share one file";
    }
}

TEST_P(TitlesOfDisc, MovieLengthsAreWholeSectorsAndFillTheArchiveExactly)
{
    const DiscId disc = GetParam();
    const std::int64_t archive = disc == kDisc1 ? DiscCatalogue::Disc1ArchiveSize : DiscCatalogue::Disc2ArchiveSize;
    std::int64_t sum = 0;
    for (int i = 0; i < MovieCount(disc); ++i) {
        EXPECT_EQ(MovieSize(disc, i) % 2048, 0) << "movie " << i;
        EXPECT_EQ(MovieOffset(disc, i), sum) << "movie " << i;
        sum += MovieSize(disc, i);
    }
    EXPECT_EQ(sum, archive);
}

INSTANTIATE_TEST_SUITE_P(BothDiscs, TitlesOfDisc, testing::Values(kDisc1, kDisc2),
                         [](const auto& info) { return "Disc" + std::to_string(info.param); });

TEST(Catalogue, ConstantsAsTheDiscsHaveThem)
{
    EXPECT_EQ(DiscCatalogue::ArchiveFileName, "mildor4");
    EXPECT_EQ(DiscCatalogue::MovieExtension, ".cpk");
    EXPECT_EQ(DiscCatalogue::Disc1ArchiveSize, 0x0F423000);
    EXPECT_EQ(DiscCatalogue::Disc2ArchiveSize, 0x0C6E2800);
    EXPECT_EQ(MovieCount(kDisc1), 30);
    EXPECT_EQ(MovieCount(kDisc2), 19);
    EXPECT_EQ(MovieCount(kNoDisc), 0);
    EXPECT_EQ(MovieSize(kDisc1, 0), 23695360);
    EXPECT_EQ(MovieSize(kDisc2, 6), 27613184);
    EXPECT_EQ(MovieSize(kDisc2, 18), 2453504);
    EXPECT_EQ(MovieTitle(kDisc1, 0), "オープニング");
    EXPECT_EQ(MovieTitle(kDisc2, 18), "エピローグ");
    EXPECT_EQ(MovieTitle(kDisc2, 19), "");
    EXPECT_EQ(MovieTitle(kDisc1, -1), "");
}

}  // namespace
