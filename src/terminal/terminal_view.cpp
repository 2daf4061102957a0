#include "terminal/terminal_view.h"

#include <ostream>

#include "platform/interruption.h"

namespace xq {

namespace {

constexpr int kBarWidth = 40;

// The length of the UTF-8 sequence of a printable character that starts at `at`; 0 when the bytes
// there are no such sequence (a stray continuation byte, a sequence cut short, an overlong or
// surrogate form) or encode a C1 control character (U+0080 to U+009F).
std::size_t printableUtf8Length(std::string_view text, std::size_t at) {
    const auto byte = [text](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
    };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        low = lead == 0xC2 ? 0xA0 : 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

}  // namespace

std::string terminalText(std::string_view text) {
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;  // the LF that follows is the line break
        } else if (c == '\n' || (c >= 0x20 && c < 0x7F)) {
            plain += text[i++];
        } else if (const std::size_t length = c >= 0x80 ? printableUtf8Length(text, i) : 0) {
            plain.append(text.substr(i, length));
            i += length;
        } else {
            constexpr std::string_view kHex = "0123456789ABCDEF";
            plain.append("\\x").append(1, kHex[c >> 4]).append(1, kHex[c & 0x0F]);
            ++i;
        }
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
    const ProgressBarControl& bar = window_.ProgressBar1;
    if (phaseOpen_ && !bar.visible) {
        // Hidden where it stood, the phase ran through; hidden after it was set back (Back, a
        // new start), or after a box or an interruption, it was given up.
        endPhase(!phaseBroken_ && bar.value == phaseValue_ && phaseValue_ > phaseStart_ &&
                 !interruptRequested());
    }
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

void TerminalView::boxShown() {
    phaseBroken_ = phaseOpen_;
}

void TerminalView::drawProgress() {
    const ProgressBarControl& bar = window_.ProgressBar1;
    if (!drawsProgress_ || !bar.visible || bar.max <= bar.min) {
        return;
    }
    if (phaseOpen_ && bar.value < phaseValue_) {
        endPhase(!phaseBroken_ && !interruptRequested());  // set back for the next phase
    }
    if (!phaseOpen_) {
        phaseOpen_ = true;
        phaseStart_ = bar.value;
        phaseBroken_ = false;
    } else if (bar.value > phaseValue_) {
        phaseBroken_ = false;  // it goes on after the box: the box was dealt with
    }
    phaseValue_ = bar.value;
    const int percent = static_cast<int>(100LL * (bar.value - bar.min) / (bar.max - bar.min));
    if (percent == drawnPercent_ && progressOnScreen_) {
        return;
    }
    drawBar(percent);
}

void TerminalView::endPhase(bool ranThrough) {
    phaseOpen_ = false;
    if (!ranThrough) {
        clearProgress();
        return;
    }
    drawBar(100);
    out_ << '\n';  // the finished bar stays on screen
    progressOnScreen_ = false;
    drawnPercent_ = -1;
}

void TerminalView::drawBar(int percent) {
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
