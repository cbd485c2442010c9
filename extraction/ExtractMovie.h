#pragma once

#include <cstddef>
#include <string>

#include "DiscCatalogue.h"
#include "ExtractionHost.h"

constexpr std::size_t CopyBlockSize = 20480;

// Results of ExtractMovie.
constexpr int kMovieWritten = 1;
constexpr int kMovieCopyFailed = 0;   // a read or write failed part-way
constexpr int kMovieOpenFailed = -1;  // the archive or the output file could not be opened

// Copies movie `index` of `disc` out of the archive at `archivePath` into the output
// folder text + the movie's list item + ".cpk". Status, progress and messages go to `host`.
int ExtractMovie(ExtractionHost& host, DiscId disc, int index, const std::string& archivePath);
