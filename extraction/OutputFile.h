#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// A movie file that appears under its final name only once it is complete. The bytes go
// to a temporary file beside it; Commit() renames that onto the final name. Whatever is
// not committed is removed, so a failed copy never replaces or truncates an existing file.
class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();

    // Checks that `finalPath` can take the movie and creates the temporary file.
    bool Open(const std::string& finalPath);
    // Writes all of `size` bytes straight to the file; false when fewer were written.
    bool Write(const char* data, std::size_t size);
    // Closes the temporary file; false when the close reports an error.
    bool Close();
    // Renames the closed temporary file onto the final name.
    bool Commit();
    // Closes and removes the temporary file.
    void Discard();

private:
    std::FILE* stream_ = nullptr;
    std::string finalPath_;
    std::string tempPath_;
};
