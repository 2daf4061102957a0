#include "convert/placement.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "archive/set_names.h"
#include "archive/tree_operations.h"
#include "platform/text.h"

namespace xq {

namespace {

// The new database is written beside the old one and swapped in when it is whole. Neither name is
// ever read as a database: the system reads backup\single only.
constexpr std::string_view kStaging = "single.new\\";
constexpr std::string_view kAside = "single.old\\";
constexpr std::size_t kCompareSize = 1 << 20;

class Placement {
  public:
    explicit Placement(ConversionContext& context)
        : c_(context),
          files_(context.files),
          op_(context.op),
          flat_(flatDirectory(TemporaryFolder(files_))),
          backup_(context.flashDrive + "\\backup\\"),
          single_(backup_ + "single\\"),
          staging_(backup_ + std::string(kStaging)),
          aside_(backup_ + std::string(kAside)) {}

    std::int16_t run() {
        op_.logMessage("Compact Flash drive " + c_.flashDrive + " was selected ");
        // The card is not made the current drive or directory: that would keep it busy, and
        // nothing here depends on it.
        bool replacing = false;
        if (files_.folderExists(backup_)) {
            if (!recoverInterruptedSwap()) {
                swapFailure();
                return kNotPlaced;
            }
            if (files_.folderExists(single_)) {
                if (op_.messageBox("Directory " + single_ + " already exists" + std::string(CRLF) +
                                       "Replace old database?",
                                   "Replace", box_style::YesNoQuestion) != Answer::Yes) {
                    return kNotPlaced;
                }
                replacing = true;
            }
        } else if (files_.makeDir(backup_) != FileError::None) {
            return directoryFailure(backup_);
        }

        op_.showMessage(
            std::string("Writing on the Compact Flash").append(CRLF).append("Please wait..."));
        op_.window().ProgressBar1.visible = true;
        op_.window().setProgressValue(0);

        // What an interrupted earlier write left: a partial new database, or an old one whose
        // replacement was complete.
        DeleteTree(files_, staging_, Listing::WithHidden);
        DeleteTree(files_, aside_, Listing::WithHidden);
        if (files_.makeDir(staging_) != FileError::None) {
            return directoryFailure(single_);
        }
        op_.logMessage("Copy directory " + flat_ + " to " + single_);
        const int count = c_.archive.fileCount;
        const auto step = static_cast<std::int16_t>(count > 0 ? 100 / count : 0);
        if (CopyTree(files_, op_, flat_ + "\\", staging_, step) != kTreeCopied || !flushed() ||
            !readBack() || !swapIn(replacing)) {
            DeleteTree(files_, staging_, Listing::WithHidden);
            files_.flushFolder(backup_);
            return kNotPlaced;
        }
        op_.window().ProgressBar1.visible = false;
        return kPlacedOnCard;
    }

  private:
    // A swap that stopped after the old database was moved aside and before the new one took its
    // place leaves no backup\single: the old database goes back, so the card is never without
    // one and the operator is asked about it as before. False when it cannot be put back: it is
    // then the only copy of the old database, and nothing may replace or remove it.
    bool recoverInterruptedSwap() {
        if (!files_.folderExists(single_) && files_.folderExists(aside_)) {
            if (files_.rename(trimmed(aside_), trimmed(single_)) != FileError::None) {
                return false;
            }
            files_.flushFolder(backup_);
        }
        return true;
    }

    static std::string trimmed(const std::string& folder) {
        return folder.substr(0, folder.size() - 1);
    }

    // Every file below `folder`, by its path relative to it ("db\main.dat").
    bool forEachFile(const std::string& folder, const std::string& relative,
                     const std::function<bool(const std::string&)>& visit) {
        Result<std::vector<DirEntry>> listing = files_.listDirectory(folder + relative);
        if (!listing) {
            return false;
        }
        for (const DirEntry& entry : *listing) {
            const std::string path = relative + entry.name;
            if (entry.kind == EntryKind::Directory) {
                if (!forEachFile(folder, path + "\\", visit)) {
                    return false;
                }
            } else if (entry.kind == EntryKind::File && !visit(path)) {
                return false;
            }
        }
        return true;
    }

