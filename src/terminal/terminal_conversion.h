#pragma once

#include <iosfwd>

#include "app/exit_status.h"
#include "app/wizard.h"
#include "terminal/terminal_dialogs.h"
#include "terminal/terminal_options.h"
#include "terminal/terminal_view.h"

namespace xq {

// Runs one conversion through the wizard from the terminal: it presses the wizard's buttons the
// way an operator would, waits for the operator where a real diskette or card must be put in, and
// stops (ending the program in the wizard's own way) wherever a step cannot go on.
class TerminalConversion {
  public:
    struct Setup {
        char floppy = '\0';  // the drive the diskettes are read from
        char flash = '\0';   // the drive the card is written in
        bool floppyIsVirtual = false;
        bool flashIsVirtual = false;
        bool interactive = false;  // someone at the terminal answers (no --yes / --no)
        // The folders the virtual floppy drive holds, diskette 1's first (--diskettes).
        std::vector<std::string> disketteFolders;
    };

    TerminalConversion(Wizard& wizard, TerminalDialogs& dialogs, TerminalView& view,
                       std::istream& in, Setup setup);

    int run();

  private:
    // Once diskette 1 has told the set's size: whether the diskette folders given are enough for
    // it (said when they are not; those beyond it are named in a warning).
    bool foldersFitTheSet();
    bool select(char letter);
    bool listed(char letter) const;  // the drive list has the drive, ready or not
    bool waitForOperator(const std::string& request);
    // Shows the prompt and reads a line: true unless the input has ended or the line is "q".
    bool goOn(const std::string& prompt);
    // The card step did not move on (declined, refused or failed): asks for another card, as the
    // window's card request does, where someone can put one in. False to end the run.
    bool anotherCard(const std::string& flash);
    // A diskette folder could not be read whole: asks whether to read it again. False to end the
    // run.
    bool offerDisketteAgain(int n);
    // The last OK read a diskette whole.
    bool readWhole() const;
    int stop(int status);

    Wizard& wizard_;
    TerminalDialogs& dialogs_;
    TerminalView& view_;
    std::istream& in_;
    Setup setup_;
};

}  // namespace xq
