#include "convert/card_journal.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <tuple>

#include "convert/absent_record.h"
#include "platform/text.h"

namespace xq {

namespace {

// The journal is text: the mark, the stage, a line for each file of each database it knows (its
// runs, each a length and a digest, then its name), and "end". A word without its end was cut off
// while it was written.
constexpr std::string_view kMark = "XQ3100 Database Media Converter card journal, version 2\n";
constexpr std::string_view kEnd = "end\n";
// The journal of earlier versions: the mark and the stage alone, no digests.
constexpr std::string_view kEarlierMark = "XQ3100 Database Media Converter card journal\n";
// Far more than the digests of any database take: anything longer is not a journal.
constexpr std::size_t kLongestJournal = 4 * 1024 * 1024;

constexpr std::array<std::pair<JournalStage, std::string_view>, 4> kStageNames = {{
    {JournalStage::Writing, "write"},
    {JournalStage::Dropping, "drop"},
    {JournalStage::Swapping, "swap"},
    {JournalStage::Proven, "proven"},
}};

std::string_view stageName(JournalStage stage) {
    for (const auto& [each, name] : kStageNames) {
        if (each == stage) {
            return name;
        }
    }
    return {};
}

std::optional<JournalStage> stageNamed(std::string_view name) {
    for (const auto& [stage, each] : kStageNames) {
        if (each == name) {
            return stage;
        }
    }
    return std::nullopt;
}

// Names may hold any byte but a line break; "%" and control characters are written as %XX.
std::string escapedName(std::string_view name) {
    std::string text;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '%') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            text += hex;
        } else {
            text += c;
        }
    }
    return text;
}

std::optional<std::string> unescapedName(std::string_view text) {
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            name += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= text.size() ||
            std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16).ptr !=
                text.data() + i + 3) {
            return std::nullopt;
        }
        name += static_cast<char>(value);
        i += 2;
    }
    return name;
}

// "<length>:<digest>,..." for a file's runs, "<length>" alone for a file known by its length.
std::string runsText(const FileProof& file, bool digests) {
    std::string text;
    for (const ProvenRun& run : file.runs) {
        text += (text.empty() ? "" : ",") + std::to_string(run.length);
        if (digests) {
            text += ":" + digestText(run.digest);
        }
    }
    return text.empty() ? "-" : text;
}

std::optional<std::vector<ProvenRun>> parseRuns(std::string_view text) {
    std::vector<ProvenRun> runs;
    if (text == "-") {
        return runs;
    }
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        const std::string_view run = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const std::size_t colon = std::min(run.find(':'), run.size());
        std::uint64_t length = 0;
        if (std::from_chars(run.data(), run.data() + colon, length).ptr != run.data() + colon) {
            return std::nullopt;
        }
        ProvenRun parsed{.length = length};
        if (colon < run.size()) {
            const std::optional<Digest128> digest = parseDigestText(run.substr(colon + 1));
            if (!digest) {
                return std::nullopt;
            }
            parsed.digest = *digest;
        }
        runs.push_back(parsed);
        if (comma != std::string_view::npos && text.empty()) {
            return std::nullopt;
        }
    }
    return runs;
}

enum class Word { Unreadable, Foreign, CutOff, Unknown, Complete };

struct ReadWord {
    Word kind = Word::Foreign;
    std::optional<JournalWord> word;
};

ReadWord classify(std::string_view text) {
    if (std::optional<JournalWord> word = parseJournal(text)) {
        return {Word::Complete, std::move(word)};
    }
    if (kMark.starts_with(text) || kEarlierMark.starts_with(text)) {
        return {Word::CutOff};
    }
    for (const auto& [stage, name] : kStageNames) {
        if ((std::string(kEarlierMark) + std::string(name) + "\n").starts_with(text)) {
            return {Word::CutOff};
        }
    }
    if (text.starts_with(kMark)) {
        return {text.ends_with(kEnd) ? Word::Unknown : Word::CutOff};
    }
    // An earlier version's mark with a word of a later one.
    return {text.starts_with(kEarlierMark) ? Word::Unknown : Word::Foreign};
}

ReadWord readWord(FileService& files, const std::string& path) {
    const Result<std::uint64_t> length = files.fileLength(path);
    if (length && *length > kLongestJournal) {
        return {};  // far too long for a journal
    }
    const std::optional<std::string> text = readSmallFile(files, path, kLongestJournal);
    return text ? classify(*text) : ReadWord{Word::Unreadable};
}

}  // namespace

