#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// Where the 2048-byte data sectors of a CD image lie in a file. A plain .iso holds them
// back to back; a raw image holds whole 2352-byte sectors, the data after a sync pattern
// and a header (16 bytes in MODE1, 24 in MODE2 form 1).
struct SectorLayout {
    std::string dataFile;     // the file that holds the sectors (the .bin a .cue names)
    std::int64_t start = 0;   // byte offset of sector 0 in that file
    int stride = 2048;        // bytes from one sector to the next
    int dataOffset = 0;       // bytes from a sector's start to its data

    bool IsPlainIso() const { return start == 0 && stride == 2048; }
};

// The layout of the image at `path`: a .cue is followed to the file its first track is in;
// any other file is taken as an .iso or a raw image, told apart by its volume descriptor
// at sector 16. Nothing when the file holds no ISO 9660 volume in a framing read here.
std::optional<SectorLayout> FindSectorLayout(const std::string& path);

// An open image file read as data sectors.
class SectorFile {
public:
    explicit SectorFile(SectorLayout layout);
    ~SectorFile();
    SectorFile(const SectorFile&) = delete;
    SectorFile& operator=(const SectorFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    const SectorLayout& Layout() const { return layout_; }
    std::int64_t FileSize() const { return fileSize_; }

    // Reads `count` data sectors from `sector` on into `out`; returns how many were
    // read whole (fewer at the end of the file or on a read error).
    std::size_t Read(std::uint32_t sector, std::size_t count, char* out);

    // True when the file holds every byte of the `length` bytes from `sector` on.
    bool Holds(std::uint32_t sector, std::int64_t length) const;

private:
    std::size_t ReadBytes(std::int64_t offset, char* out, std::size_t size);

    SectorLayout layout_;
    int fd_ = -1;
    std::int64_t fileSize_ = 0;
    std::unique_ptr<char[]> raw_;  // whole raw sectors on their way to the caller's buffer
};
