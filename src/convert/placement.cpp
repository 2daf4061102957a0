#include "convert/placement.h"

#include <optional>

#include "archive/set_names.h"
#include "archive/tree_operations.h"
#include "platform/text.h"

namespace xq {

namespace {

// The program's own entries in backup\, beside backup\single. The system reads backup\single only.
// The names fit 8.3, so any FAT driver shows them as they are.
constexpr std::string_view kStaging = "XQ3100.NEW";  // the new database, until it is proven
constexpr std::string_view kAside = "XQ3100.OLD";    // the old one, while the new takes its place
// Says that the two folders above are the program's, and what it was doing with them.
constexpr std::string_view kJournal = "XQ3100.JNL";
constexpr std::string_view kJournalMark = "XQ3100 Database Media Converter card journal";

// What the journal says the program is doing.
enum class Stage {
    Writing,   // the new database goes into the staging folder; backup\single is untouched
    Dropping,  // the old database is set aside and being removed, to make room for the new one
    Swapping,  // the new database is proven; the old goes aside and the new takes its place
};

constexpr std::string_view stageName(Stage stage) {
    switch (stage) {
        case Stage::Writing:
            return "write";
        case Stage::Dropping:
            return "drop";
        case Stage::Swapping:
            return "swap";
    }
    return "";
}

// The room a file takes on a card, rounded up to the largest cluster a FAT card of this kind uses,
// so the estimate errs on the safe side.
constexpr std::uint64_t kCluster = 32 * 1024;

constexpr std::uint64_t onCard(std::uint64_t bytes) {
    return (bytes + kCluster - 1) / kCluster * kCluster;
}

std::string kbytes(std::uint64_t bytes) {
    return formatNumber(static_cast<double>((bytes + 1023) / 1024));
}

enum class Room { Beside, InPlace, DoesNotFit };

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
          staging_(backup_ + std::string(kStaging) + "\\"),
          aside_(backup_ + std::string(kAside) + "\\"),
          journal_(backup_ + std::string(kJournal)) {}

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
            if (journalState() == Journal::Foreign) {
                op_.reportFailure("Failed writing: " + journal_ + std::string(CRLF) +
                                  "This file is not the converter's own. Please move it away "
                                  "from the card's backup folder.");
                return PlaceOutcome::NotPlaced;
            }
            if (!finishInterruptedWrite()) {
                return PlaceOutcome::NotPlaced;
            }
            if (files_.folderExists(single_)) {
                if (op_.messageBox("Directory " + single_ + " already exists" + std::string(CRLF) +
                                       "Replace old database?",
                                   "Replace", box_style::YesNoQuestion) != Answer::Yes) {
                    return PlaceOutcome::NotPlaced;
                }
                replacing = true;
            }
        }
        const std::optional<Room> room = checkRoom(replacing);
        if (!room) {
            return PlaceOutcome::NotPlaced;
        }
        if (!files_.folderExists(backup_) && files_.makeDir(backup_) != FileError::None) {
            return directoryFailure(backup_);
        }

        op_.showMessage(
            std::string("Writing on the Compact Flash").append(CRLF).append("Please wait..."));
        op_.window().ProgressBar1.visible = true;
        op_.window().setProgressValue(0);

