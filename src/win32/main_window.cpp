#include "win32/main_window.h"

#include <algorithm>
#include <utility>

#include "platform/text.h"
#include "platform/win32_text.h"
#include "ui/form_design.h"
#include "ui/log_pane.h"
#include "win32/elided_lines.h"
#include "win32/resource_ids.h"
#include "win32/window_class.h"
#include "win32/window_ids.h"

namespace xq::win32 {

namespace {

// A fixed-size window: its size is the form's, which only the log button changes.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;
// The design at 96 DPI, in pixels.
constexpr int kPictureSize = 16;
constexpr int kDriveListDropHeight = 200;
constexpr int kToolTipWidth = 600;

std::wstring wide(std::string_view text) {
    return native::utf16FromUtf8(text);
}

HMENU controlId(int id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

bool hasStyle(HWND window, DWORD style) {
    return (static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)) & style) != 0;
}

void place(HWND control, const RECT& rect) {
    ::SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left,
                   rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring driveListEntry(HWND list, int index) {
    const LRESULT length = ::SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (index < 0 || length == CB_ERR) {
        return {};
    }
    std::wstring entry(static_cast<std::size_t>(length) + 1, L'\0');
    ::SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(entry.data()));
    entry.resize(static_cast<std::size_t>(length));
    return entry;
}

// A DC of `control` with `font` selected, for measuring text.
class MeasuringDc {
  public:
    MeasuringDc(HWND control, HFONT font)
        : control_(control), dc_(::GetDC(control)), previous_(::SelectObject(dc_, font)) {}
    MeasuringDc(const MeasuringDc&) = delete;
    MeasuringDc& operator=(const MeasuringDc&) = delete;
    ~MeasuringDc() {
        ::SelectObject(dc_, previous_);
        ::ReleaseDC(control_, dc_);
    }
    HDC get() const { return dc_; }

  private:
    HWND control_;
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace

MainWindow::MainWindow(WindowController& controller, WindowModel& model, HINSTANCE instance)
    : instance_(instance), about_(instance), binding_(model, controller, *this) {
    laidOut_ = model.form;
    mainTextPoints_ = model.mainText.fontPointSize;
}

MainWindow::~MainWindow() {
    if (form_ != nullptr) {
        ::DestroyWindow(form_);
    }
}

bool MainWindow::create() {
    if (!registerWindowClass(instance_, kFormClass, &MainWindow::windowProc)) {
        return false;
    }
    const HMENU menu = ::CreateMenu();
    ::AppendMenuW(menu, MF_STRING, kAboutCommand, L"&About");
    const std::wstring className = wideClassName(kFormClass);
    const std::wstring caption = wide(laidOut_.caption);
    form_ = ::CreateWindowExW(kExStyle, className.c_str(), caption.c_str(), kStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, 0, 0, nullptr, menu, instance_, this);
    if (form_ == nullptr) {
        ::DestroyMenu(menu);
        return false;
    }
    createControls();
    applyDpi(dpiOfWindow(form_));
    return true;
}

void MainWindow::show(int showCommand) {
    ::ShowWindow(form_, showCommand);
    ::UpdateWindow(form_);
}

void MainWindow::createControls() {
    const auto make = [this](const wchar_t* controlClass, DWORD style, DWORD exStyle, int id,
                             const wchar_t* text = L"") {
        return ::CreateWindowExW(exStyle, controlClass, text, WS_CHILD | style, 0, 0, 0, 0, form_,
                                 controlId(id), instance_, nullptr);
    };
    // Created in the order Tab moves through them.
    mainText_ =
        make(WC_EDITW, WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
             WS_EX_CLIENTEDGE, form_control::mainText);
    driveList_ = make(WC_COMBOBOXW,
                      WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED |
                          CBS_HASSTRINGS,
                      0, form_control::DriveList);
    driveSize_ =
        make(WC_STATICW, WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, 0, form_control::DriveSize);
    label2_ = make(WC_STATICW, WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, 0, form_control::Label2);
    progressBar_ = make(PROGRESS_CLASSW, WS_VISIBLE, 0, form_control::ProgressBar1);
    // The log is the record of the run: it can be read, selected and copied, not edited.
    logText_ = make(WC_EDITW, WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                    WS_EX_CLIENTEDGE, form_control::logText);
    // No limit: the log only grows, and what is appended must never be cut off.
    ::SendMessageW(logText_, EM_SETLIMITTEXT, 0, 0);
    buttonLog_ = make(WC_BUTTONW, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_ICON, 0,
                      form_control::buttonLog);
    buttonBack_ = make(WC_BUTTONW, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                       form_control::buttonBack, L"< &Back");
    buttonOK_ = make(WC_BUTTONW, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                     form_control::buttonOK, L"&OK");
    buttonExit_ = make(WC_BUTTONW, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                       form_control::buttonExit, L"E&xit");
    // Never shown: they only hold the log button's two pictures.
    showLog_ = make(WC_BUTTONW, BS_PUSHBUTTON | BS_ICON, 0, form_control::showLog);
    hideLog_ = make(WC_BUTTONW, BS_PUSHBUTTON | BS_ICON, 0, form_control::hideLog);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        // Never shown: the form draws the lines where these stand (WM_PAINT). Grown with the log
        // pane, a control of its own kept being drawn at its former length on some desktops.
        lines_[i] = make(WC_STATICW, i == 0 ? SS_ETCHEDHORZ : SS_ETCHEDVERT, 0,
                         form_control::Line1 + static_cast<int>(i));
    }

