#include "app/wizard.h"

#include <algorithm>
#include <optional>

#include "convert/temporary_directories.h"
#include "platform/text.h"
#include "ui/program_identity.h"

namespace xq {

namespace {

constexpr Rgb kLogBackground{213, 200, 187};
constexpr int kMessageFontPoints = 11;

}  // namespace

std::string startUpBanner() {
    // The minor number is followed by "." and then directly by the comment: the revision number
    // has never been part of the banner.
    return std::string(CRLF) + std::string(50, '=') + std::string(CRLF) +
           std::string(kProgram.title) + " Version " + std::to_string(kProgram.major) + "." +
           std::to_string(kProgram.minor) + "." + " (" + std::string(kProgram.comments) + ")";
}

std::string singleInstanceRefusal() {
    return "Can not run muliply instances of " + std::string(kProgram.title);
}

Wizard::Wizard(WindowModel& window, const DriveTable& drives, FileService& files, Dialogs& dialogs)
    : window_(window),
      drives_(drives),
      files_(files),
      panes_(window),
      op_(panes_, dialogs, window),
      driveInfo_(drives, op_, kProgram.title),
      logPane_(window) {
    // The design-time state of the window, before start-up: the list shows the machine's drives
    // with the system drive selected, as a drive list does when it is created.
    window_.form.caption = "Form1";
    logPane_.layOutCompact();
    driveInfo_.refreshDriveList();
    const std::vector<std::string>& entries = window_.DriveList.entries;
    const auto system = std::find_if(entries.begin(), entries.end(),
                                     [](const std::string& e) { return driveLetterOf(e) == 'C'; });
    window_.DriveList.listIndex =
        entries.empty() ? -1
                        : static_cast<int>(system == entries.end() ? 0 : system - entries.begin());
}

void Wizard::startUp() {
    state_.diskNumber = 0;
    // The second entry; a machine with a single drive has only the first.
    const int count = static_cast<int>(window_.DriveList.entries.size());
    setDriveListIndex(std::min(1, count - 1));
    state_.savedDriveIndex = static_cast<std::int16_t>(window_.DriveList.listIndex);
    window_.form.moveFocus(Control::DriveList);

    window_.form.caption = kProgram.title;

    window_.mainText.readOnly = true;
    window_.mainText.text.clear();
    window_.mainText.fontPointSize = kMessageFontPoints;

    panes_.logMessage(startUpBanner());
    RemoveLeftoverDirectories(files_, op_);
    window_.ProgressBar1.min = 0;

    floppyPrompt();
    driveListChanged();

    logPane_.startHidden();

    window_.buttonBack.enabled = false;
    window_.logText.background = kLogBackground;
}

// Marks the wizard busy for as long as an operator action runs, and holds the drive letters
// meanwhile: a device plugged in during a card write must not re-point the card's letter.
class Wizard::BusyWhile {
  public:
    explicit BusyWhile(Wizard& wizard) : wizard_(wizard), was_(wizard.busy_) {
        wizard_.busy_ = true;
        letters_.emplace(wizard_.drives_);
    }
    BusyWhile(const BusyWhile&) = delete;
    BusyWhile& operator=(const BusyWhile&) = delete;
    ~BusyWhile() {
        letters_.reset();
        wizard_.busy_ = was_;
    }

