#include "convert/card_check.h"

#include <algorithm>

#include "archive/archive_descriptor.h"
#include "archive/set_names.h"

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
    const bool allHold = std::all_of(
        check.files.begin(), check.files.end(),
        [](const ListedFileCheck& file) { return file.state == ListedFileState::Holds; });
    check.outcome = allHold ? CardCheck::Outcome::Holds : CardCheck::Outcome::DoesNotHold;
    return check;
}

}  // namespace xq
