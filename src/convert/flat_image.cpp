#include "convert/flat_image.h"

#include <algorithm>

#include "archive/set_names.h"
#include "archive/tree_operations.h"
#include "convert/checksum.h"
#include "convert/line_reader.h"
#include "platform/drive_table.h"
#include "platform/text.h"

namespace xq {

namespace {

class FlatImage {
  public:
    explicit FlatImage(ConversionContext& context)
        : c_(context),
          files_(context.files),
          temp_(TemporaryFolder(files_)),
          flat_(flatDirectory(temp_)),
          source_(disketteDirectory(temp_, 1) + "\\" + std::string(kDescriptorName)),
          target_(flat_ + "\\" + std::string(kDescriptorName)) {}

    bool run() {
        if (!files_.fileExists(source_)) {
            // Diskette 1's copy always holds the descriptor it was read with; without it there is
            // no database to build.
            c_.op.reportFailure("Failed to read file " + source_ + std::string(CRLF) +
                                "Ensure that the floppy disk is readable ");
            return false;
        }
        c_.op.logMessage("Create " + target_);
        Result<std::unique_ptr<OutputFile>> out = files_.openWrite(target_, WriteMode::Create);
        Result<std::unique_ptr<InputFile>> in = files_.openRead(source_, ReadMode::Cached);
        if (!out || !in) {
            if (out) {
                out->reset();
            }
            return fail();
        }
        out_ = out->get();
        if (!writeHeader(**in) || !writeFileLines() || (*out)->close() != FileError::None) {
            out->reset();
            return fail();
        }
        return true;
    }

  private:
    bool writeHeader(InputFile& in) {
        LineReader lines(in);
        std::string line;
        if (!lines.next(line) || !put(line)) {
            return false;
        }
        if (!lines.next(line) || !put("NUMDISKS: 1")) {
            return false;
        }
        // Up to the first file line; a descriptor without one cannot be turned into a flat one.
        for (;;) {
            if (!lines.next(line)) {
                return false;
            }
            if (line.find("FILE:") != std::string::npos) {
                return true;
            }
            if (!put(line)) {
                return false;
            }
        }
    }

    bool writeFileLines() {
        for (const ArchivedFile& entry : c_.archive.table()) {
            if (!entry.secondFlag) {
                continue;
            }
            double checksum = entry.archivedChecksum;
            if (entry.continued) {
                // The file is whole in the flat directory now: its checksum is the whole file's.
                const bool kcd = entry.fileName == "\\keycode.rec" && !c_.keyCodeIsRec;
                const FileChecksumResult whole = FileChecksum(
                    files_, flat_ + (kcd ? std::string("\\keycode.kcd") : entry.fileName));
                if (!whole.measured()) {
                    return false;
                }
                checksum = whole.value;
            }
            std::string line = "FILE: 1 0 1 " + formatNumber(checksum) + " " + entry.fileName +
                               " " + entry.secondString;
            std::replace(line.begin(), line.end(), '\\', '/');
            if (!put(line)) {
                return false;
            }
        }
        return true;
    }

    bool put(std::string line) {
        // The one-disk descriptor is read by a system that ends its lines with LF alone: the CR
        // that ends a line of a descriptor written on DOS stays behind, as the descriptor's own
        // reading takes it; a CR within a line is part of it.
        if (line.ends_with('\r')) {
            line.pop_back();
        }
        line += '\n';
        return out_->write(line) == FileError::None;
    }

    bool fail() {
        // Never leave a half-written descriptor behind; should it stay all the same, the database
        // is not offered for writing anyway.
        passOver(files_.deleteFile(target_));
        c_.op.reportFailure("Failed writing: " + target_ + std::string(CRLF) +
                            "Ensure there is enough free space available on drive " +
                            std::string(1, driveLetterOf(target_)) + ":\\");
        return false;
    }

    ConversionContext& c_;
    FileService& files_;
    std::string temp_;
    std::string flat_;
    std::string source_;
    std::string target_;
    OutputFile* out_ = nullptr;
};

}  // namespace

bool BuildFlatImage(ConversionContext& context) {
    return FlatImage(context).run();
}

}  // namespace xq
