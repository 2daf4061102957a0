#pragma once

// Conversions between the program's UTF-8 strings and host paths (internal to the platform layer).
// They never throw: std::filesystem's own conversion on Windows throws on bytes that are no UTF-8
// (a descriptor may hold any) and on names that are no valid UTF-16 (NTFS allows them).

#include <filesystem>
#include <string>
#include <string_view>

#ifdef _WIN32
#include "platform/win32_text.h"
#endif

namespace xq {

inline std::filesystem::path toHostPath(std::string_view utf8) {
#ifdef _WIN32
    return std::filesystem::path(native::utf16FromUtf8(utf8));
#else
    return std::filesystem::path(std::string(utf8));
#endif
}

inline std::string fromHostPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return native::utf8FromUtf16(path.native());
#else
    return path.native();
#endif
}

}  // namespace xq
