#include "convert/temporary_directories.h"

#include <algorithm>

#include "archive/set_names.h"
#include "archive/tree_operations.h"
#include "platform/text.h"

namespace xq {

namespace {

// Whether `name` is the record of what a diskette's copy lacks: a copy's name and ".missing".
bool isMissingBytesName(std::string_view name) {
    const std::string_view extension = kMissingBytesExtension;
    return name.size() > extension.size() &&
           equalsIgnoringAsciiCase(name.substr(name.size() - extension.size()), extension) &&
           isDisketteDirectoryName(name.substr(0, name.size() - extension.size()));
}

// Removes the record of what a diskette's copy lacked, where there is one.
void removeMissingBytesFile(FileService& files, Operator& op, const std::string& file) {
    const FileError e = files.deleteFile(file);
    if (e != FileError::None && e != FileError::FileNotFound && e != FileError::PathNotFound) {
        op.logMessage("Failed to remove " + file);
    }
}

// Removes one working directory; what cannot go is named in the log, and the next run of the
// program, with the lock of the temporary folder, removes it.
void removeWorkingDirectory(FileService& files, Operator& op, const std::string& folder) {
    if (!DeleteTree(files, folder, Listing::WithHidden)) {
        op.logMessage("Failed to remove " + folder);
    }
}

}  // namespace

void RemoveTemporaryDirectories(ConversionContext& context) {
    const std::string temp = TemporaryFolder(context.files);
    const std::string flat = flatDirectory(temp) + "\\";
    context.op.logMessage("Remove temporary directory " + flat);
    removeWorkingDirectory(context.files, context.op, flat);
    const int disks = std::max<int>(context.archive.disketteCount, context.disketteDirectories);
    for (int n = 1; n <= disks; ++n) {
        const std::string disk = disketteDirectory(temp, n) + "\\";
        context.op.logMessage("Remove temporary directory " + disk);
        removeWorkingDirectory(context.files, context.op, disk);
        removeMissingBytesFile(context.files, context.op, missingBytesFile(temp, n));
    }
}

void RemoveLeftoverDirectories(FileService& files, Operator& op) {
    const std::string temp = TemporaryFolder(files) + "\\";
    Result<std::vector<DirEntry>> entries = files.listDirectory(temp, Listing::WithHidden);
    if (!entries) {
        return;  // nothing to see; reading the diskettes reports a temporary folder it cannot use
    }
    for (const DirEntry& entry : *entries) {
        // A link under such a name is not a directory of ours: it stays, and so does what it
        // points to.
        if (entry.kind == EntryKind::Directory && isWorkingDirectoryName(entry.name)) {
            const std::string folder = temp + entry.name + "\\";
            op.logMessage("Remove temporary directory " + folder + " left by an earlier run");
            removeWorkingDirectory(files, op, folder);
        } else if (entry.kind == EntryKind::File && isMissingBytesName(entry.name)) {
            removeMissingBytesFile(files, op, temp + entry.name);
        }
    }
}

}  // namespace xq
