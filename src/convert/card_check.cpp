#include "convert/card_check.h"

#include <algorithm>

#include "archive/archive_descriptor.h"
#include "archive/set_names.h"
#include "convert/absent_record.h"

namespace xq {

CardCheck CheckCard(FileService& files, std::string_view root) {
    CardCheck check;
    check.single = std::string(root) + "backup\\single\\";
    const std::string descriptor = check.single + std::string(kDescriptorName);
    if (!files.folderExists(check.single) || !files.fileExists(descriptor)) {
        check.outcome = CardCheck::Outcome::NoDatabase;
        return check;
    }
    if (!ParseArchiveDescriptor(files, descriptor, check.archive).ok() ||
        check.archive.disketteCount != 1) {
        check.outcome = CardCheck::Outcome::BadDescriptor;
        return check;
    }
    const std::vector<ArchivedFile> table(check.archive.table().begin(),
                                          check.archive.table().end());
    check.files = CheckListedFiles(files, check.single, table);
    // An absence is accepted only where the conversion recorded it for this very descriptor, and
    // only for a file whose archived checksum is that of nothing: an all-zero file of any length
    // sums to 0 too, and the descriptor holds no lengths.
    const std::vector<std::string> recorded =
        recordedAbsentFiles(files, std::string(root) + "backup\\");
    for (std::size_t i = 0, file = 0; i < table.size(); ++i) {
        if (!table[i].namesAFile()) {
            continue;
        }
        ListedFileCheck& check_of = check.files[file++];
        if (check_of.state == ListedFileState::Missing && table[i].archivedChecksum == 0 &&
            std::ranges::find(recorded, table[i].fileName) != recorded.end()) {
            check_of.state = ListedFileState::RecordedAbsent;
        }
    }
    const bool allHold =
        std::all_of(check.files.begin(), check.files.end(), [](const ListedFileCheck& file) {
            return file.state == ListedFileState::Holds ||
                   file.state == ListedFileState::RecordedAbsent;
        });
    check.outcome = allHold ? CardCheck::Outcome::Holds : CardCheck::Outcome::DoesNotHold;
    return check;
}

}  // namespace xq
