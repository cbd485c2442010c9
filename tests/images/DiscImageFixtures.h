#pragma once

#include <cstdint>
#include <filesystem>

#include "DiscCatalogue.h"

// The CD images the tests read, made once per test run by make_disc_images into the folder
// named by DISC_IMAGE_FIXTURES and removed after the last test.
namespace images {

// The folder with the images; the tests fail at once when it is not set.
std::filesystem::path FixtureDir();

// A DISC2 archive as plain file (sparse, markers at the movie boundaries), and its images:
// the .iso, a raw MODE1 .bin with no .cue of its name beside it, and a .cue that names it.
inline std::filesystem::path Disc2Archive() { return FixtureDir() / "plain" / "mildor4"; }
inline std::filesystem::path Disc2Iso() { return FixtureDir() / "disc2.iso"; }
inline std::filesystem::path Disc2Bin() { return FixtureDir() / "disc2.bin"; }
inline std::filesystem::path Disc2Cue() { return FixtureDir() / "DISC2 sheet.cue"; }

// A short archive of the first two DISC2 movies, every byte of it telling its offset, at the
// end of a root too long for one sector: as .iso and as raw MODE2 form 1 .bin.
inline std::filesystem::path CrowdedArchive() { return FixtureDir() / "crowded" / "mildor4"; }
inline std::filesystem::path CrowdedIso() { return FixtureDir() / "crowded.iso"; }
inline std::filesystem::path CrowdedBin() { return FixtureDir() / "crowded.bin"; }
constexpr int kCrowdedMovies = 2;

// Images whose root lacks the archive, or holds it as a file of two extents.
inline std::filesystem::path NoArchiveIso() { return FixtureDir() / "no-archive.iso"; }
inline std::filesystem::path TwoExtentIso() { return FixtureDir() / "two-extents.iso"; }
inline std::filesystem::path TwoExtentBin() { return FixtureDir() / "two-extents.bin"; }

}  // namespace images
