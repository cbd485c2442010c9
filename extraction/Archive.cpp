#include "Archive.h"

#include <cctype>
#include <filesystem>
#include <system_error>

#include "DiscCatalogue.h"

namespace fs = std::filesystem;

namespace {

ContainerArchiveOpener containerOpener = nullptr;

// 64-bit positions: an archive may be longer than a long on some platforms.
#ifdef _WIN32
long long Tell(std::FILE* stream) { return _ftelli64(stream); }
int SeekTo(std::FILE* stream, long long offset, int origin) { return _fseeki64(stream, offset, origin); }
#else
long long Tell(std::FILE* stream) { return ftello(stream); }
int SeekTo(std::FILE* stream, long long offset, int origin) { return fseeko(stream, offset, origin); }
#endif

std::string_view WithoutVersion(std::string_view name)
{
    // ISO 9660 names carry a ";N" version; "MILDOR4.;1" also has the empty extension's dot.
    if (const auto semicolon = name.rfind(';'); semicolon != std::string_view::npos) {
        name = name.substr(0, semicolon);
    }
    if (!name.empty() && name.back() == '.') name.remove_suffix(1);
    return name;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (std::tolower(ca) != std::tolower(cb)) return false;
    }
    return true;
}

std::string JoinRoot(const std::string& root, std::string_view name)
{
    std::string path = root;
    if (path.empty() || path.back() != '/') path += '/';
    path += name;
    return path;
}

}  // namespace

void SetContainerArchiveOpener(ContainerArchiveOpener opener)
{
    containerOpener = opener;
}

bool IsArchiveName(std::string_view entryName)
{
    return EqualIgnoringCase(WithoutVersion(entryName), DiscCatalogue::ArchiveFileName);
}

std::string BuildArchivePath(const std::string& driveRoot)
{
    if (driveRoot.empty()) return {};
    std::error_code ec;
    if (fs::is_directory(driveRoot, ec)) {
        // An exact match wins over a look-alike, so the choice never depends on listing order.
        if (fs::exists(JoinRoot(driveRoot, DiscCatalogue::ArchiveFileName), ec)) {
            return JoinRoot(driveRoot, DiscCatalogue::ArchiveFileName);
        }
        for (fs::directory_iterator it(driveRoot, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (IsArchiveName(name)) return JoinRoot(driveRoot, name);
        }
    }
    return JoinRoot(driveRoot, DiscCatalogue::ArchiveFileName);
}

std::int64_t FileLength(std::FILE* stream)
{
    const long long here = Tell(stream);
    if (here < 0 || SeekTo(stream, 0, SEEK_END) != 0) return -1;
    const long long end = Tell(stream);
    SeekTo(stream, here, SEEK_SET);
    return end;
}

std::int64_t Archive::PlainFile::Length()
{
    return FileLength(stream);
}

bool Archive::PlainFile::Seek(std::int64_t offset)
{
    return SeekTo(stream, offset, SEEK_SET) == 0;
}

std::size_t Archive::PlainFile::Read(char* buffer, std::size_t size)
{
    return std::fread(buffer, 1, size, stream);
}

Archive::~Archive()
{
    Close();
}

bool Archive::Open(const std::string& path)
{
    Close();
    std::error_code ec;
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty() && fs::is_regular_file(parent, ec)) {
        if (containerOpener == nullptr) return false;
        member_ = containerOpener(parent.string(), fs::path(path).filename().string());
        reader_ = member_.get();
        return reader_ != nullptr;
    }
    if (fs::is_directory(path, ec)) return false;  // a folder opens as a stream on Linux
    file_.stream = std::fopen(path.c_str(), "rb");
    if (file_.stream == nullptr) return false;
    // Every block is read straight into the caller's buffer; a stream buffer would only copy it twice.
    std::setvbuf(file_.stream, nullptr, _IONBF, 0);
    reader_ = &file_;
    return true;
}

void Archive::Close()
{
    if (file_.stream != nullptr) {
        std::fclose(file_.stream);
        file_.stream = nullptr;
    }
    member_.reset();
    reader_ = nullptr;
}
