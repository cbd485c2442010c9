#include "OutputFile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A name the final file may take: nothing in its way that a rename could not replace.
bool FinalNameUsable(const std::string& finalPath)
{
    std::error_code ec;
    const fs::file_status status = fs::status(finalPath, ec);
    if (status.type() == fs::file_type::not_found) return true;  // the folder is checked on creation
    if (ec || fs::is_directory(status)) return false;              // too long, no access, a folder
    // An existing file that may not be written must stay, as it would with a plain open.
    std::FILE* existing = std::fopen(finalPath.c_str(), "r+b");
    if (existing == nullptr) return false;
    std::fclose(existing);
    return true;
}

// A hidden name, never longer than the final one, so that it fits wherever the final name fits.
std::string TempName(std::size_t finalNameLength, unsigned long long seed)
{
    static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    const std::size_t length = std::max<std::size_t>(1, std::min<std::size_t>(finalNameLength - 1, 12));
    std::string name = ".";
    for (std::size_t i = 0; i < length; ++i) {
        name += kDigits[seed % 36];
        seed = seed / 36 ^ (seed * 6364136223846793005ULL + 1442695040888963407ULL);
    }
    return name;
}

}  // namespace

OutputFile::~OutputFile()
{
    Discard();
}

bool OutputFile::Open(const std::string& finalPath)
{
    Discard();
    if (!FinalNameUsable(finalPath)) return false;

    const fs::path target(finalPath);
    const std::size_t finalNameLength = target.filename().string().size();
    if (finalNameLength == 0) return false;

    static std::atomic<unsigned long long> counter{0};
    const auto now = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 64; ++attempt) {
        const std::string candidate = (target.parent_path() / TempName(finalNameLength, now + counter++)).string();
        // "x": created afresh or not at all, so another file of that name is never touched.
        stream_ = std::fopen(candidate.c_str(), "wbx");
        if (stream_ != nullptr) {
            // Each block goes to the file within its own write, so its error is seen there.
            std::setvbuf(stream_, nullptr, _IONBF, 0);
            finalPath_ = finalPath;
            tempPath_ = candidate;
            return true;
        }
        std::error_code ec;
        if (!fs::exists(candidate, ec)) return false;  // the folder refused it, not a clash
    }
    return false;
}

bool OutputFile::Write(const char* data, std::size_t size)
{
    return stream_ != nullptr && std::fwrite(data, 1, size, stream_) == size;
}

bool OutputFile::Close()
{
    if (stream_ == nullptr) return false;
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    return closed;
}

bool OutputFile::Commit()
{
    if (stream_ != nullptr || tempPath_.empty()) return false;
    std::error_code ec;
    fs::rename(tempPath_, finalPath_, ec);
    if (ec) return false;
    tempPath_.clear();
    return true;
}

void OutputFile::Discard()
{
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (!tempPath_.empty()) {
        std::error_code ec;
        fs::remove(tempPath_, ec);
        tempPath_.clear();
    }
}
