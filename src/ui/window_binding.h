#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "ui/window_model.h"

namespace xq {

// What a window hands its operator's actions to: the wizard. Each call runs one whole action.
class WindowController {
  public:
    virtual ~WindowController() = default;
    virtual void okPressed() = 0;
    virtual void backPressed() = 0;
    virtual void exitPressed() = 0;
    // True when the window may close: the program has ended.
    [[nodiscard]] virtual bool closeRequested() = 0;
    virtual void driveListIndexChanged(int index) = 0;
    virtual void driveListKeyDown() = 0;
    virtual void driveListOpening() = 0;
    virtual void logButtonClicked() = 0;
    virtual void drivesChanged() = 0;
    // Ends the program as Exit does in the last step, without a question.
    virtual void stopForInterruption() = 0;
    // An action runs: a message box it shows runs the window's events meanwhile.
    virtual bool busy() const = 0;
    virtual bool ended() const = 0;
};

// What one window does with its toolkit's controls, control by control. The binding calls each
// only when what the control shows has changed.
class WindowSurface {
  public:
    virtual ~WindowSurface() = default;

    virtual void setCaption(std::string_view caption) = 0;
    // The form's height or its separator lines changed: the controls are laid out again.
    virtual void layOut(const FormControl& form) = 0;
    virtual void setMainText(std::string_view text) = 0;
    virtual void setMainTextFont(int points) = 0;
    virtual void setMainTextReadOnly(bool readOnly) = 0;
    // The log's text: `text` appended at its end, or the whole log anew.
    virtual void appendLog(std::string_view text) = 0;
    virtual void replaceLog(std::string_view text) = 0;
    // The length of `text` in the log widget's own units, in which selectLog counts.
    virtual int logLength(std::string_view text) const = 0;
    // Selects the range and scrolls it into view; a log that has just opened shows its newest
    // lines.
    virtual void selectLog(int start, int end, bool opened) = 0;
    virtual void setLogBackground(Rgb colour) = 0;
    virtual void setDriveEntries(const std::vector<std::string>& entries) = 0;
    virtual void selectDriveEntry(int index) = 0;
    // `DriveSize` or `Label2`.
    virtual void setLabel(Control label, std::string_view caption) = 0;
    virtual void setProgressRange(int min, int max) = 0;
    virtual void setProgressValue(int value) = 0;
    virtual void setVisible(Control control, bool visible) = 0;
    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual void setPicture(Control button, std::string_view picture) = 0;
    virtual void setFocus(Control control) = 0;
    // After each pass over the controls, for what a toolkit must check itself (a keyboard focus
    // that went with a control that was hidden).
    virtual void synced() {}
    // Draws the control at once: the action that changed it keeps the thread busy.
    virtual void drawNow(Control control) = 0;
    // Handles the window system's events that are waiting, except the operator's input (which
    // waits for the action to end): painting, requests of the window manager or the desktop, so
    // that a window busy for minutes (a diskette read again and again) is not taken for hung.
    virtual void handleWaitingEvents() = 0;
    // The program has ended: the window goes, and handles nothing more.
    virtual void closeWindow() = 0;
};

// Binds one window to the window model and the wizard: it shows the model in the window, control
// by control and only what changed, maps log positions to the window's own units, and holds the
// one rule for what arrives while an action runs (a message box of the action handles the window's
// events meanwhile): the operator's own presses, a close request and a change of the machine's
// drives wait until the action has ended, and so does an interruption.
class WindowBinding : private WindowObserver {
  public:
    WindowBinding(WindowModel& model, WindowController& controller, WindowSurface& surface,
                  Clock& clock = systemClock());
    WindowBinding(const WindowBinding&) = delete;
    WindowBinding& operator=(const WindowBinding&) = delete;
    ~WindowBinding() override;

    // Shows the model's current state.
    void sync();
    // The window's fonts or scale changed: it is laid out again, with its pictures and fonts.
    void refreshLayout();

    // The operator's actions.
    void okPressed();
    void backPressed();
    void exitPressed();
    void driveListIndexChanged(int index);
    void driveListKeyDown();
    void driveListOpening();
    void logButtonClicked();
    // The machine's drives changed.
    void drivesChanged();
    // The window is asked to close (the close button, the system menu). True when it may close now.
    [[nodiscard]] bool closeRequested();
    // The desktop session ends (logoff, shutdown). True when it may: the program has ended. While
    // an action runs it must wait.
    [[nodiscard]] bool sessionEnding();
    // The program is interrupted (Ctrl+C, a closed terminal, a kill). True when it has ended now;
    // while an action runs, it ends once the action has stopped (a box shown meanwhile should be
    // closed, so that it does).
    bool interrupted();

    bool ended() const { return ended_; }

  private:
    template <typename Action>
    void act(Action&& action);
    void afterAction();
    void end();
    void repaintNow(Control control) override;

    void syncForm();
    void syncMainText();
    void syncLog();
    void syncLabels();
    void syncProgressBar();
    void syncControlStates();
    int logPosition(int position) const;

    WindowModel& model_;
    WindowController& controller_;
    WindowSurface& surface_;
    Clock& clock_;
    bool ended_ = false;
    // When the running action last handled the window's waiting events; nothing before its first
    // repaint.
    std::optional<Clock::Time> eventsHandled_;
    // What arrived while an action ran, to be taken in once it has ended.
    bool closeWaiting_ = false;
    bool drivesChangedWaiting_ = false;
    bool interruptWaiting_ = false;
    std::vector<std::function<void()>> pressesWaiting_;  // the operator's, in their order

    // What the window shows now; nothing is known before the first pass.
    struct Shown {
        std::optional<std::string> caption;
        std::optional<FormControl> form;
        std::optional<std::string> mainText;
        int mainTextPoints = 0;
        std::optional<bool> mainTextReadOnly;
        std::size_t logBytes = 0;
        std::size_t logCharacters = 0;  // of the model's text
        int logWidgetLength = 0;        // in the widget's units
        bool logSelectionStale = true;
        int selectionStart = -1;
        int selectionLength = -1;
        bool logVisible = false;
        std::optional<Rgb> logBackground;
        std::optional<std::vector<std::string>> entries;
        std::optional<int> listIndex;
        std::optional<std::string> driveSize;
        std::optional<std::string> label2;
        std::optional<int> progressMin;
        std::optional<int> progressMax;
        std::optional<int> progressValue;
        std::array<std::optional<bool>, kControlCount> visible{};
        std::array<std::optional<bool>, kControlCount> enabled{};
        std::array<std::optional<std::string>, kControlCount> picture{};
        std::optional<Control> focus;
        std::optional<int> focusRequests;
    } shown_;
};

}  // namespace xq