    // Keys that go down in the drive list reach the wizard before the list acts on them.
    ::SetWindowSubclass(driveList_, &MainWindow::driveListProc, 0,
                        reinterpret_cast<DWORD_PTR>(this));

    toolTip_ =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, form_, nullptr, instance_, nullptr);
    addToolTip(driveList_, LPSTR_TEXTCALLBACKW);
    addToolTip(driveSize_, LPSTR_TEXTCALLBACKW);
    addToolTip(label2_, LPSTR_TEXTCALLBACKW);
    static wchar_t logButtonTip[] = L"Show or hide the log";
    addToolTip(buttonLog_, logButtonTip);
}

void MainWindow::addToolTip(HWND control, const wchar_t* text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = form_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<wchar_t*>(text);
    ::SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

RECT MainWindow::workArea() const {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(::MonitorFromWindow(form_, MONITOR_DEFAULTTONEAREST), &monitor)) {
        RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        return screen;
    }
    return monitor.rcWork;
}

SIZE MainWindow::clientRoom() const {
    // The work area less the title bar, menu bar and borders, which the system draws at the
    // monitor's DPI whatever the form's own.
    const RECT work = workArea();
    const SIZE frame = windowSizeForClient(0, 0, kStyle, kExStyle, true, monitorDpi_);
    return {work.right - work.left - frame.cx, work.bottom - work.top - frame.cy};
}

void MainWindow::applyDpi(UINT monitorDpi) {
    // The form is drawn at the monitor's DPI, or smaller where the work area could not hold it.
    monitorDpi_ = monitorDpi;
    const SIZE room = clientRoom();
    const auto twips = [monitorDpi](long pixels) {
        return ::MulDiv(static_cast<int>(pixels), 1440, static_cast<int>(monitorDpi));
    };
    const double scale = formScaleToFit(twips(room.cx), twips(room.cy));
    dpi_ = std::max<UINT>(kDesignDpi / 2, static_cast<UINT>(monitorDpi * scale));
    const UINT dpi = dpi_;
    font_ = messageFont(dpi);
    mainTextFont_ = messageFont(dpi, mainTextPoints_);
    for (HWND control : {driveList_, driveSize_, label2_, logText_, buttonBack_, buttonOK_,
                         buttonExit_, buttonLog_}) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    ::SendMessageW(mainText_, WM_SETFONT, reinterpret_cast<WPARAM>(mainTextFont_.get()), FALSE);

    const int itemHeight = lineHeight(driveList_, font_.get()) + scaled(6, dpi);
    ::SendMessageW(driveList_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), itemHeight);
    ::SendMessageW(driveList_, CB_SETITEMHEIGHT, 0, itemHeight);
    ::SendMessageW(toolTip_, TTM_SETMAXTIPWIDTH, 0, scaled(kToolTipWidth, dpi));

    showLogPicture_ = loadIcon(instance_, XQ_IDI_SHOW_LOG, scaled(kPictureSize, dpi));
    hideLogPicture_ = loadIcon(instance_, XQ_IDI_HIDE_LOG, scaled(kPictureSize, dpi));
    ::SendMessageW(showLog_, BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(showLogPicture_.get()));
    ::SendMessageW(hideLog_, BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(hideLogPicture_.get()));

    smallIcon_ = loadIcon(instance_, XQ_IDI_PROGRAM, systemMetric(SM_CXSMICON, dpi));
    bigIcon_ = loadIcon(instance_, XQ_IDI_PROGRAM, systemMetric(SM_CXICON, dpi));
    ::SendMessageW(form_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    ::SendMessageW(form_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));

    // Laid out anew, the log button taking its picture again at the new size.
    binding_.refreshLayout();
}

