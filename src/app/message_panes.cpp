#include "app/message_panes.h"

#include <string>

#include "platform/shown_text.h"
#include "platform/text.h"

namespace xq {

// Every text the panes show passes through shownText: it may hold a path, a volume name or a
// descriptor's field, whose control characters must not forge a line or reorder one.
void MessagePanes::showMessage(std::string_view message) {
    const std::string text = shownText(message, LineBreaks::CrLfKept);
    window_.mainText.text.assign(text).append(CRLF);
    // The caller goes on with disk work on this thread; draw the message before it does.
    window_.repaint(Control::MainText);
    logMessage(text);
}

void MessagePanes::logMessage(std::string_view message) {
    const std::string text = shownText(message, LineBreaks::CrLfKept);
    std::string& log = window_.logText.text;
    if (log.size() != countedBytes_) {
        logLength_ = characterCount(log);  // written by someone else too: counted once again
    }
    log.append(text).append(CRLF);
    countedBytes_ = log.size();
    newestStart_ = logLength_;
    newestLength_ = characterCount(text);
    logLength_ += newestLength_ + CRLF.size();
    if (window_.logText.visible) {
        selectNewestLogLine();
    }
}

void MessagePanes::selectNewestLogLine() {
    // The line just added, without its line break: selecting it scrolls it into view.
    TextBoxControl& log = window_.logText;
    log.selectionStart = static_cast<int>(newestStart_);
    log.selectionLength = static_cast<int>(newestLength_);
}

void MessagePanes::promptDiskette(int n) {
    if (disketteRequested_) {
        disketteRequested_(n);
    }
    showMessage("Please insert diskette #" + std::to_string(n) + " and press the OK button");
}

}  // namespace xq