std::string journalText(const JournalWord& word) {
    std::string text = std::string(kMark) + "stage " + std::string(stageName(word.stage)) + "\n";
    // The new database by the digests of its bytes, the old one by its files' lengths.
    for (const auto& [label, files, digests] : {std::tuple{"new ", &word.newDatabase, true},
                                                std::tuple{"old ", &word.oldDatabase, false}}) {
        if (!*files) {
            continue;
        }
        // A database of no files still says it is known.
        text += std::string(label) + "database\n";
        for (const FileProof& file : **files) {
            text +=
                std::string(label) + runsText(file, digests) + " " + escapedName(file.name) + "\n";
        }
    }
    return text + std::string(kEnd);
}

std::optional<JournalWord> parseJournal(std::string_view text) {
    if (text.starts_with(kEarlierMark)) {
        std::string_view rest = text.substr(kEarlierMark.size());
        if (!rest.ends_with('\n')) {
            return std::nullopt;
        }
        const std::optional<JournalStage> stage = stageNamed(rest.substr(0, rest.size() - 1));
        return stage ? std::optional(JournalWord{.stage = *stage}) : std::nullopt;
    }
    if (!text.starts_with(kMark) || !text.ends_with(kEnd)) {
        return std::nullopt;
    }
    const std::optional<std::vector<std::string_view>> lines =
        completeLines(text.substr(kMark.size(), text.size() - kMark.size() - kEnd.size()));
    if (!lines || lines->empty()) {
        return std::nullopt;
    }
    const std::string_view first = lines->front();
    const std::optional<JournalStage> stage =
        first.starts_with("stage ") ? stageNamed(first.substr(6)) : std::nullopt;
    if (!stage) {
        return std::nullopt;
    }
    JournalWord word{.stage = *stage};
    for (std::size_t i = 1; i < lines->size(); ++i) {
        std::string_view line = (*lines)[i];
        std::optional<std::vector<FileProof>>* files = line.starts_with("new ") ? &word.newDatabase
                                                       : line.starts_with("old ")
                                                           ? &word.oldDatabase
                                                           : nullptr;
        if (files == nullptr) {
            return std::nullopt;
        }
        line.remove_prefix(4);
        if (line == "database") {
            if (*files) {
                return std::nullopt;
            }
            files->emplace();
            continue;
        }
        const std::size_t blank = line.find(' ');
        if (!*files || blank == std::string_view::npos) {
            return std::nullopt;
        }
        std::optional<std::vector<ProvenRun>> runs = parseRuns(line.substr(0, blank));
        std::optional<std::string> name = unescapedName(line.substr(blank + 1));
        if (!runs || !name || !name->starts_with('\\')) {
            return std::nullopt;
        }
        (*files)->push_back({.name = std::move(*name), .runs = std::move(*runs)});
    }
    return word;
}

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
            (named(kStagingName) ? found.staging : found.aside) = true;
            unmarkedFolder = entry.name;
        } else if (named(kAbsentRecordName)) {
            // The record of the database's absent files: the program's only with its content.
            const std::optional<std::string> text =
                entry.kind == EntryKind::File
                    ? readSmallFile(files_, backup_ + entry.name, kLongestJournal)
                    : std::nullopt;
            if (!text || !parseAbsentRecord(*text)) {
                found.foreign = entry.name;
                return found;
            }
        } else if (named(kJournalName) || named(kJournalNextName)) {
            ReadWord word =
                entry.kind == EntryKind::File ? readWord(files_, backup_ + entry.name) : ReadWord{};
            if (word.kind == Word::Unreadable) {
                return FileError::DeviceIo;  // it may be ours: nothing can be decided now
            }
            if (word.kind == Word::Foreign) {
                found.foreign = entry.name;
                return found;
            }
            if (word.kind == Word::Unknown) {
                found.unknown = entry.name;
                return found;
            }
            (named(kJournalName) ? journal : next) = std::move(word);
        }
    }
    found.journalled = journal || next;
    if (!found.journalled) {
        found.foreign = unmarkedFolder;  // a staging folder no journal marks is not ours
        return found;
    }
    // A complete word beside the journal is the newest: the program wrote it in full and was
    // stopped before it took the journal's name.
    if (next && next->kind == Word::Complete) {
        found.word = next->word;
    } else if (journal && journal->kind == Word::Complete) {
        found.word = journal->word;
    }
    return found;
}

bool CardJournal::write(const JournalWord& word) {
    Result<std::unique_ptr<OutputFile>> out = files_.openWrite(next_, WriteMode::Create);
    if (!out) {
        return false;
    }
    const std::string text = journalText(word);
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