void MainWindow::layOut(const FormControl& form) {
    laidOut_ = form;
    const FormLayout layout = layOutForm(form, dpi_, ::MulDiv(clientRoom().cy, 1440, dpi_));
    place(mainText_, layout.mainText);
    RECT list = layout.DriveList;
    list.bottom = list.top + scaled(kDriveListDropHeight, dpi_);  // with its list dropped down
    place(driveList_, list);
    place(driveSize_, layout.DriveSize);
    place(label2_, layout.Label2);
    place(progressBar_, layout.ProgressBar1);
    place(logText_, layout.logText);
    place(buttonLog_, layout.buttonLog);
    place(buttonBack_, layout.buttonBack);
    place(buttonOK_, layout.buttonOK);
    place(buttonExit_, layout.buttonExit);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        place(lines_[i], layout.lines[i]);
    }
    fitDroppedWidth();

    // The window takes the form's size, and its place within the work area, in one move: moved
    // after it was resized, it left the separator lines drawn at their former length.
    const SIZE outer = windowSizeForClient(layout.client.cx, layout.client.cy, kStyle, kExStyle,
                                           true, monitorDpi_);
    sizeWindow(outer);
    // The menu bar is as tall as the desktop draws it: whatever the client area lacks still, the
    // window grows by.
    RECT client{};
    ::GetClientRect(form_, &client);
    if (client.right != layout.client.cx || client.bottom != layout.client.cy) {
        sizeWindow({outer.cx + layout.client.cx - client.right,
                    outer.cy + layout.client.cy - client.bottom});
    }
    // Controls that only changed their size (the separator lines) do not draw themselves again.
    ::RedrawWindow(form_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::sizeWindow(SIZE outer) {
    // A form that grew with its log, or a screen smaller than where the window was put: the
    // window stays within the work area, its buttons with it.
    RECT window{};
    ::GetWindowRect(form_, &window);
    const RECT work = workArea();
    const long left = std::max(work.left, std::min(window.left, work.right - outer.cx));
    const long top = std::max(work.top, std::min(window.top, work.bottom - outer.cy));
    ::SetWindowPos(form_, nullptr, left, top, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::fitDroppedWidth() {
    // The list drops down as wide as its longest entry needs, within the form.
    int widest = 0;
    {
        const MeasuringDc dc(driveList_, font_.get());
        for (const std::wstring& text : entries_) {
            SIZE size{};
            ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
            widest = std::max<int>(widest, size.cx);
        }
    }
    const FormLayout layout = layOutForm(laidOut_, dpi_);
    const int left = layout.DriveList.left;
    const int width = std::clamp<int>(widest + scaled(16, dpi_) + systemMetric(SM_CXVSCROLL, dpi_),
                                      layout.DriveList.right - left, layout.client.cx - left);
    ::SendMessageW(driveList_, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}

void MainWindow::setCaption(std::string_view caption) {
    ::SetWindowTextW(form_, wide(caption).c_str());
}

void MainWindow::setMainText(std::string_view text) {
    ::SetWindowTextW(mainText_, wide(text).c_str());
}

void MainWindow::setMainTextFont(int points) {
    mainTextPoints_ = points;
    mainTextFont_ = messageFont(dpi_, points);
    ::SendMessageW(mainText_, WM_SETFONT, reinterpret_cast<WPARAM>(mainTextFont_.get()), TRUE);
}

void MainWindow::setMainTextReadOnly(bool readOnly) {
    ::SendMessageW(mainText_, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

void MainWindow::appendLog(std::string_view text) {
    const std::wstring added = wide(text);
    const int end = ::GetWindowTextLengthW(logText_);
    ::SendMessageW(logText_, EM_SETSEL, static_cast<WPARAM>(end), end);
    ::SendMessageW(logText_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(added.c_str()));
}

void MainWindow::replaceLog(std::string_view text) {
    ::SetWindowTextW(logText_, wide(text).c_str());
}

int MainWindow::logLength(std::string_view text) const {
    // UTF-16 units, CR LF as two.
    return static_cast<int>(wide(text).size());
}

void MainWindow::selectLog(int start, int end, bool opened) {
    ::SendMessageW(logText_, EM_SETSEL, static_cast<WPARAM>(start), end);
    ::SendMessageW(logText_, EM_SCROLLCARET, 0, 0);
    if (opened) {
        // A log that opens shows its newest lines, whatever was selected while it was hidden.
        ::SendMessageW(logText_, WM_VSCROLL, SB_BOTTOM, 0);
    }
}

void MainWindow::setLogBackground(Rgb colour) {
    logColour_ = colour;
    logBackground_.reset(::CreateSolidBrush(RGB(colour.red, colour.green, colour.blue)));
    ::InvalidateRect(logText_, nullptr, TRUE);
}

void MainWindow::setDriveEntries(const std::vector<std::string>& entries) {
    ::SendMessageW(driveList_, CB_RESETCONTENT, 0, 0);
    entries_.clear();
    for (const std::string& entry : entries) {
        entries_.push_back(wide(entry));
        ::SendMessageW(driveList_, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(entries_.back().c_str()));
    }
    fitDroppedWidth();
}

void MainWindow::selectDriveEntry(int index) {
    if (::SendMessageW(driveList_, CB_GETCURSEL, 0, 0) != index) {
        ::SendMessageW(driveList_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
}

void MainWindow::setLabel(Control label, std::string_view caption) {
    const HWND control = label == Control::DriveSize ? driveSize_ : label2_;
    std::wstring& shown = label == Control::DriveSize ? driveSizeText_ : label2Text_;
    shown = wide(caption);
    // The label draws itself (drawElidedLines); its window text is the whole caption still, for
    // whatever reads the window (screen readers, the tests).
    ::SetWindowTextW(control, shown.c_str());
    ::InvalidateRect(control, nullptr, TRUE);
}

void MainWindow::setProgressRange(int min, int max) {
    ::SendMessageW(progressBar_, PBM_SETRANGE32, static_cast<WPARAM>(min), max);
    progressMin_ = min;
    progressMax_ = max;
}

void MainWindow::setProgressValue(int value) {
    // The bar of this Windows release glides to a new value over timer messages, which are not
    // handled while an action runs: stepping back draws at once, so the bar is set one beyond the
    // value first, then back to it.
    if (value < progressMax_) {
        ::SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(value + 1), 0);
    } else {
        ::SendMessageW(progressBar_, PBM_SETRANGE32, static_cast<WPARAM>(progressMin_),
                       progressMax_ + 1);
        ::SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(progressMax_ + 1), 0);
        ::SendMessageW(progressBar_, PBM_SETRANGE32, static_cast<WPARAM>(progressMin_),
                       progressMax_);
    }
    ::SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(value), 0);
}

void MainWindow::setVisible(Control control, bool visible) {
    if (HWND window = controlOf(control);
        window != nullptr && hasStyle(window, WS_VISIBLE) != visible) {
        ::ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE);
    }
}

void MainWindow::setEnabled(Control control, bool enabled) {
    if (HWND window = controlOf(control);
        window != nullptr && (::IsWindowEnabled(window) != FALSE) != enabled) {
        ::EnableWindow(window, enabled ? TRUE : FALSE);
    }
}

void MainWindow::setPicture(Control button, std::string_view picture) {
    // Only the log button shows a picture; its holders have theirs from applyDpi.
    if (button == Control::ButtonLog) {
        ::SendMessageW(buttonLog_, BM_SETIMAGE, IMAGE_ICON,
                       reinterpret_cast<LPARAM>(pictureOf(picture)));
    }
}

namespace {

bool canHoldFocus(HWND control) {
    return control != nullptr && hasStyle(control, WS_VISIBLE) && ::IsWindowEnabled(control);
}

}  // namespace

void MainWindow::setFocus(Control control) {
    if (HWND window = controlOf(control); canHoldFocus(window)) {
        ::SetFocus(window);
    }
}

void MainWindow::synced() {
    // A control that was hidden or disabled takes the keyboard focus with it; OK gets it then, so
    // that Enter and Tab go on working.
    const HWND focus = ::GetFocus();
    if (::GetActiveWindow() == form_ &&
        (focus == nullptr || focus == form_ || !canHoldFocus(focus))) {
        for (HWND control : {buttonOK_, buttonExit_}) {
            if (canHoldFocus(control)) {
                ::SetFocus(control);
                return;
            }
        }
    }
}

HWND MainWindow::controlOf(Control control) const {
    switch (control) {
        case Control::Form:
            return form_;
        case Control::MainText:
            return mainText_;
        case Control::LogText:
            return logText_;
        case Control::DriveList:
            return driveList_;
        case Control::DriveSize:
            return driveSize_;
        case Control::Label2:
            return label2_;
        case Control::ProgressBar1:
            return progressBar_;
        case Control::ButtonOK:
            return buttonOK_;
        case Control::ButtonBack:
            return buttonBack_;
        case Control::ButtonExit:
            return buttonExit_;
        case Control::ButtonLog:
            return buttonLog_;
        case Control::ShowLog:
            return showLog_;
        case Control::HideLog:
            return hideLog_;
    }
    return nullptr;
}

HICON MainWindow::pictureOf(std::string_view picture) const {
    HWND holder = nullptr;
    if (picture == kShowLogPicture) {
        holder = showLog_;
    } else if (picture == kHideLogPicture) {
        holder = hideLog_;
    }
    return holder == nullptr
               ? nullptr
               : reinterpret_cast<HICON>(::SendMessageW(holder, BM_GETIMAGE, IMAGE_ICON, 0));
}

void MainWindow::drawNow(Control control) {
    if (HWND window = controlOf(control); window != nullptr && hasStyle(window, WS_VISIBLE)) {
        ::RedrawWindow(window, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
}

void MainWindow::handleWaitingEvents() {
    // Only painting and the messages other threads send (the desktop's, the device changes):
    // input and posted messages (a click posted by a keyboard shortcut or by automation) stay in
    // the queue for when the action has ended, rather than being dropped as the action's. Peeking
    // at all is what tells Windows the window is not hung.
    // Bounded: a control that does not validate what it painted would keep its WM_PAINT coming.
    MSG message;
    for (int handled = 0;
         handled < 64 &&
         ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE);
         ++handled) {
        ::DispatchMessageW(&message);
    }
}

void MainWindow::closeWindow() {
    // Ending the program handles no further window events.
    if (about_.handle() != nullptr) {
        ::DestroyWindow(about_.handle());
    }
    ::DestroyWindow(form_);
}

bool MainWindow::handleDialogKeys(MSG& message) {
    if (about_.handle() != nullptr && ::IsDialogMessageW(about_.handle(), &message)) {
        return true;
    }
    return form_ != nullptr && ::IsDialogMessageW(form_, &message);
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MainWindow* self = ownerOfWindow<MainWindow>(window, message, lParam);
    if (self == nullptr || self->form_ != window) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::driveListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR self) {
    if (message == WM_KEYDOWN) {
        reinterpret_cast<MainWindow*>(self)->binding_.driveListKeyDown();
    } else if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(window, &MainWindow::driveListProc, id);
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            handleCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case DM_GETDEFID:
            // Enter presses OK, as in a dialog box.
            return MAKELRESULT(form_control::buttonOK, DC_HASDEFID);
        case WM_CLOSE:
            // The window goes (closeWindow) once the program has ended.
            (void)binding_.closeRequested();
            return 0;
        case WM_QUERYENDSESSION:
            // Windows is shutting down or the operator logs off: the same rule as closing the
            // window. While an action writes, the session has to wait for it.
            return binding_.sessionEnding() ? TRUE : FALSE;
        case WM_DEVICECHANGE:
            if (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) {
                binding_.drivesChanged();
            }
            return TRUE;
        case WM_ACTIVATE:
            // A window that is not a dialog box keeps no keyboard focus of its own across
            // deactivation: it is saved and put back here.
            if (LOWORD(wParam) == WA_INACTIVE) {
                focusOnDeactivation_ = ::GetFocus();
            } else if (focusOnDeactivation_ != nullptr && ::IsChild(form_, focusOnDeactivation_)) {
                ::SetFocus(focusOnDeactivation_);
                return 0;
            }
            break;
        case WM_DPICHANGED: {
            applyDpi(HIWORD(wParam));
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            ::SetWindowPos(form_, nullptr, suggested->left, suggested->top, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            // Read-only edit controls ask here: the message pane stays white, the log takes its
            // own colour.
            const HDC dc = reinterpret_cast<HDC>(wParam);
            const HWND control = reinterpret_cast<HWND>(lParam);
            if (control == logText_ && logBackground_) {
                const Rgb& colour = logColour_;
                ::SetBkColor(dc, RGB(colour.red, colour.green, colour.blue));
                return reinterpret_cast<LRESULT>(logBackground_.get());
            }
            if (control == mainText_) {
                ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
            }
            break;
        }
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (item->CtlID == static_cast<UINT>(form_control::DriveList) && font_) {
                item->itemHeight =
                    static_cast<UINT>(lineHeight(driveList_, font_.get()) + scaled(6, dpi_));
            }
            return TRUE;
        }
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            const HDC dc = ::BeginPaint(form_, &paint);
            for (std::size_t i = 0; i < lines_.size(); ++i) {
                RECT line{};
                ::GetWindowRect(lines_[i], &line);
                ::MapWindowPoints(nullptr, form_, reinterpret_cast<POINT*>(&line), 2);
                ::DrawEdge(dc, &line, EDGE_ETCHED, i == 0 ? BF_TOP : BF_LEFT);
            }
            ::EndPaint(form_, &paint);
            return 0;
        }
        case WM_DRAWITEM:
            drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->code == TTN_GETDISPINFOW) {
                auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
                toolTipText_ = elidedText(reinterpret_cast<HWND>(header->idFrom));
                info->lpszText = toolTipText_.data();
                return 0;
            }
            break;
        }
        case WM_DESTROY:
            form_ = nullptr;
            ::PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(form_, message, wParam, lParam);
}

void MainWindow::handleCommand(int id, int code) {
    switch (id) {
        case form_control::buttonOK:
            binding_.okPressed();
            break;
        case form_control::buttonBack:
            binding_.backPressed();
            break;
        case form_control::buttonExit:
            binding_.exitPressed();
            break;
        case form_control::buttonLog:
            binding_.logButtonClicked();
            break;
        case form_control::DriveList:
            if (code == CBN_SELCHANGE) {
                const auto index = static_cast<int>(::SendMessageW(driveList_, CB_GETCURSEL, 0, 0));
                binding_.driveListIndexChanged(index);
            } else if (code == CBN_DROPDOWN) {
                binding_.driveListOpening();
            }
            break;
        case kAboutCommand:
            if (aboutState_.open()) {
                if (!about_.open(form_, [this] { aboutState_.closed(); })) {
                    aboutState_.closed();
                }
            } else {
                about_.bringForward();
            }
            break;
        default:
            break;  // Escape (IDCANCEL) does nothing: Exit asks before it ends anything
    }
}

void MainWindow::drawItem(const DRAWITEMSTRUCT& item) {
    if (item.hwndItem == driveList_) {
        drawDriveListEntry(item);
        return;
    }
    const std::wstring& text = item.hwndItem == driveSize_ ? driveSizeText_ : label2Text_;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ previous = ::SelectObject(item.hDC, font_.get());
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(COLOR_BTNTEXT));
    drawElidedLines(item.hDC, item.rcItem, text);
    ::SelectObject(item.hDC, previous);
}

void MainWindow::drawDriveListEntry(const DRAWITEMSTRUCT& item) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const int background = selected ? COLOR_HIGHLIGHT : COLOR_WINDOW;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(background));
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(disabled   ? COLOR_GRAYTEXT
                                           : selected ? COLOR_HIGHLIGHTTEXT
                                                      : COLOR_WINDOWTEXT));
    const std::wstring entry = driveListEntry(driveList_, static_cast<int>(item.itemID));
    RECT text = item.rcItem;
    text.left += scaled(3, dpi_);
    text.right -= scaled(2, dpi_);
    const HGDIOBJ previous = ::SelectObject(item.hDC, font_.get());
    const std::wstring shown = elidedInTheMiddle(item.hDC, entry, text.right - text.left);
    ::DrawTextW(item.hDC, shown.c_str(), static_cast<int>(shown.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    ::SelectObject(item.hDC, previous);
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        ::DrawFocusRect(item.hDC, &item.rcItem);
    }
}

std::wstring MainWindow::elidedText(HWND control) {
    std::wstring text;
    if (control == driveSize_) {
        text = driveSizeText_;
    } else if (control == label2_) {
        text = label2Text_;
    } else if (control == driveList_ &&
               ::SendMessageW(driveList_, CB_GETDROPPEDSTATE, 0, 0) == FALSE) {
        // While the list is dropped down, it shows every entry in full itself.
        text = driveListEntry(driveList_,
                              static_cast<int>(::SendMessageW(driveList_, CB_GETCURSEL, 0, 0)));
    }
    RECT area{};
    ::GetClientRect(control, &area);
    const MeasuringDc dc(control, font_.get());
    // The drive list's entry has the drop-down button beside it.
    const int width = control == driveList_
                          ? area.right - systemMetric(SM_CXVSCROLL, dpi_) - scaled(5, dpi_)
                          : area.right;
    return linesAreElided(dc.get(), width, text) ? text : std::wstring();
}

}  // namespace xq::win32
