#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/wizard.h"
#include "ui/about_box.h"
#include "ui/window_model.h"
#include "win32/about_window.h"
#include "win32/display.h"
#include "win32/form_layout.h"
#include "win32/windows_api.h"

namespace xq::win32 {

// The converter's main window (`Form1`), made of the system's own controls. It shows the window
// model and hands every operator action to the wizard: a button, the drive list, the log button,
// closing the window, the end of the Windows session, a drive that arrives or leaves. The controls
// carry the numbers of window_ids.h.
class MainWindow : private WindowObserver {
  public:
    MainWindow(Wizard& wizard, WindowModel& model, HINSTANCE instance);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    // Makes the window with its controls, hidden, under its design-time caption. False when the
    // system refuses it.
    [[nodiscard]] bool create();
    HWND handle() const { return form_; }
    void show(int showCommand);

    // Shows the model's current state in the controls.
    void syncFromModel();

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
    void applyDpi(UINT dpi);
    void layOut();
    void fitDroppedWidth();

    void repaintNow(Control control) override;
    // Runs one operator action, then shows its outcome.
    template <typename Action>
    void act(Action&& action);
    void afterAction();
    void endProgram();

    void syncMainText();
    void syncLog();
    void syncDriveList();
    void syncLabel(HWND label, const LabelControl& model, std::wstring& shown);
    void syncProgressBar();
    void syncButton(HWND button, const ButtonControl& model);
    void syncFocus();
    // The log text's position, in the edit control's characters, of a position in the model's text.
    int logEditPosition(int modelPosition) const;

    void drawItem(const DRAWITEMSTRUCT& item);
    void drawDriveListEntry(const DRAWITEMSTRUCT& item);
    // The full text of a control whose text does not fit, for its tool tip; empty when it fits.
    std::wstring elidedText(HWND control);
    HWND controlOf(Control control) const;
    HICON pictureOf(const std::string& picture) const;

    Wizard& wizard_;
    WindowModel& model_;
    HINSTANCE instance_;
    bool ended_ = false;
    // What arrived while an action ran, to be handled once it has ended.
    bool closeWaiting_ = false;
    bool drivesChangedWaiting_ = false;

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

    UINT dpi_ = kDesignDpi;
    Font font_;
    Font mainTextFont_;
    Brush logBackground_;
    Icon showLogPicture_;
    Icon hideLogPicture_;
    Icon smallIcon_;
    Icon bigIcon_;
    std::wstring toolTipText_;

    // What the controls show now, so that only changes are applied.
    FormControl laidOut_;
    UINT laidOutDpi_ = 0;
    std::string shownCaption_;
    std::string shownMainText_;
    int shownMainTextPoints_ = 0;
    std::size_t shownLogBytes_ = 0;
    int shownLogLength_ = 0;              // in the edit control's characters
    std::size_t shownLogCharacters_ = 0;  // in the model's characters
    bool logSelectionShown_ = false;
    int shownSelectionStart_ = -1;
    int shownSelectionLength_ = -1;
    Rgb shownLogBackground_{-1, -1, -1};
    std::vector<std::string> shownEntries_;
    std::wstring shownDriveSize_;
    std::wstring shownLabel2_;
    ProgressBarControl shownProgress_{-1, -1, -1, false};
    std::string shownLogPicture_;
    Control shownFocus_ = Control::Form;

    AboutBoxState aboutState_;
    AboutWindow about_;
};

}  // namespace xq::win32
