#include "convert/placement.h"

#include <optional>

#include "archive/set_names.h"
#include "archive/tree_operations.h"
#include "convert/absent_record.h"
#include "convert/card_journal.h"
#include "convert/card_recovery.h"
#include "convert/card_room.h"
#include "platform/text.h"

namespace xq {

namespace {

std::string kbytes(std::uint64_t bytes) {
    return formatNumber(static_cast<double>((bytes + 1023) / 1024));
}

constexpr std::string_view kCardUnreadable =
    "The card's backup folder can not be read any more, so what the card holds is not known. Do "
    "not use this card before it has been written again.";

std::string withoutSlash(const std::string& folder) {
    return folder.substr(0, folder.size() - 1);
}

class Placement {
  public:
    Placement(ConversionContext& context, const DatabaseProof& proof)
        : c_(context),
          files_(context.files),
          op_(context.op),
          proof_(proof),
          flat_(flatDirectory(TemporaryFolder(files_)) + "\\"),
          card_(context.flashDrive),
          journal_(files_, card_.backup) {}

    PlaceOutcome run() {
        op_.logMessage("Compact Flash drive " + c_.flashDrive + " was selected ");
        // The card is not made the current drive or directory: that would keep it busy, and
        // nothing here depends on it.
        if (const std::optional<std::string> changed =
                FindUnprovenFile(files_, flat_, proof_, ReadMode::Cached)) {
            op_.reportError("Failed verifying: " + withoutSlash(flat_) + *changed +
                            std::string(CRLF) +
                            "The database read from the diskettes has changed in the temporary "
                            "folder since it was verified." +
                            std::string(CRLF) + "Please read the diskettes again.");
            return PlaceOutcome::DatabaseChanged;
        }

        bool replacing = false;
        if (files_.folderExists(card_.backup)) {
            if (!settleEarlierWrite()) {
                return PlaceOutcome::NotPlaced;
            }
            if (files_.folderExists(card_.single)) {
                if (op_.messageBox("Directory " + card_.single + " already exists" +
                                       std::string(CRLF) + "Replace old database?",
                                   "Replace", box_style::YesNoQuestion) != Answer::Yes) {
                    return PlaceOutcome::Declined;
                }
                replacing = true;
            }
        }
        const std::optional<CardRoom> room = checkRoom(replacing);
        if (!room) {
            return PlaceOutcome::Declined;
        }
        if (*room == CardRoom::DoesNotFit) {
            return PlaceOutcome::NotPlaced;
        }
        if (!files_.folderExists(card_.backup)) {
            if (files_.makeDir(card_.backup) != FileError::None) {
                return directoryFailure(card_.backup);
            }
            madeBackup_ = true;
        }

        op_.showMessage(
            std::string("Writing on the Compact Flash").append(CRLF).append("Please wait..."));
        op_.window().ProgressBar1.visible = true;
        op_.window().setProgressValue(0);

        if (replacing && !describeOldDatabase()) {
            return PlaceOutcome::NotPlaced;
        }
        if (!writeDatabase(replacing, *room == CardRoom::InPlace)) {
            // A failure after the old database was removed to make room: whatever the message
            // said, the card holds no database now.
            if (dropped_ && !stateTold_ && !files_.folderExists(card_.single)) {
                op_.reportFailure(std::string("The card holds no database: the old one was removed "
                                              "to make room for the new one.") +
                                  std::string(CRLF) + readingKept());
            }
            return PlaceOutcome::NotPlaced;
        }
        op_.window().ProgressBar1.visible = false;
        return PlaceOutcome::Placed;
    }

