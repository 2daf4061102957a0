#include "convert/recombination.h"

#include "archive/archived_name.h"
#include "archive/set_names.h"
#include "archive/tree_operations.h"
#include "platform/text.h"

namespace xq {

namespace {

constexpr std::string_view kKeyCodeRec = "\\keycode.rec";
constexpr std::string_view kKeyCodeKcd = "\\keycode.kcd";

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string writingFailure(std::string_view destination) {
    return "Failed writing: " + std::string(destination) + std::string(CRLF) +
           "Ensure there is enough free space available on the device.";
}

class Recombination {
  public:
    explicit Recombination(ConversionContext& context)
        : c_(context),
          files_(context.files),
          op_(context.op),
          temp_(TemporaryFolder(files_)),
          flat_(flatDirectory(temp_)) {}

    bool run() {
        // The diskettes' other files come along; a file of the same name on a later diskette
        // extends the earlier one. The files the table lists are left to the table loop below,
        // which builds each of them from its pieces anyway: copying them here too would only
        // write the whole database one more time.
        const TreeFilter listed = [this](std::string_view relative) {
            for (const ArchivedFile& entry : c_.archive.table()) {
                if (equalsIgnoringAsciiCase(relative, recombinedSource(entry, c_.keyCodeIsRec))) {
                    return true;
                }
            }
            return false;
        };
        WorkScope work(op_, WorkPhase::Joining);
        std::uint64_t total = c_.archive.table().size();
        for (int n = 1; n <= c_.diskNumber; ++n) {
            total += static_cast<std::uint64_t>(CountFiles(files_, disketteDirectory(temp_, n)));
        }
        op_.setWorkTotal(total);
        for (int n = 1; n <= c_.diskNumber; ++n) {
            if (CopyTree(files_, op_, disketteDirectory(temp_, n) + "\\", flat_ + "\\", 0,
                         listed) != CopyOutcome::Copied) {
                return false;
            }
        }
        const int count = c_.archive.fileCount;
        const int step = count > 0 ? 100 / count : 0;
        op_.logMessage("Recombining the database at " + flat_);

        const std::string disketteFile = "\\" + disketteFileName(1);
        const std::string firstFile = flat_ + disketteFile;
        if (!files_.copyFile(disketteDirectory(temp_, 1) + disketteFile, firstFile, true).ok()) {
            return fail(writingFailure(firstFile));
        }
        for (const ArchivedFile& entry : c_.archive.table()) {
            op_.window().advanceProgress(step);
            if (entry.namesAFile() && !rebuild(entry)) {
                return false;
            }
            op_.advanceWork();
        }
        work.completed();
        return true;
    }

  private:
    bool rebuild(const ArchivedFile& entry) {
        const std::string source = disketteDirectory(temp_, entry.diskNumber) +
                                   std::string(recombinedSource(entry, c_.keyCodeIsRec));
        const std::string name = recombinedDestination(entry, c_.keyCodeIsRec);
        const std::string destination = flat_ + name;
        // The names were checked when the descriptor was read; trimming may still turn one into
        // something else, and nothing may be written outside the flat directory.
        if (!isSafeArchivedName(name)) {
            return fail(writingFailure(destination));
        }

        if (entry.continued && entry.diskNumber != 1) {
            const TransferResult appended = files_.appendFile(source, destination);
            if (!appended.ok()) {
                // The destination is as it was: an append either adds the whole piece or nothing.
                return fail(appended.readFailed()
                                ? "Failed to read file " + source + std::string(CRLF) +
                                      "Ensure that the floppy disk is readable "
                                : writingFailure(destination));
            }
            op_.logMessage("append " + source + " to " + destination);
            return true;
        }
        if (!CreateDirectoryPath(c_, name, flat_)) {
            return false;  // reported; the file cannot be put in its place
        }
        if (!files_.fileLength(source)) {
            return true;  // a missing piece: verification has asked about it already
        }
        op_.logMessage("copy " + source + " to " + destination);
        if (!files_.copyFile(source, destination, true).ok()) {
            return fail(writingFailure(destination));
        }
        return true;
    }

    bool fail(const std::string& message) {
        op_.reportFailure(message);
        return false;
    }

    ConversionContext& c_;
    FileService& files_;
    Operator& op_;
    std::string temp_;
    std::string flat_;
};

}  // namespace

bool RecombineDatabase(ConversionContext& context) {
    return Recombination(context).run();
}

std::string_view recombinedSource(const ArchivedFile& entry, bool keyCodeIsRec) {
    return entry.fileName == kKeyCodeRec && !keyCodeIsRec ? kKeyCodeKcd
                                                          : std::string_view(entry.fileName);
}

std::string recombinedDestination(const ArchivedFile& entry, bool keyCodeIsRec) {
    return std::string(entry.fileName == kKeyCodeRec && !keyCodeIsRec ? kKeyCodeKcd
                                                                      : trimBlanks(entry.fileName));
}

bool CreateDirectoryPath(ConversionContext& context, std::string_view relativePath,
                         std::string_view baseDirectory) {
    const std::size_t cut = relativePath.find('\\', 1);
    if (cut == std::string_view::npos) {
        return true;  // a bare file name
    }
    FileService& files = context.files;
    const std::string head(relativePath.substr(0, cut + 1));  // "\db\"
    const std::string folder = std::string(baseDirectory) + head;
    if (!files.folderExists(baseDirectory)) {
        return true;
    }
    if (!files.folderExists(folder) && files.makeDir(folder) != FileError::None) {
        context.op.reportFailure("Failed create directory: " + folder + std::string(CRLF) +
                                 "Ensure there is enough free space available on the device.");
        return false;
    }
    if (relativePath.find('\\', cut + 1) != std::string_view::npos) {
        // The rest begins with its own "\", so deeper folders are named with a doubled
        // separator ("...\db\\sub\"), which the file service reads as one.
        return CreateDirectoryPath(context, relativePath.substr(cut), folder);
    }
    return true;
}

}  // namespace xq
