#include "app/wizard.h"

#include <functional>
#include <utility>

#include <gtest/gtest.h>

#include "support/scripted_dialogs.h"
#include "support/test_drives.h"

namespace xq {
namespace {

using test::ScriptedDialogs;
using test::ShownBox;

constexpr const char* kFloppyRequest =
    "Please select the floppy disk drive \r\nand press the OK button\r\n";
constexpr const char* kBanner =
    "\r\n==================================================\r\n"
    "XQ3100 Database Media Converter Version 1.4. (July 17, 2007)\r\n";
constexpr const char* kQuitQuestion =
    "Database conversion is not complete! \r\nAre you sure you want to quit?";

class WizardTest : public ::testing::Test {
  protected:
    WizardTest() { wizard.startUp(); }

    void selectDrive(char letter) {
        const auto& entries = window.DriveList.entries;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i][0] == letter) {
                wizard.driveListIndexChanged(static_cast<int>(i));
            }
        }
    }

    test::TestDrives drives;
    WindowModel window;
    ScriptedDialogs dialogs;
    Wizard wizard{window, drives.letters, drives.files, dialogs};
};

TEST_F(WizardTest, StartUpPreparesTheWindowAndAsksForTheFloppyDrive) {
    EXPECT_EQ(window.form.caption, "XQ3100 Database Media Converter");
    EXPECT_EQ(window.logText.text, std::string(kBanner) + kFloppyRequest);
    EXPECT_EQ(window.mainText.text, kFloppyRequest);
    EXPECT_TRUE(window.mainText.readOnly);
    EXPECT_EQ(window.mainText.fontPointSize, 11);
    EXPECT_EQ(window.DriveList.entries,
              (std::vector<std::string>{"a:", "c: [SYSTEM]", "e: [CARD]"}));
    EXPECT_EQ(window.DriveList.listIndex, 1);
    EXPECT_EQ(wizard.state().savedDriveIndex, 1);
    EXPECT_EQ(window.form.focus, Control::DriveList);
    EXPECT_EQ(window.DriveSize.caption, "Fixed Drive C: [SYSTEM] - SYSTEM");
    EXPECT_TRUE(window.DriveList.visible && window.DriveList.enabled && window.DriveSize.visible);
    EXPECT_TRUE(window.buttonOK.enabled);
    EXPECT_FALSE(window.buttonBack.enabled);
    EXPECT_FALSE(window.ProgressBar1.visible);
    EXPECT_EQ(window.ProgressBar1.value, 0);
    EXPECT_FALSE(window.logText.visible);
    EXPECT_EQ(window.buttonLog.picture, window.showLog.picture);
    EXPECT_EQ(window.logText.background, (Rgb{213, 200, 187}));
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFloppy);
    EXPECT_EQ(wizard.state().diskNumber, 0);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(WizardTest, TheBannerPutsTheCommentRightBehindTheMinorNumber) {
    EXPECT_EQ(startUpBanner(),
              "\r\n==================================================\r\n"
              "XQ3100 Database Media Converter Version 1.4. (July 17, 2007)");
    EXPECT_EQ(singleInstanceRefusal(),
              "Can not run muliply instances of XQ3100 Database Media Converter");
}

TEST_F(WizardTest, DriveChangesInStepZeroDescribeTheDriveBriefly) {
    selectDrive('a');
    EXPECT_EQ(window.DriveSize.caption, "Drive A:");
    selectDrive('e');
    EXPECT_EQ(window.DriveSize.caption, "Removable Drive E: [CARD] - CARD");
    drives.table.setReady('E', false);
    wizard.driveListKeyDown();
    EXPECT_EQ(window.DriveSize.caption, "Drive E:");
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(WizardTest, OkInStepZeroRecordsTheFloppyDriveAndAsksForDisketteOne) {
    selectDrive('a');
    wizard.okPressed();
    EXPECT_EQ(wizard.state().floppyDrive, "A:");
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::FirstDiskette);
    EXPECT_EQ(wizard.state().diskNumber, 1);
    EXPECT_EQ(window.mainText.text, "Please insert diskette #1 and press the OK button\r\n");
    EXPECT_NE(window.logText.text.find("Floppy drive A: was selected\r\n"), std::string::npos);
    EXPECT_FALSE(window.DriveList.visible);
    EXPECT_FALSE(window.DriveList.enabled);
    EXPECT_FALSE(window.DriveSize.visible);
    EXPECT_TRUE(window.buttonBack.enabled);
}

