#include "DiscCatalogue.h"

#include <numeric>

namespace DiscCatalogue {

// Scene names, at most ten full-width characters each so that every one fits in the
// 20 bytes a title may take in Shift-JIS. Each is a file name as it stands.
const std::string_view Disc1Titles =
    "オープニング\n"
    "プロローグ\n"
    "旅立ちの朝\n"
    "港町の夕暮れ\n"
    "森の出会い\n"
    "第一話予告\n"
    "古城への道\n"
    "月夜の誓い\n"
    "失われた記憶\n"
    "第二話予告\n"
    "砂漠の遺跡\n"
    "嵐の前夜\n"
    "決意の剣\n"
    "第三話予告\n"
    "囚われの王女\n"
    "地下牢からの脱出\n"
    "別れの鐘\n"
    "第四話予告\n"
    "空に浮かぶ都\n"
    "氷の神殿\n"
    "炎の守護者\n"
    "第五話予告\n"
    "星降る丘\n"
    "裏切りの影\n"
    "第六話予告\n"
    "眠れる竜\n"
    "父の面影\n"
    "第七話予告\n"
    "崩れゆく塔\n"
    "次なる旅へ\n";

const std::string_view Disc2Titles =
    "第二部オープニング\n"
    "再会\n"
    "第八話予告\n"
    "海底の宮殿\n"
    "黒き翼\n"
    "第九話予告\n"
    "王都炎上\n"
    "第十話予告\n"
    "光の扉\n"
    "時の回廊\n"
    "魔王の城\n"
    "最終話予告\n"
    "決戦\n"
    "崩壊する世界\n"
    "帰還\n"
    "エンディング１\n"
    "エンディング２\n"
    "スタッフロール\n"
    "エピローグ\n";

}  // namespace DiscCatalogue

namespace {

template <std::size_t N>
std::int64_t SizeAt(const std::array<std::int64_t, N>& sizes, int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < N ? sizes[index] : 0;
}

template <std::size_t N>
std::int64_t OffsetOf(const std::array<std::int64_t, N>& sizes, int index)
{
    if (index <= 0) return 0;
    const auto end = sizes.begin() + std::min<std::size_t>(index, N);
    return std::accumulate(sizes.begin(), end, std::int64_t{0});
}

}  // namespace

int MovieCount(DiscId disc)
{
    switch (disc) {
    case kDisc1: return static_cast<int>(DiscCatalogue::Disc1MovieSizes.size());
    case kDisc2: return static_cast<int>(DiscCatalogue::Disc2MovieSizes.size());
    default: return 0;
    }
}

std::int64_t MovieSize(DiscId disc, int index)
{
    switch (disc) {
    case kDisc1: return SizeAt(DiscCatalogue::Disc1MovieSizes, index);
    case kDisc2: return SizeAt(DiscCatalogue::Disc2MovieSizes, index);
    default: return 0;
    }
}

std::int64_t MovieOffset(DiscId disc, int index)
{
    switch (disc) {
    case kDisc1: return OffsetOf(DiscCatalogue::Disc1MovieSizes, index);
    case kDisc2: return OffsetOf(DiscCatalogue::Disc2MovieSizes, index);
    default: return 0;
    }
}

std::string_view DiscTitles(DiscId disc)
{
    switch (disc) {
    case kDisc1: return DiscCatalogue::Disc1Titles;
    case kDisc2: return DiscCatalogue::Disc2Titles;
    default: return {};
    }
}

std::string_view MovieTitle(DiscId disc, int index)
{
    if (index < 0 || index >= MovieCount(disc)) return {};
    std::string_view text = DiscTitles(disc);
    for (int i = 0; i < index; ++i) text.remove_prefix(text.find('\n') + 1);
    return text.substr(0, text.find('\n'));
}
