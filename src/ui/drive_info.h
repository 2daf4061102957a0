#pragma once

#include <string>
#include <string_view>

#include "platform/drive_table.h"
#include "platform/text.h"
#include "ui/operator.h"
#include "ui/wizard_step.h"

namespace xq {

// The drive list (`DriveList`) and the label under it (`DriveSize`): the list's entries, the
// description of the selected drive, the checks that refuse an unusable drive, and the two prompts
// that open a drive-selection step.
class DriveInfo {
  public:
    DriveInfo(const DriveTable& drives, Operator& op, std::string_view applicationTitle,
              DigitGrouping grouping = regionalDigitGrouping());

    // How a drive appears in the list: "a:", or "c: [SYSTEM]" when it has a volume name.
    static std::string listEntry(const Drive& drive);

    // Reads the machine's drives into the list again, keeping the selected drive selected where it
    // is still there. Returns whether the selected drive letter changed.
    bool refreshDriveList();

    // "Drive " + upper-case drive text + " - " + volume name + CR LF + " Free Space: " + Kbytes +
    // " Kbytes".
    std::string getFreeSpace(std::string_view drvpath) const;
    // "Removable ", "Fixed ", ... for the drive of a drive text; empty for a code outside 0 to 5.
    std::string driveTypeName(std::string_view driveText) const;

    void showShortDescription();
    void showFullDescription();

    enum class ChangeOutcome {
        Described,      // the label describes the selected drive
        Refused,        // refused; the label is unchanged
        RefusedGoBack,  // refused; the list's selection must go back to the saved index
    };
    // The list's selection changed, or a key went down in the list.
    [[nodiscard]] ChangeOutcome driveChanged(WizardStep wizardStep);
    // The label describes the selected drive as it is now, whatever the step: nothing is refused.
    void describeSelectedDrive(WizardStep wizardStep);

    // Run on OK in the Compact Flash step: true when the selected drive can be used. The floppy
    // drive the diskettes are read from (`floppyDrive`, "A:") is never taken for the card.
    [[nodiscard]] bool driveCheck(std::string_view floppyDrive);

    // The request to pick the floppy drive; the caller puts the wizard in step 0.
    void floppyPrompt();
    // The request to pick the Compact Flash drive; the caller keeps its step.
    void compactFlashPrompt();

    // The list, enabled, and the label under it come into view for a drive-selection step, or
    // leave it once the drive is chosen.
    void showDriveList();
    void hideDriveList();

  private:
    // The drive of the list's current drive text; a drive that has gone away reads as unknown and
    // not ready.
    Drive selectedDrive() const;
    void setDriveSize(std::string caption);
    void reportUnknownType(char letter);

    const DriveTable& drives_;
    Operator& op_;
    std::string applicationTitle_;
    DigitGrouping grouping_;
};

// "Removable ", "Fixed ", ... for a drive type code; empty for a code outside 0 to 5.
std::string driveTypeText(int type);
// Free bytes as the label writes them: whole Kbytes with the digit grouping ("1,423").
std::string freeKbytesText(std::uint64_t freeBytes, const DigitGrouping& grouping);
// What the label under the drive list tells of a drive, on one line, for a list of the drives:
// "Removable Drive A: - DISK1 - Free Space: 1,423 Kbytes", "Removable Drive B: (not ready)".
std::string driveSummary(const Drive& drive, const DigitGrouping& grouping);

// The text shared by every "not ready" error: CR LF + "Drive " + letter + ":" + " is not ready.".
std::string notReadyMessage(char letter);

}  // namespace xq
