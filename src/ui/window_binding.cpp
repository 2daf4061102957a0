#include "ui/window_binding.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "platform/text.h"
#include "ui/log_position.h"

namespace xq {

namespace {

// Takes `now` as what is shown when it differs from it; true when it did.
template <typename T>
bool changed(std::optional<T>& shown, const T& now) {
    if (shown && *shown == now) {
        return false;
    }
    shown = now;
    return true;
}

bool sameLayout(const FormControl& a, const FormControl& b) {
    return a.heightTwips == b.heightTwips &&
           std::equal(a.lines.begin(), a.lines.end(), b.lines.begin(),
                      [](const LineControl& x, const LineControl& y) {
                          return x.x1 == y.x1 && x.y1 == y.y1 && x.x2 == y.x2 && x.y2 == y.y2;
                      });
}

constexpr std::chrono::milliseconds kEventsInterval{100};

}  // namespace

WindowBinding::WindowBinding(WindowModel& model, WindowController& controller,
                             WindowSurface& surface, Clock& clock)
    : model_(model), controller_(controller), surface_(surface), clock_(clock) {
    model_.observer = this;
}

WindowBinding::~WindowBinding() {
    if (model_.observer == this) {
        model_.observer = nullptr;
    }
}

void WindowBinding::sync() {
    if (ended_) {
        return;
    }
    if (changed(shown_.caption, model_.form.caption)) {
        surface_.setCaption(model_.form.caption);
    }
    const DriveListControl& list = model_.DriveList;
    if (changed(shown_.entries, list.entries)) {
        surface_.setDriveEntries(list.entries);
        shown_.listIndex.reset();
    }
    if (changed(shown_.listIndex, list.listIndex)) {
        surface_.selectDriveEntry(list.listIndex);
    }
    syncForm();
    syncMainText();
    syncLog();
    syncLabels();
    syncProgressBar();
    syncControlStates();
    surface_.synced();
}

void WindowBinding::refreshLayout() {
    shown_.form.reset();
    shown_.mainTextPoints = 0;
    shown_.picture = {};
    sync();
}

void WindowBinding::syncForm() {
    if (!shown_.form || !sameLayout(*shown_.form, model_.form)) {
        shown_.form = model_.form;
        surface_.layOut(model_.form);
    }
}

void WindowBinding::syncMainText() {
    const TextBoxControl& text = model_.mainText;
    if (text.fontPointSize > 0 && text.fontPointSize != shown_.mainTextPoints) {
        surface_.setMainTextFont(text.fontPointSize);
        shown_.mainTextPoints = text.fontPointSize;
    }
    if (changed(shown_.mainText, text.text)) {
        surface_.setMainText(text.text);
    }
    if (changed(shown_.mainTextReadOnly, text.readOnly)) {
        surface_.setMainTextReadOnly(text.readOnly);
    }
}

void WindowBinding::syncLog() {
    const TextBoxControl& log = model_.logText;
    // The log only grows: what is new is appended, rather than the whole text set again.
    if (log.text.size() > shown_.logBytes) {
        const std::string_view added = std::string_view(log.text).substr(shown_.logBytes);
        surface_.appendLog(added);
        shown_.logWidgetLength += surface_.logLength(added);
        shown_.logCharacters += characterCount(added);
        shown_.logBytes = log.text.size();
        shown_.logSelectionStale = true;
    } else if (log.text.size() < shown_.logBytes) {
        surface_.replaceLog(log.text);
        shown_.logWidgetLength = surface_.logLength(log.text);
        shown_.logCharacters = characterCount(log.text);
        shown_.logBytes = log.text.size();
        shown_.logSelectionStale = true;
    }
    if (changed(shown_.logBackground, log.background)) {
        surface_.setLogBackground(log.background);
    }
    const bool opened = log.visible && !shown_.logVisible;
    shown_.logVisible = log.visible;
    if (!log.visible) {
        return;  // a hidden log keeps its selection where it was
    }
    if (opened || shown_.logSelectionStale || log.selectionStart != shown_.selectionStart ||
        log.selectionLength != shown_.selectionLength) {
        // Shown first, so that the selection scrolls a visible log.
        if (changed(shown_.visible[static_cast<int>(Control::LogText)], true)) {
            surface_.setVisible(Control::LogText, true);
        }
        surface_.selectLog(logPosition(log.selectionStart),
                           logPosition(log.selectionStart + log.selectionLength), opened);
        shown_.selectionStart = log.selectionStart;
        shown_.selectionLength = log.selectionLength;
        shown_.logSelectionStale = false;
    }
}

int WindowBinding::logPosition(int position) const {
    return logWidgetPosition(std::string_view(model_.logText.text).substr(0, shown_.logBytes),
                             shown_.logCharacters, shown_.logWidgetLength, position,
                             [this](std::string_view text) { return surface_.logLength(text); });
}

void WindowBinding::syncLabels() {
    if (changed(shown_.driveSize, model_.DriveSize.caption)) {
        surface_.setLabel(Control::DriveSize, model_.DriveSize.caption);
    }
    if (changed(shown_.label2, model_.Label2.caption)) {
        surface_.setLabel(Control::Label2, model_.Label2.caption);
    }
}

void WindowBinding::syncProgressBar() {
    const ProgressBarControl& bar = model_.ProgressBar1;
    const int max = std::max(bar.min, bar.max);
    const bool minChanged = changed(shown_.progressMin, bar.min);
    const bool maxChanged = changed(shown_.progressMax, max);
    if (minChanged || maxChanged) {
        surface_.setProgressRange(bar.min, max);
        shown_.progressValue.reset();
    }
    if (changed(shown_.progressValue, bar.value)) {
        surface_.setProgressValue(bar.value);
    }
}

void WindowBinding::syncControlStates() {
    struct State {
        Control control;
        bool visible;
        bool enabled;
        const std::string* picture;
    };
    const WindowModel& m = model_;
    const State states[] = {
        {Control::MainText, m.mainText.visible, true, nullptr},
        {Control::LogText, m.logText.visible, true, nullptr},
        {Control::DriveList, m.DriveList.visible, m.DriveList.enabled, nullptr},
        {Control::DriveSize, m.DriveSize.visible, true, nullptr},
        {Control::Label2, m.Label2.visible, true, nullptr},
        {Control::ProgressBar1, m.ProgressBar1.visible, true, nullptr},
        {Control::ButtonOK, m.buttonOK.visible, m.buttonOK.enabled, &m.buttonOK.picture},
        {Control::ButtonBack, m.buttonBack.visible, m.buttonBack.enabled, &m.buttonBack.picture},
        {Control::ButtonExit, m.buttonExit.visible, m.buttonExit.enabled, &m.buttonExit.picture},
        {Control::ButtonLog, m.buttonLog.visible, m.buttonLog.enabled, &m.buttonLog.picture},
        {Control::ShowLog, m.showLog.visible, m.showLog.enabled, &m.showLog.picture},
        {Control::HideLog, m.hideLog.visible, m.hideLog.enabled, &m.hideLog.picture},
    };
    for (const State& state : states) {
        const auto i = static_cast<std::size_t>(state.control);
        if (changed(shown_.enabled[i], state.enabled)) {
            surface_.setEnabled(state.control, state.enabled);
        }
        if (changed(shown_.visible[i], state.visible)) {
            surface_.setVisible(state.control, state.visible);
        }
        if (state.picture != nullptr && changed(shown_.picture[i], *state.picture)) {
            surface_.setPicture(state.control, *state.picture);
        }
    }
    const bool requested = changed(shown_.focusRequests, model_.form.focusRequests);
    if (changed(shown_.focus, model_.form.focus) || requested) {
        surface_.setFocus(model_.form.focus);
    }
}

void WindowBinding::repaintNow(Control control) {
    // The interface thread is busy with disk work: the control is drawn now, not when the action
    // has ended and the window's events are handled again.
    sync();
    if (ended_) {
        return;
    }
    surface_.drawNow(control);
    // Only inside an action, where whatever the events bring is deferred or refused (never a
    // second action run inside the first): at the action's first repaint, whatever the machine's
    // speed, then a few times a second, which is enough for the window to stay alive and costs
    // nothing measurable when the progress moves thousands of times.
    if (!controller_.busy()) {
        return;
    }
    const Clock::Time now = clock_.now();
    if (!eventsHandled_ || now - *eventsHandled_ >= kEventsInterval) {
        eventsHandled_ = now;
        surface_.handleWaitingEvents();
    }
}

template <typename Action>
void WindowBinding::act(Action&& action) {
    if (ended_) {
        return;
    }
    if (controller_.busy()) {
        // Pressed while an action runs, and handed over by a box of the action, whose own loop
        // takes the window's queued input: taken once the action has ended, as every press made
        // during an action is (an Exit made while a diskette was read asks after its error box).
        pressesWaiting_.emplace_back(std::forward<Action>(action));
        return;
    }
    eventsHandled_.reset();
    action();
    afterAction();
}

void WindowBinding::afterAction() {
    sync();
    if (controller_.ended()) {
        end();
    } else if (std::exchange(interruptWaiting_, false)) {
        controller_.stopForInterruption();
        end();
    } else if (std::exchange(closeWaiting_, false)) {
        act([this] { (void)controller_.closeRequested(); });
    } else if (std::exchange(drivesChangedWaiting_, false)) {
        act([this] { controller_.drivesChanged(); });
    } else if (!pressesWaiting_.empty()) {
        std::function<void()> press = std::move(pressesWaiting_.front());
        pressesWaiting_.erase(pressesWaiting_.begin());
        act(std::move(press));
    }
}

void WindowBinding::end() {
    ended_ = true;
    if (model_.observer == this) {
        model_.observer = nullptr;
    }
    surface_.closeWindow();
}

void WindowBinding::okPressed() {
    act([this] { controller_.okPressed(); });
}

void WindowBinding::backPressed() {
    act([this] { controller_.backPressed(); });
}

void WindowBinding::exitPressed() {
    act([this] { controller_.exitPressed(); });
}

void WindowBinding::driveListIndexChanged(int index) {
    act([this, index] { controller_.driveListIndexChanged(index); });
}

void WindowBinding::driveListKeyDown() {
    act([this] { controller_.driveListKeyDown(); });
}

void WindowBinding::driveListOpening() {
    act([this] { controller_.driveListOpening(); });
}

void WindowBinding::logButtonClicked() {
    act([this] { controller_.logButtonClicked(); });
}

void WindowBinding::drivesChanged() {
    if (controller_.busy()) {
        // A device plugged in during a card write must not re-point the card's letter: the change
        // is taken in once the action has ended.
        drivesChangedWaiting_ = true;
        return;
    }
    act([this] { controller_.drivesChanged(); });
}

bool WindowBinding::closeRequested() {
    if (!ended_ && controller_.busy()) {
        closeWaiting_ = true;  // asked once the action has ended
        return false;
    }
    act([this] { (void)controller_.closeRequested(); });
    return ended_;
}

bool WindowBinding::sessionEnding() {
    if (ended_) {
        return true;
    }
    if (controller_.busy()) {
        return false;  // the session waits for the action (a card being written)
    }
    act([this] { (void)controller_.closeRequested(); });
    return ended_;
}

bool WindowBinding::interrupted() {
    if (ended_) {
        return true;
    }
    if (controller_.busy()) {
        interruptWaiting_ = true;
        return false;
    }
    controller_.stopForInterruption();
    end();
    return true;
}

}  // namespace xq
