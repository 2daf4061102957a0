#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "ui/about_box.h"
#include "ui/window_binding.h"
#include "ui/window_model.h"
#include "win32/about_window.h"
#include "win32/display.h"
#include "win32/form_layout.h"
#include "win32/windows_api.h"

namespace xq::win32 {

// The converter's main window (`Form1`), made of the system's own controls, which carry the numbers
// of window_ids.h. The window binding shows the model in them and hands them the operator's
// actions: a button, the drive list, the log button, closing the window, the end of the Windows
// session, a drive that arrives or leaves.
class MainWindow : private WindowSurface {
  public:
    MainWindow(WindowController& controller, WindowModel& model, HINSTANCE instance);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    // Makes the window with its controls, hidden, under its design-time caption. False when the
    // system refuses it.
    [[nodiscard]] bool create();
    HWND handle() const { return form_; }
    void show(int showCommand);

    // Shows the model's current state in the controls.
    void syncFromModel() { binding_.sync(); }

    // Keyboard navigation (Tab, Enter, Alt+letter) in the main window and the About box: true when
    // `message` was one of theirs and has been handled.
    [[nodiscard]] bool handleDialogKeys(MSG& message);

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK driveListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR id, DWORD_PTR self);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void handleCommand(int id, int code);

    void createControls();
    void addToolTip(HWND control, const wchar_t* text);
    // Fonts, pictures and layout for `dpi`.
    void applyDpi(UINT monitorDpi);
    // The work area of the window's monitor, and the room it leaves the client area.
    RECT workArea() const;
    SIZE clientRoom() const;
    // Gives the window its outer size, within the work area.
    void sizeWindow(SIZE outer);
    void fitDroppedWidth();

    void setCaption(std::string_view caption) override;
    void layOut(const FormControl& form) override;
    void setMainText(std::string_view text) override;
    void setMainTextFont(int points) override;
    void setMainTextReadOnly(bool readOnly) override;
    void appendLog(std::string_view text) override;
    void replaceLog(std::string_view text) override;
    int logLength(std::string_view text) const override;
    void selectLog(int start, int end, bool opened) override;
    void setLogBackground(Rgb colour) override;
    void setDriveEntries(const std::vector<std::string>& entries) override;
    void selectDriveEntry(int index) override;
    void setLabel(Control label, std::string_view caption) override;
    void setProgressRange(int min, int max) override;
    void setProgressValue(int value) override;
    void setVisible(Control control, bool visible) override;
    void setEnabled(Control control, bool enabled) override;
    void setPicture(Control button, std::string_view picture) override;
    void setFocus(Control control) override;
    void synced() override;
    void drawNow(Control control) override;
    void handleWaitingEvents() override;
    void closeWindow() override;

    void drawItem(const DRAWITEMSTRUCT& item);
    void drawDriveListEntry(const DRAWITEMSTRUCT& item);
    // The full text of a control whose text does not fit, for its tool tip; empty when it fits.
    std::wstring elidedText(HWND control);
    HWND controlOf(Control control) const;
    HICON pictureOf(std::string_view picture) const;

    HINSTANCE instance_;

    HWND form_ = nullptr;
    HWND mainText_ = nullptr;
    HWND logText_ = nullptr;
    HWND driveList_ = nullptr;
    HWND driveSize_ = nullptr;
    HWND label2_ = nullptr;
    HWND progressBar_ = nullptr;
    HWND buttonOK_ = nullptr;
    HWND buttonBack_ = nullptr;
    HWND buttonExit_ = nullptr;
    HWND buttonLog_ = nullptr;
    HWND showLog_ = nullptr;
    HWND hideLog_ = nullptr;
    std::array<HWND, 3> lines_{};
    HWND toolTip_ = nullptr;
    HWND focusOnDeactivation_ = nullptr;

    UINT monitorDpi_ = kDesignDpi;
    UINT dpi_ = kDesignDpi;  // the form's: the monitor's, or less on a screen too small for it
    Font font_;
    Font mainTextFont_;
    Brush logBackground_;
    Icon showLogPicture_;
    Icon hideLogPicture_;
    Icon smallIcon_;
    Icon bigIcon_;
    std::wstring toolTipText_;

    // What the controls were last given, where drawing or measuring needs it again.
    FormControl laidOut_;
    int mainTextPoints_ = 0;
    Rgb logColour_;
    std::vector<std::wstring> entries_;
    std::wstring driveSizeText_;
    std::wstring label2Text_;
    int progressMax_ = 0;
    int progressMin_ = 0;

    AboutBoxState aboutState_;
    AboutWindow about_;
    // Last: it shows the model in the controls above, and they in turn hand it their events.
    WindowBinding binding_;
};

}  // namespace xq::win32
