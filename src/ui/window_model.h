#pragma once

#include <array>
#include <string>
#include <vector>

namespace xq {

// The main window's controls, held as plain state. The converter's logic reads and writes this
// model only; a view (the Qt window, or nothing at all in tests) shows it.

enum class Control {
    Form,
    MainText,
    LogText,
    DriveList,
    DriveSize,
    Label2,
    ProgressBar1,
    ButtonOK,
    ButtonBack,
    ButtonExit,
    ButtonLog,
    ShowLog,  // the picture holders
    HideLog,
};
inline constexpr int kControlCount = static_cast<int>(Control::HideLog) + 1;

struct Rgb {
    int red = 255;
    int green = 255;
    int blue = 255;

    bool operator==(const Rgb&) const = default;
};

struct TextBoxControl {
    std::string text;  // lines separated by CR LF
    bool visible = true;
    bool readOnly = false;
    int fontPointSize = 8;
    int selectionStart = 0;  // in characters of `text`
    int selectionLength = 0;
    Rgb background;
};

struct LabelControl {
    std::string caption;
    bool visible = true;
};

struct ButtonControl {
    bool enabled = true;
    bool visible = true;
    std::string picture;  // name of the picture the button shows, if any
};

struct DriveListControl {
    std::vector<std::string> entries;  // "a:", "c: [SYSTEM]"
    int listIndex = -1;
    bool visible = true;
    bool enabled = true;

    // The list's current drive text, empty when nothing is selected.
    std::string drive() const;
};

struct ProgressBarControl {
    int min = 0;
    int max = 100;
    int value = 0;
    bool visible = true;
};

// A separator line of the form, in twips.
struct LineControl {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
};

struct FormControl {
    std::string caption;
    int heightTwips = 0;
    std::array<LineControl, 3> lines{};
    Control focus = Control::ButtonOK;
    // Counts the requests to put the keyboard focus on `focus`: each one moves it there, even
    // when the control named has not changed since the last.
    int focusRequests = 0;

    void moveFocus(Control control) {
        focus = control;
        ++focusRequests;
    }
};

// What the model tells its view.
class WindowObserver {
  public:
    virtual ~WindowObserver() = default;
    // Draw this control now: the caller keeps the interface thread busy with disk work, so the
    // view would otherwise not show the change until the action ends.
    virtual void repaintNow(Control control) = 0;
};

struct WindowModel {
    FormControl form;
    TextBoxControl mainText;
    TextBoxControl logText;
    DriveListControl DriveList;
    LabelControl DriveSize;
    LabelControl Label2;
    ProgressBarControl ProgressBar1;
    ButtonControl buttonOK;
    ButtonControl buttonBack;
    ButtonControl buttonExit;
    ButtonControl buttonLog;
    ButtonControl showLog;  // never shown: holds the picture of the compact state
    ButtonControl hideLog;  // never shown: holds the picture of the expanded state

    WindowObserver* observer = nullptr;

    void repaint(Control control) const;

    // Sets the progress bar's value and draws it at once. A value outside the bar's range is passed
    // over, as the bar itself refuses it.
    void setProgressValue(int value);
    void advanceProgress(int step) { setProgressValue(ProgressBar1.value + step); }
};

}  // namespace xq