  private:
    // Writes the database beside the old one (or in its place), swaps it in and proves it there.
    // False after reporting.
    bool writeDatabase(bool replacing, bool inPlace) {
        if (inPlace) {
            if (!dropOldDatabase()) {
                return false;
            }
            replacing = false;
        }
        if (!journal_.write({.stage = JournalStage::Writing})) {
            writeFailure(journal_.path());
            discardStaging();
            return false;
        }
        if (files_.makeDir(card_.staging) != FileError::None) {
            discardStaging();
            return directoryFailure(card_.staging) == PlaceOutcome::Placed;
        }
        op_.logMessage("Copy directory " + withoutSlash(flat_) + " to " + card_.single);
        const int count = c_.archive.fileCount;
        const auto step = static_cast<std::int16_t>(count > 0 ? 100 / count : 0);
        {
            WorkScope work(op_, WorkPhase::Writing);
            op_.setWorkTotal(static_cast<std::uint64_t>(CountFiles(files_, flat_)));
            if (CopyTree(files_, op_, flat_, card_.staging, step) != CopyOutcome::Copied ||
                !flushed()) {
                discardStaging();
                return false;
            }
            work.completed();
        }
        if (replacing && !renamesKeepWhatTheyHold()) {
            return false;
        }
        return swapIn(replacing);
    }

    static std::string readingKept() {
        return "The reading of the diskettes stays in the temporary folder, so the writing can be "
               "repeated.";
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
            op_.reportFailure("Failed to read " + card_.backup + std::string(CRLF) +
                              "Ensure the Compact Flash card in drive " + c_.flashDrive +
                              " is inserted and readable.");
            return false;
        }
        if (entries->foreign) {
            op_.reportFailure("Failed writing: " + card_.backup + *entries->foreign +
                              std::string(CRLF) +
                              "This entry is not the converter's own. Please move it away from "
                              "the card's backup folder.");
            return false;
        }
        if (entries->unknown) {
            op_.reportFailure("Failed writing: " + card_.backup + *entries->unknown +
                              std::string(CRLF) +
                              "This journal of an unfinished write was made by a version of the "
                              "converter that this one does not know. Please write the card with "
                              "that version, or move the entry away from the card's backup "
                              "folder.");
            return false;
        }
        if (!entries->journalled) {
            return true;  // nothing of ours is half done here
        }
        const SettleResult settled =
            settle(ExamineCard(files_, card_, *entries), WriteToSettle::Earlier);
        if (settled.settled) {
            return true;
        }
        const CardState& now = settled.state;
        if (settled.error == FileError::None && now.word &&
            now.word->stage == JournalStage::Proven && !now.word->newDatabase) {
            op_.reportFailure("Failed writing: " + card_.aside + std::string(CRLF) +
                              "An earlier version of the converter put the new database in " +
                              card_.single +
                              " and proved it there, but did not remove the old "
                              "one from " +
                              card_.aside +
                              ". This version can not prove which is which, and removes neither. "
                              "Please move " +
                              card_.aside +
                              " away from the card's backup "
                              "folder.");
            return false;
        }
        if (settled.error == FileError::None) {
            op_.reportFailure("Failed writing: " + card_.aside + std::string(CRLF) +
                              "The card holds two databases, in " + card_.single + " and in " +
                              card_.aside +
                              ", and the converter can not tell which one is the newer. Please "
                              "move one of them away from the card's backup folder.");
            return false;
        }
        op_.reportFailure("Failed writing: " + settled.failedOn + std::string(CRLF) +
                          "An earlier write of this card was cut off, and what it left can not "
                          "be put right: " +
                          std::string(errorDescription(settled.error)) + "." + std::string(CRLF) +
                          CardHoldsText(now, card_) + std::string(CRLF) +
                          "Ensure the Compact Flash card in drive " + c_.flashDrive +
                          " is not write-protected.");
        return false;
    }

    SettleResult settle(const CardState& state, WriteToSettle write) {
        return SettleCard(files_, journal_, card_, state, write,
                          [this](const std::string& line) { op_.logMessage(line); });
    }

