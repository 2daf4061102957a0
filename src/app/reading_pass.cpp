// The diskette reading pass: OK in steps 1 and 2, one diskette per press, and after the last one
// the verification and the building of the database in its Compact Flash form.

#include <algorithm>

#include "app/wizard.h"
#include "archive/diskette_reader.h"
#include "convert/flat_image.h"
#include "convert/recombination.h"
#include "convert/verification.h"
#include "platform/text.h"

namespace xq {

bool Wizard::floppyDriveReady() {
    // The drive recorded in step 0, whatever the hidden list shows: after a restart from the card
    // steps it is still on the card drive.
    const char letter = driveLetterOf(state_.floppyDrive);
    const std::optional<Drive> drive = drives_.drive(letter);
    if (drive && drive->ready) {
        return true;
    }
    std::string message = notReadyMessage(letter);
    if (state_.wizardStep == WizardStep::NextDiskette) {
        message.append(CRLF)
            .append("Please insert disk #")
            .append(std::to_string(state_.diskNumber))
            .append(" into drive.");
    }
    op_.reportError(message);
    return false;
}

ReadResult Wizard::readDiskette() {
    panes_.showMessage(std::string("Please wait...")
                           .append(CRLF)
                           .append("Reading diskette #")
                           .append(std::to_string(state_.diskNumber)));
    disketteDirectories_ = std::max(disketteDirectories_, state_.diskNumber);
    DisketteReadContext context{files_, op_, archive_, state_.floppyDrive};
    // The set's size is known from diskette 1 on.
    WorkScope work(op_, WorkPhase::Reading, state_.diskNumber,
                   state_.diskNumber == 1 ? 0 : archive_.disketteCount);
    const ReadResult result = ReadDiskette(context, state_.diskNumber);
    if (result == ReadResult::MoreToFollow || result == ReadResult::LastDiskette) {
        work.completed();
    }
    return result;
}

void Wizard::readFirstDiskette() {
    if (!floppyDriveReady()) {
        return;
    }
    proof_.reset();  // a new reading: the database it builds is described anew
    window_.ProgressBar1.visible = true;
    window_.setProgressValue(0);
    actOnReadResult(readDiskette(), true);
}

void Wizard::readNextDiskette() {
    if (!floppyDriveReady()) {
        return;
    }
    actOnReadResult(readDiskette(), false);
}

void Wizard::actOnReadResult(ReadResult result, bool resetProgressFirst) {
    switch (result) {
        case ReadResult::MoreToFollow:
            ++state_.diskNumber;
            state_.wizardStep = WizardStep::NextDiskette;
            panes_.promptDiskette(state_.diskNumber);
            break;
        case ReadResult::LastDiskette:
            state_.wizardStep = WizardStep::SelectFlash;
            finishReading(resetProgressFirst);
            break;
        case ReadResult::CopyFailed:
            floppyPrompt();
            break;
        case ReadResult::TooManyDiskettes:
            endProgram();
            break;
        case ReadResult::AnotherArchive:
            // The drive list stays hidden: the next OK records the floppy drive selected in it
            // and asks for diskette 1 again.
            state_.wizardStep = WizardStep::SelectFloppy;
            break;
        case ReadResult::Rejected:
            break;  // reported; the same diskette is asked for again
    }
}

void Wizard::finishReading(bool resetProgressFirst) {
    if (resetProgressFirst) {
        window_.setProgressValue(0);
    }
    panes_.showMessage(std::string("Done reading diskettes.")
                           .append(CRLF)
                           .append("Verifying validity of data.")
                           .append(CRLF)
                           .append("Please wait..."));
    ConversionContext context = conversion();
    switch (VerifyArchivedFiles(context)) {
        case VerifyOutcome::QuitChosen:
            // The operator chose to quit; the working directories are gone already.
            ended_ = true;
            return;
        case VerifyOutcome::Failed:
            floppyPrompt();
            return;
        case VerifyOutcome::Passed:
            break;
    }
    if (!resetProgressFirst) {
        window_.setProgressValue(0);
    }
    const bool recombined = RecombineDatabase(context);
    window_.ProgressBar1.visible = false;
    // A database that could not be built whole must never be offered for writing: the pass ends
    // as after a failed verification, and the diskettes are read again from the first.
    if (!recombined || !BuildFlatImage(context)) {
        floppyPrompt();
        return;
    }
    proof_ = DescribeDatabase(context);
    if (!proof_) {
        floppyPrompt();  // reported
        return;
    }
    compactFlashPrompt();
}

}  // namespace xq
