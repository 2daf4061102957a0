#include "convert/placement.h"

#include <algorithm>
#include <map>
#include <optional>

#include "archive/set_names.h"
#include "archive/tree_operations.h"
#include "convert/card_journal.h"
#include "platform/text.h"

namespace xq {

namespace {

std::string kbytes(std::uint64_t bytes) {
    return formatNumber(static_cast<double>((bytes + 1023) / 1024));
}

std::uint64_t roundUp(std::uint64_t bytes, std::uint64_t unit) {
    return (bytes + unit - 1) / unit * unit;
}

enum class Room {
    Beside,      // the new database fits beside the old one
    InPlace,     // it fits once the old one is gone, and the operator agreed to that
    Declined,    // ... and the operator did not agree
    DoesNotFit,  // not even then (reported)
};

class Placement {
  public:
    Placement(ConversionContext& context, const DatabaseProof& proof)
        : c_(context),
          files_(context.files),
          op_(context.op),
          proof_(proof),
          flat_(flatDirectory(TemporaryFolder(files_))),
          backup_(context.flashDrive + "\\backup\\"),
          single_(backup_ + "single\\"),
          staging_(backup_ + std::string(kStagingName) + "\\"),
          aside_(backup_ + std::string(kAsideName) + "\\"),
          journal_(files_, backup_) {}

    PlaceOutcome run() {
        op_.logMessage("Compact Flash drive " + c_.flashDrive + " was selected ");
        // The card is not made the current drive or directory: that would keep it busy, and
        // nothing here depends on it.
        if (const std::optional<std::string> changed =
                FindUnprovenFile(files_, flat_ + "\\", proof_, ReadMode::Cached)) {
            op_.reportError("Failed verifying: " + flat_ + *changed + std::string(CRLF) +
                            "The database read from the diskettes has changed in the temporary "
                            "folder since it was verified." +
                            std::string(CRLF) + "Please read the diskettes again.");
            return PlaceOutcome::DatabaseChanged;
        }

        bool replacing = false;
        if (files_.folderExists(backup_)) {
            if (!settleEarlierWrite()) {
                return PlaceOutcome::NotPlaced;
            }
            if (files_.folderExists(single_)) {
                if (op_.messageBox("Directory " + single_ + " already exists" + std::string(CRLF) +
                                       "Replace old database?",
                                   "Replace", box_style::YesNoQuestion) != Answer::Yes) {
                    return PlaceOutcome::Declined;
                }
                replacing = true;
            }
        }
        const Room room = checkRoom(replacing);
        if (room == Room::Declined) {
            return PlaceOutcome::Declined;
        }
        if (room == Room::DoesNotFit) {
            return PlaceOutcome::NotPlaced;
        }
        if (!files_.folderExists(backup_)) {
            if (files_.makeDir(backup_) != FileError::None) {
                return directoryFailure(backup_);
            }
            madeBackup_ = true;
        }

        op_.showMessage(
            std::string("Writing on the Compact Flash").append(CRLF).append("Please wait..."));
        op_.window().ProgressBar1.visible = true;
        op_.window().setProgressValue(0);

        if (room == Room::InPlace) {
            if (!dropOldDatabase()) {
                return PlaceOutcome::NotPlaced;
            }
            replacing = false;
        }
        if (!journal_.write(JournalStage::Writing)) {
            writeFailure(journal_.path());
            discardStaging();
            return PlaceOutcome::NotPlaced;
        }
        if (files_.makeDir(staging_) != FileError::None) {
            discardStaging();
            return directoryFailure(staging_);
        }
        op_.logMessage("Copy directory " + flat_ + " to " + single_);
        const int count = c_.archive.fileCount;
        const auto step = static_cast<std::int16_t>(count > 0 ? 100 / count : 0);
        {
            WorkScope work(op_, WorkPhase::Writing);
            op_.setWorkTotal(static_cast<std::uint64_t>(CountFiles(files_, flat_ + "\\")));
            if (CopyTree(files_, op_, flat_ + "\\", staging_, step) != CopyOutcome::Copied ||
                !flushed()) {
                discardStaging();
                return PlaceOutcome::NotPlaced;
            }
            work.completed();
        }
        if (!swapIn(replacing)) {
            return PlaceOutcome::NotPlaced;
        }
        op_.window().ProgressBar1.visible = false;
        return PlaceOutcome::Placed;
    }

