#include "terminal/terminal_dialogs.h"

#include <istream>
#include <ostream>
#include <string>

#include "platform/text.h"

namespace xq {

namespace {

// Marks an answer that no one typed, so the transcript does not read as if the operator had.
constexpr std::string_view kOwnAnswer = "(the program's own answer: ";

}  // namespace

TerminalDialogs::TerminalDialogs(TerminalView& view, std::istream& in, std::ostream& out,
                                 AnswerPolicy policy)
    : view_(view), in_(in), out_(out), policy_(policy) {}

Answer TerminalDialogs::messageBox(std::string_view text, std::string_view title, BoxStyle style) {
    view_.catchUp();
    view_.boxShown();
    view_.say("");
    out_ << "[" << title << "] " << terminalText(text) << '\n';
    Answer answer = Answer::Ok;
    switch (style.buttons) {
        case BoxButtons::YesNo:
            if (quitting_) {
                answer = Answer::Yes;
                out_ << "Yes/No? yes " << kOwnAnswer << "it is stopping)\n";
            } else {
                out_ << "Yes/No? ";
                answer = ask(true);
            }
            break;
        case BoxButtons::OkCancel:
            out_ << "OK/Cancel? ";
            answer = ask(false);
            break;
        case BoxButtons::Ok:
            if (policy_ == AnswerPolicy::Ask) {
                out_ << "Press Enter to go on. ";
                out_.flush();
                std::string line;
                std::getline(in_, line);
            }
            break;
    }
    out_.flush();
    return answer;
}

Answer TerminalDialogs::ask(bool yesNo) {
    const Answer yes = yesNo ? Answer::Yes : Answer::Ok;
    const Answer no = yesNo ? Answer::No : Answer::Cancel;
    if (policy_ != AnswerPolicy::Ask) {
        const bool saysYes = policy_ == AnswerPolicy::AllYes;
        out_ << (saysYes ? (yesNo ? "yes" : "ok") : (yesNo ? "no" : "cancel")) << " ("
             << (saysYes ? "--yes" : "--no") << ")\n";
        return saysYes ? yes : no;
    }
    for (;;) {
        out_.flush();
        std::string line;
        if (!std::getline(in_, line)) {
            // No one to answer: the cautious answer.
            out_ << (yesNo ? "no " : "cancel ") << kOwnAnswer << "the input has ended)\n";
            return no;
        }
        const std::string word = asciiUpper(line);
        if (word == "Y" || word == "YES" || word == "O" || word == "OK") {
            return yes;
        }
        if (word == "N" || word == "NO" || word == "C" || word == "CANCEL") {
            return no;
        }
        out_ << (yesNo ? "Please answer yes or no: " : "Please answer ok or cancel: ");
    }
}

}  // namespace xq
