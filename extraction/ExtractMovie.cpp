#include "ExtractMovie.h"

#include <cstdio>

#include "Archive.h"
#include "Messages.h"
#include "OutputFile.h"

namespace {

// The one transfer buffer of the program, reused for every block of every movie.
char CopyBuffer[CopyBlockSize];

std::string StatusText(const std::string& outputPath, std::int64_t size)
{
    char number[32];
    std::snprintf(number, sizeof number, " %d,%03d,%03dbytes\n", static_cast<int>(size / 1000000),
                  static_cast<int>(size % 1000000 / 1000), static_cast<int>(size % 1000));
    return "making " + outputPath + number;
}

void Warn(ExtractionHost& host, const std::string& text, const char* caption)
{
    host.ShowMessage(text, caption, ExtractionHost::MessageIcon::Warning);
}

// Moves one block through CopyBuffer; on failure says which side failed.
bool CopyBlock(ExtractionHost& host, ArchiveReader& archive, OutputFile& output, std::size_t size)
{
    if (archive.Read(CopyBuffer, size) != size) {
        Warn(host, Messages::ReadError, Messages::AbortCaption);
        return false;
    }
    if (!output.Write(CopyBuffer, size)) {
        Warn(host, Messages::WriteError, Messages::AbortCaption);
        return false;
    }
    host.SetProgressPosition(host.ProgressPosition() + 1);
    return true;
}

}  // namespace

int ExtractMovie(ExtractionHost& host, DiscId disc, int index, const std::string& archivePath)
{
    if (index < 0 || index >= MovieCount(disc)) return kMovieOpenFailed;

    Archive archive;
    if (!archive.Open(archivePath)) {
        Warn(host, Messages::FileError(archivePath), Messages::ErrorCaption);
        return kMovieOpenFailed;
    }

    const std::string outputPath =
        host.OutputFolderText() + host.MovieListItem(index) + std::string(DiscCatalogue::MovieExtension);
    OutputFile output;
    if (!output.Open(outputPath)) {
        Warn(host, Messages::FileError(outputPath), Messages::ErrorCaption);
        return kMovieOpenFailed;
    }

    const std::int64_t size = MovieSize(disc, index);
    if (!archive.Reader().Seek(MovieOffset(disc, index))) {
        Warn(host, Messages::ReadError, Messages::AbortCaption);
        return kMovieCopyFailed;
    }
    host.SetStatusText(StatusText(outputPath, size));

    const auto blocks = static_cast<int>(size / static_cast<std::int64_t>(CopyBlockSize));
    const auto rest = static_cast<std::size_t>(size % static_cast<std::int64_t>(CopyBlockSize));
    host.SetProgressMax(blocks);
    if (rest != 0) host.SetProgressMax(host.ProgressMax() + 1);
    host.SetProgressPosition(0);

    for (int block = 0; block < blocks; ++block) {
        host.PumpEvents();
        if (!CopyBlock(host, archive.Reader(), output, CopyBlockSize)) return kMovieCopyFailed;
    }
    // The last, shorter block follows at once, without giving the window a turn.
    if (rest != 0 && !CopyBlock(host, archive.Reader(), output, rest)) return kMovieCopyFailed;

    archive.Close();
    if (!output.Close()) {
        Warn(host, Messages::WriteError, Messages::AbortCaption);
        return kMovieCopyFailed;
    }
    if (!output.Commit()) {
        Warn(host, Messages::FileError(outputPath), Messages::ErrorCaption);
        return kMovieOpenFailed;
    }
    return kMovieWritten;
}
