#include "DiscImage.h"

#include <cdio/bytesex.h>
#include <cdio/iso9660.h>
#include <cdio/logging.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "Archive.h"
#include "ImageLayout.h"

namespace {

// Where the archive lies in the image: its first sector and its length in bytes.
struct MemberExtent {
    std::uint32_t sector = 0;
    std::int64_t length = 0;
};

// Tallies the root's entries that name the archive. A file of 4 GiB or more is recorded as
// several entries of one name (its extents), which this reader does not join: more than
// one entry, or one marked as continued, and the image has no archive it can read.
class ArchiveEntries {
public:
    void Add(std::uint32_t sector, std::int64_t length, bool continued)
    {
        extent_ = {sector, length};
        ++count_;
        continued_ = continued_ || continued;
    }
    std::optional<MemberExtent> Single() const
    {
        if (count_ != 1 || continued_) return std::nullopt;
        return extent_;
    }

private:
    MemberExtent extent_;
    int count_ = 0;
    bool continued_ = false;
};

// A plain .iso: the library lists the root itself.
std::optional<MemberExtent> FindInIso(const std::string& path)
{
    iso9660_t* iso = iso9660_open_ext(path.c_str(), ISO_EXTENSION_NONE);
    if (iso == nullptr) return std::nullopt;
    ArchiveEntries found;
    if (CdioList_t* entries = iso9660_ifs_readdir(iso, "/")) {
        CdioListNode_t* node = nullptr;
        _CDIO_LIST_FOREACH (node, entries) {
            const auto* entry = static_cast<const iso9660_stat_t*>(_cdio_list_node_data(node));
            if (entry->type == iso9660_stat_t::_STAT_FILE && IsArchiveName(entry->filename)) {
                found.Add(entry->lsn, entry->size, false);
            }
        }
        iso9660_filelist_free(entries);
    }
    iso9660_close(iso);
    return found.Single();
}

// Any other image: raw sectors, or a volume that does not start its file. libiso9660 2.1
// lists a raw image's root wrongly past its first sector (it takes a run of raw sectors for
// plain ones), and its BIN/CUE driver opens the .bin named like the sheet, not the one the
// sheet names; so the root is read here one data sector at a time, each record decoded by
// the library's helpers.
std::optional<MemberExtent> FindBySectors(SectorFile& file)
{
    constexpr std::uint32_t kFirstDescriptor = 16;
    constexpr std::uint32_t kMaxDescriptors = 64;
    constexpr std::uint32_t kMaxRootSectors = 4096;
    constexpr std::size_t kRecordHeader = offsetof(iso9660_dir_t, filename) + 1;  // the name follows

    iso9660_pvd_t pvd;
    static_assert(sizeof pvd == ISO_BLOCKSIZE, "a volume descriptor fills one sector");
    for (std::uint32_t sector = kFirstDescriptor;; ++sector) {
        if (sector == kFirstDescriptor + kMaxDescriptors) return std::nullopt;
        if (file.Read(sector, 1, reinterpret_cast<char*>(&pvd)) != 1) return std::nullopt;
        if (std::strncmp(pvd.id, ISO_STANDARD_ID, sizeof pvd.id) != 0) return std::nullopt;
        const int type = iso9660_get_pvd_type(&pvd);
        if (type == ISO_VD_PRIMARY) break;
        if (type == ISO_VD_END) return std::nullopt;
    }

    const lsn_t root = iso9660_get_root_lsn(&pvd);
    const std::uint32_t rootSectors = (from_733(pvd.root_directory_record.size) + ISO_BLOCKSIZE - 1) / ISO_BLOCKSIZE;
    if (root == CDIO_INVALID_LSN || rootSectors == 0 || rootSectors > kMaxRootSectors) return std::nullopt;

    ArchiveEntries found;
    char data[ISO_BLOCKSIZE];
    for (std::uint32_t i = 0; i < rootSectors; ++i) {
        if (file.Read(static_cast<std::uint32_t>(root) + i, 1, data) != 1) return std::nullopt;
        // Records never cross a sector; a zero length pads out the rest of one.
        for (std::size_t at = 0; at < ISO_BLOCKSIZE;) {
            const auto* record = reinterpret_cast<const iso9660_dir_t*>(data + at);
            const std::size_t length = iso9660_get_dir_len(record);
            if (length == 0) break;
            if (at + length > ISO_BLOCKSIZE || length < kRecordHeader || kRecordHeader + record->filename.len > length) {
                return std::nullopt;
            }
            if ((record->file_flags & ISO_DIRECTORY) == 0) {
                char* name = iso9660_dir_to_name(record);
                if (name != nullptr && IsArchiveName(name)) {
                    found.Add(from_733(record->extent), from_733(record->size),
                              (record->file_flags & ISO_MULTIEXTENT) != 0);
                }
                std::free(name);
            }
            at += length;
        }
    }
    return found.Single();
}

// The archive inside an image, read through whole data sectors.
class ImageMember : public ArchiveReader {
public:
    explicit ImageMember(SectorLayout layout) : file_(std::move(layout)) {}

