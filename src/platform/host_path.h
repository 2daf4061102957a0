#pragma once

// Conversions between the program's UTF-8 strings and host paths (internal to the platform layer).

#include <filesystem>
#include <string>
#include <string_view>

namespace xq {

inline std::filesystem::path toHostPath(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string fromHostPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace xq
