#pragma once

#include <string_view>

#include "win32/windows_api.h"

namespace xq::win32 {

// Whether another copy of the program shows its main window: a top-level window of the same class
// as `form` whose caption is `title`. Call while `form` still has its design-time caption, which is
// not the title, so that the window never finds itself; only a copy whose start-up has set its
// caption to the title is found. When the class name cannot be read the check is skipped (false).
[[nodiscard]] bool anotherCopyShowsItsWindow(HWND form, std::string_view title);

}  // namespace xq::win32