  private:
    static std::string withoutSlash(const std::string& folder) {
        return folder.substr(0, folder.size() - 1);
    }

    FileError rename(const std::string& from, const std::string& to) {
        return files_.rename(withoutSlash(from), withoutSlash(to));
    }

    // Before anything is asked: the program's own entries in backup\ must be the program's, and a
    // write that was cut off (the program killed, the card pulled, a double fault) is put right.
    // False when the card cannot be written (reported).
    bool settleEarlierWrite() {
        const Result<CardEntries> entries = journal_.look();
        if (!entries) {
            op_.reportFailure("Failed to read " + backup_ + std::string(CRLF) +
                              "Ensure the Compact Flash card in drive " + c_.flashDrive +
                              " is inserted and readable.");
            return false;
        }
        if (entries->foreign) {
            op_.reportFailure("Failed writing: " + backup_ + *entries->foreign + std::string(CRLF) +
                              "This entry is not the converter's own. Please move it away from "
                              "the card's backup folder.");
            return false;
        }
        if (!entries->journalled) {
            return true;  // nothing of ours is half done here
        }
        return putRight(entries->stage);
    }

    // Puts the card right after a write that stopped at `stage` (nullopt: every word of the
    // journal was cut off, so only what is on the card tells). What is at backup\single afterwards
    // is the old database, or the new one proven there; nothing in between.
    bool putRight(std::optional<JournalStage> stage) {
        bool singleThere = files_.folderExists(single_);
        bool asideThere = files_.folderExists(aside_);
        const bool stagingThere = files_.folderExists(staging_);
        // The staging folder gone, backup\single holds the new database, which was never proven
        // there: the old one takes its place again. Without an old one, only a journal that says
        // so for sure makes backup\single the program's to take back.
        const bool swapping = stage == JournalStage::Swapping;
        if ((swapping || !stage) && !stagingThere && singleThere && (asideThere || swapping)) {
            op_.logMessage("Remove " + single_ + " written by a conversion that did not finish");
            if (const FileError e = rename(single_, staging_); e != FileError::None) {
                return restoreFailure(e);
            }
            singleThere = false;
        }
        // Only a removal the operator agreed to leaves the old database aside for good: it may be
        // half removed.
        if (stage != JournalStage::Dropping && !singleThere && asideThere) {
            if (const FileError e = rename(aside_, single_); e != FileError::None) {
                return restoreFailure(e);
            }
            op_.logMessage("Restore " + single_ + " from " + aside_);
            asideThere = false;
        }
        if (asideThere) {
            if (stage != JournalStage::Proven && stage != JournalStage::Dropping) {
                op_.reportFailure("Failed writing: " + aside_ + std::string(CRLF) +
                                  "The card holds two databases, in " + single_ + " and in " +
                                  aside_ +
                                  ", and the converter can not tell which one is the newer. Please "
                                  "move one of them away from the card's backup folder.");
                return false;
            }
            if (!DeleteTree(files_, aside_, Listing::WithHidden)) {
                return removalFailure(aside_);
            }
        }
        if (!DeleteTree(files_, staging_, Listing::WithHidden)) {
            return removalFailure(staging_);
        }
        if (!journal_.remove()) {
            return removalFailure(journal_.path());
        }
        return true;
    }

    bool restoreFailure(FileError e) {
        op_.reportFailure("Failed writing: " + single_ + std::string(CRLF) +
                          "The old database is in " + aside_ +
                          " and can not be put back: " + std::string(errorDescription(e)));
        return false;
    }

