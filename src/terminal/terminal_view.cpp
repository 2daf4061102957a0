#include "terminal/terminal_view.h"

#include <ostream>

namespace xq {

namespace {

constexpr int kBarWidth = 40;

}  // namespace

std::string terminalText(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        plain += text[i];
    }
    return plain;
}

TerminalView::TerminalView(const WindowModel& window, std::ostream& out, bool verbose,
                           bool drawProgress)
    : window_(window), out_(out), verbose_(verbose), drawsProgress_(drawProgress) {}

void TerminalView::repaintNow(Control control) {
    if (control == Control::ProgressBar1) {
        if (verbose_) {
            printLog();
        }
        drawProgress();
        return;
    }
    catchUp();
}

void TerminalView::catchUp() {
    if (verbose_) {
        printLog();
    } else {
        printMessage();
    }
    if (!window_.ProgressBar1.visible) {
        clearProgress();
    }
    out_.flush();
}

void TerminalView::say(const std::string& line) {
    catchUp();
    clearProgress();
    out_ << line << '\n';
    out_.flush();
}

void TerminalView::printMessage() {
    if (window_.mainText.text == shownMessage_) {
        return;
    }
    shownMessage_ = window_.mainText.text;
    clearProgress();
    out_ << terminalText(shownMessage_);
}

void TerminalView::printLog() {
    const std::string& log = window_.logText.text;
    if (log.size() <= shownLog_) {
        return;
    }
    clearProgress();
    out_ << terminalText(std::string_view(log).substr(shownLog_));
    shownLog_ = log.size();
}

void TerminalView::drawProgress() {
    const ProgressBarControl& bar = window_.ProgressBar1;
    if (!drawsProgress_ || !bar.visible || bar.max <= bar.min) {
        return;
    }
    const int percent = static_cast<int>(100LL * (bar.value - bar.min) / (bar.max - bar.min));
    if (percent == drawnPercent_ && progressOnScreen_) {
        return;
    }
    const int filled = percent * kBarWidth / 100;
    out_ << '\r' << '[' << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kBarWidth - filled), '.') << "] " << percent
         << '%';
    out_.flush();
    progressOnScreen_ = true;
    drawnPercent_ = percent;
}

void TerminalView::clearProgress() {
    if (progressOnScreen_) {
        out_ << "\r\033[K";
        progressOnScreen_ = false;
        drawnPercent_ = -1;
    }
}

}  // namespace xq
