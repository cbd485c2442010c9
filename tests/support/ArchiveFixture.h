#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "DiscCatalogue.h"

// Sparse archives of the exact disc lengths: zeros, but for a marker at the start and the
// end of every movie, so a movie cut at the wrong offset or length shows at once.
namespace fixture {

// The 16 bytes that open and close movie `index` of `disc` in a fixture archive.
std::string StartMarker(DiscId disc, int index);
std::string EndMarker(DiscId disc, int index);

// Writes a sparse archive of `length` bytes holding the markers of `disc` (when the
// length allows them) and returns false on any I/O failure.
bool WriteArchive(const std::filesystem::path& path, DiscId disc, std::int64_t length);
inline bool WriteArchive(const std::filesystem::path& path, DiscId disc)
{
    return WriteArchive(path, disc, disc == kDisc1 ? DiscCatalogue::Disc1ArchiveSize : DiscCatalogue::Disc2ArchiveSize);
}

// Empty if the file at `moviePath` holds exactly movie `index` of `disc` as the archive at
// `archivePath` has it; otherwise what differs.
std::string CompareMovie(const std::filesystem::path& archivePath, DiscId disc, int index,
                         const std::filesystem::path& moviePath);

// A fresh folder under the system's temporary folder, removed by the destructor.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// The titles of `disc`, one string a movie.
std::string Title(DiscId disc, int index);

}  // namespace fixture