        if (*room == Room::InPlace) {
            if (!dropOldDatabase()) {
                return PlaceOutcome::NotPlaced;
            }
            replacing = false;
        }
        if (const FileError e = writeJournal(Stage::Writing); e != FileError::None) {
            writeFailure(journal_);
            passOver(files_.deleteFile(journal_));  // reported; what is left is recognised later
            return PlaceOutcome::NotPlaced;
        }
        if (files_.makeDir(staging_) != FileError::None) {
            // A folder of that name that the journal did not mark is not ours: it stays.
            passOver(files_.deleteFile(journal_));  // reported below; it marked nothing yet
            return directoryFailure(staging_);
        }
        op_.logMessage("Copy directory " + flat_ + " to " + single_);
        const int count = c_.archive.fileCount;
        const auto step = static_cast<std::int16_t>(count > 0 ? 100 / count : 0);
        if (CopyTree(files_, op_, flat_ + "\\", staging_, step) != CopyOutcome::Copied ||
            !flushed() || !provenOnCard()) {
            discardStaging();
            return PlaceOutcome::NotPlaced;
        }
        switch (swapIn(replacing)) {
            case Swap::Done:
                op_.window().ProgressBar1.visible = false;
                return PlaceOutcome::Placed;
            case Swap::Undone:
                discardStaging();
                return PlaceOutcome::NotPlaced;
            case Swap::LeftBetween:
                // Reported with where each database is; the next write puts it right first.
                return PlaceOutcome::NotPlaced;
        }
        return PlaceOutcome::NotPlaced;
    }

  private:
    enum class Swap { Done, Undone, LeftBetween };

    static std::string withoutSlash(const std::string& folder) {
        return folder.substr(0, folder.size() - 1);
    }

    // A write that was cut off (the program killed, the card pulled, a double fault) is put right
    // before anything else: the old database goes back to backup\single if it was set aside and
    // the new one never took its place; whatever else the program left goes. Only what its
    // journal marks as the program's is touched. False when it cannot be put right (reported).
    bool finishInterruptedWrite() {
        std::string stage;
        if (journalState(&stage) != Journal::Ours) {
            return true;  // nothing of ours is half done here
        }
        const bool singleThere = files_.folderExists(single_);
        const bool asideThere = files_.folderExists(aside_);
        if (stage == stageName(Stage::Swapping) && !singleThere && asideThere) {
            if (const FileError e = files_.rename(withoutSlash(aside_), withoutSlash(single_));
                e != FileError::None) {
                op_.reportFailure("Failed writing: " + single_ + std::string(CRLF) +
                                  "The old database is in " + aside_ +
                                  " and can not be put back: " + std::string(errorDescription(e)));
                return false;
            }
            op_.logMessage("Restore " + single_ + " from " + aside_);
        } else if (asideThere && !DeleteTree(files_, aside_, Listing::WithHidden)) {
            // The new database took its place, or the old was being removed to make room.
            return removalFailure(aside_);
        }
        if (!DeleteTree(files_, staging_, Listing::WithHidden)) {
            return removalFailure(staging_);
        }
        if (files_.deleteFile(journal_) != FileError::None ||
            files_.flushFolder(backup_) != FileError::None) {
            return removalFailure(journal_);
        }
        return true;
    }

    bool removalFailure(const std::string& what) {
        op_.reportFailure("Failed writing: " + what + std::string(CRLF) +
                          "An earlier write of this card was cut off, and what it left can not be "
                          "removed. Ensure the Compact Flash card in drive " +
                          c_.flashDrive + " is not write-protected.");
        return false;
    }

    enum class Journal { Absent, Ours, Foreign };

    // Whether a journal is there and is the program's; its stage if it is.
    Journal journalState(std::string* stage = nullptr) {
        if (!files_.fileExists(journal_)) {
            return files_.folderExists(journal_) ? Journal::Foreign : Journal::Absent;
        }
        Result<std::unique_ptr<InputFile>> in = files_.openRead(journal_);
        char buffer[128] = {};
        const Result<std::size_t> got = in ? (*in)->read(buffer) : Result<std::size_t>(in.error());
        const std::string mark = std::string(kJournalMark) + "\n";
        const std::string_view text(buffer, got ? *got : 0);
        if (!text.starts_with(mark)) {
            return Journal::Foreign;  // not ours: it stays, and so does everything beside it
        }
        if (stage != nullptr) {
            const std::string_view rest = text.substr(mark.size());
            *stage = std::string(rest.substr(0, rest.find('\n')));
        }
        return Journal::Ours;
    }

    FileError writeJournal(Stage stage) {
        Result<std::unique_ptr<OutputFile>> out = files_.openWrite(journal_, WriteMode::Create);
        if (!out) {
            return out.error();
        }
        const std::string text =
            std::string(kJournalMark) + "\n" + std::string(stageName(stage)) + "\n";
        for (FileError e : {(*out)->write(text), (*out)->flush(), (*out)->close()}) {
            if (e != FileError::None) {
                return e;
            }
        }
        return files_.flushFolder(backup_);
    }

    // Whether the new database fits on the card, and how. Nullopt after the operator declined, or
    // after reporting that it does not fit at all; nothing has been written then.
    std::optional<Room> checkRoom(bool replacing) {
        const std::optional<std::uint64_t> needed = sizeOnCard(flat_ + "\\");
        const Result<std::uint64_t> free = files_.freeSpace(c_.flashDrive + "\\");
        if (!needed || !free) {
            return Room::Beside;  // cannot tell: the writing itself finds out, and nothing is lost
        }
        // The folders and the journal beside the files.
        const std::uint64_t wanted = *needed + 4 * kCluster;
        if (wanted <= *free) {
            return Room::Beside;
        }
        const std::uint64_t old = replacing ? sizeOnCard(single_).value_or(0) : 0;
        if (replacing && wanted <= *free + old) {
            const std::string question =
                "There is not enough free space on Compact Flash drive " + c_.flashDrive +
                " for the new database beside the old one." + std::string(CRLF) +
                "The old database will be removed before the new one is written. The reading of "
                "the diskettes stays in the temporary folder, so the writing can be repeated." +
                std::string(CRLF) + "Remove the old database and write the new one?";
            if (op_.ask(question, "Replace", box_style::YesNoExclamation) != Answer::Yes) {
                return std::nullopt;
            }
            return Room::InPlace;
        }
        op_.reportError("Not enough free space on Compact Flash drive " + c_.flashDrive +
                        std::string(CRLF) + "The database needs " + kbytes(wanted) +
                        " Kbytes; the card has " + kbytes(*free) + " Kbytes free" +
                        (replacing ? ", " + kbytes(*free + old) +
                                         " Kbytes with the old database"
                                         " removed."
                                   : ".") +
                        std::string(CRLF) + "Please use a larger card.");
        return std::nullopt;
    }

    std::optional<std::uint64_t> sizeOnCard(const std::string& folder) {
        const std::optional<std::vector<TreeEntry>> tree =
            ListTree(files_, folder, Listing::WithHidden);
        if (!tree) {
            return std::nullopt;
        }
        std::uint64_t total = kCluster;  // the folder itself
        for (const TreeEntry& entry : *tree) {
            if (entry.kind == EntryKind::Directory) {
                total += kCluster;
            } else if (const Result<std::uint64_t> length =
                           files_.fileLength(folder + entry.path.substr(1))) {
                total += onCard(*length);
            }
        }
        return total;
    }

    // Makes room for the new database in place of the old one. The old one is set aside first, so
    // a removal cut off half-way never leaves part of a database at backup\single.
    bool dropOldDatabase() {
        if (writeJournal(Stage::Dropping) != FileError::None) {
            writeFailure(journal_);
            passOver(files_.deleteFile(journal_));  // reported; nothing else has changed
            return false;
        }
        op_.logMessage("Remove " + single_);
        if (const FileError e = files_.rename(withoutSlash(single_), withoutSlash(aside_));
            e != FileError::None) {
            passOver(files_.deleteFile(journal_));  // reported below; nothing else has changed
            renameFailure(single_, aside_, e, "The card still holds its old database.");
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

    // The copy is on the card itself, not only in the host's caches, before it is read back.
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

    // Read back from the medium, the card must hold exactly the database the diskettes hold.
    bool provenOnCard() {
        const std::optional<std::string> unproven =
            FindUnprovenFile(files_, staging_, proof_, ReadMode::FromMedium);
        if (!unproven) {
            return true;
        }
        op_.reportError("Failed verifying: " + single_ + unproven->substr(1) + std::string(CRLF) +
                        "The Compact Flash card may be faulty. Please try another card.");
        return false;
    }

    Swap swapIn(bool replacing) {
        if (writeJournal(Stage::Swapping) != FileError::None) {
            writeFailure(journal_);
            return Swap::Undone;
        }
        if (replacing) {
            if (const FileError e = files_.rename(withoutSlash(single_), withoutSlash(aside_));
                e != FileError::None) {
                renameFailure(single_, aside_, e, "The card still holds its old database.");
                return Swap::Undone;
            }
        }
        if (const FileError e = files_.rename(withoutSlash(staging_), withoutSlash(single_));
            e != FileError::None) {
            if (replacing &&
                files_.rename(withoutSlash(aside_), withoutSlash(single_)) != FileError::None) {
                op_.reportFailure(
                    "Failed writing: " + single_ + std::string(CRLF) +
                    "The old database is now in " + aside_ + " and the new one in " + staging_ +
                    "." + std::string(CRLF) +
                    "Do not use this card before it has been written again: the converter then "
                    "puts the old database back first.");
                return Swap::LeftBetween;
            }
            renameFailure(staging_, single_, e,
                          replacing ? "The card still holds its old database."
                                    : "The card holds no database.");
            return Swap::Undone;
        }
        if (files_.flushFolder(backup_) != FileError::None) {
            op_.reportFailure(
                "Failed writing: " + backup_ + std::string(CRLF) +
                "The card did not confirm that " + single_ + " now holds the new database" +
                (replacing ? " and " + aside_ + " the old one." : ".") + std::string(CRLF) +
                "Write this card again: the converter then puts the old database "
                "back first, should the new one not be complete.");
            return Swap::LeftBetween;
        }
        if (replacing) {
            op_.logMessage("Remove " + single_);
            // All of it: hidden files the old database gathered would keep the folder, and with
            // it every later replacement, in place. What cannot go stays marked by the journal,
            // and the next write of this card removes it; the new database is in place either way.
            if (!DeleteTree(files_, aside_, Listing::WithHidden)) {
                op_.logMessage("Failed to remove " + aside_);
                return Swap::Done;
            }
        }
        // The new database is in place and flushed; a journal that stays is finished by the next
        // write of this card.
        passOver(files_.deleteFile(journal_));
        passOver(files_.flushFolder(backup_));
        return Swap::Done;
    }

    // Removes what this write put on the card, after a failure that has been reported.
    void discardStaging() {
        if (DeleteTree(files_, staging_, Listing::WithHidden)) {
            passOver(files_.deleteFile(journal_));  // else the next write of this card removes it
        }
        passOver(files_.flushFolder(backup_));  // the failure is reported already
    }

    void renameFailure(const std::string& from, const std::string& to, FileError e,
                       std::string_view state) {
        op_.reportFailure("Failed writing: " + single_ + std::string(CRLF) + "Can not rename " +
                          from + " to " + to + ": " + std::string(errorDescription(e)) + "." +
                          std::string(CRLF) + std::string(state) + " Close any program that " +
                          "shows the card's folders, and ensure the card is not write-protected.");
    }

    void writeFailure(const std::string& what) {
        op_.reportFailure("Failed writing: " + what + std::string(CRLF) +
                          "Ensure there is enough free space on Compact Flash drive " +
                          c_.flashDrive);
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
    std::string journal_;
};

}  // namespace

PlaceOutcome PlaceOnCompactFlash(ConversionContext& context, const DatabaseProof& proof) {
    return Placement(context, proof).run();
}

}  // namespace xq
