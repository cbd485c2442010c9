// The e2e test's view of archives and movie files, from the same fixture code the unit
// tests use, so the shell script never has to know where a movie starts or ends.
//   movie_files write ARCHIVE DISC          a sparse archive of DISC's exact length, with markers
//   movie_files check ARCHIVE DISC FOLDER   exit 0 when FOLDER holds every movie of DISC byte
//                                           for byte and nothing else; 1 otherwise, saying why
//   movie_files sizes DISC FOLDER           exit 0 when every movie file has its full length:
//                                           a cheap test for "the copy has finished"
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>

#include "ArchiveFixture.h"
#include "DiscCatalogue.h"

namespace fs = std::filesystem;

namespace {

fs::path MoviePath(const fs::path& folder, DiscId disc, int index)
{
    return folder / fs::u8path(fixture::Title(disc, index) + std::string(DiscCatalogue::MovieExtension));
}

int Sizes(DiscId disc, const fs::path& folder)
{
    for (int i = 0; i < MovieCount(disc); ++i) {
        std::error_code ec;
        const auto size = fs::file_size(MoviePath(folder, disc, i), ec);
        if (ec || static_cast<std::int64_t>(size) != MovieSize(disc, i)) return 1;
    }
    return 0;
}

int Check(const fs::path& archive, DiscId disc, const fs::path& folder)
{
    int faults = 0;
    std::set<fs::path> expected;
    for (int i = 0; i < MovieCount(disc); ++i) {
        const fs::path movie = MoviePath(folder, disc, i);
        expected.insert(movie);
        const std::string difference = fixture::CompareMovie(archive, disc, i, movie);
        if (!difference.empty()) {
            std::printf("movie %d: %s\n", i, difference.c_str());
            ++faults;
        }
    }
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        if (expected.count(entry.path()) == 0) {
            std::printf("unexpected file: %s\n", entry.path().u8string().c_str());
            ++faults;
        }
    }
    if (ec) {
        std::printf("cannot list %s: %s\n", folder.u8string().c_str(), ec.message().c_str());
        ++faults;
    }
    return faults == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "write" && argc == 4 && MovieCount(std::atoi(argv[3])) > 0) {
        return fixture::WriteArchive(argv[2], std::atoi(argv[3])) ? 0 : 1;
    }
    if (command == "check" && argc == 5) {
        return Check(argv[2], std::atoi(argv[3]), argv[4]);
    }
    if (command == "sizes" && argc == 4) {
        return Sizes(std::atoi(argv[2]), argv[3]);
    }
    std::fprintf(stderr, "usage: %s write ARCHIVE DISC | check ARCHIVE DISC FOLDER | sizes DISC FOLDER\n", argv[0]);
    return 2;
}
