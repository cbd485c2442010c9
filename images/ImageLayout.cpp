#include "ImageLayout.h"

#include <cdio/iso9660.h>
#include <cdio/sector.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kVolumeDescriptorSector = 16;
constexpr int kRawSectorSize = CDIO_CD_FRAMESIZE_RAW;
constexpr int kMode1DataOffset = CDIO_CD_SYNC_SIZE + CDIO_CD_HEADER_SIZE;
constexpr int kMode2DataOffset = CDIO_CD_SYNC_SIZE + CDIO_CD_HEADER_SIZE + CDIO_CD_SUBHEADER_SIZE;
constexpr int kForm2Flag = 0x20;  // in the submode byte of a MODE2 subheader
// Raw sectors move in runs of this many; a copy block of ten sectors takes one read.
constexpr std::size_t kRawRunSectors = 32;

bool EndsWithIgnoringCase(const std::string& text, const std::string& suffix)
{
    if (text.size() < suffix.size()) return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

std::string Upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::size_t ReadAt(int fd, std::int64_t offset, char* out, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = pread(fd, out + done, size - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

bool IsVolumeDescriptor(const char* data)
{
    return std::memcmp(data + 1, ISO_STANDARD_ID, sizeof ISO_STANDARD_ID - 1) == 0;
}

// What a .cue says about its first track: the file it is in and where it starts, in sectors.
struct CueTrack {
    fs::path file;
    std::int64_t startSector = 0;
};

// "mm:ss:ff" at 75 sectors a second.
std::optional<std::int64_t> ParseCueTime(const std::string& text)
{
    int m = 0, s = 0, f = 0;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%d%c", &m, &s, &f, &rest) != 3 || m < 0 || s < 0 || f < 0) {
        return std::nullopt;
    }
    return (static_cast<std::int64_t>(m) * 60 + s) * 75 + f;
}

// The file a sheet names, relative to the sheet's folder. Sheets made on Windows may
// separate folders with "\\" and spell a name in another case than the disc does.
fs::path ResolveCueFile(const fs::path& cuePath, std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    const fs::path named(name);
    fs::path resolved = named.is_relative() ? cuePath.parent_path() : named.root_path();
    for (const fs::path& part : named.is_relative() ? named : named.relative_path()) {
        fs::path next = resolved / part;
        std::error_code ec;
        if (!fs::exists(next, ec)) {
            const std::string wanted = Upper(part.string());
            const fs::path folder = resolved.empty() ? fs::path(".") : resolved;
            for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
                if (Upper(it->path().filename().string()) == wanted) {
                    next = resolved / it->path().filename();
                    break;
                }
            }
        }
        resolved = next;
    }
    return resolved;
}

std::optional<CueTrack> ReadCueSheet(const fs::path& cuePath)
{
    std::ifstream in(cuePath, std::ios::binary);
    if (!in) return std::nullopt;
    std::optional<CueTrack> track;
    std::string fileName;
    bool inFirstTrack = false;
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        keyword = Upper(keyword);
        if (keyword == "FILE") {
            if (inFirstTrack) break;
            words >> std::ws;
            if (words.peek() == '"') {
                words.get();
                std::getline(words, fileName, '"');
            } else {
                words >> fileName;
            }
        } else if (keyword == "TRACK") {
            if (inFirstTrack || fileName.empty()) break;
            std::string number, mode;
            words >> number >> mode;
            // Only a data track can hold the volume; a disc that opens with audio has none here.
            if (Upper(mode) == "AUDIO") return std::nullopt;
            inFirstTrack = true;
            track = CueTrack{ResolveCueFile(cuePath, fileName), 0};
        } else if (keyword == "INDEX" && inFirstTrack) {
            std::string number, time;
            words >> number >> time;
            if (std::atoi(number.c_str()) != 1) continue;
            const auto start = ParseCueTime(time);
            if (!start) return std::nullopt;
            track->startSector = *start;
        }
    }
    return track;
}

