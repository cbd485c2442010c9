// Makes the CD images the disc-image tests read: make_disc_images <folder> <genisoimage>.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "ArchiveFixture.h"
#include "DiscImageFixtures.h"

namespace fs = std::filesystem;

namespace {

std::string genisoimage;

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool MakeIso(const fs::path& folder, const fs::path& iso)
{
    const std::string command = Quoted(genisoimage) + " -quiet -o " + Quoted(iso.string()) + " " + Quoted(folder.string());
    return std::system(command.c_str()) == 0;
}

unsigned char Bcd(int n) { return static_cast<unsigned char>((n / 10) << 4 | n % 10); }

// Wraps every 2048-byte sector of `iso` the way a raw CD read delivers it: sync pattern,
// address and mode, in MODE2 an XA subheader of a form 1 data sector, then the data and
// room for the error codes (left zero: nothing here checks them).
bool MakeRaw(const fs::path& iso, const fs::path& bin, int mode)
{
    std::ifstream in(iso, std::ios::binary);
    std::ofstream out(bin, std::ios::binary | std::ios::trunc);
    if (!in || !out) return false;
    std::vector<char> data(2048);
    for (int sector = 0; in.read(data.data(), 2048), in.gcount() == 2048; ++sector) {
        unsigned char raw[2352] = {};
        std::memset(raw + 1, 0xFF, 10);
        const int address = sector + 150;
        raw[12] = Bcd(address / 4500);
        raw[13] = Bcd(address / 75 % 60);
        raw[14] = Bcd(address % 75);
        raw[15] = static_cast<unsigned char>(mode);
        int at = 16;
        if (mode == 2) {
            raw[18] = raw[22] = 0x08;  // submode: data, form 1
            at = 24;
        }
        std::memcpy(raw + at, data.data(), 2048);
        out.write(reinterpret_cast<const char*>(raw), sizeof raw);
    }
    return in.eof() && out.good();
}

bool WriteText(const fs::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return out.good();
}

// Every 8 bytes carry a number made from their offset, so any byte read from the wrong
// place shows.
bool WritePatternArchive(const fs::path& path, std::int64_t length)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<std::uint64_t> words(1 << 17);
    for (std::int64_t at = 0; at < length;) {
        const auto n = std::min<std::int64_t>(length - at, static_cast<std::int64_t>(words.size() * 8));
        for (std::size_t i = 0; i < words.size(); ++i) {
            const auto offset = static_cast<std::uint64_t>(at) + i * 8;
            words[i] = (offset * 0x9E3779B97F4A7C15ULL) ^ (offset >> 11) ^ 0x5A5A5A5A5A5A5A5AULL;
        }
        out.write(reinterpret_cast<const char*>(words.data()), n);
        at += n;
    }
    return out.good();
}

// Turns the entries "mildor4" and "mildor5" of a fresh image into two extents of one file.
bool JoinIntoTwoExtents(const fs::path& iso)
{
    std::fstream file(iso, std::ios::binary | std::ios::in | std::ios::out);
    std::vector<char> head(64 * 2048);
    file.read(head.data(), static_cast<std::streamsize>(head.size()));
    const std::string text(head.data(), head.size());
    const auto first = text.find("MILDOR4.;1");
    const auto second = text.find("MILDOR5.;1");
    if (first == std::string::npos || second == std::string::npos) return false;
    const std::size_t flags = first - 33 + 25;  // the name follows a 33-byte record header
    file.seekp(static_cast<std::streamoff>(flags));
    file.put(static_cast<char>(head[flags] | 0x80));  // "continued in the next record"
    file.seekp(static_cast<std::streamoff>(second));
    file.write("MILDOR4.;1", 10);
    return file.good();
}

bool Make(const fs::path& dir)
{
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);

    if (!fixture::WriteArchive(images::Disc2Archive(), kDisc2)) return false;
    if (!MakeIso(images::Disc2Archive().parent_path(), images::Disc2Iso())) return false;
    if (!MakeRaw(images::Disc2Iso(), images::Disc2Bin(), 1)) return false;
    // As sheets made on Windows are: CRLF, and the audio tracks in files of their own.
    if (!WriteText(images::Disc2Cue(), "FILE \"disc2.bin\" BINARY\r\n"
                                       "  TRACK 01 MODE1/2352\r\n"
                                       "    INDEX 01 00:00:00\r\n"
                                       "FILE \"disc2 (Track 02).bin\" BINARY\r\n"
                                       "  TRACK 02 AUDIO\r\n"
                                       "    INDEX 00 00:00:00\r\n"
                                       "    INDEX 01 00:02:00\r\n")) {
        return false;
    }

    const fs::path crowded = images::CrowdedArchive().parent_path();
    fs::create_directories(crowded);
    for (int i = 0; i < 150; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "file_%03d.dat", i);
        if (!WriteText(crowded / name, name)) return false;
    }
    if (!WritePatternArchive(images::CrowdedArchive(), MovieOffset(kDisc2, images::kCrowdedMovies))) return false;
    if (!MakeIso(crowded, images::CrowdedIso()) || !MakeRaw(images::CrowdedIso(), images::CrowdedBin(), 2)) {
        return false;
    }

    // Look-alikes only: a folder of the archive's name, a name with an extension, a shorter one.
    const fs::path lookAlikes = dir / "look-alikes";
    fs::create_directories(lookAlikes / "mildor4");
    if (!WriteText(lookAlikes / "mildor4.cpk", "x") || !WriteText(lookAlikes / "mildor", "x")) return false;
    if (!MakeIso(lookAlikes, images::NoArchiveIso())) return false;

    const fs::path twoExtents = dir / "two-extents";
    fs::create_directories(twoExtents);
    if (!WriteText(twoExtents / "mildor4", std::string(5000, 'a')) ||
        !WriteText(twoExtents / "mildor5", std::string(7000, 'b'))) {
        return false;
    }
    return MakeIso(twoExtents, images::TwoExtentIso()) && JoinIntoTwoExtents(images::TwoExtentIso()) &&
           MakeRaw(images::TwoExtentIso(), images::TwoExtentBin(), 1);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: make_disc_images <folder> <genisoimage>\n";
        return 2;
    }
    setenv("DISC_IMAGE_FIXTURES", argv[1], 1);
    genisoimage = argv[2];
    if (!Make(argv[1])) {
        std::cerr << "make_disc_images: could not make the images in " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