    // Whether the new database fits on the card, and how; nullopt when the operator declines to
    // remove the old one first. Nothing has been written when it does not fit.
    std::optional<CardRoom> checkRoom(bool replacing) {
        // The journal's digests of both databases, the old one taken to be as large as the new.
        const std::uint64_t journalBytes =
            journalText({.stage = JournalStage::Swapping,
                         .newDatabase = proof_.files,
                         .oldDatabase = replacing ? std::optional(proof_.files) : std::nullopt})
                .size();
        const CardRoomCheck check =
            CheckCardRoom(files_, flat_, c_.flashDrive, card_.backup,
                          replacing ? std::optional(card_.single) : std::nullopt, journalBytes);
        if (check.room == CardRoom::InPlace) {
            const std::string question =
                "There is not enough free space on Compact Flash drive " + c_.flashDrive +
                " for the new database beside the old one." + std::string(CRLF) +
                "The old database will be removed before the new one is written. The reading of "
                "the diskettes stays in the temporary folder, so the writing can be repeated." +
                std::string(CRLF) + "Remove the old database and write the new one?";
            if (op_.ask(question, "Replace", box_style::YesNoExclamation) != Answer::Yes) {
                return std::nullopt;
            }
        } else if (check.room == CardRoom::DoesNotFit) {
            op_.reportError("Not enough free space on Compact Flash drive " + c_.flashDrive +
                            std::string(CRLF) + "The database needs " + kbytes(check.needed) +
                            " Kbytes; the card has " + kbytes(check.free) + " Kbytes free" +
                            (replacing ? ", " + kbytes(check.withoutOld) +
                                             " Kbytes with the old database removed."
                                       : ".") +
                            std::string(CRLF) + "Please use a larger card.");
        }
        return check.room;
    }

    // The old database's files, for the journal: whichever folder holds it after a failure is
    // shown to hold it whole before anything else is removed. False (reported) when it cannot be
    // listed whole: a card that cannot be read is not written.
    bool describeOldDatabase() {
        oldDatabase_ = DescribeTreeShape(files_, card_.single);
        if (!oldDatabase_) {
            op_.reportFailure("Failed to read " + card_.single + std::string(CRLF) +
                              "Ensure the Compact Flash card in drive " + c_.flashDrive +
                              " is inserted and readable." + std::string(CRLF) +
                              "The card still holds its old database.");
            return false;
        }
        return true;
    }

    // Makes room for the new database in place of the old one. The old one is set aside first, so
    // a removal cut off half-way never leaves part of a database at backup\single.
    bool dropOldDatabase() {
        if (!journal_.write({.stage = JournalStage::Dropping, .oldDatabase = oldDatabase_})) {
            writeFailure(journal_.path());
            discardStaging();  // nothing else has changed
            return false;
        }
        op_.logMessage("Remove " + card_.single);
        if (const FileError e = rename(card_.single, card_.aside); e != FileError::None) {
            discardStaging();
            renameFailure(card_.single, card_.aside, e);
            return false;
        }
        if (!DeleteTree(files_, card_.aside, Listing::WithHidden) ||
            files_.flushFolder(card_.backup) != FileError::None) {
            takeBack([this](const std::string& state) { writeFailure(card_.aside, state); });
            return false;
        }
        dropped_ = true;
        return true;
    }

    // The copy is on the card itself, not only in the host's caches.
    bool flushed() {
        const std::optional<std::vector<TreeEntry>> tree = ListTree(files_, card_.staging);
        if (!tree) {
            writeFailure(card_.single);
            return false;
        }
        for (const TreeEntry& entry : *tree) {
            const std::string path = card_.staging + entry.path.substr(1);
            const FileError e = entry.kind == EntryKind::Directory ? files_.flushFolder(path)
                                                                   : files_.flushFile(path);
            if (e != FileError::None) {
                writeFailure(card_.single + entry.path.substr(1));
                return false;
            }
        }
        if (files_.flushFolder(card_.staging) != FileError::None ||
            files_.flushFolder(card_.backup) != FileError::None) {
            writeFailure(card_.single);
            return false;
        }
        return true;
    }

