#include "DiscImage.h"

void InstallDiscImageReader() {}

bool LooksLikeDiscImage(const char*) { return false; }
