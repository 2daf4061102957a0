#include "archive/diskette_reader.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "archive/archive_descriptor.h"
#include "archive/archive_messages.h"
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
// What is read of a diskette file before its first line: far more than any first line.
constexpr std::uint64_t kDisketteFileMost = 64 * 1024;

// The first line of a text, without its line end (LF, CR LF or a lone CR); none in an empty text.
std::optional<std::string> firstLineOf(std::string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    return std::string(text.substr(0, text.find_first_of("\r\n")));
}

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
        const std::string temp = TemporaryFolder(files_);
        // The working directories lie under the temporary folder, so the free space that matters
        // is that of its drive, not of the floppy drive the list shows at this time.
        const char tempDrive = driveLetterOf(temp);
        const std::string copy = disketteDirectory(temp, n_);
        const std::string record = missingBytesFile(temp, n_);

        // The diskette file and the descriptor are read first, with the same tries as every file
        // (a weak sector costs seconds wherever it is); a loss in them is reported as any other,
        // the same diskette asked for again.
        DisketteCopier heads(files_, op_, root, root + name, c_.rescue, std::nullopt);
        const Result<std::string> disketteFile =
            heads.readWhole("\\" + name, root + name, kDisketteFileMost);
        if (!heads.missing().empty()) {
            return reportUnreadable(heads, root, copy, false);
        }
        const std::optional<std::string> firstLine =
            disketteFile ? firstLineOf(*disketteFile) : std::nullopt;
        if (!firstLine) {
            op_.reportFailure("Failed to open " + root + name);
            return ReadResult::Rejected;
        }
        // After a reading of this diskette that could not read all of it, only the rest is read.
        std::optional<MissingBytes> earlier;
        if (std::exchange(c_.incompleteDiskette, 0) == n_) {
            earlier = earlierReading(copy, record);
        }
        if (!earlier && !recreate(copy, tempDrive, record)) {
            return ReadResult::Rejected;
        }
        if (n_ == 1) {
            if (!recreate(flatDirectory(temp), tempDrive) || !takeDescriptor(root, heads)) {
                return heads.missing().empty() ? ReadResult::Rejected
                                               : reportUnreadable(heads, root, copy, false);
            }
            op_.window().ProgressBar1.max = c_.archive.disketteCount * kProgressPerDiskette;
            op_.setWorkItems(c_.archive.disketteCount);
            // Diskette 1 of another set in its place: its copy is made anew.
            if (earlier && earlier->archiveId != c_.archive.archiveIdText) {
                earlier.reset();
                if (!recreate(copy, tempDrive, record)) {
                    return ReadResult::Rejected;
                }
            }
        }
        if (!sameArchive(*firstLine)) {
            // Read again in place of a kept diskette, it is only refused: the kept ones stay.
            return c_.keptArchive != nullptr ? ReadResult::Rejected : ReadResult::AnotherArchive;
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
        DisketteCopier copier(files_, op_, root, root + name, c_.rescue, std::move(earlier));
        heads.handOver(copier);
        if (CopyTree(files_, op_, root, copy + "\\", step, leaveOut, copier) ==
            CopyOutcome::Failed) {
            return ReadResult::CopyFailed;
        }
        if (!copier.missing().empty()) {
            return keepIncomplete(copier, root, copy, record);
        }
        // Complete now: a record left by an earlier reading goes.
        passOver(files_.deleteFile(record));
        const ReadResult result =
            n_ == c_.archive.disketteCount ? ReadResult::LastDiskette : ReadResult::MoreToFollow;
        if (n_ == 1) {
            const std::string summary =
                std::string(CRLF) + "Archive ID = " + c_.archive.archiveIdText + std::string(CRLF) +
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
    bool recreate(const std::string& directory, char driveLetter, const std::string& record = {}) {
        // Whatever cannot be removed makes the creation fail, which is reported. The record of
        // what an earlier copy lacked goes with it (it may not be there; nothing else is).
        if (!record.empty()) {
            passOver(files_.deleteFile(record));
        }
        passOver(DeleteTree(files_, directory + "\\", Listing::WithHidden));
        if (files_.makeDir(directory, DirAccess::OwnerOnly) != FileError::None) {
            op_.reportFailure(directoryCreationFailure(directory, driveLetter));
            return false;
        }
        return true;
    }

    // The record of an earlier reading of this diskette that its copy still lacks something, when
    // it belongs to this set and the copy is there.
    std::optional<MissingBytes> earlierReading(const std::string& copy, const std::string& record) {
        std::optional<MissingBytes> earlier = readMissingBytes(files_, record);
        if (!earlier || earlier->archiveId != c_.archive.archiveIdText ||
            !files_.folderExists(copy)) {
            return std::nullopt;
        }
        return earlier;
    }

    // The diskette could not be read whole: its copy keeps what was read, the record says what it
    // lacks, and the same diskette is asked for again.
    ReadResult keepIncomplete(DisketteCopier& copier, const std::string& root,
                              const std::string& copy, const std::string& record) {
        MissingBytes& missing = copier.missingWithKeptDigests();
        missing.archiveId = c_.archive.archiveIdText;
        if (writeMissingBytes(files_, record, missing) != FileError::None) {
            op_.reportFailure(writeFailure(record, driveLetterOf(record)));
            return ReadResult::CopyFailed;
        }
        c_.incompleteDiskette = n_;
        return reportUnreadable(copier, root, copy, true);
    }

    // What the copier could not read, reported; the same diskette is asked for again. `kept`:
    // its copy keeps what was read.
    ReadResult reportUnreadable(DisketteCopier& copier, const std::string& root,
                                const std::string& copy, bool kept) {
        const std::string message = copier.mediumGone()
                                        ? mediumGoneReport(root, kept)
                                        : unreadableReport(copier.missing(), root, copy, kept);
        op_.logMessage("ERROR " + message);
        op_.promptDiskette(n_);
        op_.showErrorBox(message);
        return ReadResult::Unreadable;
    }

    std::string mediumGoneReport(const std::string& root, bool kept) const {
        return std::string("Diskette #")
            .append(formatNumber(n_))
            .append(" was taken out of drive ")
            .append(root)
            .append(" while it was being read.")
            .append(CRLF)
            .append(kept ? "What was read of it is kept. " : "")
            .append("Insert diskette #")
            .append(formatNumber(n_))
            .append(kept ? " again and press OK to read the rest" : " again and press OK");
    }

    std::string unreadableReport(const MissingBytes& missing, const std::string& root,
                                 const std::string& copy, bool kept) const {
        const std::string first =
            missing.files.empty() ? missing.folders.front() : missing.files.front().path;
        std::string report = copyFailure(root + first.substr(1), copy + first,
                                         driveLetterOf(op_.window().DriveList.drive()));
        std::vector<std::string> lines;
        for (const MissingBytes::File& file : missing.files) {
            std::uint64_t bytes = 0;
            for (const ByteRange& range : file.ranges) {
                bytes += range.size();
            }
            lines.push_back(file.ranges.empty()
                                ? file.path + " could not be opened."
                                : formatNumber(static_cast<double>(bytes)) + " bytes of " +
                                      file.path + " could not be read.");
        }
        for (const std::string& folder : missing.folders) {
            lines.push_back("The folder " + folder + " could not be read.");
        }
        // A diskette with wide damage names its first few losses; the log has every sector.
        constexpr std::size_t kNamed = 4;
        report.append(CRLF).append("Diskette #").append(formatNumber(n_)).append(":");
        for (std::size_t i = 0; i < std::min(lines.size(), kNamed); ++i) {
            report.append(CRLF).append(lines[i]);
        }
        if (lines.size() > kNamed) {
            report.append(CRLF)
                .append("... and ")
                .append(std::to_string(lines.size() - kNamed))
                .append(" more.");
        }
        if (kept) {
            report.append(CRLF).append("What was read is kept.");
        }
        return report.append(CRLF)
            .append("Clean the drive or use another drive, then press OK to read diskette #")
            .append(formatNumber(n_))
            .append(" again");
    }

    // Diskette 1's descriptor, read by `heads`; false when it is refused (reported) or could not
    // be read (in the losses of `heads`, for the caller to report).
    bool takeDescriptor(const std::string& root, DisketteCopier& heads) {
        const std::string path = root + std::string(kDescriptorName);
        ArchiveState read;
        const Result<std::string> bytes =
            heads.readWhole("\\" + std::string(kDescriptorName), path, kMaxDescriptorBytes + 1);
        if (!heads.missing().empty()) {
            return false;
        }
        const DescriptorResult parsed =
            bytes ? ParseArchiveDescriptor(std::span<const char>(*bytes), read)
                  : DescriptorResult{DescriptorError::Unreadable, bytes.error()};
        switch (parsed.error) {
            case DescriptorError::None:
                if (c_.keptArchive != nullptr && !sameSet(*c_.keptArchive, read)) {
                    return false;
                }
                c_.archive = std::move(read);
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

    // Diskette 1 read again in place of a kept one must describe the same set: the same ID, the
    // same number of diskettes and the same files, or the kept diskettes would be joined with
    // another archive's.
    bool sameSet(const ArchiveState& kept, const ArchiveState& read) {
        if (kept.archiveIdText == read.archiveIdText && kept.disketteCount == read.disketteCount &&
            std::ranges::equal(kept.table(), read.table())) {
            return true;
        }
        const auto described = [&](const ArchiveState& set) {
            std::string text = set.archiveIdText;
            if (kept.disketteCount != read.disketteCount) {
                text += " of " + formatNumber(set.disketteCount) +
                        (set.disketteCount == 1 ? " diskette" : " diskettes");
            } else if (kept.archiveIdText == read.archiveIdText && &set == &read) {
                text += " with other files";
            }
            return text;
        };
        op_.reportError(std::string(CRLF) + "Wrong Archive ID at diskette #" + formatNumber(n_) +
                        std::string(CRLF) + "Expected " + described(kept) + " found " +
                        described(read));
        op_.promptDiskette(n_);
        return false;
    }

    bool sameArchive(const std::string& firstLine) {
        const std::string found =
            firstLine.size() > kDisketteIdAt ? firstLine.substr(kDisketteIdAt) : std::string();
        // Read as a number (blanks around it, "4711.0" is the same ID), but compared exactly:
        // IDs of any length that differ in one digit are other sets. An ID that is no number is
        // compared as text.
        if (wholeNumberDigits(found).value_or(trimmedBlanks(found)) == c_.archive.archiveIdText) {
            return true;
        }
        op_.reportError(std::string(CRLF) + "Wrong Archive ID at diskette #" + formatNumber(n_) +
                        std::string(CRLF) + "Expected " + c_.archive.archiveIdText + " found " +
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
