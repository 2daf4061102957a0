#include "terminal/terminal_view.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ostream>
#include <system_error>

#include "platform/host_folders.h"
#include "platform/shown_text.h"
#include "platform/text.h"

namespace xq {

std::string terminalText(std::string_view text) {
    return shownText(text, LineBreaks::AsLf);
}

std::string terminalLines(std::string_view text) {
    const std::string plain = terminalText(text);
    std::string lines;
    std::size_t start = 0;
    while (start <= plain.size()) {
        std::size_t end = plain.find('\n', start);
        if (end == std::string::npos) {
            end = plain.size();
        }
        std::string_view line = std::string_view(plain).substr(start, end - start);
        while (!line.empty() && line.back() == ' ') {
            line.remove_suffix(1);
        }
        if (!line.empty() || !lines.empty()) {
            lines.append(line).append("\n");
        }
        start = end + 1;
    }
    while (lines.ends_with("\n\n")) {
        lines.pop_back();
    }
    if (!lines.empty()) {
        lines.pop_back();
    }
    return lines;
}

std::string clockText(std::chrono::seconds duration) {
    const long long total = duration.count();
    const long long hours = total / 3600;
    const long long minutes = total / 60 % 60;
    const long long seconds = total % 60;
    char text[32];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", hours, minutes, seconds);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", minutes, seconds);
    }
    return text;
}

TerminalView::TerminalView(const WindowModel& window, std::ostream& out, std::ostream& err,
                           Verbosity verbosity, bool redrawsLines, Clock& clock)
    : window_(window),
      out_(out),
      err_(err),
      verbosity_(verbosity),
      redrawsLines_(redrawsLines),
      clock_(clock) {}

void TerminalView::repaintNow(Control) {
    catchUp();
}

void TerminalView::catchUp() {
    if (verbosity_ == Verbosity::Verbose) {
        printLog();
    }
    flush(out_);
}

void TerminalView::printLog() {
    const std::string& log = window_.logText.text;
    if (log.size() <= shownLog_) {
        return;
    }
    clearProgress();
    out_ << withHostPaths(terminalText(std::string_view(log).substr(shownLog_)));
    shownLog_ = log.size();
}

void TerminalView::say(std::string_view line) {
    if (verbosity_ != Verbosity::Quiet) {
        tell(line);
    }
}

void TerminalView::tell(std::string_view line) {
    catchUp();
    clearProgress();
    out_ << withHostPaths(line) << '\n';
    flush(out_);
}

void TerminalView::ask(std::string_view line) {
    catchUp();
    clearProgress();
    flush(out_);
    err_ << withHostPaths(line) << '\n';
    flush(err_);
}

void TerminalView::error(std::string_view text) {
    catchUp();
    clearProgress();
    flush(out_);
    err_ << withHostPaths(terminalLines(text)) << '\n';
    flush(err_);
}

void TerminalView::problem(std::string_view line) {
    catchUp();
    clearProgress();
    flush(out_);
    err_ << kProgramName << ": " << withHostPaths(line) << '\n';
    flush(err_);
}

std::string TerminalView::withHostPaths(std::string_view text) const {
    if (!virtualRoot_) {
        return std::string(text);
    }
    std::string shown;
    for (std::size_t i = 0; i < text.size();) {
        const bool atRoot = i + 2 < text.size() && isAsciiLetter(text[i]) && text[i + 1] == ':' &&
                            text[i + 2] == '\\' && (i == 0 || !isAsciiLetter(text[i - 1]));
        const std::optional<std::string> folder =
            atRoot ? virtualRoot_(asciiUpper(text[i])) : std::nullopt;
        if (!folder) {
            shown += text[i++];
            continue;
        }
        // The folder, then the rest of the path up to a blank or the end of the line.
        std::string_view root(*folder);
        while (!root.empty() && (root.back() == '/' || root.back() == '\\')) {
            root.remove_suffix(1);  // the root's own separator follows
        }
        shown += root;
        for (i += 2; i < text.size() && text[i] != ' ' && text[i] != '\r' && text[i] != '\n'; ++i) {
            shown += text[i] == '\\' ? kHostSeparator : text[i];
        }
    }
    return shown;
}

bool TerminalView::outputFailed() const {
    return out_.fail() || err_.fail();
}

void TerminalView::flush(std::ostream& stream) {
    stream.flush();
    if (stream.fail() && writeError_.empty()) {
        writeError_ = systemErrorText(errno);  // the write that failed has just set it
    }
}

std::string systemErrorText(int error) {
    return std::generic_category().message(error);
}

bool flushOrSay(std::ostream& out, std::ostream& err, std::string cause) {
    if (out.flush()) {
        return true;
    }
    if (cause.empty()) {
        cause = systemErrorText(errno);  // the flush that failed has just set it
    }
    err << kProgramName << ": write error: " << cause << '\n';
    return false;
}

