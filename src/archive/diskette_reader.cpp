#include "archive/diskette_reader.h"

#include <algorithm>
#include <cstdint>

#include "archive/archive_descriptor.h"
#include "archive/archive_messages.h"
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
            return ReadResult::AnotherArchive;
        }

        const int count = CountFiles(files_, root);
        op_.setWorkTotal(static_cast<std::uint64_t>(count));
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
                std::string(CRLF) + "Archive ID = " + c_.archive.archiveIdDigits +
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
        const DescriptorResult parsed = ParseArchiveDescriptor(files_, path, c_.archive);
        switch (parsed.error) {
            case DescriptorError::None:
                return true;
            case DescriptorError::Unreadable:
                if (parsed.fileError == FileError::FileNotFound) {
                    rejectWithPrompt(path + " " + std::string(errorDescription(parsed.fileError)) +
                                     std::string(CRLF) + "Insert diskette #" + formatNumber(n_));
                    return false;
                }
                break;
            case DescriptorError::Empty:
            case DescriptorError::TooLong:
            case DescriptorError::Overflow:
            case DescriptorError::NoFileTable:
                break;
            // Another copy of diskette 1 would say the same: "Wrong diskette!" would only send the
            // operator looking for one.
            case DescriptorError::TooManyFileLines:
                rejectWithPrompt(unconvertibleSet(path + " lists more than " +
                                                  std::to_string(kMaxArchivedFiles) + " files."));
                return false;
            case DescriptorError::UnsafeName:
                rejectWithPrompt(unconvertibleSet(
                    path + " lists a file that a Compact Flash card can not hold under its name:" +
                    std::string(CRLF) + parsed.detail));
                return false;
            case DescriptorError::DisketteCountOutOfRange:
                rejectWithPrompt(unconvertibleSet(path + " gives " + parsed.detail +
                                                  " as the number of diskettes (NUMDISKS); a set "
                                                  "has 1 to " +
                                                  std::to_string(kMaxDisketteNumber) + "."));
                return false;
        }
        rejectWithPrompt(wrongDiskette(n_));
        return false;
    }

    static std::string unconvertibleSet(const std::string& why) {
        return "This diskette set can not be converted as it is:" + std::string(CRLF) + why;
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
        // Read as a number (blanks around it, "4711.0" is the same ID), but compared exactly:
        // IDs of any length that differ in one digit are other sets.
        if (wholeNumberDigits(found) == c_.archive.archiveIdDigits) {
            return true;
        }
        op_.reportError(std::string(CRLF) + "Wrong Archive ID at diskette #" + formatNumber(n_) +
                        std::string(CRLF) + "Expected " + c_.archive.archiveIdDigits + " found " +
                        found);
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
