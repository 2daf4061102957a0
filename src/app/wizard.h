#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/message_panes.h"
#include "app/wizard_state.h"
#include "archive/archive_state.h"
#include "archive/diskette_reader.h"
#include "convert/conversion_context.h"
#include "convert/database_proof.h"
#include "convert/placement.h"
#include "platform/drive_table.h"
#include "platform/file_service.h"
#include "ui/dialogs.h"
#include "ui/drive_info.h"
#include "ui/log_pane.h"
#include "ui/operator.h"
#include "ui/window_binding.h"
#include "ui/window_model.h"

namespace xq {

// The conversion wizard: the main window's steps, what its buttons do in each of them, and the
// state that lives for the whole run. Every operator action arrives here as one call and runs to
// its end, disk work included, before the next one. A window reaches it through its binding
// (WindowBinding), which holds back what arrives while an action runs.
class Wizard : public WindowController {
  public:
    Wizard(WindowModel& window, const DriveTable& drives, FileService& files, Dialogs& dialogs);

    // Start-up, once the window has been shown. The caller holds the lock of the temporary folder
    // (InstanceLock): working directories found there now are left over from a run that died, and
    // are removed.
    void startUp();

    // The operator's actions. Actions on a disabled control, and anything after the program has
    // ended, are ignored.
    void okPressed() override;
    void backPressed() override;
    void exitPressed() override;
    // The window is asked to close by any means other than Exit. True when it may close: the
    // program has then ended.
    [[nodiscard]] bool closeRequested() override;
    // The operator selected another entry of the drive list.
    void driveListIndexChanged(int index) override;
    // A key went down in the drive list.
    void driveListKeyDown() override;
    // The drive list is about to show its entries: they are read from the machine again.
    void driveListOpening() override;
    void logButtonClicked() override;
    // The machine's drives changed (a medium was mounted or unmounted, a device plugged in or
    // removed): the drive list and the label under it are read again, the selection staying on
    // its drive where that is still there. Between actions only: the drive letters are held while
    // one runs.
    void drivesChanged() override;

    // The program has ended; the view closes without handling anything else.
    bool ended() const override { return ended_; }
    // An operator action is running (a message box it shows runs the view's events meanwhile).
    bool busy() const override { return busy_; }

    // The program is being interrupted (Ctrl+C, a closed terminal, a logout): it ends as Exit
    // does in the last step, without a question. Call when no action is running.
    void stopForInterruption() override;

    const WizardState& state() const { return state_; }
    // The number of diskettes of the set being read, once diskette 1 has told it; 0 before.
    int disketteCount() const { return archive_.disketteCount; }
    // What the last OK in the card step did with the card; nothing before the first.
    std::optional<PlaceOutcome> lastPlacement() const { return lastPlacement_; }
    // How the reading of a diskette that the last OK made ended; nothing when it read none.
    std::optional<ReadResult> lastReading() const { return lastReading_; }
    // A line for each file the descriptor lists that the database was built and written without
    // (no diskette held it, and it passed as the checksum of nothing), for after the success.
    std::vector<std::string> absenceNotes() const;
    // Told how far the work has got, phase by phase.
    void watchWork(ProgressObserver* observer) { op_.watchWork(observer); }
    // Told the number of every diskette the wizard asks for.
    void onDisketteRequested(std::function<void(int)> listener) {
        panes_.onDisketteRequested(std::move(listener));
    }
    WindowModel& window() { return window_; }

  private:
    class BusyWhile;

    // The quit question shared by Exit and window close.
    void confirmQuit();
    // Back to the request for diskette 1.
    void restartFromFirstDiskette(bool hideDriveList);

    // OK in each step.
    void selectFloppyDrive();
    void readFirstDiskette();
    void readNextDiskette();
    void writeFlash();
    void anotherCopy();

    void floppyPrompt();
    void compactFlashPrompt();
    // The drive list shows the machine's drives as they are now, and the label the selected one.
    void rereadDrives();
    // The list position of the drive with this letter; -1 when the list does not have it.
    int indexOfDrive(char letter) const;
    // The readiness test of the floppy drive before a diskette is read.
    bool floppyDriveReady();
    ReadResult readDiskette();
    void actOnReadResult(ReadResult result, bool resetProgressFirst);
    void finishReading(bool resetProgressFirst);
    // Asks for diskette `n` in the step that reads the next diskette.
    void askForDiskette(std::int16_t n);
    // After a failed verification: offers to read again only the diskettes whose pieces failed,
    // and asks for the first of them. False when the set is to be read again from diskette 1.
    bool readFailingDiskettesAgain(const std::vector<ChecksumFailure>& failures);
    // Why a diskette is to be read again.
    struct RereadReason {
        std::int16_t diskette = 0;
        std::vector<std::string> missingFiles;  // the listed files it does not hold
        bool sameAgain = false;  // read again already, it gave the same damaged bytes
    };
    static std::string rereadQuestion(const std::vector<RereadReason>& reasons);
    ConversionContext conversion();
    void setDriveListIndex(int index);
    void selectDriveLetter(char letter);
    void driveListChanged();
    // Removes the working directories and ends the program.
    void endProgram();
    std::string quitQuestion() const;

    WindowModel& window_;
    const DriveTable& drives_;
    FileService& files_;
    MessagePanes panes_;
    Operator op_;
    DriveInfo driveInfo_;
    LogPane logPane_;
    WizardState state_;
    ArchiveState archive_;
    // Diskette 1 holds "keycode.rec" rather than "keycode.kcd".
    bool keyCodeIsRec_ = false;
    // The highest diskette number read so far: the working directories that may exist.
    std::int16_t disketteDirectories_ = 0;
    // The diskette whose copy lacks what could not be read of it, 0 for none.
    std::int16_t incompleteDiskette_ = 0;
    // The diskettes still to be read again because their pieces failed the verification, and
    // what those pieces held then.
    std::vector<std::int16_t> rereadQueue_;
    std::vector<ChecksumFailure> rereadFailures_;
    // What the database read from the diskettes is, once it has been built: every card is proven
    // against it.
    std::optional<DatabaseProof> proof_;
    std::optional<PlaceOutcome> lastPlacement_;
    std::optional<ReadResult> lastReading_;
    bool ended_ = false;
    bool busy_ = false;
};

// The start-up banner that opens the log.
std::string startUpBanner();

// The refusal shown when another copy of the program is already running.
std::string singleInstanceRefusal();

}  // namespace xq
