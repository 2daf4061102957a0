#include "archive/archive_messages.h"
#include "archive/tree_operations.h"
#include "archive/tree_paths.h"
#include "platform/drive_table.h"
#include "platform/text.h"

namespace xq {

namespace {

std::string readFailure(std::string_view file) {
    return std::string("Failed to read file ")
        .append(file)
        .append(CRLF)
        .append("Ensure that the floppy disk is readable ");
}

std::string writeFailure(std::string_view file) {
    return std::string("Failed writing: ")
        .append(file)
        .append(CRLF)
        .append("Ensure there is enough free space available on drive ")
        .append(driveRootText(driveLetterOf(file)));
}

std::string copyFailure(std::string_view source, std::string_view target, char driveLetter) {
    return std::string("Can not copy file ")
        .append(source)
        .append(" to ")
        .append(target)
        .append(CRLF)
        .append("Ensure that the floppy disk is readable and that ")
        .append(CRLF)
        .append("there is enough free space available on drive ")
        .append(driveRootText(driveLetter));
}

class TreeCopy {
  public:
    TreeCopy(FileService& files, Operator& op, std::int16_t step, const TreeFilter& leaveOut,
             std::size_t rootLength)
        : files_(files), op_(op), step_(step), leaveOut_(leaveOut), rootLength_(rootLength) {}

    CopyOutcome copy(const std::string& source, const std::string& target) {
        Result<std::vector<DirEntry>> listing = files_.listDirectory(source);
        if (!listing) {
            // A folder that cannot be listed (a diskette taken out, a missing copy) would
            // otherwise pass as an empty tree and the gap would only show much later.
            return fail(readFailure(source));
        }
        for (const DirEntry& entry : *listing) {
            CopyOutcome result = CopyOutcome::Copied;
            if (entry.kind == EntryKind::Directory) {
                result = copyFolder(source, target, entry.name);
            } else if (entry.kind == EntryKind::File && leftOut(source + entry.name)) {
                // Counted as if copied and removed again: the bar's steps were sized for every
                // file of the tree.
                op_.window().advanceProgress(step_);
            } else if (entry.kind == EntryKind::File) {
                result = copyFile(source + entry.name, target + entry.name);
            }
            // Links and special entries are left out, as hidden ones are.
            if (result != CopyOutcome::Copied) {
                return result;
            }
            op_.advanceWork();
        }
        return CopyOutcome::Copied;
    }

  private:
    // The path below the tree's root, with its leading "\".
    bool leftOut(const std::string& path) const {
        return leaveOut_ && leaveOut_(std::string_view(path).substr(rootLength_ - 1));
    }

    CopyOutcome copyFolder(const std::string& source, const std::string& target,
                           const std::string& name) {
        const std::string folder = target + name;
        // Anything else standing there under that name (a file, a link) makes the creation fail:
        // the copy never writes through a link into some other folder.
        if (!files_.folderExists(folder) && files_.makeDir(folder) != FileError::None) {
            return fail(directoryCreationFailure(folder, driveLetterOf(folder)));
        }
        return copy(source + name + "\\", folder + "\\");
    }

    CopyOutcome copyFile(const std::string& source, const std::string& target) {
        if (files_.fileExists(target)) {
            // Extended byte for byte; on failure the target is left as it was before.
            const TransferResult appended = files_.appendFile(source, target);
            if (!appended.ok()) {
                return fail(appended.readFailed() ? readFailure(source) : writeFailure(target));
            }
            return CopyOutcome::Copied;
        }
        op_.window().advanceProgress(step_);
        if (!files_.copyFile(source, target, true).ok()) {
            return fail(copyFailure(source, target, driveLetterOf(op_.window().DriveList.drive())));
        }
        return CopyOutcome::Copied;
    }

    CopyOutcome fail(const std::string& message) {
        op_.reportFailure(message);
        return CopyOutcome::Failed;
    }

    FileService& files_;
    Operator& op_;
    std::int16_t step_;
    const TreeFilter& leaveOut_;
    std::size_t rootLength_;
};

}  // namespace

CopyOutcome CopyTree(FileService& files, Operator& op, std::string_view source,
                     std::string_view target, std::int16_t step) {
    return CopyTree(files, op, source, target, step, TreeFilter());
}

CopyOutcome CopyTree(FileService& files, Operator& op, std::string_view source,
                     std::string_view target, std::int16_t step, const TreeFilter& leaveOut) {
    const std::string root = asFolderPath(source);
    return TreeCopy(files, op, step, leaveOut, root.size()).copy(root, asFolderPath(target));
}

}  // namespace xq