    // Some file systems (a FAT driver of a few) lose what a folder holds when they rename it. The
    // swap renames the old database: the card's driver is tried first on a folder of the
    // program's own, so that such a card never costs the old database.
    bool renamesKeepWhatTheyHold() {
        const std::string probe = card_.staging + "XQ3100.PRB\\";
        const std::string renamed = card_.staging + "XQ3100.PR2\\";
        constexpr std::string_view kProbeText = "kept";
        bool kept = files_.makeDir(probe) == FileError::None;
        if (kept) {
            Result<std::unique_ptr<OutputFile>> out =
                files_.openWrite(probe + "PROBE.TXT", WriteMode::Create);
            kept = out && (*out)->write(kProbeText) == FileError::None &&
                   (*out)->close() == FileError::None && rename(probe, renamed) == FileError::None;
        }
        const Result<std::uint64_t> length = files_.fileLength(renamed + "PROBE.TXT");
        kept = kept && length && *length == kProbeText.size();
        const bool removed = DeleteTree(files_, probe, Listing::WithHidden) &&
                             DeleteTree(files_, renamed, Listing::WithHidden);
        if (kept && removed) {
            return true;
        }
        discardStaging();
        op_.reportFailure("Failed writing: " + card_.staging + std::string(CRLF) +
                          (kept ? std::string("Ensure there is enough free space on Compact "
                                              "Flash drive ") +
                                      c_.flashDrive + "."
                                : std::string("The card's file system does not keep what a "
                                              "folder holds when it renames it, so the old "
                                              "database can not be replaced safely. Please use "
                                              "another card.")) +
                          std::string(CRLF) + "The card still holds its old database.");
        return false;
    }

