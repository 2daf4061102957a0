#include "convert/card_journal.h"

#include <array>

#include "platform/text.h"

namespace xq {

namespace {

constexpr std::string_view kMark = "XQ3100 Database Media Converter card journal\n";
// A journal is a few dozen bytes; anything much longer is not one.
constexpr std::size_t kLongestJournal = 128;

constexpr std::array<std::pair<JournalStage, std::string_view>, 4> kStageNames = {{
    {JournalStage::Writing, "write"},
    {JournalStage::Dropping, "drop"},
    {JournalStage::Swapping, "swap"},
    {JournalStage::Proven, "proven"},
}};

std::string journalText(JournalStage stage) {
    for (const auto& [each, name] : kStageNames) {
        if (each == stage) {
            return std::string(kMark) + std::string(name) + "\n";
        }
    }
    return std::string(kMark);
}

enum class Word { Foreign, CutOff, Complete };

struct ReadWord {
    Word word = Word::Foreign;
    JournalStage stage = JournalStage::Writing;
};

// A journal file of the program's holds one complete word, or the beginning of one: a write cut
// off (an empty file too). Anything else is not the program's.
ReadWord readWord(FileService& files, const std::string& path) {
    Result<std::unique_ptr<InputFile>> in = files.openRead(path);
    if (!in) {
        return {};
    }
    std::array<char, kLongestJournal + 1> buffer{};
    const Result<std::size_t> got = (*in)->read(buffer);
    if (!got || *got > kLongestJournal) {
        return {};
    }
    const std::string_view text(buffer.data(), *got);
    for (const auto& [stage, name] : kStageNames) {
        const std::string complete = journalText(stage);
        if (text == complete) {
            return {Word::Complete, stage};
        }
        if (complete.starts_with(text)) {
            return {Word::CutOff};
        }
    }
    return {};
}

}  // namespace

CardJournal::CardJournal(FileService& files, std::string backup)
    : files_(files),
      backup_(std::move(backup)),
      journal_(backup_ + std::string(kJournalName)),
      next_(backup_ + std::string(kJournalNextName)) {}

Result<CardEntries> CardJournal::look() {
    Result<std::vector<DirEntry>> listed = files_.listDirectory(backup_, Listing::WithHidden);
    if (!listed) {
        return listed.error();
    }
    CardEntries found;
    std::optional<std::string> unmarkedFolder;
    std::optional<ReadWord> journal;
    std::optional<ReadWord> next;
    for (const DirEntry& entry : *listed) {
        const auto named = [&entry](std::string_view name) {
            return equalsIgnoringAsciiCase(entry.name, name);
        };
        if (named(kStagingName) || named(kAsideName)) {
            if (entry.kind != EntryKind::Directory) {
                found.foreign = entry.name;
                return found;
            }
            unmarkedFolder = entry.name;
        } else if (named(kJournalName) || named(kJournalNextName)) {
            const ReadWord word = entry.kind == EntryKind::File
                                      ? readWord(files_, backup_ + entry.name)
                                      : ReadWord{};
            if (word.word == Word::Foreign) {
                found.foreign = entry.name;
                return found;
            }
            (named(kJournalName) ? journal : next) = word;
        }
    }
    found.journalled = journal || next;
    if (!found.journalled) {
        found.foreign = unmarkedFolder;  // a staging folder no journal marks is not ours
        return found;
    }
    // A complete word beside the journal is the newest: the program wrote it in full and was
    // stopped before it took the journal's name.
    if (next && next->word == Word::Complete) {
        found.stage = next->stage;
    } else if (journal && journal->word == Word::Complete) {
        found.stage = journal->stage;
    }
    return found;
}

bool CardJournal::write(JournalStage stage) {
    Result<std::unique_ptr<OutputFile>> out = files_.openWrite(next_, WriteMode::Create);
    if (!out) {
        return false;
    }
    const std::string text = journalText(stage);
    for (FileError e : {(*out)->write(text), (*out)->flush(), (*out)->close()}) {
        if (e != FileError::None) {
            passOver(files_.deleteFile(next_));  // a word cut off; the journal still holds
            return false;
        }
    }
    if (files_.fileExists(journal_) && files_.deleteFile(journal_) != FileError::None) {
        return false;
    }
    return files_.rename(next_, journal_) == FileError::None &&
           files_.flushFolder(backup_) == FileError::None;
}

bool CardJournal::remove() {
    for (const std::string& path : {next_, journal_}) {
        if (files_.fileExists(path) && files_.deleteFile(path) != FileError::None) {
            return false;
        }
    }
    return files_.flushFolder(backup_) == FileError::None;
}

}  // namespace xq