  private:
    Wizard& wizard_;
    bool was_;
    std::optional<DriveLetterHold> letters_;
};

void Wizard::okPressed() {
    if (ended_ || !window_.buttonOK.enabled) {
        return;
    }
    const BusyWhile busy(*this);
    lastReading_.reset();
    switch (state_.wizardStep) {
        case WizardStep::SelectFloppy:
            selectFloppyDrive();
            break;
        case WizardStep::FirstDiskette:
            readFirstDiskette();
            break;
        case WizardStep::NextDiskette:
            readNextDiskette();
            break;
        case WizardStep::SelectFlash:
            writeFlash();
            break;
        case WizardStep::Written:
            anotherCopy();
            break;
    }
}

void Wizard::backPressed() {
    if (ended_ || !window_.buttonBack.enabled) {
        return;
    }
    const BusyWhile busy(*this);
    switch (state_.wizardStep) {
        case WizardStep::SelectFloppy:
            floppyPrompt();
            break;
        case WizardStep::FirstDiskette:
            panes_.logMessage(std::string("Going back to select floppy drive").append(CRLF));
            floppyPrompt();
            break;
        case WizardStep::NextDiskette:
            restartFromFirstDiskette(false);
            break;
        case WizardStep::SelectFlash:
        case WizardStep::Written:
            if (op_.messageBox("Start over reading from the first diskette?", "Restart",
                               box_style::YesNoQuestion) == Answer::Yes) {
                restartFromFirstDiskette(true);
            }
            break;
    }
}

void Wizard::exitPressed() {
    if (ended_ || !window_.buttonExit.enabled) {
        return;
    }
    const BusyWhile busy(*this);
    if (state_.wizardStep == WizardStep::Written) {
        endProgram();
    } else {
        confirmQuit();
    }
}

bool Wizard::closeRequested() {
    if (!ended_) {
        exitPressed();
    }
    return ended_;
}

std::string Wizard::quitQuestion() const {
    return std::string("Database conversion is not complete! ")
        .append(CRLF)
        .append("Are you sure you want to quit?");
}

void Wizard::confirmQuit() {
    if (op_.ask(quitQuestion(), "warning!", box_style::YesNoExclamation) == Answer::Yes) {
        endProgram();
    }
}

void Wizard::restartFromFirstDiskette(bool hideDriveList) {
    panes_.logMessage(std::string("Going back to 1st diskette").append(CRLF));
    rereadQueue_.clear();
    state_.diskNumber = 1;
    panes_.promptDiskette(1);
    window_.ProgressBar1.visible = false;
    if (hideDriveList) {
        window_.DriveList.visible = false;
        window_.DriveSize.visible = false;
    }
    window_.ProgressBar1.value = 0;
    window_.Label2.caption.clear();
    state_.wizardStep = WizardStep::FirstDiskette;
    // Back on the floppy drive, so a later return to step 0 records it again, not the card drive.
    selectDriveLetter(driveLetterOf(state_.floppyDrive));
}

int Wizard::indexOfDrive(char letter) const {
    const std::vector<std::string>& entries = window_.DriveList.entries;
    const auto entry = std::find_if(entries.begin(), entries.end(), [letter](const std::string& e) {
        return driveLetterOf(e) == letter;
    });
    return entry == entries.end() ? -1 : static_cast<int>(entry - entries.begin());
}

void Wizard::selectDriveLetter(char letter) {
    if (const int index = indexOfDrive(letter); index >= 0) {
        setDriveListIndex(index);
    }
}

void Wizard::driveListIndexChanged(int index) {
    const BusyWhile busy(*this);
    if (!ended_) {
        setDriveListIndex(index);
    }
}

void Wizard::driveListKeyDown() {
    const BusyWhile busy(*this);
    if (!ended_) {
        driveListChanged();
    }
}

void Wizard::driveListOpening() {
    const BusyWhile busy(*this);
    if (!ended_ && driveInfo_.refreshDriveList()) {
        driveListChanged();
    }
}

void Wizard::logButtonClicked() {
    if (ended_) {
        return;
    }
    logPane_.toggle();
    if (logPane_.shown()) {
        // Lines logged while the log was hidden left its selection where it was, near the top.
        panes_.selectNewestLogLine();
    }
}

void Wizard::drivesChanged() {
    if (ended_ || busy_) {
        return;  // the window binding holds the change back until the action has ended
    }
    const DriveLetterHold letters(drives_);  // one set of letters for the list and its label
    rereadDrives();
}

void Wizard::rereadDrives() {
    DriveListControl& list = window_.DriveList;
    const char selected = driveLetterOf(list.drive());
    const char saved =
        state_.savedDriveIndex >= 0 &&
                state_.savedDriveIndex < static_cast<int>(list.entries.size())
            ? driveLetterOf(list.entries[static_cast<std::size_t>(state_.savedDriveIndex)])
            : '\0';
    driveInfo_.refreshDriveList();
    // The drive selected at start-up keeps its role wherever it moved in the list.
    const int savedIndex = indexOfDrive(saved);
    if (savedIndex >= 0) {
        state_.savedDriveIndex = static_cast<std::int16_t>(savedIndex);
    }
    // The selected drive went away: the list goes back to the drive selected at start-up, as for
    // a refused card drive, and the label shows the drive OK would now take.
    if (driveLetterOf(list.drive()) != selected && savedIndex >= 0) {
        list.listIndex = savedIndex;
    }
    driveInfo_.describeSelectedDrive(state_.wizardStep);
}

void Wizard::floppyPrompt() {
    rereadQueue_.clear();
    driveInfo_.floppyPrompt();
    window_.form.moveFocus(Control::DriveList);
    state_.wizardStep = WizardStep::SelectFloppy;
    rereadDrives();
}

void Wizard::compactFlashPrompt() {
    driveInfo_.compactFlashPrompt();
    window_.form.moveFocus(Control::DriveList);
    rereadDrives();
}

void Wizard::setDriveListIndex(int index) {
    DriveListControl& list = window_.DriveList;
    if (index == list.listIndex || index < 0 || index >= static_cast<int>(list.entries.size())) {
        return;
    }
    list.listIndex = index;
    driveListChanged();
}

void Wizard::driveListChanged() {
    if (driveInfo_.driveChanged(state_.wizardStep) == DriveInfo::ChangeOutcome::RefusedGoBack) {
        setDriveListIndex(state_.savedDriveIndex);
    }
}

void Wizard::selectFloppyDrive() {
    state_.floppyDrive = std::string(1, driveLetterOf(window_.DriveList.drive())) + ":";
    panes_.logMessage("Floppy drive " + state_.floppyDrive + " was selected");
    driveInfo_.hideDriveList();
    window_.buttonBack.enabled = true;
    rereadQueue_.clear();
    state_.diskNumber = 1;
    panes_.promptDiskette(1);
    state_.wizardStep = WizardStep::FirstDiskette;
}

ConversionContext Wizard::conversion() {
    return ConversionContext{files_,
                             op_,
                             archive_,
                             keyCodeIsRec_,
                             state_.diskNumber,
                             state_.flashDrive,
                             disketteDirectories_};
}

void Wizard::stopForInterruption() {
    if (!ended_) {
        panes_.logMessage("Interrupted");
        endProgram();
    }
}

void Wizard::endProgram() {
    // The working directories go with every orderly end of the program.
    ConversionContext context = conversion();
    RemoveTemporaryDirectories(context);
    ended_ = true;
}

}  // namespace xq