    bool removalFailure(const std::string& what) {
        op_.reportFailure("Failed writing: " + what + std::string(CRLF) +
                          "An earlier write of this card was cut off, and what it left can not be "
                          "removed. Ensure the Compact Flash card in drive " +
                          c_.flashDrive + " is not write-protected.");
        return false;
    }

    // Whether the new database fits on the card, and how. Nothing has been written when it does
    // not, or when the operator declines to remove the old one first.
    Room checkRoom(bool replacing) {
        const Result<DriveSpace> space = files_.space(c_.flashDrive + "\\");
        if (!space || space->allocationUnit == 0) {
            return Room::Beside;  // cannot tell: the writing itself finds out, and nothing is lost
        }
        const std::uint64_t unit = space->allocationUnit;
        const std::optional<std::uint64_t> needed = roomFor(flat_ + "\\", unit);
        if (!needed) {
            return Room::Beside;
        }
        // The journal and the word written before it takes the journal's name; a new backup
        // folder.
        const std::uint64_t wanted = *needed + 2 * unit + (files_.folderExists(backup_) ? 0 : unit);
        const std::uint64_t free = space->available;
        if (wanted <= free) {
            return Room::Beside;
        }
        const std::uint64_t old = replacing ? roomFor(single_, unit).value_or(0) : 0;
        if (replacing && wanted <= free + old) {
            const std::string question =
                "There is not enough free space on Compact Flash drive " + c_.flashDrive +
                " for the new database beside the old one." + std::string(CRLF) +
                "The old database will be removed before the new one is written. The reading of "
                "the diskettes stays in the temporary folder, so the writing can be repeated." +
                std::string(CRLF) + "Remove the old database and write the new one?";
            if (op_.ask(question, "Replace", box_style::YesNoExclamation) != Answer::Yes) {
                return Room::Declined;
            }
            return Room::InPlace;
        }
        op_.reportError("Not enough free space on Compact Flash drive " + c_.flashDrive +
                        std::string(CRLF) + "The database needs " + kbytes(wanted) +
                        " Kbytes; the card has " + kbytes(free) + " Kbytes free" +
                        (replacing ? ", " + kbytes(free + old) +
                                         " Kbytes with the old database"
                                         " removed."
                                   : ".") +
                        std::string(CRLF) + "Please use a larger card.");
        return Room::DoesNotFit;
    }

    // The room a folder's tree takes on a drive that allocates in `unit`s: every file a whole
    // number of them, every folder at least one for its entries (on FAT 32 bytes each, and one
    // more for every 13 characters of a long name).
    std::optional<std::uint64_t> roomFor(const std::string& folder, std::uint64_t unit) {
        const std::optional<std::vector<TreeEntry>> tree =
            ListTree(files_, folder, Listing::WithHidden);
        if (!tree) {
            return std::nullopt;
        }
        constexpr std::uint64_t kEntry = 32;
        constexpr std::uint64_t kDotEntries = 2 * kEntry;
        std::map<std::string, std::uint64_t> entriesOf{{"", kDotEntries}};
        std::uint64_t total = 0;
        for (const TreeEntry& entry : *tree) {
            const bool isFolder = entry.kind == EntryKind::Directory;
            // Folders by their path without the trailing "\", the key their entries are counted
            // under.
            const std::string path =
                isFolder ? entry.path.substr(0, entry.path.size() - 1) : entry.path;
            const std::size_t cut = path.rfind('\\');
            const std::size_t nameLength = path.size() - cut - 1;
            entriesOf[path.substr(0, cut)] += kEntry * (1 + (nameLength + 12) / 13);
            if (isFolder) {
                entriesOf[path] += kDotEntries;
            } else if (const Result<std::uint64_t> length =
                           files_.fileLength(folder + entry.path.substr(1))) {
                total += roundUp(*length, unit);
            }
        }
        for (const auto& [path, bytes] : entriesOf) {
            total += std::max(unit, roundUp(bytes, unit));
        }
        return total;
    }

