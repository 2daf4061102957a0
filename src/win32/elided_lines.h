#pragma once

#include <string>
#include <string_view>

#include "win32/windows_api.h"

namespace xq::win32 {

// Labels whose text is a few lines separated by CR LF, some of them holding names of any length
// (volume names, folders): each line is drawn on its own, and a line too long for the label loses
// its middle to "..." rather than running past the label's edge, so that both the drive and the
// end of a folder's name stay in view. The full text is then the label's tool tip.

// `line` as it fits `width` in the DC's font: whole, or with its middle given up for "...".
std::wstring elidedInTheMiddle(HDC dc, std::wstring_view line, int width);

// Draws the lines of `text` one under the other into `area`, in the DC's font and colours.
void drawElidedLines(HDC dc, const RECT& area, std::wstring_view text);

// Whether some line of `text` is too wide for `width` in the DC's font.
[[nodiscard]] bool linesAreElided(HDC dc, int width, std::wstring_view text);

}  // namespace xq::win32
