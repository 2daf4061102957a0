#include "terminal/terminal_conversion.h"

#include <algorithm>
#include <istream>
#include <string>

#include "platform/drive_table.h"
#include "platform/shown_text.h"
#include "platform/text.h"

namespace xq {

TerminalConversion::TerminalConversion(Wizard& wizard, TerminalDialogs& dialogs, TerminalView& view,
                                       std::istream& in, Setup setup)
    : wizard_(wizard), dialogs_(dialogs), view_(view), in_(in), setup_(setup) {}

bool TerminalConversion::select(char letter) {
    wizard_.driveListOpening();
    const std::vector<std::string>& entries = wizard_.window().DriveList.entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (driveLetterOf(entries[i]) == letter) {
            wizard_.driveListIndexChanged(static_cast<int>(i));
            break;
        }
    }
    // The list refuses a card drive that is not ready and goes back to another drive: whatever
    // the list holds now is what OK would use.
    return driveLetterOf(wizard_.window().DriveList.drive()) == letter;
}

bool TerminalConversion::listed(char letter) const {
    const std::vector<std::string>& entries = wizard_.window().DriveList.entries;
    return std::any_of(entries.begin(), entries.end(), [letter](const std::string& entry) {
        return driveLetterOf(entry) == letter;
    });
}

bool TerminalConversion::waitForOperator(const std::string& request) {
    return goOn(request + " (or type q to stop)");
}

bool TerminalConversion::foldersFitTheSet() {
    const std::size_t given = setup_.disketteFolders.size();
    const auto needed = static_cast<std::size_t>(std::max(wizard_.disketteCount(), 0));
    if (given == 0 || needed == 0 || given == needed) {
        return true;
    }
    const std::string diskettes =
        "the set has " + std::to_string(needed) + (needed == 1 ? " diskette" : " diskettes");
    if (given < needed) {
        view_.problem(diskettes + ", but " + std::to_string(given) +
                      (given == 1 ? " diskette folder was" : " diskette folders were") +
                      " given: give one folder for each diskette");
        return false;
    }
    std::string extra;
    for (std::size_t i = needed; i < given; ++i) {
        extra += (extra.empty() ? "" : ", ") + shownText(setup_.disketteFolders[i]);
    }
    view_.problem("warning: " + diskettes + ": " + extra + (given - needed == 1 ? " is" : " are") +
                  " not read");
    return true;
}

bool TerminalConversion::goOn(const std::string& prompt) {
    view_.ask(prompt);
    std::string line;
    return std::getline(in_, line) && asciiUpper(line) != "Q";
}

bool TerminalConversion::readWhole() const {
    const std::optional<ReadResult> reading = wizard_.lastReading();
    return reading == ReadResult::MoreToFollow || reading == ReadResult::LastDiskette;
}

bool TerminalConversion::offerDisketteAgain(int n) {
    // A folder read again reads the same bytes, unless someone has mended what is behind it (the
    // image remounted, the faulty medium replaced): offered only when not all could be read, and
    // only to someone at the other end of the input.
    if (wizard_.lastReading() != ReadResult::Unreadable) {
        return false;
    }
    view_.catchUp();
    return goOn("Press Enter to read diskette #" + std::to_string(n) + " again, or type q to stop");
}

bool TerminalConversion::anotherCard(const std::string& flash) {
    return setup_.interactive && !setup_.flashIsVirtual &&
           waitForOperator("Put another card into drive " + flash + " and press Enter");
}

int TerminalConversion::stop(int status) {
    if (!wizard_.ended()) {
        dialogs_.quitting();
        wizard_.exitPressed();
    }
    view_.catchUp();
    return status;
}

int TerminalConversion::run() {
    const std::string floppy = std::string(1, setup_.floppy) + ":";
    const std::string flash = std::string(1, setup_.flash) + ":";
    wizard_.startUp();
    view_.catchUp();
    if (!select(setup_.floppy)) {
        view_.problem("drive " + floppy + " is not among this machine's drives");
        return stop(exit_status::BadArguments);
    }
    wizard_.okPressed();
    // A real diskette or card must be put in by someone; without anyone at the terminal, a
    // step that does not move on will not move on the next time either.
    const bool operatorFeedsDrives = setup_.interactive && !setup_.floppyIsVirtual;
    bool written = false;
    while (!wizard_.ended()) {
        view_.catchUp();
        const WizardState before = wizard_.state();
        switch (before.wizardStep) {
            case WizardStep::FirstDiskette:
            case WizardStep::NextDiskette:
                if (operatorFeedsDrives &&
                    !waitForOperator("Insert diskette #" + std::to_string(before.diskNumber) +
                                     " into drive " + floppy + " and press Enter")) {
                    return stop(exit_status::Failed);
                }
                wizard_.okPressed();
                if (before.diskNumber == 1 && readWhole() && !foldersFitTheSet()) {
                    dialogs_.quitting(true);  // the line above said why
                    return stop(exit_status::BadArguments);
                }
                // A diskette that was read whole moved the work on, even where the wizard asks for
                // the same diskette again (read only the failing diskettes again): only a reading
                // that did not get through the diskette can be stuck.
                if (!operatorFeedsDrives && !readWhole() &&
                    wizard_.state().wizardStep == before.wizardStep &&
                    wizard_.state().diskNumber == before.diskNumber &&
                    !offerDisketteAgain(before.diskNumber)) {
                    return stop(exit_status::Failed);
                }
                break;
            case WizardStep::SelectFloppy:
                // Back at the start: the set was refused (another archive, a failed check).
                if (!operatorFeedsDrives) {
                    return stop(exit_status::Failed);
                }
                view_.say("Starting over from diskette #1.");
                select(setup_.floppy);
                wizard_.okPressed();
                break;
            case WizardStep::SelectFlash:
                if (select(setup_.flash)) {
                    wizard_.okPressed();
                    if (wizard_.state().wizardStep != WizardStep::SelectFlash) {
                        break;
                    }
                } else if (!listed(setup_.flash)) {
                    view_.problem("drive " + flash + " is not among this machine's drives");
                    return stop(written ? exit_status::Success : exit_status::Failed);
                }
                // The reading is kept for another card, as in the window.
                if (anotherCard(flash)) {
                    break;
                }
                return stop(written ? exit_status::Success
                            : wizard_.lastPlacement() == PlaceOutcome::Declined
                                ? exit_status::Declined
                                : exit_status::Failed);
            case WizardStep::Written:
                written = true;
                if (setup_.interactive && waitForOperator("Put another card into drive " + flash +
                                                          " and press Enter to write it too")) {
                    wizard_.okPressed();
                    break;
                }
                wizard_.exitPressed();
                break;
        }
    }
    view_.catchUp();
    return written ? exit_status::Success : exit_status::Failed;
}

}  // namespace xq
