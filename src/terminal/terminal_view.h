#pragma once

#include <iosfwd>
#include <string>

#include "platform/window_model.h"

namespace xq {

// The window model shown on a terminal: each message as it is shown, or with `verbose` every line
// of the log as it is written, and the progress bar drawn on one line while it moves.
class TerminalView : public WindowObserver {
  public:
    TerminalView(const WindowModel& window, std::ostream& out, bool verbose, bool drawProgress);

    void repaintNow(Control control) override;
    // Prints what has come up since the last call (before a question, after an action).
    void catchUp();
    // Prints a line of the front end's own, after clearing the progress line.
    void say(const std::string& line);

  private:
    void printMessage();
    void printLog();
    void drawProgress();
    void clearProgress();

    const WindowModel& window_;
    std::ostream& out_;
    bool verbose_;
    bool drawsProgress_;
    std::string shownMessage_;
    std::size_t shownLog_ = 0;
    bool progressOnScreen_ = false;
    int drawnPercent_ = -1;
};

// CR LF line breaks as the terminal wants them.
std::string terminalText(std::string_view text);

}  // namespace xq
