#pragma once

#include <string>

// The texts the extraction shows. A path is shown as it stands.
namespace Messages {
constexpr const char* ErrorCaption = "エラー！";
constexpr const char* AbortCaption = "ERROR";
constexpr const char* CannotSplit = "error:分割できません\n";
constexpr const char* WriteError = "write error. abort.";
constexpr const char* ReadError = "read error. abort.";

inline std::string FileError(const std::string& path)
{
    return "file error:" + path + "\n";
}
}  // namespace Messages
