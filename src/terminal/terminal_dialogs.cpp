#include "terminal/terminal_dialogs.h"

#include <istream>
#include <ostream>
#include <string>

#include "platform/interruption.h"
#include "platform/text.h"

namespace xq {

namespace {

// Marks an answer that no one typed, so the transcript does not read as if the operator had.
constexpr std::string_view kOwnAnswer = "(the program's own answer: ";

}  // namespace

TerminalDialogs::TerminalDialogs(TerminalView& view, std::istream& in, std::ostream& prompts,
                                 AnswerPolicy policy, Verbosity verbosity, bool echoAnswers)
    : view_(view),
      in_(in),
      prompts_(prompts),
      policy_(policy),
      verbosity_(verbosity),
      echoAnswers_(echoAnswers) {}

Answer TerminalDialogs::messageBox(std::string_view text, std::string_view title, BoxStyle style) {
    if (style.buttons == BoxButtons::Ok) {
        if (style.icon == BoxIcon::Stop) {
            view_.error(text);
        } else {
            view_.tell(terminalLines(text));
        }
        return Answer::Ok;
    }
    const bool asking = policy_ == AnswerPolicy::Ask && !quitting_;
    if (!asking && (verbosity_ == Verbosity::Quiet || quietQuit_)) {
        return quitting_ ? Answer::Yes : ask(style.buttons == BoxButtons::YesNo);
    }
    view_.ask("[" + std::string(title) + "] " + terminalLines(text));
    if (style.buttons == BoxButtons::YesNo && quitting_) {
        prompts_ << "Yes/No? yes " << kOwnAnswer << "it is stopping)\n";
        prompts_.flush();
        return Answer::Yes;
    }
    prompts_ << (style.buttons == BoxButtons::YesNo ? "Yes/No? " : "OK/Cancel? ");
    const Answer answer = ask(style.buttons == BoxButtons::YesNo);
    prompts_.flush();
    return answer;
}

Answer TerminalDialogs::askInPerson(std::string_view text, std::string_view title, BoxStyle style) {
    if (quitting_ || style.buttons == BoxButtons::Ok) {
        return messageBox(text, title, style);
    }
    const bool yesNo = style.buttons == BoxButtons::YesNo;
    view_.ask("[" + std::string(title) + "] " + terminalLines(text));
    prompts_ << (yesNo ? "Yes/No? " : "OK/Cancel? ");
    const Answer answer = readAnswer(yesNo);
    prompts_.flush();
    return answer;
}

Answer TerminalDialogs::ask(bool yesNo) {
    const Answer yes = yesNo ? Answer::Yes : Answer::Ok;
    const Answer no = yesNo ? Answer::No : Answer::Cancel;
    const bool quiet = verbosity_ == Verbosity::Quiet;
    if (policy_ != AnswerPolicy::Ask) {
        const bool saysYes = policy_ == AnswerPolicy::AllYes;
        if (!quiet) {
            prompts_ << (saysYes ? (yesNo ? "yes" : "ok") : (yesNo ? "no" : "cancel")) << " ("
                     << (saysYes ? "--yes" : "--no") << ")\n";
        }
        return saysYes ? yes : no;
    }
    return readAnswer(yesNo);
}

Answer TerminalDialogs::readAnswer(bool yesNo) {
    const Answer yes = yesNo ? Answer::Yes : Answer::Ok;
    const Answer no = yesNo ? Answer::No : Answer::Cancel;
    for (;;) {
        prompts_.flush();
        std::string line;
        if (!std::getline(in_, line)) {
            // No one to answer, or the operator stopped the program at the question: the cautious
            // answer, and why it was given.
            prompts_ << (yesNo ? "no " : "cancel ") << kOwnAnswer
                     << (interruptRequested() ? "the program was interrupted)\n"
                                              : "the input has ended)\n");
            return no;
        }
        if (echoAnswers_) {
            prompts_ << line << '\n';
        }
        const std::string word = asciiUpper(line);
        if (word == "Y" || word == "YES" || word == "O" || word == "OK") {
            return yes;
        }
        if (word == "N" || word == "NO" || word == "C" || word == "CANCEL") {
            return no;
        }
        prompts_ << (yesNo ? "Please answer yes or no: " : "Please answer ok or cancel: ");
    }
}

}  // namespace xq
