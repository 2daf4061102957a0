#pragma once

#include <chrono>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "terminal/terminal_options.h"
#include "ui/window_model.h"
#include "ui/work_progress.h"

namespace xq {

// The conversion as a terminal shows it. The program's own lines are short, one line each; the
// wizard's texts reach the terminal only as they stand: errors on standard error, and with
// --verbose the whole log. The work's progress is one line, redrawn in place on a terminal that
// can (naming its phase, with the time it has taken and an estimate of the rest), or a plain line
// for each step elsewhere.
class TerminalView : public WindowObserver, public ProgressObserver {
  public:
    TerminalView(const WindowModel& window, std::ostream& out, std::ostream& err,
                 Verbosity verbosity, bool redrawsLines, Clock& clock = systemClock());

    void repaintNow(Control control) override;
    void progressed(const WorkProgress& progress) override;

    // Prints the log lines that have come up since the last call (with --verbose).
    void catchUp();
    // A line of the program's own, unless it is to be quiet.
    void say(std::string_view line);
    // A line the operator must see whatever the verbosity: a request to act, the final result.
    void tell(std::string_view line);
    // A question or a request to act, on standard error as `rm -i` and `cp -i` ask theirs: it
    // reaches the operator when the output goes to a file or a pipe.
    void ask(std::string_view line);
    // A text of the wizard's that reports an error, on standard error.
    void error(std::string_view text);
    // A problem the program reports in its own words, on standard error under its name.
    void problem(std::string_view line);
    // The progress line is taken off the screen, for a prompt to come.
    void clearProgress();
    // The terminal's width: the progress line is cut to fit it, as a line longer than the terminal
    // would wrap and leave a new line at every redraw. 0: not known.
    void fitTo(int columns) { columns_ = columns; }
    // The folder a virtual drive stands for, by its letter (nullopt for the machine's drives): in
    // every line printed, such a drive's root ("E:\") is shown as that folder, and the path that
    // follows it with the host's separators, as the operator named it.
    using VirtualRoot = std::function<std::optional<std::string>(char letter)>;
    void showVirtualRootsAs(VirtualRoot root) { virtualRoot_ = std::move(root); }

    // Something could not be written to the output or the error output, and why ("No space left
    // on device"; empty when the reason was not known).
    bool outputFailed() const;
    const std::string& writeError() const { return writeError_; }

  private:
    // The text with the virtual drives' roots shown as their folders.
    std::string withHostPaths(std::string_view text) const;
    // Flushes the stream, keeping the reason of its first failure.
    void flush(std::ostream& stream);
    void printLog();
    void drawProgress(const WorkProgress& progress);
    // The phase on screen has run through: its line with the time it took.
    void finishPhase();
    std::string phaseName(const WorkProgress& progress) const;

    const WindowModel& window_;
    std::ostream& out_;
    std::ostream& err_;
    Verbosity verbosity_;
    bool redrawsLines_;
    Clock& clock_;
    std::size_t shownLog_ = 0;
    bool progressOnScreen_ = false;
    // The phase on screen: when it began, and what was last drawn of it.
    std::optional<WorkPhase> phase_;
    Clock::Time phaseStart_;
    Clock::Time drawnAt_;
    std::string drawn_;
    int announcedItem_ = 0;
    int readDiskettes_ = 0;
    std::string writeError_;
    int columns_ = 0;
    VirtualRoot virtualRoot_;
};

// Text for the terminal: CR LF line breaks as the terminal wants them, everything else as
// shownText gives it. Texts read from a diskette (an archive ID of garbage) then cannot move the
// cursor, recolour or retitle the terminal.
std::string terminalText(std::string_view text);

// A wizard's text as lines for the terminal: terminalText, without the empty lines around it and
// the blanks at the ends of its lines, which the window's panes show and a terminal need not.
std::string terminalLines(std::string_view text);

// The system's text for an error number: "No space left on device".
std::string systemErrorText(int error);

// Flushes `out`; when it cannot be written, says so on `err` as coreutils do ("xq3100-convert:
// write error: No space left on device"), with `cause` when an earlier write that failed gave it.
// Whether it was written.
bool flushOrSay(std::ostream& out, std::ostream& err, std::string cause = {});

// "0:07", "1:02:03": a duration for the progress line.
std::string clockText(std::chrono::seconds duration);

}  // namespace xq
