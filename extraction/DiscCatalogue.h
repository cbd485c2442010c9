#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// 1 = DISC1, 2 = DISC2, -1 = no disc identified.
using DiscId = int;
constexpr DiscId kDisc1 = 1;
constexpr DiscId kDisc2 = 2;
constexpr DiscId kNoDisc = -1;

// What the program knows of the two game discs. The archive on each disc holds its
// movies back to back, without any index: these tables are the only map of it.
namespace DiscCatalogue {

constexpr std::string_view ArchiveFileName = "mildor4";
constexpr std::string_view MovieExtension = ".cpk";

constexpr std::int64_t Disc1ArchiveSize = 255995904;  // 0x0F423000
constexpr std::int64_t Disc2ArchiveSize = 208545792;  // 0x0C6E2800

constexpr std::array<std::int64_t, 30> Disc1MovieSizes = {
    23695360, 21714944, 10629120, 3647488,  15925248, 2252800,  7669760,  4354048,
    10299392, 13074432, 7872512,  11155456, 2365440,  7206912,  4964352,  2453504,
    5044224,  6717440,  17127424, 8794112,  5408768,  8200192,  6754304,  6830080,
    6856704,  6797312,  6643712,  6578176,  6819840,  8142848,
};

constexpr std::array<std::int64_t, 19> Disc2MovieSizes = {
    23656448, 3160064, 6418432, 5474304,  18081792, 8200192, 27613184,
    7170048,  2365440, 17963008, 25802752, 10117120, 9189376, 8921088,
    10545152, 8108032, 6684672, 6621184,  2453504,
};

// One title a line, each ending in a line feed; line k names movie k. UTF-8.
extern const std::string_view Disc1Titles;
extern const std::string_view Disc2Titles;

}  // namespace DiscCatalogue

// The number of movies on `disc` (1 or 2), 0 for any other value.
int MovieCount(DiscId disc);
// The length of movie `index` of `disc`, and where it starts in the archive.
std::int64_t MovieSize(DiscId disc, int index);
std::int64_t MovieOffset(DiscId disc, int index);
// The titles of `disc` as loaded into the movie list; empty for any other value.
std::string_view DiscTitles(DiscId disc);
// The title of movie `index` of `disc`: line `index` of its titles, empty past the last.
std::string_view MovieTitle(DiscId disc, int index);
