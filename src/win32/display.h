#pragma once

// What drawing at the display's scale takes: twips and design pixels in device pixels at a DPI,
// the desktop's message font at that DPI, and owners of the GDI objects made for it.

#include <memory>
#include <type_traits>

#include "win32/windows_api.h"

namespace xq::win32 {

inline constexpr UINT kDesignDpi = 96;

// Twips (1/1440 inch), the unit of the form's geometry, in pixels at `dpi`.
int pixelsOfTwips(int twips, UINT dpi);
// Pixels of the design at 96 DPI, in pixels at `dpi`.
int scaled(int designPixels, UINT dpi);

// The DPI the window is drawn at: its monitor's, as the manifest declares per-monitor awareness;
// the system's on Windows releases before 10, which know only that.
UINT dpiOfWindow(HWND window);
// The outer size of a window whose client area is `clientWidth` x `clientHeight` at `dpi`.
SIZE windowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool menu,
                         UINT dpi);
int systemMetric(int index, UINT dpi);

struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using Brush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;

struct IconDeleter {
    void operator()(HICON icon) const { ::DestroyIcon(icon); }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

// The desktop's message font at `dpi`; `points` > 0 sets its size, `bold` its weight.
Font messageFont(UINT dpi, int points = 0, bool bold = false);
// An icon of this program's resources, drawn for `size` x `size` pixels.
Icon loadIcon(HINSTANCE instance, int resource, int size);

// The height of one line of text in `font`.
int lineHeight(HWND window, HFONT font);

}  // namespace xq::win32
