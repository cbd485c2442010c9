#pragma once

#include <string>

#include "DiscCatalogue.h"
#include "ExtractionHost.h"

// Which disc the archive at `archivePath` belongs to, from its exact length alone.
// Tells the user through `host` why no disc was identified (except for an empty path).
DiscId IdentifyDisc(ExtractionHost& host, const std::string& archivePath);
