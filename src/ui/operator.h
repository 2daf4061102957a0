#pragma once

#include <string_view>

#include "ui/dialogs.h"
#include "ui/window_model.h"

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
    // A message box as it stands, nothing logged. Once the program is being interrupted, boxes are
    // no longer shown: each gets its cautious answer.
    Answer messageBox(std::string_view text, std::string_view title, BoxStyle style);

  private:
    Panes& panes_;
    Dialogs& dialogs_;
    WindowModel& window_;
};

}  // namespace xq
