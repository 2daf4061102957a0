#include "support/scripted_dialogs.h"

#include <gtest/gtest.h>

namespace xq::test {

Answer ScriptedDialogs::messageBox(std::string_view text, std::string_view title, BoxStyle style) {
    shown_.push_back({std::string(text), std::string(title), style});
    if (!script_.empty()) {
        const Answer next = script_.front();
        script_.pop_front();
        return next;
    }
    if (style.buttons == BoxButtons::Ok) {
        return Answer::Ok;
    }
    if (always_) {
        return *always_;
    }
    ADD_FAILURE() << "unexpected question \"" << text << "\" titled \"" << title << "\"";
    return style.cautiousAnswer();
}

const ShownBox& ScriptedDialogs::last() const {
    static const ShownBox none;
    if (shown_.empty()) {
        ADD_FAILURE() << "no message box was shown";
        return none;
    }
    return shown_.back();
}

}  // namespace xq::test
