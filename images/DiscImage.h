#pragma once

// Lets the extraction read the archive straight out of a CD image (.iso, raw .bin, .cue):
// a drive root that is an image file then stands for a drive holding that disc.
void InstallDiscImageReader();

// True when `path` is a file that looks like a CD image this reader can open.
bool LooksLikeDiscImage(const char* path);
