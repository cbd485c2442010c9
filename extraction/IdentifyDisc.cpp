#include "IdentifyDisc.h"

#include "Archive.h"
#include "Messages.h"

DiscId IdentifyDisc(ExtractionHost& host, const std::string& archivePath)
{
    if (archivePath.empty()) return kNoDisc;

    Archive archive;
    if (!archive.Open(archivePath)) {
        host.ShowMessage(Messages::FileError(archivePath), Messages::ErrorCaption,
                         ExtractionHost::MessageIcon::Warning);
        return kNoDisc;
    }
    // Only the exact length tells the discs apart; the content is never looked at.
    const std::int64_t length = archive.Reader().Length();
    if (length == DiscCatalogue::Disc1ArchiveSize) return kDisc1;
    if (length == DiscCatalogue::Disc2ArchiveSize) return kDisc2;

    host.ShowMessage(Messages::CannotSplit, Messages::ErrorCaption, ExtractionHost::MessageIcon::Warning);
    return kNoDisc;
}
