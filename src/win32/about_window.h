#pragma once

#include <functional>

#include "win32/display.h"
#include "win32/windows_api.h"

namespace xq::win32 {

// The About box (`frmAbout`): the program's icon, title, version and purpose, and an OK button
// (`cmdOK`). It is not modal: the main window stays usable while it is open. Its size follows its
// texts at the window's DPI, so no text is ever cut off.
class AboutWindow {
  public:
    explicit AboutWindow(HINSTANCE instance) : instance_(instance) {}
    AboutWindow(const AboutWindow&) = delete;
    AboutWindow& operator=(const AboutWindow&) = delete;
    ~AboutWindow();

    // Opens the box over `owner`; `closed` is told when it has gone. False when the system
    // refuses the window.
    [[nodiscard]] bool open(HWND owner, std::function<void()> closed);
    // The open box comes to the front.
    void bringForward();
    HWND handle() const { return window_; }

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    // Fonts, icon and layout for `dpi`; the window keeps its top-left corner.
    void applyDpi(UINT dpi);

    HINSTANCE instance_;
    std::function<void()> closed_;
    HWND window_ = nullptr;
    HWND picIcon_ = nullptr;
    HWND lblTitle_ = nullptr;
    HWND lblVersion_ = nullptr;
    HWND lblDescription_ = nullptr;
    HWND cmdOK_ = nullptr;
    Font font_;
    Font titleFont_;
    Icon icon_;
};

}  // namespace xq::win32