    SectorFile& File() { return file_; }
    void SetExtent(MemberExtent extent) { extent_ = extent; }

    std::int64_t Length() override { return extent_.length; }

    bool Seek(std::int64_t offset) override
    {
        if (offset < 0) return false;
        position_ = offset;
        return true;
    }

    // Never reads past the archive's end, even where the image goes on.
    std::size_t Read(char* buffer, std::size_t size) override
    {
        const std::int64_t left = std::max<std::int64_t>(0, extent_.length - position_);
        size = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(size), left));
        std::size_t done = 0;
        while (done < size) {
            const auto sector = static_cast<std::uint32_t>(extent_.sector + position_ / ISO_BLOCKSIZE);
            const auto within = static_cast<std::size_t>(position_ % ISO_BLOCKSIZE);
            std::size_t got = 0;
            if (within == 0 && size - done >= ISO_BLOCKSIZE) {
                // Whole sectors go straight into the caller's buffer.
                const std::size_t count = (size - done) / ISO_BLOCKSIZE;
                got = file_.Read(sector, count, buffer + done) * ISO_BLOCKSIZE;
                if (got < count * ISO_BLOCKSIZE) size = done + got;
            } else if (file_.Read(sector, 1, partial_) == 1) {
                got = std::min(ISO_BLOCKSIZE - within, size - done);
                std::memcpy(buffer + done, partial_ + within, got);
            } else {
                break;
            }
            done += got;
            position_ += static_cast<std::int64_t>(got);
        }
        return done;
    }

private:
    SectorFile file_;
    MemberExtent extent_;
    std::int64_t position_ = 0;
    char partial_[ISO_BLOCKSIZE];
};

std::unique_ptr<ArchiveReader> OpenImageMember(const std::string& imagePath, std::string_view memberName)
{
    if (!IsArchiveName(memberName)) return nullptr;
    auto layout = FindSectorLayout(imagePath);
    if (!layout) return nullptr;
    auto member = std::make_unique<ImageMember>(std::move(*layout));
    SectorFile& file = member->File();
    if (!file.IsOpen()) return nullptr;

    const auto extent = file.Layout().IsPlainIso() ? FindInIso(file.Layout().dataFile) : FindBySectors(file);
    // A cut image (an interrupted download) must not pass for a disc.
    if (!extent || !file.Holds(extent->sector, extent->length)) return nullptr;
    member->SetExtent(*extent);
    return member;
}

}  // namespace

void InstallDiscImageReader()
{
    // The library warns on stderr about every image that is not one; the user hears of it
    // through the program's own message.
    cdio_loglevel_default = CDIO_LOG_ERROR;
    SetContainerArchiveOpener(&OpenImageMember);
}

bool LooksLikeDiscImage(const char* path)
{
    return path != nullptr && FindSectorLayout(path).has_value();
}
