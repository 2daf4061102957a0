#include "convert/card_check.h"

#include <algorithm>

#include "archive/archive_descriptor.h"
#include "archive/set_names.h"
#include "archive/tree_operations.h"
#include "convert/absent_record.h"
#include "convert/card_recovery.h"
#include "platform/text.h"

namespace xq {

namespace {

// What a write of the converter's left on the card, when one was cut off; empty when none was.
std::string unfinishedWrite(FileService& files, std::string_view root) {
    const CardFolders folders(std::string(root.substr(0, 2)));
    CardJournal journal(files, folders.backup);
    const Result<CardEntries> entries = journal.look();
    if (!entries || !entries->journalled) {
        return {};
    }
    const CardState state = ExamineCard(files, folders, *entries);
    std::string text = CardHoldsText(state, folders);
    if (const std::string next = NextWriteText(state); !next.empty()) {
        text += std::string(CRLF) + "The next write of this card " + next;
    }
    return text;
}

}  // namespace

CardCheck CheckCard(FileService& files, std::string_view root, const CardCheckProgress& progress) {
    CardCheck check;
    check.single = std::string(root) + "backup\\single\\";
    if (check.unfinished = unfinishedWrite(files, root); !check.unfinished.empty()) {
        check.outcome = CardCheck::Outcome::UnfinishedWrite;
        return check;
    }
    const std::string descriptor = check.single + std::string(kDescriptorName);
    if (!files.folderExists(check.single) || !files.fileExists(descriptor)) {
        check.outcome = CardCheck::Outcome::NoDatabase;
        return check;
    }
    if (!ListTree(files, check.single, Listing::WithHidden)) {
        check.outcome = CardCheck::Outcome::NotATree;
        return check;
    }
    if (!ParseArchiveDescriptor(files, descriptor, check.archive).ok() ||
        check.archive.disketteCount != 1) {
        check.outcome = CardCheck::Outcome::BadDescriptor;
        return check;
    }
    if (progress.began) {
        progress.began(check);
    }
    const std::vector<ArchivedFile> table(check.archive.table().begin(),
                                          check.archive.table().end());
    // An absence is accepted only where the conversion recorded it for this very descriptor, and
    // only for a file whose archived checksum is that of nothing: an all-zero file of any length
    // sums to 0 too, and the descriptor holds no lengths.
    const std::vector<std::string> recorded =
        recordedAbsentFiles(files, std::string(root) + "backup\\");
    check.files = CheckListedFiles(files, check.single, table, [&](ListedFileCheck& file) {
        const auto listed = std::ranges::find(table, file.name, &ArchivedFile::fileName);
        if (file.state == ListedFileState::Missing && listed != table.end() &&
            listed->archivedChecksum == 0 &&
            std::ranges::find(recorded, file.name) != recorded.end()) {
            file.state = ListedFileState::RecordedAbsent;
        }
        if (progress.checked) {
            progress.checked(file);
        }
    });
    const bool allHold =
        std::all_of(check.files.begin(), check.files.end(), [](const ListedFileCheck& file) {
            return file.state == ListedFileState::Holds ||
                   file.state == ListedFileState::RecordedAbsent;
        });
    check.outcome = allHold ? CardCheck::Outcome::Holds : CardCheck::Outcome::DoesNotHold;
    return check;
}

}  // namespace xq
