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

// The copy of a plain tree: new files copied, existing ones extended, every failure reported.
class JoiningCopier final : public FileCopier {
  public:
    JoiningCopier(FileService& files, Operator& op) : files_(files), op_(op) {}

    CopyOutcome copyFile(std::string_view, const std::string& source, const std::string& target,
                         bool targetExists) override {
        if (targetExists) {
            // Extended byte for byte; on failure the target is left as it was before.
            const TransferResult appended = files_.appendFile(source, target);
            if (!appended.ok()) {
                return fail(appended.readFailed() ? readFailure(source)
                                                  : writeFailure(target, driveLetterOf(target)));
            }
            return CopyOutcome::Copied;
        }
        if (!files_.copyFile(source, target, true).ok()) {
            return fail(copyFailure(source, target, driveLetterOf(op_.window().DriveList.drive())));
        }
        return CopyOutcome::Copied;
    }

    CopyOutcome unlistedFolder(std::string_view, const std::string& source, FileError) override {
        // A folder that cannot be listed (a diskette taken out, a missing copy) would otherwise
        // pass as an empty tree and the gap would only show much later.
        return fail(readFailure(source));
    }

  private:
    CopyOutcome fail(const std::string& message) {
        op_.reportFailure(message);
        return CopyOutcome::Failed;
    }

    FileService& files_;
    Operator& op_;
};

class TreeCopy {
  public:
    TreeCopy(FileService& files, Operator& op, std::int16_t step, const TreeFilter& leaveOut,
             std::size_t rootLength, FileCopier& copier)
        : files_(files),
          op_(op),
          step_(step),
          leaveOut_(leaveOut),
          rootLength_(rootLength),
          copier_(copier) {}

    CopyOutcome copy(const std::string& source, const std::string& target) {
        Result<std::vector<DirEntry>> listing = files_.listDirectory(source);
        if (!listing) {
            return copier_.unlistedFolder(relative(source), source, listing.error());
        }
        for (const DirEntry& entry : *listing) {
            CopyOutcome result = CopyOutcome::Copied;
            if (entry.kind == EntryKind::Directory) {
                result = copyFolder(source, target, entry.name);
            } else if (entry.kind == EntryKind::File) {
                const std::string path = source + entry.name;
                if (leftOut(path)) {
                    // Counted as if copied and removed again: the bar's steps were sized for
                    // every file of the tree.
                    op_.window().advanceProgress(step_);
                } else {
                    result = copyFile(path, target + entry.name);
                }
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
    std::string_view relative(const std::string& path) const {
        return std::string_view(path).substr(rootLength_ - 1);
    }

    bool leftOut(const std::string& path) const { return leaveOut_ && leaveOut_(relative(path)); }

    // The bar advances for each file the target does not hold yet; extending one does not.
    CopyOutcome copyFile(const std::string& source, const std::string& target) {
        const bool targetExists = files_.fileExists(target);
        if (!targetExists) {
            op_.window().advanceProgress(step_);
        }
        return copier_.copyFile(relative(source), source, target, targetExists);
    }

    CopyOutcome copyFolder(const std::string& source, const std::string& target,
                           const std::string& name) {
        const std::string folder = target + name;
        // Anything else standing there under that name (a file, a link) makes the creation fail:
        // the copy never writes through a link into some other folder.
        if (!files_.folderExists(folder) && files_.makeDir(folder) != FileError::None) {
            op_.reportFailure(directoryCreationFailure(folder, driveLetterOf(folder)));
            return CopyOutcome::Failed;
        }
        return copy(source + name + "\\", folder + "\\");
    }

    FileService& files_;
    Operator& op_;
    std::int16_t step_;
    const TreeFilter& leaveOut_;
    std::size_t rootLength_;
    FileCopier& copier_;
};

}  // namespace

CopyOutcome CopyTree(FileService& files, Operator& op, std::string_view source,
                     std::string_view target, std::int16_t step) {
    return CopyTree(files, op, source, target, step, TreeFilter());
}

CopyOutcome CopyTree(FileService& files, Operator& op, std::string_view source,
                     std::string_view target, std::int16_t step, const TreeFilter& leaveOut) {
    JoiningCopier copier(files, op);
    return CopyTree(files, op, source, target, step, leaveOut, copier);
}

CopyOutcome CopyTree(FileService& files, Operator& op, std::string_view source,
                     std::string_view target, std::int16_t step, const TreeFilter& leaveOut,
                     FileCopier& copier) {
    const std::string root = asFolderPath(source);
    return TreeCopy(files, op, step, leaveOut, root.size(), copier)
        .copy(root, asFolderPath(target));
}

}  // namespace xq
