#pragma once

#include <iosfwd>
#include <string>

#include "ui/window_model.h"

namespace xq {

// The window model shown on a terminal: each message as it is shown, or with `verbose` every line
// of the log as it is written, and the progress bar drawn on one line while it moves. The bar's
// steps are those of the window and rarely add up to its maximum, so a phase that runs through
// (the bar is set back for the next one, or hidden where it stood, with no box in between) is
// shown at 100 % and left on screen.
class TerminalView : public WindowObserver {
  public:
    TerminalView(const WindowModel& window, std::ostream& out, bool verbose, bool drawProgress);

    void repaintNow(Control control) override;
    // Prints what has come up since the last call (before a question, after an action).
    void catchUp();
    // Prints a line of the front end's own, after clearing the progress line.
    void say(const std::string& line);
    // A message box came up: the phase the bar shows has not run through as it stands.
    void boxShown();

  private:
    void printMessage();
    void printLog();
    void drawProgress();
    void drawBar(int percent);
    void clearProgress();
    void endPhase(bool ranThrough);

    const WindowModel& window_;
    std::ostream& out_;
    bool verbose_;
    bool drawsProgress_;
    std::string shownMessage_;
    std::size_t shownLog_ = 0;
    bool progressOnScreen_ = false;
    int drawnPercent_ = -1;
    // The phase the bar shows: open from its first drawing, where it started and stands, and
    // whether a box came up since it last moved.
    bool phaseOpen_ = false;
    int phaseStart_ = 0;
    int phaseValue_ = 0;
    bool phaseBroken_ = false;
};

// Text for the terminal: CR LF line breaks as the terminal wants them, and every other control
// character, and every byte that is not part of valid UTF-8, written as \xNN. Texts read from a
// diskette (an archive ID of garbage) then cannot move the cursor, recolour or retitle the
// terminal.
std::string terminalText(std::string_view text);

}  // namespace xq
