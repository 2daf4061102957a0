#include "win32/display.h"

namespace xq::win32 {

namespace {

// Calls of later Windows releases, looked up when needed, so that the program still starts where
// they are missing: the per-monitor DPI calls came with Windows 10 (1607), and before that every
// window was drawn at the one system DPI.
template <typename Function>
Function systemFunction(const wchar_t* module, const char* name) {
    const FARPROC found = ::GetProcAddress(::GetModuleHandleW(module), name);
    // Through the generic function type, which converts to any other without a warning.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

template <typename Function>
Function user32Function(const char* name) {
    return systemFunction<Function>(L"user32.dll", name);
}

UINT systemDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

}  // namespace

int pixelsOfTwips(int twips, UINT dpi) {
    return ::MulDiv(twips, static_cast<int>(dpi), 1440);
}

int scaled(int designPixels, UINT dpi) {
    return ::MulDiv(designPixels, static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}

UINT dpiOfWindow(HWND window) {
    static const auto forWindow = user32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (forWindow != nullptr) {
        if (const UINT dpi = forWindow(window); dpi != 0) {
            return dpi;
        }
    }
    return systemDpi();
}

SIZE windowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, bool menu,
                         UINT dpi) {
    static const auto forDpi =
        user32Function<BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT rect{0, 0, clientWidth, clientHeight};
    if (forDpi != nullptr) {
        forDpi(&rect, style, menu ? TRUE : FALSE, exStyle, dpi);
    } else {
        ::AdjustWindowRectEx(&rect, style, menu ? TRUE : FALSE, exStyle);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

int systemMetric(int index, UINT dpi) {
    static const auto forDpi = user32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    if (forDpi != nullptr) {
        return forDpi(index, dpi);
    }
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi),
                    static_cast<int>(systemDpi()));
}

Font messageFont(UINT dpi, int points, bool bold) {
    static const auto forDpi =
        user32Function<BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT)>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    LOGFONTW& font = metrics.lfMessageFont;
    const bool atDpi = forDpi != nullptr &&
                       forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi) != FALSE;
    if (!atDpi) {
        if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) !=
            FALSE) {
            font.lfHeight =
                ::MulDiv(font.lfHeight, static_cast<int>(dpi), static_cast<int>(systemDpi()));
        } else {
            font = LOGFONTW{};
            font.lfHeight = -::MulDiv(9, static_cast<int>(dpi), 72);
            font.lfCharSet = DEFAULT_CHARSET;
        }
    }
    if (points > 0) {
        font.lfHeight = -::MulDiv(points, static_cast<int>(dpi), 72);
    }
    if (bold) {
        font.lfWeight = FW_BOLD;
    }
    return Font(::CreateFontIndirectW(&font));
}

Icon loadIcon(HINSTANCE instance, int resource, int size) {
    // The controls library of the manifest (version 6) draws the icon from its nearest larger
    // picture, never blown up from a smaller one.
    static const auto scaleDown =
        systemFunction<HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*)>(
            L"comctl32.dll", "LoadIconWithScaleDown");
    HICON icon = nullptr;
    if (scaleDown == nullptr ||
        FAILED(scaleDown(instance, MAKEINTRESOURCEW(resource), size, size, &icon))) {
        icon = static_cast<HICON>(
            ::LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, 0));
    }
    return Icon(icon);
}

int lineHeight(HWND window, HFONT font) {
    const HDC dc = ::GetDC(window);
    const HGDIOBJ previous = ::SelectObject(dc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, previous);
    ::ReleaseDC(window, dc);
    return metrics.tmHeight;
}

}  // namespace xq::win32
