#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/database_proof.h"
#include "platform/file_service.h"

namespace xq {

// The program's own entries in a card's backup\, beside backup\single (the only folder the system
// reads). The names fit 8.3, so any FAT driver shows them as they are.
inline constexpr std::string_view kStagingName = "XQ3100.NEW";  // the new database, being written
inline constexpr std::string_view kAsideName =
    "XQ3100.OLD";  // the old one, while the new is proven
inline constexpr std::string_view kJournalName = "XQ3100.JNL";
// Each new word of the journal is written here in full first, then takes the journal's name.
inline constexpr std::string_view kJournalNextName = "XQ3100.JN~";

// What the journal says the program is doing with the card.
enum class JournalStage {
    Writing,   // the new database goes into the staging folder; backup\single is untouched
    Dropping,  // the old database is set aside and removed, to make room for the new one
    Swapping,  // the old database goes aside and the new one takes backup\single, not yet proven
    Proven,    // backup\single holds the new database, read back and proven; the old one may go
};

// A word of the journal: the stage, and what the two databases are, file by file, so that a later
// run proves which folder holds which before it removes anything: the new database by the digests
// of its bytes, the old one by its files' names and lengths. A journal of an earlier version of the
// program has neither.
struct JournalWord {
    JournalStage stage = JournalStage::Writing;
    std::optional<std::vector<FileProof>> newDatabase;  // from the swap on
    std::optional<std::vector<FileProof>> oldDatabase;  // when an old one is replaced or dropped

    bool operator==(const JournalWord&) const = default;
};

// The program's entries found in backup\.
struct CardEntries {
    // An entry under one of the program's names that is not the program's (a link, a FIFO, a file
    // of other content, a staging folder no journal marks): its name. Nothing is touched then.
    std::optional<std::string> foreign;
    // A journal of the program's that a later version wrote (a stage this one does not know): its
    // name. Nothing is touched then either.
    std::optional<std::string> unknown;
    bool journalled = false;  // a journal of the program's is there
    // The word the journal records; nullopt when every word of it was cut off while written.
    std::optional<JournalWord> word;
    bool staging = false;  // the staging folder is there
    bool aside = false;    // the folder of the old database set aside is there
};

// The journal's text for a word, and the word a text holds (nullopt when it is not a complete one).
std::string journalText(const JournalWord& word);
std::optional<JournalWord> parseJournal(std::string_view text);

// The journal in a card's backup\ that marks the staging folders as the program's and records what
// the program is doing, so that a write cut off at any point is put right by the next one. Every
// word of it is written beside it, flushed, and only then takes its name: whatever moment the
// program is killed at, one complete word is on the card, or one cut off that the other tells
// apart from.
class CardJournal {
  public:
    // `backup` is the card's backup folder, with its trailing "\".
    CardJournal(FileService& files, std::string backup);

    const std::string& path() const { return journal_; }

    // Looks at the program's entries in backup\. An error when backup\ cannot be listed.
    Result<CardEntries> look();

    // Records `word`, flushed to the card. False when it could not be recorded; the journal then
    // still says what it said before, or the new word beside it does.
    [[nodiscard]] bool write(const JournalWord& word);

    // Removes the journal and a word left beside it. False when something stays.
    [[nodiscard]] bool remove();

  private:
    FileService& files_;
    std::string backup_;
    std::string journal_;
    std::string next_;
};

}  // namespace xq
