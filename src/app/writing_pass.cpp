// The writing pass: OK in step 3 writes the database to the selected card, OK in step 4 prepares
// another card from the same reading.

#include "app/wizard.h"
#include "convert/placement.h"
#include "platform/text.h"

namespace xq {

namespace {

constexpr std::int16_t kPlaced = 1;

}  // namespace

void Wizard::writeFlash() {
    const char letter = driveLetterOf(window_.DriveList.drive());
    const std::optional<Drive> drive = drives_.drive(letter);
    if (!drive || !drive->ready) {
        op_.reportError(notReadyMessage(letter));
        setDriveListIndex(state_.savedDriveIndex);
        return;
    }
    state_.flashDrive = std::string(1, letter) + ":";
    if (!driveInfo_.driveCheck()) {
        return;
    }
    window_.DriveList.enabled = false;
    window_.DriveList.visible = false;
    window_.DriveSize.visible = false;

    ConversionContext context = conversion();
    if (PlaceOnCompactFlash(context) == kPlaced) {
        state_.wizardStep = step::Written;
        window_.buttonOK.enabled = true;
        panes_.showMessage(std::string("Successful database convert")
                               .append(CRLF)
                               .append("Total ")
                               .append(std::to_string(state_.diskNumber))
                               .append(state_.diskNumber == 1 ? " diskette" : " diskettes")
                               .append(CRLF)
                               .append("Press OK for another copy or Exit"));
        return;
    }
    panes_.showMessage(std::string("Please select the Compact Flash")
                           .append(CRLF)
                           .append("drive and press the OK button"));
    window_.DriveList.visible = true;
    window_.DriveList.enabled = true;
    window_.DriveSize.visible = true;
    window_.ProgressBar1.visible = false;
}

void Wizard::anotherCopy() {
    state_.wizardStep = step::SelectFlash;
    panes_.showMessage(std::string("Please select the Compact Flash ")
                           .append(CRLF)
                           .append("drive and press the OK button"));
    window_.DriveList.visible = true;
    window_.DriveList.enabled = true;
    window_.DriveSize.visible = true;
}

}  // namespace xq
