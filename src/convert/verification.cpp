#include "convert/verification.h"

#include <optional>

#include "archive/set_names.h"
#include "archive/tree_operations.h"
#include "convert/checksum.h"
#include "convert/temporary_directories.h"
#include "platform/content_digest.h"
#include "platform/text.h"

namespace xq {

namespace {

constexpr double kModulus = 4294967296.0;
constexpr std::string_view kKeyCodeRec = "\\keycode.rec";

}  // namespace

VerifyOutcome VerifyArchivedFiles(ConversionContext& context) {
    FileService& files = context.files;
    Operator& op = context.op;
    const std::string temp = TemporaryFolder(files);
    const std::span<const ArchivedFile> table = context.archive.table();
    WorkScope work(op, WorkPhase::Verifying);
    op.setWorkTotal(table.size());
    context.verifiedPieces.assign(table.size(), std::nullopt);
    context.checksumFailures.clear();
    context.absentPieces.clear();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const ArchivedFile& entry = table[i];
        const std::string disk = disketteDirectory(temp, entry.diskNumber);
        std::string path = disk + entry.fileName;
        if (entry.fileName == kKeyCodeRec) {
            if (files.fileExists(disketteDirectory(temp, 1) + std::string(kKeyCodeRec))) {
                context.keyCodeIsRec = true;
            } else {
                path = disk + "\\keycode.kcd";
            }
        }

        double computed = 0;
        const bool missing = !files.fileLength(path);
        if (missing) {
            // Asked up to the first mismatch; the rest of the table is only checked, to find every
            // diskette that needs reading again.
            const std::string prompt = "File " + entry.fileName + " could not be found!" +
                                       std::string(CRLF) + "Press CANCEL to quit or OK to go on";
            if (context.checksumFailures.empty() &&
                op.ask(prompt, "problem!", box_style::OkCancelExclamation) != Answer::Ok) {
                RemoveTemporaryDirectories(context);
                return VerifyOutcome::QuitChosen;
            }
        } else {
            ContentDigest digest;
            const FileChecksumResult checksum = FileChecksum(files, path, ReadMode::Cached, digest);
            // A file that could not be read all through has no checksum: its status number must
            // never pass for one that happens to equal the archived value.
            if (!checksum.measured()) {
                op.reportError("Failed to read file " + path + std::string(CRLF) +
                               "Ensure that the floppy disk is readable ");
                context.checksumFailures.clear();  // the copy, not a diskette, failed
                return VerifyOutcome::Failed;
            }
            computed = checksum.value;
            context.verifiedPieces[i] = VerifiedPiece{path, digest.length(), digest.value()};
        }

        computed = runningChecksum(computed, table, i);
        if (computed != entry.archivedChecksum) {
            // The first mismatch is reported; the rest of the table is still checked, so that
            // every diskette holding a bad piece is known and only those need reading again.
            if (context.checksumFailures.empty()) {
                op.reportError("Wrong checksum at " + path + std::string(CRLF) + "Actual " +
                               formatNumber(computed) + " archived " +
                               formatNumber(entry.archivedChecksum));
            }
            const std::optional<VerifiedPiece>& piece = context.verifiedPieces[i];
            context.checksumFailures.push_back({entry.diskNumber,
                                                piece ? std::optional(piece->digest) : std::nullopt,
                                                missing ? entry.fileName : std::string()});
        } else if (missing && entry.namesAFile()) {
            // A file of nothing sums to 0: the set is converted without it, as the operator chose.
            context.absentPieces.push_back(i);
        }
        op.advanceWork();
    }
    if (!context.checksumFailures.empty()) {
        return VerifyOutcome::Failed;
    }
    work.completed();
    return VerifyOutcome::Passed;
}

double runningChecksum(double ownChecksum, std::span<const ArchivedFile> table, std::size_t i) {
    const ArchivedFile& entry = table[i];
    double sum = ownChecksum;
    if (!entry.continued) {
        return sum;
    }
    for (std::size_t j = 0; j <= i; ++j) {
        if (table[j].fileName == entry.fileName && table[j].diskNumber == entry.diskNumber - 1) {
            sum += table[j].archivedChecksum;
            if (sum > kModulus - 1) {
                sum -= kModulus;
            }
        }
    }
    return sum;
}

}  // namespace xq