    // The new database takes the name backup\single, the old one (if any) set aside first. It is
    // then read back from the medium where it will stay, and proven; only then does the old one
    // go. Whatever fails takes the write back. False after reporting.
    bool swapIn(bool replacing) {
        JournalWord word{.stage = JournalStage::Swapping,
                         .newDatabase = proof_.files,
                         .oldDatabase = replacing ? oldDatabase_ : std::nullopt};
        if (!journal_.write(word)) {
            writeFailure(journal_.path());
            discardStaging();
            return false;
        }
        if (replacing) {
            if (const FileError e = rename(card_.single, card_.aside); e != FileError::None) {
                discardStaging();
                renameFailure(card_.single, card_.aside, e);
                return false;
            }
        }
        if (const FileError e = rename(card_.staging, card_.single); e != FileError::None) {
            return takeBack([&](const std::string& state) {
                op_.reportFailure("Failed writing: " + card_.single + std::string(CRLF) +
                                  "Can not rename " + card_.staging + " to " + card_.single + ": " +
                                  std::string(errorDescription(e)) + "." + std::string(CRLF) +
                                  state);
            });
        }
        if (files_.flushFolder(card_.backup) != FileError::None) {
            return takeBack([&](const std::string& state) {
                op_.reportFailure("Failed writing: " + card_.backup + std::string(CRLF) +
                                  "The card did not confirm that " + card_.single +
                                  " now holds the new database." + std::string(CRLF) + state);
            });
        }
        if (const std::optional<std::string> unproven = provenWhereItStays()) {
            return takeBack([&](const std::string& state) {
                op_.reportError("Failed verifying: " + card_.single + unproven->substr(1) +
                                std::string(CRLF) +
                                "The Compact Flash card may be faulty. Please try another card." +
                                std::string(CRLF) + state);
            });
        }
        word.stage = JournalStage::Proven;
        if (!journal_.write(word)) {
            return takeBack(
                [&](const std::string& state) { writeFailure(journal_.path(), state); });
        }
        // The database is whole without them; without the record, a later check of the card
        // names them as missing, which is the careful way round.
        if (writeAbsentRecord(files_, card_.backup, proof_.absentFiles) != FileError::None) {
            op_.logMessage("Failed writing: " + card_.backup + std::string(kAbsentRecordName) +
                           ": the files the database was written without are not recorded on "
                           "the card");
        }
        if (replacing) {
            op_.logMessage("Remove " + card_.aside);
            // All of it: hidden files the old database gathered would keep the folder, and with
            // it every later replacement, in place. What cannot go stays marked by the journal,
            // and the next write of this card removes it once it has proven the new database in
            // place again; the new database is in place either way.
            if (!DeleteTree(files_, card_.aside, Listing::WithHidden)) {
                op_.logMessage("Failed to remove " + card_.aside);
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
            files_, card_.single, proof_, ReadMode::FromMedium, [this] { op_.advanceWork(); });
        if (!unproven) {
            work.completed();
        }
        return unproven;
    }

    // After a failure once the card has begun to change: the write is taken back as far as the
    // card lets it, the old database first, and `report` is given what the card holds then (and,
    // where something is left, what the next write of the card does about it). The journal stays
    // until the card is as it was, so that a write cut off meanwhile is put right by the next one.
    template <typename Report>
    bool takeBack(Report report) {
        const Result<CardEntries> entries = journal_.look();
        if (!entries) {
            report(std::string(kCardUnreadable));
            return false;
        }
        const SettleResult settled =
            settle(ExamineCard(files_, card_, *entries), WriteToSettle::ThisOne);
        std::string state = CardHoldsText(settled.state, card_);
        if (settled.settled) {
            if (madeBackup_ && settled.state.single == Holds::Nothing) {
                passOver(files_.removeDir(card_.backup));  // only while nothing is in it
            }
        } else if (const std::string next = NextWriteText(settled.state); !next.empty()) {
            state += std::string(CRLF) +
                     "Do not use this card before it has been written again: the converter "
                     "then " +
                     next;
        } else {
            state += std::string(CRLF) +
                     "Do not use this card: the converter can not tell which database to keep. "
                     "Please move one of them away from the card's backup folder.";
        }
        if (settled.state.single == Holds::Nothing && !settled.state.journalled) {
            state += std::string(CRLF) + readingKept();
        }
        stateTold_ = true;
        report(state);
        return false;
    }

    // Removes what this write put on the card, after a failure that has been reported or is
    // about to be, when nothing else has changed.
    void discardStaging() {
        if (DeleteTree(files_, card_.staging, Listing::WithHidden)) {
            passOver(journal_.remove());  // else the next write of this card removes it
        }
        if (madeBackup_) {
            passOver(files_.removeDir(card_.backup));  // only while nothing is in it
        }
        passOver(files_.flushFolder(card_.backup));  // the failure is reported already
    }

    // What the card holds while the new database is not in its place.
    std::string cardAsItWas() {
        return files_.folderExists(card_.single) ? "The card still holds its old database."
                                                 : "The card holds no database.";
    }

    void renameFailure(const std::string& from, const std::string& to, FileError e) {
        op_.reportFailure("Failed writing: " + card_.single + std::string(CRLF) +
                          "Can not rename " + from + " to " + to + ": " +
                          std::string(errorDescription(e)) + "." + std::string(CRLF) +
                          cardAsItWas() + " Close any program that shows the card's folders, " +
                          "and ensure the card is not write-protected.");
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
    CardFolders card_;
    CardJournal journal_;
    std::optional<std::vector<FileProof>> oldDatabase_;
    bool madeBackup_ = false;  // backup\ was not on the card before this write
    bool dropped_ = false;     // the old database was removed to make room for the new one
    bool stateTold_ = false;   // a message has said what the card holds
};

}  // namespace

PlaceOutcome PlaceOnCompactFlash(ConversionContext& context, const DatabaseProof& proof) {
    return Placement(context, proof).run();
}

}  // namespace xq