std::string TerminalView::phaseName(const WorkProgress& progress) const {
    switch (progress.phase) {
        case WorkPhase::Reading:
            return "Reading diskette " + std::to_string(progress.item) +
                   (progress.items > 0 ? " of " + std::to_string(progress.items) : std::string());
        case WorkPhase::Verifying:
            return "Verifying the files";
        case WorkPhase::Joining:
            return "Joining the files";
        case WorkPhase::Writing:
            return "Writing the card";
        case WorkPhase::Proving:
            return "Proving the card";
    }
    return {};
}

void TerminalView::progressed(const WorkProgress& progress) {
    if (verbosity_ == Verbosity::Quiet) {
        return;
    }
    catchUp();
    if (phase_ != progress.phase) {
        if (phase_ == WorkPhase::Reading) {
            finishPhase();  // the set has been read: the next phase begins
        }
        phase_ = progress.phase;
        phaseStart_ = clock_.now();
        announcedItem_ = 0;
        readDiskettes_ = 0;
    }
    if (progress.ended) {
        if (!progress.completed) {
            clearProgress();
            phase_.reset();
        } else if (progress.phase == WorkPhase::Reading) {
            ++readDiskettes_;  // the next diskette goes on on the same line
        } else {
            finishPhase();
        }
        return;
    }
    if (!redrawsLines_) {
        // One plain line for each step: each diskette, each other phase; the first diskette's once
        // it has told the set's size, or once it is read.
        const bool sizeToCome =
            progress.phase == WorkPhase::Reading && progress.items == 0 && progress.total == 0;
        if (announcedItem_ != progress.item && !sizeToCome) {
            announcedItem_ = progress.item;
            out_ << phaseName(progress) << '\n';
            flush(out_);
        }
        return;
    }
    drawProgress(progress);
}

void TerminalView::drawProgress(const WorkProgress& progress) {
    const Clock::Time now = clock_.now();
    const double within = progress.total > 0
                              ? std::min(1.0, static_cast<double>(progress.done) /
                                                  static_cast<double>(progress.total))
                              : 0.0;
    const double fraction = progress.phase == WorkPhase::Reading && progress.items > 0
                                ? (progress.item - 1 + within) / progress.items
                                : within;
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - phaseStart_);
    constexpr int kBarWidth = 20;
    const int filled = static_cast<int>(fraction * kBarWidth);
    std::string line = phaseName(progress);
    line.resize(std::max<std::size_t>(line.size(), 25), ' ');
    line += " [" + std::string(static_cast<std::size_t>(filled), '#') +
            std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "] " +
            std::to_string(static_cast<int>(fraction * 100)) + "%  " + clockText(elapsed);
    if (fraction >= 0.01 && elapsed.count() >= 1) {
        const auto left = std::chrono::seconds(static_cast<long long>(
            static_cast<double>(elapsed.count()) * (1 - fraction) / fraction));
        line += ", about " + clockText(left) + " left";
    }
    // The last column stays free: a terminal that wraps there would start a new line.
    if (columns_ > 1 && line.size() >= static_cast<std::size_t>(columns_)) {
        line.resize(static_cast<std::size_t>(columns_ - 1));
    }
    // Redrawn when it shows something new, and not more often than the eye can follow.
    if (line == drawn_ || (progressOnScreen_ && now - drawnAt_ < std::chrono::milliseconds(100) &&
                           line.substr(0, 25) == drawn_.substr(0, 25))) {
        return;
    }
    // Written over the line before, without escape sequences: every terminal can.
    std::size_t longer = drawn_.size() > line.size() ? drawn_.size() - line.size() : 0;
    if (columns_ > 1) {
        longer = std::min(longer, static_cast<std::size_t>(columns_ - 1) - line.size());
    }
    out_ << '\r' << line << std::string(longer, ' ');
    flush(out_);
    drawn_ = line;
    drawnAt_ = now;
    progressOnScreen_ = true;
}

void TerminalView::finishPhase() {
    if (!phase_) {
        return;
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::seconds>(clock_.now() - phaseStart_);
    std::string done;
    switch (*phase_) {
        case WorkPhase::Reading:
            done = "Read " + std::to_string(readDiskettes_) +
                   (readDiskettes_ == 1 ? " diskette" : " diskettes");
            break;
        case WorkPhase::Verifying:
            done = "Verified the files";
            break;
        case WorkPhase::Joining:
            done = "Joined the files";
            break;
        case WorkPhase::Writing:
            done = "Wrote the card";
            break;
        case WorkPhase::Proving:
            done = "Proved the card";
            break;
    }
    clearProgress();
    out_ << done << " in " << clockText(elapsed) << '\n';
    flush(out_);
    phase_.reset();
}

void TerminalView::clearProgress() {
    if (progressOnScreen_) {
        out_ << '\r' << std::string(drawn_.size(), ' ') << '\r';
        progressOnScreen_ = false;
        drawn_.clear();
    }
}

}  // namespace xq