    // Makes room for the new database in place of the old one. The old one is set aside first, so
    // a removal cut off half-way never leaves part of a database at backup\single.
    bool dropOldDatabase() {
        if (!journal_.write(JournalStage::Dropping)) {
            writeFailure(journal_.path());
            discardStaging();  // nothing else has changed
            return false;
        }
        op_.logMessage("Remove " + single_);
        if (const FileError e = rename(single_, aside_); e != FileError::None) {
            discardStaging();
            renameFailure(single_, aside_, e, true);
            return false;
        }
        if (!DeleteTree(files_, aside_, Listing::WithHidden) ||
            files_.flushFolder(backup_) != FileError::None) {
            // The journal stays: the next write of this card finishes the removal.
            writeFailure(aside_);
            return false;
        }
        return true;
    }

    // The copy is on the card itself, not only in the host's caches.
    bool flushed() {
        const std::optional<std::vector<TreeEntry>> tree = ListTree(files_, staging_);
        if (!tree) {
            writeFailure(single_);
            return false;
        }
        for (const TreeEntry& entry : *tree) {
            const std::string path = staging_ + entry.path.substr(1);
            const FileError e = entry.kind == EntryKind::Directory ? files_.flushFolder(path)
                                                                   : files_.flushFile(path);
            if (e != FileError::None) {
                writeFailure(single_ + entry.path.substr(1));
                return false;
            }
        }
        if (files_.flushFolder(staging_) != FileError::None ||
            files_.flushFolder(backup_) != FileError::None) {
            writeFailure(single_);
            return false;
        }
        return true;
    }

    // The new database takes the name backup\single, the old one (if any) set aside first. It is
    // then read back from the medium where it will stay, and proven; only then does the old one
    // go. Whatever fails puts the old database back. False after reporting.
    bool swapIn(bool replacing) {
        if (!journal_.write(JournalStage::Swapping)) {
            writeFailure(journal_.path());
            discardStaging();
            return false;
        }
        if (replacing) {
            if (const FileError e = rename(single_, aside_); e != FileError::None) {
                discardStaging();
                renameFailure(single_, aside_, e, true);
                return false;
            }
        }
        if (const FileError e = rename(staging_, single_); e != FileError::None) {
            if (replacing && rename(aside_, single_) != FileError::None) {
                op_.reportFailure("Failed writing: " + single_ + std::string(CRLF) +
                                  "The old database is now in " + aside_ + " and the new one in " +
                                  staging_ + "." + std::string(CRLF) + writeAgain(true));
                return false;
            }
            discardStaging();
            renameFailure(staging_, single_, e, replacing);
            return false;
        }
        if (files_.flushFolder(backup_) != FileError::None) {
            return putBack(replacing, [&](const std::string& state) {
                op_.reportFailure("Failed writing: " + backup_ + std::string(CRLF) +
                                  "The card did not confirm that " + single_ +
                                  " now holds the new database." + std::string(CRLF) + state);
            });
        }
        if (const std::optional<std::string> unproven = provenWhereItStays()) {
            return putBack(replacing, [&](const std::string& state) {
                op_.reportError("Failed verifying: " + single_ + unproven->substr(1) +
                                std::string(CRLF) +
                                "The Compact Flash card may be faulty. Please try another card." +
                                std::string(CRLF) + state);
            });
        }
        if (!journal_.write(JournalStage::Proven)) {
            return putBack(replacing,
                           [&](const std::string& state) { writeFailure(journal_.path(), state); });
        }
        if (replacing) {
            op_.logMessage("Remove " + aside_);
            // All of it: hidden files the old database gathered would keep the folder, and with
            // it every later replacement, in place. What cannot go stays marked by the journal,
            // and the next write of this card removes it; the new database is in place either way.
            if (!DeleteTree(files_, aside_, Listing::WithHidden)) {
                op_.logMessage("Failed to remove " + aside_);
                return true;
            }
        }
        // The new database is in place and proven; a journal that stays is finished by the next
        // write of this card.
        passOver(journal_.remove());
        return true;
    }

