#include "app/message_panes.h"

#include <string>

#include "platform/text.h"

namespace xq {

void MessagePanes::showMessage(std::string_view text) {
    window_.mainText.text.assign(text).append(CRLF);
    // The caller goes on with disk work on this thread; draw the message before it does.
    window_.repaint(Control::MainText);
    logMessage(text);
}

void MessagePanes::logMessage(std::string_view text) {
    TextBoxControl& log = window_.logText;
    log.text.append(text).append(CRLF);
    if (log.visible) {
        // Select the line just added, without its line break, which scrolls it into view.
        const int length = static_cast<int>(text.size());
        log.selectionStart = static_cast<int>(log.text.size()) - length - 2;
        log.selectionLength = length;
    }
}

void MessagePanes::promptDiskette(int n) {
    if (disketteRequested_) {
        disketteRequested_(n);
    }
    showMessage("Please insert diskette #" + std::to_string(n) + " and press the OK button");
}

}  // namespace xq