    // The copy is on the card itself, not only in the host's caches, before success is reported.
    bool flushed() {
        std::string failed;
        const bool ok = forEachFile(staging_, "", [&](const std::string& path) {
            if (files_.flushFile(staging_ + path) != FileError::None) {
                failed = single_ + path;
                return false;
            }
            const std::size_t cut = path.rfind('\\');
            const std::string folder =
                staging_ + (cut == std::string::npos ? "" : path.substr(0, cut));
            if (files_.flushFolder(folder) != FileError::None) {
                failed = single_ + path;
                return false;
            }
            return true;
        });
        if (ok && files_.flushFolder(staging_) == FileError::None &&
            files_.flushFolder(backup_) == FileError::None) {
            return true;
        }
        op_.reportFailure(
            "Failed writing: " + (failed.empty() ? single_ : failed) + std::string(CRLF) +
            "Ensure there is enough free space on Compact Flash drive " + c_.flashDrive);
        return false;
    }

    // Every file read back from the card must be the file of the flat directory, byte for byte: a
    // checksum would pass bytes that came back in the wrong places.
    bool readBack() {
        std::string failed;
        const bool ok = forEachFile(flat_ + "\\", "", [&](const std::string& path) {
            if (!sameBytes(staging_ + path, flat_ + "\\" + path)) {
                failed = single_ + path;
                return false;
            }
            return true;
        });
        if (ok) {
            return true;
        }
        op_.reportError("Failed verifying: " + (failed.empty() ? single_ : failed) +
                        std::string(CRLF) +
                        "The Compact Flash card may be faulty. Please try another card.");
        return false;
    }

    bool sameBytes(const std::string& card, const std::string& original) {
        Result<std::unique_ptr<InputFile>> written = files_.openRead(card, ReadMode::FromMedium);
        Result<std::unique_ptr<InputFile>> kept = files_.openRead(original, ReadMode::Cached);
        if (!written || !kept) {
            return false;
        }
        std::vector<char> a(kCompareSize);
        std::vector<char> b(kCompareSize);
        for (;;) {
            const Result<std::size_t> gotA = (*written)->read(a);
            const Result<std::size_t> gotB = (*kept)->read(b);
            if (!gotA || !gotB || *gotA != *gotB ||
                !std::equal(a.data(), a.data() + *gotA, b.data())) {
                return false;
            }
            if (*gotA < a.size()) {
                return true;  // both ended here
            }
        }
    }

    bool swapIn(bool replacing) {
        if (replacing && files_.rename(trimmed(single_), trimmed(aside_)) != FileError::None) {
            return swapFailure();
        }
        if (files_.rename(trimmed(staging_), trimmed(single_)) != FileError::None) {
            if (replacing) {
                files_.rename(trimmed(aside_), trimmed(single_));
            }
            return swapFailure();
        }
        files_.flushFolder(backup_);
        if (replacing) {
            op_.logMessage("Remove " + single_);
            // All of it: hidden files the old database gathered would keep the folder, and with it
            // every later replacement, in place.
            DeleteTree(files_, aside_, Listing::WithHidden);
            files_.flushFolder(backup_);
        }
        return true;
    }

    bool swapFailure() {
        op_.reportFailure("Failed writing: " + single_ + std::string(CRLF) +
                          "Ensure there is enough free space on Compact Flash drive " +
                          c_.flashDrive);
        return false;
    }

    std::int16_t directoryFailure(const std::string& directory) {
        op_.reportFailure("Failed to create directory: " + directory + std::string(CRLF) +
                          "Ensure there is enough free space on Compact Flash drive " +
                          c_.flashDrive);
        return kNotPlaced;
    }

    ConversionContext& c_;
    FileService& files_;
    Operator& op_;
    std::string flat_;
    std::string backup_;
    std::string single_;
    std::string staging_;
    std::string aside_;
};

}  // namespace

std::int16_t PlaceOnCompactFlash(ConversionContext& context) {
    return Placement(context).run();
}

void RemoveTemporaryDirectories(ConversionContext& context) {
    const std::string temp = TemporaryFolder(context.files);
    const std::string flat = flatDirectory(temp) + "\\";
    context.op.logMessage("Remove temporary directory " + flat);
    DeleteTree(context.files, flat);
    const int disks = std::max<int>(context.archive.disketteCount, context.disketteDirectories);
    for (int n = 1; n <= disks; ++n) {
        const std::string disk = disketteDirectory(temp, n) + "\\";
        context.op.logMessage("Remove temporary directory " + disk);
        DeleteTree(context.files, disk);
    }
}

}  // namespace xq
