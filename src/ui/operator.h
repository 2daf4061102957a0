#pragma once

#include <string_view>

#include "ui/dialogs.h"
#include "ui/window_model.h"
#include "ui/work_progress.h"

namespace xq {

// The message and log panes, as every routine writes to them.
class Panes {
  public:
    virtual ~Panes() = default;
    // The message becomes the message pane's whole text and is logged.
    virtual void showMessage(std::string_view text) = 0;
    // The message is appended to the log as a line of its own.
    virtual void logMessage(std::string_view text) = 0;
    // Asks for diskette number `n`.
    virtual void promptDiskette(int n) = 0;
};

inline constexpr std::string_view kErrorTitle = "Error!";

// Everything a routine needs to tell the operator something or to ask: the panes, the message boxes
// and the window's controls.
class Operator {
  public:
    Operator(Panes& panes, Dialogs& dialogs, WindowModel& window)
        : panes_(panes), dialogs_(dialogs), window_(window) {}

    Panes& panes() { return panes_; }
    WindowModel& window() { return window_; }

    void showMessage(std::string_view text) { panes_.showMessage(text); }
    void logMessage(std::string_view text) { panes_.logMessage(text); }
    void promptDiskette(int n) { panes_.promptDiskette(n); }

    // Logs "ERROR " and the message, then shows the message in an "Error!" box.
    void reportError(std::string_view message);
    // Logs the message as it stands, then shows it in an "Error!" box.
    void reportFailure(std::string_view message);
    // Shows the message in an error box (OK, stop icon) without logging it.
    void showErrorBox(std::string_view message, std::string_view title);
    void showErrorBox(std::string_view message) { showErrorBox(message, kErrorTitle); }
    // Logs "QUERY " and the question, then asks it.
    Answer ask(std::string_view question, std::string_view title, BoxStyle style);
    // The same for a question only the person at the machine can answer (Dialogs::askInPerson).
    Answer askInPerson(std::string_view question, std::string_view title, BoxStyle style);
    // A message box as it stands, nothing logged. The window shows what the work has changed
    // before the box comes up. Once the program is being interrupted, boxes are no longer shown:
    // each gets its cautious answer.
    Answer messageBox(std::string_view text, std::string_view title, BoxStyle style);

    // The work's progress, for a front end that follows it (see WorkProgress): a phase, or the
    // next item of one, begins; its total and what is done; it ends.
    void watchWork(ProgressObserver* observer) { work_.observer = observer; }
    void beginWork(WorkPhase phase, int item = 1, int items = 1);
    void setWorkTotal(std::uint64_t total);
    // The number of items of the phase, once it is known (diskette 1 tells the set's size).
    void setWorkItems(int items);
    void advanceWork(std::uint64_t done = 1);
    void endWork(bool completed);
    // Long work with nothing new to show (a weak sector read again and again): the window and the
    // terminal are told that it goes on, and stay responsive meanwhile.
    void stillWorking();

  private:
    Answer show(std::string_view text, std::string_view title, BoxStyle style,
                Answer (Dialogs::*box)(std::string_view, std::string_view, BoxStyle));
    void reportWork();

    Panes& panes_;
    Dialogs& dialogs_;
    WindowModel& window_;
    struct {
        ProgressObserver* observer = nullptr;
        WorkProgress now;
    } work_;
};

// A phase of the work, from its beginning to its end on every way out of the routine that does it.
class WorkScope {
  public:
    WorkScope(Operator& op, WorkPhase phase, int item = 1, int items = 1) : op_(op) {
        op_.beginWork(phase, item, items);
    }
    WorkScope(const WorkScope&) = delete;
    WorkScope& operator=(const WorkScope&) = delete;
    ~WorkScope() { op_.endWork(completed_); }
    // All of the phase's work has been done.
    void completed() { completed_ = true; }

  private:
    Operator& op_;
    bool completed_ = false;
};

}  // namespace xq
