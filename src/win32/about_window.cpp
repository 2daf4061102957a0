#include "win32/about_window.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/win32_text.h"
#include "ui/about_box.h"
#include "win32/resource_ids.h"
#include "win32/window_class.h"
#include "win32/window_ids.h"

namespace xq::win32 {

namespace {

// A dialog box's style: it stays above the main window that owns it.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
// How a static control of style SS_LEFT | SS_NOPREFIX draws its text: measured the same way, the
// text fits its label exactly.
constexpr UINT kLabelFormat = DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX;

// The design at 96 DPI, in pixels.
constexpr int kMargin = 16;
constexpr int kIconSize = 48;
constexpr int kTextWidth = 380;
constexpr int kTitlePoints = 12;

std::wstring textOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The size `control`'s text takes in `font` when it wraps at `width`.
SIZE measure(HWND control, HFONT font, int width) {
    const std::wstring text = textOf(control);
    const HDC dc = ::GetDC(control);
    const HGDIOBJ previous = ::SelectObject(dc, font);
    RECT rect{0, 0, width, 0};
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, kLabelFormat | DT_CALCRECT);
    ::SelectObject(dc, previous);
    ::ReleaseDC(control, dc);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void place(HWND control, int x, int y, int width, int height) {
    ::SetWindowPos(control, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

AboutWindow::~AboutWindow() {
    if (window_ != nullptr) {
        closed_ = nullptr;
        ::DestroyWindow(window_);
    }
}

bool AboutWindow::open(HWND owner, std::function<void()> closed) {
    if (!registerWindowClass(instance_, kAboutClass, &AboutWindow::windowProc)) {
        return false;
    }
    const AboutTexts texts = aboutTexts();
    const std::wstring className = wideClassName(kAboutClass);
    const std::wstring caption = native::utf16FromUtf8(texts.caption);
    window_ = ::CreateWindowExW(kExStyle, className.c_str(), caption.c_str(), kStyle, CW_USEDEFAULT,
                                CW_USEDEFAULT, 0, 0, owner, nullptr, instance_, this);
    if (window_ == nullptr) {
        return false;
    }
    closed_ = std::move(closed);
    createControls();
    applyDpi(dpiOfWindow(window_));

    // Over the middle of the main window.
    RECT ownerRect{};
    RECT rect{};
    ::GetWindowRect(owner, &ownerRect);
    ::GetWindowRect(window_, &rect);
    const int x = (ownerRect.left + ownerRect.right - (rect.right - rect.left)) / 2;
    const int y = (ownerRect.top + ownerRect.bottom - (rect.bottom - rect.top)) / 2;
    ::SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // Placed on another monitor, the box is laid out again there (WM_DPICHANGED).
    ::ShowWindow(window_, SW_SHOW);
    ::SetFocus(cmdOK_);
    return true;
}

void AboutWindow::bringForward() {
    if (window_ != nullptr) {
        ::ShowWindow(window_, SW_RESTORE);
        ::SetForegroundWindow(window_);
    }
}

void AboutWindow::createControls() {
    const AboutTexts texts = aboutTexts();
    std::string description = texts.description;
    // The description ends with a line break, which would only add an empty line at the bottom.
    while (!description.empty() && (description.back() == '\n' || description.back() == '\r')) {
        description.pop_back();
    }
    const auto make = [this](const wchar_t* controlClass, DWORD style, int id,
                             const std::string& text) {
        const std::wstring wide = native::utf16FromUtf8(text);
        return ::CreateWindowExW(0, controlClass, wide.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0,
                                 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 instance_, nullptr);
    };
    picIcon_ = make(L"STATIC", SS_ICON, about_control::picIcon, {});
    lblTitle_ = make(L"STATIC", SS_LEFT | SS_NOPREFIX, about_control::lblTitle, texts.title);
    lblVersion_ = make(L"STATIC", SS_LEFT | SS_NOPREFIX, about_control::lblVersion, texts.version);
    lblDescription_ =
        make(L"STATIC", SS_LEFT | SS_NOPREFIX, about_control::lblDescription, description);
    cmdOK_ = make(L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, about_control::cmdOK, "OK");
}

void AboutWindow::applyDpi(UINT dpi) {
    font_ = messageFont(dpi);
    titleFont_ = messageFont(dpi, kTitlePoints, true);
    for (HWND control : {lblVersion_, lblDescription_, cmdOK_}) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    ::SendMessageW(lblTitle_, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);

    const int iconSize = scaled(kIconSize, dpi);
    icon_ = loadIcon(instance_, XQ_IDI_PROGRAM, iconSize);
    ::SendMessageW(picIcon_, STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);

    const int margin = scaled(kMargin, dpi);
    const int textLeft = margin + iconSize + margin;
    const int textWidth = scaled(kTextWidth, dpi);
    int y = margin;
    const auto placeLabel = [&](HWND label, HFONT font, int spaceAfter) {
        const SIZE size = measure(label, font, textWidth);
        place(label, textLeft, y, textWidth, size.cy);
        y += size.cy + scaled(spaceAfter, dpi);
    };
    place(picIcon_, margin, margin, iconSize, iconSize);
    placeLabel(lblTitle_, titleFont_.get(), 4);
    placeLabel(lblVersion_, font_.get(), 12);
    placeLabel(lblDescription_, font_.get(), 16);

    const SIZE okText = measure(cmdOK_, font_.get(), textWidth);
    const int buttonWidth = std::max<int>(scaled(80, dpi), okText.cx + scaled(24, dpi));
    const int buttonHeight = std::max<int>(scaled(26, dpi), okText.cy + scaled(10, dpi));
    place(cmdOK_, textLeft + textWidth - buttonWidth, y, buttonWidth, buttonHeight);
    y += buttonHeight + margin;

    const int clientWidth = textLeft + textWidth + margin;
    const int clientHeight = std::max(y, margin + iconSize + margin);
    const SIZE outer = windowSizeForClient(clientWidth, clientHeight, kStyle, kExStyle, false, dpi);
    ::SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(window_, nullptr, TRUE);
}

LRESULT CALLBACK AboutWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    AboutWindow* self = ownerOfWindow<AboutWindow>(window, message, lParam);
    if (self == nullptr || self->window_ != window) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT AboutWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            // cmdOK, Enter and Escape close the box.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                ::DestroyWindow(window_);
            }
            return 0;
        case WM_DPICHANGED: {
            applyDpi(HIWORD(wParam));
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            // The labels lie on the window's face, without a background of their own.
            ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        case WM_DESTROY: {
            window_ = nullptr;
            if (const std::function<void()> closed = std::exchange(closed_, nullptr)) {
                closed();
            }
            return 0;
        }
        default:
            return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

}  // namespace xq::win32
