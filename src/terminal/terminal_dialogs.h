#pragma once

#include <iosfwd>

#include "terminal/terminal_options.h"
#include "terminal/terminal_view.h"
#include "ui/dialogs.h"

namespace xq {

// Message boxes on a terminal. An error box is the wizard's text on standard error; a question is
// its title and text, then the answers to choose from, asked on `prompts` (standard error, where
// the operator sees it whatever becomes of the output) and answered on `in`. With --yes or --no
// every question is answered without asking, and the answer is printed as given; an answer read
// from a pipe is printed too, so that the transcript reads as the operator's.
class TerminalDialogs : public Dialogs {
  public:
    TerminalDialogs(TerminalView& view, std::istream& in, std::ostream& prompts,
                    AnswerPolicy policy, Verbosity verbosity, bool echoAnswers);

    Answer messageBox(std::string_view text, std::string_view title, BoxStyle style) override;
    // Asked at the terminal whatever --yes or --no say; at the end of the input the answer is the
    // cautious one.
    Answer askInPerson(std::string_view text, std::string_view title, BoxStyle style) override;

    // The front end is ending the program: its own quit question is answered Yes, `silently`
    // where the reason has been given in a line of its own.
    void quitting(bool silently = false) {
        quitting_ = true;
        quietQuit_ = quietQuit_ || silently;
    }

  private:
    Answer ask(bool yesNo);
    Answer readAnswer(bool yesNo);

    TerminalView& view_;
    std::istream& in_;
    std::ostream& prompts_;
    AnswerPolicy policy_;
    Verbosity verbosity_;
    bool echoAnswers_;
    bool quitting_ = false;
    bool quietQuit_ = false;
};

}  // namespace xq
