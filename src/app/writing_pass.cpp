// The writing pass: OK in step 3 writes the database to the selected card, OK in step 4 prepares
// another card from the same reading.

#include "app/wizard.h"
#include "convert/placement.h"
#include "platform/text.h"

namespace xq {

void Wizard::writeFlash() {
    const char letter = driveLetterOf(window_.DriveList.drive());
    const std::optional<Drive> drive = drives_.drive(letter);
    if (!drive || !drive->ready) {
        op_.reportError(notReadyMessage(letter));
        setDriveListIndex(state_.savedDriveIndex);
        return;
    }
    state_.flashDrive = std::string(1, letter) + ":";
    if (!driveInfo_.driveCheck(state_.floppyDrive)) {
        return;
    }
    // The drive the operating system runs from is no card, whatever the list offers: written
    // there only on an explicit yes.
    if (drive->holdsSystem &&
        op_.ask("Drive " + state_.flashDrive +
                    " holds the operating system, not a Compact Flash "
                    "card." +
                    std::string(CRLF) + "Write the database onto it anyway, under " +
                    state_.flashDrive + "\\backup\\single?",
                "warning!", box_style::YesNoExclamation) != Answer::Yes) {
        lastPlacement_ = PlaceOutcome::Declined;
        return;
    }
    driveInfo_.hideDriveList();

    ConversionContext context = conversion();
    lastPlacement_ = proof_ ? PlaceOnCompactFlash(context, *proof_) : PlaceOutcome::DatabaseChanged;
    switch (*lastPlacement_) {
        case PlaceOutcome::DatabaseChanged:
            // The reading can no longer be trusted: it is done again, from the first diskette.
            proof_.reset();
            restartFromFirstDiskette(true);
            return;
        case PlaceOutcome::Placed:
            state_.wizardStep = WizardStep::Written;
            window_.buttonOK.enabled = true;
            panes_.showMessage(std::string("Successful database convert")
                                   .append(CRLF)
                                   .append("Total ")
                                   .append(std::to_string(state_.diskNumber))
                                   .append(state_.diskNumber == 1 ? " diskette" : " diskettes")
                                   .append(CRLF)
                                   .append("Press OK for another copy or Exit"));
            for (const std::string& line : absenceNotes()) {
                panes_.logMessage(line);
            }
            return;
        case PlaceOutcome::NotPlaced:
        case PlaceOutcome::Declined:
            // Nothing usable was written: the same request again, for another card or another try.
            compactFlashPrompt();
            return;
    }
}

std::vector<std::string> Wizard::absenceNotes() const {
    std::vector<std::string> notes;
    if (proof_) {
        for (const std::string& file : proof_->absentFiles) {
            notes.push_back("File " + file + " was not on the diskettes and is not on the card.");
        }
    }
    return notes;
}

void Wizard::anotherCopy() {
    state_.wizardStep = WizardStep::SelectFlash;
    panes_.showMessage(std::string("Please select the Compact Flash ")
                           .append(CRLF)
                           .append("drive and press the OK button"));
    driveInfo_.showDriveList();
    window_.form.moveFocus(Control::DriveList);
    rereadDrives();
}

}  // namespace xq
