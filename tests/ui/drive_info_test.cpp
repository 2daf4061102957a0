#include "ui/drive_info.h"

#include <gtest/gtest.h>

#include "app/message_panes.h"
#include "platform/folder_drive_table.h"
#include "support/scripted_dialogs.h"

namespace xq {
namespace {

using test::ScriptedDialogs;
using test::ShownBox;

Drive drive(char letter, int type, bool ready, std::string volume, std::uint64_t freeBytes) {
    Drive d;
    d.letter = letter;
    d.type = type;
    d.ready = ready;
    d.volumeName = std::move(volume);
    d.freeBytes = freeBytes;
    d.hostRoot = ready ? "/nonexistent" : "";
    return d;
}

class DriveInfoTest : public ::testing::Test {
  protected:
    DriveInfoTest() {
        table.add(drive('A', drive_type::Removable, true, "", 1457152));
        table.add(drive('C', drive_type::Fixed, true, "SYSTEM", 1536000000));
        table.add(drive('E', drive_type::Removable, false, "", 0));
        table.add(drive('Q', drive_type::Unknown, true, "ODD", 0));
        table.add(drive('R', 7, true, "", 2048));
        info.refreshDriveList();
    }
    void select(char letter) {
        for (std::size_t i = 0; i < window.DriveList.entries.size(); ++i) {
            if (window.DriveList.entries[i][0] == letter) {
                window.DriveList.listIndex = static_cast<int>(i);
            }
        }
    }