    // Reads backup\single back from the medium and proves it: the first file that is not as the
    // proof says, or nullopt.
    std::optional<std::string> provenWhereItStays() {
        WorkScope work(op_, WorkPhase::Proving);
        op_.setWorkTotal(proof_.files.size());
        std::optional<std::string> unproven = FindUnprovenFile(
            files_, single_, proof_, ReadMode::FromMedium, [this] { op_.advanceWork(); });
        if (!unproven) {
            work.completed();
        }
        return unproven;
    }

    // After a failure once the new database has taken the name backup\single: the old database
    // takes it back. `report` is given what the card now holds. The journal stays until the card
    // is as it was, so a write cut off meanwhile is put right by the next one.
    template <typename Report>
    bool putBack(bool replacing, Report report) {
        if (rename(single_, staging_) != FileError::None) {
            report("The new database, which is not proven, is in " + single_ +
                   (replacing ? " and the old one in " + aside_ : std::string()) + "." +
                   std::string(CRLF) + writeAgain(replacing));
            return false;
        }
        if (replacing && rename(aside_, single_) != FileError::None) {
            report("The old database is now in " + aside_ + " and the new one in " + staging_ +
                   "." + std::string(CRLF) + writeAgain(replacing));
            return false;
        }
        discardStaging();
        report(cardHolds(replacing));
        return false;
    }

    static std::string writeAgain(bool replacing) {
        return std::string(
                   "Do not use this card before it has been written again: the converter "
                   "then ") +
               (replacing ? "puts the old database back first." : "removes the new one first.");
    }

    // Removes what this write put on the card, after a failure that has been reported or is
    // about to be.
    void discardStaging() {
        if (DeleteTree(files_, staging_, Listing::WithHidden)) {
            passOver(journal_.remove());  // else the next write of this card removes it
        }
        if (madeBackup_) {
            passOver(files_.removeDir(backup_));  // only while nothing is in it
        }
        passOver(files_.flushFolder(backup_));  // the failure is reported already
    }

    // What the card holds after a write that was taken back, as it is now.
    std::string cardHolds(bool replacing) {
        if (!files_.folderExists(single_)) {
            return "The card holds no database.";
        }
        return replacing ? "The card still holds its old database."
                         : "The card holds no database of this conversion.";
    }

    void renameFailure(const std::string& from, const std::string& to, FileError e,
                       bool replacing) {
        op_.reportFailure("Failed writing: " + single_ + std::string(CRLF) + "Can not rename " +
                          from + " to " + to + ": " + std::string(errorDescription(e)) + "." +
                          std::string(CRLF) + cardHolds(replacing) + " Close any program that " +
                          "shows the card's folders, and ensure the card is not write-protected.");
    }

    void writeFailure(const std::string& what, const std::string& state = "") {
        op_.reportFailure("Failed writing: " + what + std::string(CRLF) +
                          "Ensure there is enough free space on Compact Flash drive " +
                          c_.flashDrive + (state.empty() ? "" : std::string(CRLF) + state));
    }

    PlaceOutcome directoryFailure(const std::string& directory) {
        op_.reportFailure("Failed to create directory: " + directory + std::string(CRLF) +
                          "Ensure there is enough free space on Compact Flash drive " +
                          c_.flashDrive);
        return PlaceOutcome::NotPlaced;
    }

    ConversionContext& c_;
    FileService& files_;
    Operator& op_;
    const DatabaseProof& proof_;
    std::string flat_;
    std::string backup_;
    std::string single_;
    std::string staging_;
    std::string aside_;
    CardJournal journal_;
    bool madeBackup_ = false;  // backup\ was not on the card before this write
};

}  // namespace

PlaceOutcome PlaceOnCompactFlash(ConversionContext& context, const DatabaseProof& proof) {
    return Placement(context, proof).run();
}

}  // namespace xq
