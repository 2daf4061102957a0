#include "archive/diskette_reader.h"

#include <algorithm>
#include <cstdint>

#include "archive/archive_descriptor.h"
#include "archive/archive_messages.h"
#include "archive/descriptor_error.h"
#include "archive/first_line.h"
#include "archive/set_names.h"
#include "archive/tree_operations.h"
#include "platform/drive_table.h"
#include "platform/text.h"

namespace xq {

namespace {

// The diskette file's archive ID starts at its 18th character, the same column as in the
// descriptor.
constexpr std::size_t kDisketteIdAt = 17;
constexpr int kProgressPerDiskette = 100;

std::string wrongDiskette(int n) {
    return std::string("Wrong diskette!").append(CRLF).append("Insert diskette #") +
           formatNumber(n);
}

class DisketteRead {
  public:
    DisketteRead(DisketteReadContext& context, std::int16_t n)
        : c_(context), op_(context.op), files_(context.files), n_(n) {}

    ReadResult run() {
        if (n_ > kMaxDisketteNumber) {
            // The program ends on this. The caller removes the working directories before it
            // does, so the copies of the diskettes read so far do not stay in the temporary folder.
            op_.reportError(std::string(CRLF) + "Too many diskettes!");
            return ReadResult::TooManyDiskettes;
        }
        const std::string name = disketteFileName(n_);
        const std::string root = c_.floppyDrive + "\\";
        if (!files_.fileExists(root + name)) {
            rejectWithPrompt(wrongDiskette(n_));
            return ReadResult::Rejected;
        }
        Result<std::string> firstLine = readFirstLine(files_, root + name);
        if (!firstLine) {
            op_.reportFailure("Failed to open " + root + name);
            return ReadResult::Rejected;
        }

        const std::string temp = TemporaryFolder(files_);
        // The working directories lie under the temporary folder, so the free space that matters
        // is that of its drive, not of the floppy drive the list shows at this time.
        const char tempDrive = driveLetterOf(temp);
        const std::string copy = disketteDirectory(temp, n_);
        if (!recreate(copy, tempDrive)) {
            return ReadResult::Rejected;
        }
        if (n_ == 1) {
            if (!recreate(flatDirectory(temp), tempDrive) || !takeDescriptor(root)) {
                return ReadResult::Rejected;
            }
            op_.window().ProgressBar1.max = c_.archive.disketteCount * kProgressPerDiskette;
        }
        if (!sameArchive(*firstLine)) {
            return ReadResult::Rejected;
        }

        const int count = CountFiles(files_, root);
        c_.disketteFileCount = static_cast<std::int16_t>(std::min<int>(count, INT16_MAX));
        // A diskette that lists nothing (its listing failed) advances the bar by nothing.
        const auto step = static_cast<std::int16_t>(count > 0 ? kProgressPerDiskette / count : 0);
        // Only diskette 1's copy keeps its diskette file: recombination takes it from there.
        const TreeFilter leaveOut = [this, &name](std::string_view relative) {
            return n_ > 1 && equalsIgnoringAsciiCase(relative.substr(1), name);
        };
        if (CopyTree(files_, op_, root, copy + "\\", step, leaveOut) == CopyOutcome::Failed) {
            return ReadResult::CopyFailed;
        }
        const ReadResult result =
            n_ == c_.archive.disketteCount ? ReadResult::LastDiskette : ReadResult::MoreToFollow;
        if (n_ == 1) {
            const std::string summary =
                std::string(CRLF) + "Archive ID = " + formatNumber(c_.archive.archiveId) +
                std::string(CRLF) +
                "Total diskettes num = " + formatNumber(c_.archive.disketteCount);
            op_.window().Label2.caption = summary;
            op_.logMessage(summary);
        }
        return result;
    }

  private:
    // Empties and recreates a working directory, private to this user: the temporary folder may
    // be shared with other users of the machine. A link standing where the directory should be is
    // not a folder here, so it is neither walked nor removed, and the creation then fails.
    bool recreate(const std::string& directory, char driveLetter) {
        // Whatever cannot be removed makes the creation fail, which is reported.
        passOver(DeleteTree(files_, directory + "\\", Listing::WithHidden));
        if (files_.makeDir(directory, DirAccess::OwnerOnly) != FileError::None) {
            op_.reportFailure(directoryCreationFailure(directory, driveLetter));
            return false;
        }
        return true;
    }

    bool takeDescriptor(const std::string& root) {
        const std::string path = root + std::string(kDescriptorName);
        const int error = ParseArchiveDescriptor(files_, path, c_.archive);
        if (error == descriptor_error::None) {
            return true;
        }
        if (error == static_cast<int>(FileError::FileNotFound)) {
            rejectWithPrompt(path + " " + std::string(descriptorErrorDescription(error)) +
                             std::string(CRLF) + "Insert diskette #" + formatNumber(n_));
        } else {
            // Also a descriptor that names files outside the diskette: it is no diskette of ours.
            rejectWithPrompt(wrongDiskette(n_));
        }
        return false;
    }

    // The operator is asked for the diskette again before the box explains why.
    void rejectWithPrompt(const std::string& message) {
        op_.logMessage("ERROR " + message);
        op_.promptDiskette(n_);
        op_.showErrorBox(message);
    }

    bool sameArchive(const std::string& firstLine) {
        const std::string found =
            firstLine.size() > kDisketteIdAt ? firstLine.substr(kDisketteIdAt) : std::string();
        // Rounded once, as the descriptor's ID is (ReadDecimalField): IDs of 17 digits and more
        // compare equal when their digits are the same.
        bool isNumber = false;
        const double id = parseNumber(found, &isNumber);
        if (isNumber && id == c_.archive.archiveId) {
            return true;
        }
        c_.wizardStep = 0;
        op_.reportError(std::string(CRLF) + "Wrong Archive ID at diskette #" + formatNumber(n_) +
                        std::string(CRLF) + "Expected " + formatNumber(c_.archive.archiveId) +
                        " found " + found);
        op_.promptDiskette(n_);
        return false;
    }

    DisketteReadContext& c_;
    Operator& op_;
    FileService& files_;
    std::int16_t n_;
};

}  // namespace

ReadResult ReadDiskette(DisketteReadContext& context, std::int16_t n) {
    return DisketteRead(context, n).run();
}

}  // namespace xq
