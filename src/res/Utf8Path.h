#pragma once
// Paths inside the program are UTF-8 text on every platform. A std::filesystem::path made from
// one names the same file on Linux (bytes as they are) and on Windows (converted to UTF-16),
// where a plain std::string would be taken in the ANSI code page.
#include <filesystem>
#include <string>
#include <string_view>

namespace veltrin {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
    const std::u8string u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

}  // namespace veltrin