TEST_F(WizardTest, BackInStepOneReturnsToTheFloppyDriveRequest) {
    wizard.okPressed();
    const std::size_t logged = window.logText.text.size();
    wizard.backPressed();
    EXPECT_EQ(window.logText.text.substr(logged),
              std::string("Going back to select floppy drive\r\n\r\n") + kFloppyRequest);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFloppy);
    EXPECT_TRUE(window.DriveList.visible);
    EXPECT_FALSE(window.buttonBack.enabled);
    // Back is disabled in step 0 now, so pressing it does nothing.
    wizard.backPressed();
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFloppy);
}

TEST_F(WizardTest, ExitAsksFirstAndNoLeavesEverythingAsItWas) {
    wizard.okPressed();
    const WizardState before = wizard.state();
    const std::string main = window.mainText.text;
    dialogs.answer(Answer::No);
    wizard.exitPressed();
    EXPECT_EQ(dialogs.last(), (ShownBox{kQuitQuestion, "warning!", box_style::YesNoExclamation}));
    EXPECT_TRUE(window.logText.text.ends_with(std::string("QUERY ") + kQuitQuestion + "\r\n"));
    EXPECT_FALSE(wizard.ended());
    EXPECT_EQ(wizard.state().wizardStep, before.wizardStep);
    EXPECT_EQ(window.mainText.text, main);

    dialogs.answer(Answer::Yes);
    wizard.exitPressed();
    EXPECT_TRUE(wizard.ended());
    // Nothing is handled once the program has ended.
    wizard.okPressed();
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::FirstDiskette);
}

TEST_F(WizardTest, ClosingTheWindowAsksTheQuitQuestion) {
    dialogs.answer(Answer::No);
    EXPECT_FALSE(wizard.closeRequested());
    EXPECT_EQ(dialogs.last().text, kQuitQuestion);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFloppy);
    dialogs.answer(Answer::Yes);
    EXPECT_TRUE(wizard.closeRequested());
    EXPECT_TRUE(wizard.ended());
}

TEST_F(WizardTest, ALogButtonClickShowsTheLogWithEverythingLoggedSoFar) {
    wizard.logButtonClicked();
    EXPECT_TRUE(window.logText.visible);
    EXPECT_EQ(window.form.heightTwips, 9935);
    wizard.okPressed();
    const std::string prompt = "Please insert diskette #1 and press the OK button";
    EXPECT_EQ(window.logText.selectionLength, static_cast<int>(prompt.size()));
    wizard.logButtonClicked();
    EXPECT_EQ(window.form.heightTwips, 6990);
}

TEST_F(WizardTest, TheLogOpensOnItsNewestLine) {
    wizard.okPressed();  // logged while the log is hidden
    wizard.logButtonClicked();
    const std::string prompt = "Please insert diskette #1 and press the OK button\r\n";
    EXPECT_EQ(window.logText.selectionStart,
              static_cast<int>(window.logText.text.size() - prompt.size()));
    EXPECT_EQ(window.logText.selectionLength, static_cast<int>(prompt.size()) - 2);
}

Drive stick(char letter, std::string volume) {
    Drive drive;
    drive.letter = letter;
    drive.type = drive_type::Removable;
    drive.ready = true;
    drive.volumeName = std::move(volume);
    drive.hostRoot = "/nonexistent";
    return drive;
}

TEST_F(WizardTest, ChangedDrivesAreReadAgainAndTheSelectionStaysOnItsDrive) {
    selectDrive('e');
    drives.table.add(stick('B', "STICK"));
    drives.insert('E', drives.newMedium("other"), "OTHER");
    wizard.drivesChanged();
    EXPECT_EQ(window.DriveList.entries,
              (std::vector<std::string>{"a:", "b: [STICK]", "c: [SYSTEM]", "e: [OTHER]"}));
    EXPECT_EQ(window.DriveList.drive(), "e: [OTHER]");
    EXPECT_EQ(window.DriveSize.caption, "Removable Drive E: [OTHER] - OTHER");
    // The drive selected at start-up keeps its role where it moved.
    EXPECT_EQ(wizard.state().savedDriveIndex, 2);

    // The selected drive goes away: the list goes back to the drive selected at start-up, and
    // nothing asks the operator anything.
    drives.table.remove('E');
    wizard.drivesChanged();
    EXPECT_EQ(window.DriveList.drive(), "c: [SYSTEM]");
    EXPECT_EQ(window.DriveSize.caption, "Fixed Drive C: [SYSTEM] - SYSTEM");
    EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
}  // namespace xq
