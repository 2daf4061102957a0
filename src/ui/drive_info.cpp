#include "ui/drive_info.h"

#include <cmath>

#include "platform/shown_text.h"

namespace xq {

DriveInfo::DriveInfo(const DriveTable& drives, Operator& op, std::string_view applicationTitle,
                     DigitGrouping grouping)
    : drives_(drives),
      op_(op),
      applicationTitle_(applicationTitle),
      grouping_(std::move(grouping)) {}

std::string DriveInfo::listEntry(const Drive& drive) {
    std::string entry{asciiLower(drive.letter), ':'};
    if (drive.ready && !drive.volumeName.empty()) {
        entry += " [" + shownText(drive.volumeName) + "]";
    }
    return entry;
}

bool DriveInfo::refreshDriveList() {
    DriveListControl& list = op_.window().DriveList;
    const char selected = driveLetterOf(list.drive());
    list.entries.clear();
    int index = -1;
    for (const Drive& drive : drives_.drives()) {
        if (drive.letter == selected) {
            index = static_cast<int>(list.entries.size());
        }
        list.entries.push_back(listEntry(drive));
    }
    if (index < 0 && !list.entries.empty()) {
        index = std::min(std::max(list.listIndex, 0), static_cast<int>(list.entries.size()) - 1);
    }
    list.listIndex = index;
    return driveLetterOf(list.drive()) != selected;
}

std::string DriveInfo::getFreeSpace(std::string_view drvpath) const {
    const std::optional<Drive> drive = drives_.drive(driveLetterOf(drvpath));
    return "Drive " + asciiUpper(drvpath) + " - " +
           (drive ? shownText(drive->volumeName) : std::string()) + std::string(CRLF) +
           " Free Space: " + freeKbytesText(drive ? drive->freeBytes : 0, grouping_) + " Kbytes";
}

std::string freeKbytesText(std::uint64_t freeBytes, const DigitGrouping& grouping) {
    const auto kbytes =
        static_cast<std::uint64_t>(std::llround(static_cast<double>(freeBytes) / 1024));
    return formatGrouped(kbytes, grouping);
}

std::string driveSummary(const Drive& drive, const DigitGrouping& grouping) {
    std::string summary = driveTypeText(drive.type) + "Drive " + drive.letter + ":";
    if (!drive.ready) {
        return summary + " (not ready)";
    }
    summary += " - " + shownText(drive.volumeName) +
               " - Free Space: " + freeKbytesText(drive.freeBytes, grouping) + " Kbytes";
    if (drive.holdsSystem) {
        summary += " (the operating system's drive)";
    }
    return summary;
}

std::string DriveInfo::driveTypeName(std::string_view driveText) const {
    const std::optional<Drive> drive = drives_.drive(driveLetterOf(driveText));
    return driveTypeText(drive ? drive->type : drive_type::Unknown);
}

std::string driveTypeText(int type) {
    switch (type) {
        case drive_type::Unknown:
            return "Unknown ";
        case drive_type::Removable:
            return "Removable ";
        case drive_type::Fixed:
            return "Fixed ";
        case drive_type::Network:
            return "Network ";
        case drive_type::CdRom:
            return "CD-ROM ";
        case drive_type::RamDisk:
            return "RAM Disk ";
        default:
            return "";
    }
}

void DriveInfo::showShortDescription() {
    const std::string text = op_.window().DriveList.drive();
    setDriveSize(driveTypeName(text) + "Drive " + asciiUpper(text) + " - " +
                 shownText(selectedDrive().volumeName));
}

void DriveInfo::showFullDescription() {
    const std::string text = op_.window().DriveList.drive();
    setDriveSize(driveTypeName(text) + getFreeSpace(text));
}

DriveInfo::ChangeOutcome DriveInfo::driveChanged(WizardStep wizardStep) {
    const Drive drive = selectedDrive();
    // Only the card drive is refused while it is chosen: any drive may hold diskettes.
    if (wizardStep == WizardStep::SelectFlash) {
        if (drive.type == drive_type::Unknown) {
            reportUnknownType(drive.letter);
            return ChangeOutcome::Refused;
        }
        if (!drive.ready) {
            op_.reportError(notReadyMessage(drive.letter));
            return ChangeOutcome::RefusedGoBack;
        }
    }
    describeSelectedDrive(wizardStep);
    return ChangeOutcome::Described;
}

void DriveInfo::describeSelectedDrive(WizardStep wizardStep) {
    const Drive drive = selectedDrive();
    if (!drive.ready) {
        setDriveSize(std::string("Drive ") + drive.letter + ":");
        return;
    }
    switch (wizardStep) {
        case WizardStep::SelectFloppy:
            showShortDescription();
            return;
        case WizardStep::FirstDiskette:
        case WizardStep::NextDiskette:
        case WizardStep::SelectFlash:
        case WizardStep::Written:
            showFullDescription();
            return;
    }
}

bool DriveInfo::driveCheck(std::string_view floppyDrive) {
    const Drive drive = selectedDrive();
    if (drive.type == drive_type::Unknown) {
        reportUnknownType(drive.letter);
        return false;
    }
    if (!drive.ready) {
        op_.reportError(notReadyMessage(drive.letter));
        return false;
    }
    // The list still offers the floppy drive, and OK is the default button: one key press too many
    // must not write the database onto the last diskette.
    if (driveLetterOf(floppyDrive) == drive.letter) {
        op_.reportError(std::string("Drive ") + drive.letter + ": is the floppy disk drive." +
                        std::string(CRLF) +
                        "Please select the Compact Flash drive and press the OK button");
        return false;
    }
    showFullDescription();
    op_.window().buttonOK.enabled = true;
    return true;
}

void DriveInfo::floppyPrompt() {
    WindowModel& window = op_.window();
    op_.showMessage(std::string("Please select the floppy disk drive ")
                        .append(CRLF)
                        .append("and press the OK button"));
    showDriveList();
    // Back, not OK, is what step 0 turns off: with OK disabled the floppy drive could never be
    // confirmed, and nothing in this step would enable it again.
    window.buttonBack.enabled = false;
    window.ProgressBar1.value = 0;
    window.ProgressBar1.visible = false;
}

void DriveInfo::compactFlashPrompt() {
    WindowModel& window = op_.window();
    op_.showMessage(std::string("Please select the Compact Flash")
                        .append(CRLF)
                        .append("drive and press the OK button"));
    showDriveList();
    window.ProgressBar1.visible = false;
}

void DriveInfo::showDriveList() {
    WindowModel& window = op_.window();
    window.DriveList.visible = true;
    window.DriveList.enabled = true;
    window.DriveSize.visible = true;
}

void DriveInfo::hideDriveList() {
    WindowModel& window = op_.window();
    window.DriveList.enabled = false;
    window.DriveList.visible = false;
    window.DriveSize.visible = false;
}

Drive DriveInfo::selectedDrive() const {
    const char letter = driveLetterOf(op_.window().DriveList.drive());
    if (std::optional<Drive> drive = drives_.drive(letter)) {
        return *drive;
    }
    Drive gone;
    gone.letter = letter;
    return gone;
}

void DriveInfo::setDriveSize(std::string caption) {
    op_.window().DriveSize.caption = std::move(caption);
    op_.window().repaint(Control::DriveSize);
}

void DriveInfo::reportUnknownType(char letter) {
    const std::string message = std::string("Unknown type Drive ") + letter + ":";
    op_.logMessage("ERROR " + message);
    op_.showErrorBox(message, applicationTitle_);
}

std::string notReadyMessage(char letter) {
    return std::string(CRLF) + "Drive " + letter + ":" + " is not ready.";
}

}  // namespace xq
