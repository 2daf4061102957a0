#pragma once

// UTF-8 <-> UTF-16 for the Win32 back end (defined in native_win32.cpp). The program's strings are
// UTF-8; the wide Win32 calls take and give UTF-16. Bytes that are no valid UTF-8, and lone
// surrogates in UTF-16, become U+FFFD.

#include <string>
#include <string_view>

namespace xq::native {

std::wstring utf16FromUtf8(std::string_view utf8);
std::string utf8FromUtf16(std::wstring_view utf16);

}  // namespace xq::native
