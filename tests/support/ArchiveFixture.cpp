#include "ArchiveFixture.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace fs = std::filesystem;

namespace fixture {

namespace {

std::string Marker(const char* kind, DiscId disc, int index)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s D%d M%02d ####", kind, disc, index);
    return std::string(text, 16);
}

}  // namespace

std::string StartMarker(DiscId disc, int index) { return Marker("START", disc, index); }
std::string EndMarker(DiscId disc, int index) { return Marker("END  ", disc, index); }

bool WriteArchive(const fs::path& path, DiscId disc, std::int64_t length)
{
    std::error_code ec;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
    std::fstream out(path, std::ios::binary | std::ios::out | std::ios::trunc);
    if (!out) return false;
    for (int i = 0; i < MovieCount(disc); ++i) {
        const std::int64_t start = MovieOffset(disc, i);
        const std::int64_t end = start + MovieSize(disc, i);
        if (end > length) break;
        out.seekp(start);
        out << StartMarker(disc, i);
        out.seekp(end - 16);
        out << EndMarker(disc, i);
    }
    out.close();
    fs::resize_file(path, static_cast<std::uintmax_t>(length), ec);
    return !ec && out.good();
}

std::string CompareMovie(const fs::path& archivePath, DiscId disc, int index, const fs::path& moviePath)
{
    std::ifstream archive(archivePath, std::ios::binary);
    std::ifstream movie(moviePath, std::ios::binary);
    if (!movie) return "cannot open " + moviePath.string();
    if (!archive) return "cannot open " + archivePath.string();
    const std::int64_t size = MovieSize(disc, index);
    std::error_code ec;
    const auto actual = static_cast<std::int64_t>(fs::file_size(moviePath, ec));
    if (ec || actual != size) {
        return moviePath.string() + ": " + std::to_string(actual) + " bytes, expected " + std::to_string(size);
    }
    archive.seekg(MovieOffset(disc, index));
    std::vector<char> a(1 << 20), m(1 << 20);
    for (std::int64_t done = 0; done < size;) {
        const auto n = static_cast<std::streamsize>(std::min<std::int64_t>(size - done, a.size()));
        archive.read(a.data(), n);
        movie.read(m.data(), n);
        if (archive.gcount() != n || movie.gcount() != n) return "short read at " + std::to_string(done);
        if (!std::equal(a.begin(), a.begin() + n, m.begin())) {
            return moviePath.string() + ": differs within bytes " + std::to_string(done) + ".." + std::to_string(done + n);
        }
        done += n;
    }
    return {};
}

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "cpksplit-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string Title(DiscId disc, int index)
{
    return std::string(MovieTitle(disc, index));
}

}  // namespace fixture