std::optional<SectorLayout> DetectFraming(const std::string& file, std::int64_t startSector)
{
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    std::optional<SectorLayout> layout;
    char sector[kRawSectorSize];
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        const std::int64_t plain = (startSector + kVolumeDescriptorSector) * ISO_BLOCKSIZE;
        const std::int64_t raw = (startSector + kVolumeDescriptorSector) * kRawSectorSize;
        if (ReadAt(fd, plain, sector, ISO_BLOCKSIZE) == ISO_BLOCKSIZE && IsVolumeDescriptor(sector)) {
            layout = SectorLayout{file, startSector * ISO_BLOCKSIZE, ISO_BLOCKSIZE, 0};
        } else if (ReadAt(fd, raw, sector, kRawSectorSize) == kRawSectorSize &&
                   std::memcmp(sector, CDIO_SECTOR_SYNC_HEADER, CDIO_CD_SYNC_SIZE) == 0) {
            const int mode = static_cast<unsigned char>(sector[CDIO_CD_SYNC_SIZE + 3]);
            const int submode = static_cast<unsigned char>(sector[CDIO_CD_SYNC_SIZE + CDIO_CD_HEADER_SIZE + 2]);
            int dataOffset = 0;
            if (mode == 1) dataOffset = kMode1DataOffset;
            if (mode == 2 && (submode & kForm2Flag) == 0) dataOffset = kMode2DataOffset;
            if (dataOffset != 0 && IsVolumeDescriptor(sector + dataOffset)) {
                layout = SectorLayout{file, startSector * kRawSectorSize, kRawSectorSize, dataOffset};
            }
        }
    }
    close(fd);
    return layout;
}

}  // namespace

std::optional<SectorLayout> FindSectorLayout(const std::string& path)
{
    if (EndsWithIgnoringCase(path, ".cue")) {
        const auto track = ReadCueSheet(path);
        if (!track) return std::nullopt;
        return DetectFraming(track->file.string(), track->startSector);
    }
    return DetectFraming(path, 0);
}

SectorFile::SectorFile(SectorLayout layout) : layout_(std::move(layout))
{
    fd_ = open(layout_.dataFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) return;
    struct stat info {};
    if (fstat(fd_, &info) != 0) {
        close(fd_);
        fd_ = -1;
        return;
    }
    fileSize_ = info.st_size;
    posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
    if (layout_.stride != ISO_BLOCKSIZE) raw_ = std::make_unique<char[]>(kRawRunSectors * static_cast<std::size_t>(layout_.stride));
}

SectorFile::~SectorFile()
{
    if (fd_ >= 0) close(fd_);
}

std::size_t SectorFile::ReadBytes(std::int64_t offset, char* out, std::size_t size)
{
    return ReadAt(fd_, offset, out, size);
}

std::size_t SectorFile::Read(std::uint32_t sector, std::size_t count, char* out)
{
    const auto stride = static_cast<std::size_t>(layout_.stride);
    const std::int64_t first = layout_.start + static_cast<std::int64_t>(sector) * layout_.stride;
    if (stride == ISO_BLOCKSIZE) return ReadBytes(first, out, count * ISO_BLOCKSIZE) / ISO_BLOCKSIZE;

    const auto dataOffset = static_cast<std::size_t>(layout_.dataOffset);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t run = std::min(count - done, kRawRunSectors);
        const std::size_t got =
            ReadBytes(first + static_cast<std::int64_t>(done * stride), raw_.get(), run * stride);
        // A sector counts once its data is there, even if its error-correction tail is cut off.
        const std::size_t whole = got < dataOffset + ISO_BLOCKSIZE
                                      ? 0
                                      : std::min(run, (got - dataOffset - ISO_BLOCKSIZE) / stride + 1);
        for (std::size_t i = 0; i < whole; ++i) {
            std::memcpy(out + (done + i) * ISO_BLOCKSIZE, raw_.get() + i * stride + dataOffset, ISO_BLOCKSIZE);
        }
        done += whole;
        if (whole < run) break;
    }
    return done;
}

bool SectorFile::Holds(std::uint32_t sector, std::int64_t length) const
{
    if (length <= 0) return true;
    const std::int64_t last = sector + (length - 1) / ISO_BLOCKSIZE;
    const std::int64_t end =
        layout_.start + last * layout_.stride + layout_.dataOffset + (length - 1) % ISO_BLOCKSIZE + 1;
    return end <= fileSize_;
}
