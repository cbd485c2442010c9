#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

// Read access to the movie archive, wherever it lies: a plain file on a mounted disc
// or in a folder, or a file inside a CD image.
class ArchiveReader {
public:
    virtual ~ArchiveReader() = default;
    // The length in bytes, or -1 when it cannot be measured.
    virtual std::int64_t Length() = 0;
    // Moves to `offset` bytes from the start; false when that is not possible.
    virtual bool Seek(std::int64_t offset) = 0;
    // Reads up to `size` bytes into `buffer`; returns how many were read.
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
};

// Opens the member `memberName` of the container file at `containerPath` (a CD image),
// or returns null when the container or the member cannot be read.
using ContainerArchiveOpener = std::unique_ptr<ArchiveReader> (*)(const std::string& containerPath,
                                                                  std::string_view memberName);
// Installed once by the disc-image reader; without it, an archive inside a file cannot be opened.
void SetContainerArchiveOpener(ContainerArchiveOpener opener);

// True when a directory entry names the archive. Compared without regard to case after
// dropping a ";N" version and then a trailing ".", so "MILDOR4.;1" on a CD mount matches.
bool IsArchiveName(std::string_view entryName);

// The archive path under a drive root: the root and the archive's name joined by one "/".
// Where the root is a folder, it is listed to find the name as the disc spells it; where
// it is a file (a CD image), the image reader resolves the name when opening. When nothing
// matches, the plain archive name is used, so the messages show what was looked for.
std::string BuildArchivePath(const std::string& driveRoot);

// The length of an open stream; its position is unchanged afterwards. -1 when unknown.
std::int64_t FileLength(std::FILE* stream);

// One opened archive. A path whose parent is a regular file names a member of a CD image;
// any other path names a plain file, which is read without a stream buffer.
class Archive {
public:
    Archive() = default;
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;
    ~Archive();

    bool Open(const std::string& path);
    void Close();
    ArchiveReader& Reader() { return *reader_; }

private:
    class PlainFile : public ArchiveReader {
    public:
        std::FILE* stream = nullptr;
        std::int64_t Length() override;
        bool Seek(std::int64_t offset) override;
        std::size_t Read(char* buffer, std::size_t size) override;
    };

    PlainFile file_;
    std::unique_ptr<ArchiveReader> member_;
    ArchiveReader* reader_ = nullptr;
};
