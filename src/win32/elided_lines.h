#pragma once

#include <string_view>

#include "win32/windows_api.h"

namespace xq::win32 {

// Labels whose text is a few lines separated by CR LF, some of them holding names of any length
// (volume names, folders): each line is drawn on its own, and a line too long for the label ends
// in "..." rather than running past the label's edge. The full text is then the label's tool tip.

// Draws the lines of `text` one under the other into `area`, in the DC's font and colours.
void drawElidedLines(HDC dc, const RECT& area, std::wstring_view text);

// Whether some line of `text` is too wide for `width` in the DC's font.
[[nodiscard]] bool linesAreElided(HDC dc, int width, std::wstring_view text);

}  // namespace xq::win32
