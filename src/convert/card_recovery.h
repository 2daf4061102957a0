#pragma once

#include <functional>
#include <optional>
#include <string>

#include "convert/card_journal.h"
#include "platform/file_service.h"

namespace xq {

// The folders of a card's backup\ that the program works with, each with its trailing "\".
struct CardFolders {
    explicit CardFolders(const std::string& flashDrive);  // "E:"

    std::string backup;   // E:\backup\ (the journal lies here)
    std::string single;   // E:\backup\single\ (the database the system reads)
    std::string staging;  // E:\backup\XQ3100.NEW\ (the new database, while it is written)
    std::string aside;    // E:\backup\XQ3100.OLD\ (the old one, while the new one is proven)
};

// What one of those folders holds, as the journal's digests prove it, read back from the medium.
enum class Holds {
    Nothing,      // the folder is not there
    OldDatabase,  // the database the card held before the write, whole
    NewDatabase,  // the database of the write, whole
    Unproven,     // something that is neither, or that nothing could prove
};

// The program's folders on a card and what each holds: the state every outcome of a card write is
// told from, in the messages and in the tests alike.
struct CardState {
    Holds single = Holds::Nothing;
    Holds staging = Holds::Nothing;
    Holds aside = Holds::Nothing;
    bool journalled = false;          // the journal is there: the card has an unfinished write
    std::optional<JournalWord> word;  // what it says, when a whole word of it could be read

    bool operator==(const CardState&) const = default;
};

// Looks at the card's folders and proves what each holds, reading it back from the medium. A
// folder is proven only against digests of the journal: without a journal, or with one of an
// earlier version, backup\single is what the card holds and the others are Unproven.
[[nodiscard]] CardState ExamineCard(FileService& files, const CardFolders& folders,
                                    const CardEntries& entries);

// Whose write is put right: the one that has just failed, which takes itself back to the old
// database whatever its journal says, or an earlier one that was cut off, put right as its journal
// says.
enum class WriteToSettle { ThisOne, Earlier };

// How a card left by an unfinished write was put right.
struct [[nodiscard]] SettleResult {
    bool settled = false;  // nothing of the write is left: no journal, no folder but backup\single
    CardState state;       // what the card holds now
    // Why it could not be settled: the operation that failed, and the folder it failed on.
    FileError error = FileError::None;
    std::string failedOn;
};

// What a card write left is put right: the whole database the journal points to (the new one once
// it was proven there, else the old one, else the new one) takes backup\single, and what is left
// of the write goes. Nothing is removed that may be the only whole copy of a database: a folder
// goes only when a whole database is in place at backup\single, or when it is the staging folder
// of a write that never got as far as the swap, or the rest of an old database the operator
// agreed to remove to make room. What is moved or removed is logged.
[[nodiscard]] SettleResult SettleCard(FileService& files, CardJournal& journal,
                                      const CardFolders& folders, CardState state,
                                      WriteToSettle write,
                                      const std::function<void(const std::string&)>& log);

// What the card holds, in a sentence or two for the operator ("The card still holds its old
// database.").
std::string CardHoldsText(const CardState& state, const CardFolders& folders);

// What the next write of the card will do first, for a card with an unfinished write ("puts the old
// database back first."); empty when nothing is left to do, or when it cannot tell.
std::string NextWriteText(const CardState& state);

}  // namespace xq
