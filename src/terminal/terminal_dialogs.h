#pragma once

#include <iosfwd>

#include "terminal/terminal_options.h"
#include "terminal/terminal_view.h"
#include "ui/dialogs.h"

namespace xq {

// Message boxes as terminal prompts: the title and the text, then the answers to choose from.
// With --yes or --no every question is answered without asking, and a box with only OK does not
// wait either.
class TerminalDialogs : public Dialogs {
  public:
    TerminalDialogs(TerminalView& view, std::istream& in, std::ostream& out, AnswerPolicy policy);

    Answer messageBox(std::string_view text, std::string_view title, BoxStyle style) override;

    // The front end is ending the program: its own quit question is answered Yes.
    void quitting() { quitting_ = true; }

  private:
    Answer ask(bool yesNo);

    TerminalView& view_;
    std::istream& in_;
    std::ostream& out_;
    AnswerPolicy policy_;
    bool quitting_ = false;
};

}  // namespace xq