    FolderDriveTable table;
    WindowModel window;
    MessagePanes panes{window};
    ScriptedDialogs dialogs;
    Operator op{panes, dialogs, window};
    DriveInfo info{table, op, "XQ3100 Database Media Converter", DigitGrouping{",", 3}};
};

TEST_F(DriveInfoTest, ListsDrivesWithTheirLabels) {
    EXPECT_EQ(window.DriveList.entries,
              (std::vector<std::string>{"a:", "c: [SYSTEM]", "e:", "q: [ODD]", "r:"}));
}

TEST_F(DriveInfoTest, RefreshKeepsTheSelectedDriveWhereverItMoves) {
    select('e');
    table.remove('A');
    EXPECT_FALSE(info.refreshDriveList());
    EXPECT_EQ(window.DriveList.drive(), "e:");
    table.remove('E');
    EXPECT_TRUE(info.refreshDriveList());
    EXPECT_EQ(window.DriveList.listIndex, 1);
}

TEST_F(DriveInfoTest, DescriptionsNameTypeDriveVolumeAndFreeKbytes) {
    EXPECT_EQ(info.getFreeSpace("a:"), "Drive A: - \r\n Free Space: 1,423 Kbytes");
    EXPECT_EQ(info.getFreeSpace("c: [SYSTEM]"),
              "Drive C: [SYSTEM] - SYSTEM\r\n Free Space: 1,500,000 Kbytes");
    select('a');
    info.showFullDescription();
    EXPECT_EQ(window.DriveSize.caption, "Removable Drive A: - \r\n Free Space: 1,423 Kbytes");
    select('c');
    info.showShortDescription();
    EXPECT_EQ(window.DriveSize.caption, "Fixed Drive C: [SYSTEM] - SYSTEM");
    select('r');  // a type code outside the known ones has no name
    info.showFullDescription();
    EXPECT_EQ(window.DriveSize.caption, "Drive R: - \r\n Free Space: 2 Kbytes");
}

TEST_F(DriveInfoTest, FreeSpaceIsRoundedToWholeKbytes) {
    table.add(drive('F', drive_type::Fixed, true, "", 1535));
    EXPECT_EQ(info.getFreeSpace("f:"), "Drive F: - \r\n Free Space: 1 Kbytes");
    table.add(drive('F', drive_type::Fixed, true, "", 1536));
    EXPECT_EQ(info.getFreeSpace("f:"), "Drive F: - \r\n Free Space: 2 Kbytes");
}

TEST_F(DriveInfoTest, InStepZeroADriveWithoutMediumShowsOnlyItsLetter) {
    select('e');
    EXPECT_EQ(info.driveChanged(WizardStep::SelectFloppy), DriveInfo::ChangeOutcome::Described);
    EXPECT_EQ(window.DriveSize.caption, "Drive E:");
    EXPECT_TRUE(dialogs.shown().empty());
    select('q');  // no refusal outside the Compact Flash step, whatever the type
    EXPECT_EQ(info.driveChanged(WizardStep::SelectFloppy), DriveInfo::ChangeOutcome::Described);
    EXPECT_EQ(window.DriveSize.caption, "Unknown Drive Q: [ODD] - ODD");
}

TEST_F(DriveInfoTest, InTheCompactFlashStepUnusableDrivesAreRefused) {
    select('c');
    ASSERT_EQ(info.driveChanged(WizardStep::SelectFlash), DriveInfo::ChangeOutcome::Described);
    const std::string described = window.DriveSize.caption;
    EXPECT_EQ(described, "Fixed Drive C: [SYSTEM] - SYSTEM\r\n Free Space: 1,500,000 Kbytes");

    select('q');
    EXPECT_EQ(info.driveChanged(WizardStep::SelectFlash), DriveInfo::ChangeOutcome::Refused);
    EXPECT_EQ(dialogs.last(), (ShownBox{"Unknown type Drive Q:", "XQ3100 Database Media Converter",
                                        box_style::OkStop}));
    EXPECT_EQ(window.DriveSize.caption, described);

    select('e');
    EXPECT_EQ(info.driveChanged(WizardStep::SelectFlash), DriveInfo::ChangeOutcome::RefusedGoBack);
    EXPECT_EQ(dialogs.last(),
              (ShownBox{"\r\nDrive E: is not ready.", "Error!", box_style::OkStop}));
    EXPECT_EQ(window.logText.text,
              "ERROR Unknown type Drive Q:\r\nERROR \r\nDrive E: is not ready.\r\n");
}

TEST_F(DriveInfoTest, DriveCheckAcceptsOnlyAReadyDriveOfKnownTypeThatIsNotTheFloppyDrive) {
    window.buttonOK.enabled = false;
    select('e');
    EXPECT_FALSE(info.driveCheck("A:"));
    EXPECT_EQ(dialogs.last().text, "\r\nDrive E: is not ready.");
    EXPECT_EQ(window.DriveList.drive(), "e:");  // the check itself does not move the list
    select('q');
    EXPECT_FALSE(info.driveCheck("A:"));
    EXPECT_FALSE(window.buttonOK.enabled);
    // The drive the diskettes are read from is never the card drive, ready as it may be.
    select('a');
    EXPECT_FALSE(info.driveCheck("A:"));
    EXPECT_EQ(dialogs.last(), (ShownBox{"Drive A: is the floppy disk drive.\r\nPlease select the "
                                        "Compact Flash drive and press the OK button",
                                        "Error!", box_style::OkStop}));
    EXPECT_TRUE(window.logText.text.ends_with("ERROR " + dialogs.last().text + "\r\n"));
    EXPECT_FALSE(window.buttonOK.enabled);
    EXPECT_TRUE(info.driveCheck("B:"));
    EXPECT_TRUE(window.buttonOK.enabled);
    EXPECT_EQ(window.DriveSize.caption, "Removable Drive A: - \r\n Free Space: 1,423 Kbytes");
}

TEST_F(DriveInfoTest, PromptsOpenTheDriveSelection) {
    window.ProgressBar1.value = 40;
    window.DriveList.visible = false;
    info.floppyPrompt();
    EXPECT_EQ(window.mainText.text,
              "Please select the floppy disk drive \r\nand press the OK button\r\n");
    EXPECT_TRUE(window.DriveList.visible && window.DriveList.enabled && window.DriveSize.visible);
    EXPECT_FALSE(window.buttonBack.enabled);
    EXPECT_TRUE(window.buttonOK.enabled);
    EXPECT_EQ(window.ProgressBar1.value, 0);
    EXPECT_FALSE(window.ProgressBar1.visible);

    window.DriveList.visible = false;
    window.ProgressBar1.visible = true;
    info.compactFlashPrompt();
    EXPECT_EQ(window.mainText.text,
              "Please select the Compact Flash\r\ndrive and press the OK button\r\n");
    EXPECT_TRUE(window.DriveList.visible && window.DriveSize.visible);
    EXPECT_FALSE(window.ProgressBar1.visible);
}

}  // namespace
}  // namespace xq
