#include "support/disk_set_writer.h"

#include <algorithm>
#include <stdexcept>

#include "platform/text.h"
#include "support/temp_dir.h"

namespace xq::test {

namespace {

namespace fs = std::filesystem;

std::string fileNameOf(int n) {
    const std::string digits = std::to_string(n);
    return "disk" + std::string(4 - std::min<std::size_t>(4, digits.size()), '0') + digits + ".dat";
}

fs::path relative(std::string_view listedName) {
    while (listedName.starts_with('/')) {
        listedName.remove_prefix(1);
    }
    return fs::path(std::string(listedName));
}

class Writer {
  public:
    Writer(const fs::path& root, const DiskSet& set) : root_(root), set_(set) {
        if (set.capacity == 0) {
            throw std::invalid_argument("a diskette must take at least one byte");
        }
        lastDisk_ = std::max(1, set.minimumDiskettes);
    }

    WrittenSet write() {
        int current = 1;
        for (const SetFile& file : set_.files) {
            current = place(file, file.disk != 0 ? file.disk : current);
        }
        for (const ExtraEntry& extra : set_.extras) {
            lastDisk_ = std::max(lastDisk_, extra.disk);
        }
        for (int n = 1; n <= lastDisk_; ++n) {
            out_.diskettes.push_back(root_ / ("diskette" + std::to_string(n)));
            fs::create_directories(out_.diskettes.back());
            const auto text = set_.disketteFileText.find(n);
            writeFile(out_.diskettes.back() / fileNameOf(n), text != set_.disketteFileText.end()
                                                                 ? text->second
                                                                 : disketteFileText(idText(), n));
        }
        for (const Stored& stored : stored_) {
            writeFile(out_.diskette(stored.disk) / stored.path, stored.bytes);
        }
        for (const ExtraEntry& extra : set_.extras) {
            const fs::path at = out_.diskette(extra.disk) / relative(extra.path);
            if (extra.folder) {
                fs::create_directories(at);
            } else {
                writeFile(at, extra.content);
            }
        }
        out_.numDisks = set_.numDisks.value_or(lastDisk_);
        if (set_.withDescriptor) {
            out_.descriptor = set_.descriptorText.value_or(descriptorText());
            writeFile(out_.diskette(1) / "archive.dat", out_.descriptor);
        }
        return std::move(out_);
    }

  private:
    struct Stored {
        int disk;
        fs::path path;
        std::string bytes;
    };

    // Lays the file out from diskette `disk` on; returns the diskette its last piece went to.
    int place(const SetFile& file, int disk) {
        out_.wholeFiles[file.name] = file.content;
        const fs::path path = relative(file.storedAs.empty() ? file.name : file.storedAs);
        std::size_t at = 0;
        bool first = true;
        std::uint64_t previous = 0;
        for (;;) {
            const std::size_t room = set_.capacity - std::min(set_.capacity, used_[disk]);
            const std::size_t take = std::min(room, file.content.size() - at);
            if (take == 0 && at < file.content.size()) {
                ++disk;  // this diskette is full: the file starts (or goes on) on the next
                continue;
            }
            WrittenPiece piece;
            piece.disk = disk;
            piece.continued = !first;
            // The flat image lists a file once, by its last piece: earlier pieces of a split file
            // do not carry the flag.
            piece.secondFlag = file.secondFlag && at + take == file.content.size();
            piece.name = file.name;
            piece.secondString = file.secondString;
            piece.bytes = file.content.substr(at, take);
            const std::uint64_t own = referenceFileChecksum(piece.bytes);
            piece.checksum = first ? own : referenceContinuedChecksum(own, previous);
            stored_.push_back({disk, path, piece.bytes});
            used_[disk] += take;
            at += take;
            previous = piece.checksum;
            first = false;
            lastDisk_ = std::max(lastDisk_, disk);
            out_.pieces.push_back(std::move(piece));
            if (at == file.content.size()) {
                return disk;
            }
            ++disk;
        }
    }

    std::string idText() const {
        return set_.archiveIdText.empty() ? formatNumber(set_.archiveId) : set_.archiveIdText;
    }

    std::string descriptorText() const {
        const std::string& end = set_.descriptorLineEnd;
        std::string text;
        text += set_.firstByte;
        text += "XQ3100 ARCHIVE #" + idText() + end;
        text += "NUMDISKS: " + std::to_string(out_.numDisks) + end;
        for (const std::string& line : set_.extraHeaderLines) {
            text += line + end;
        }
        for (const WrittenPiece& piece : out_.pieces) {
            text += descriptorFileLine(piece) + end;
        }
        return text + set_.descriptorEnd;
    }

    const fs::path& root_;
    const DiskSet& set_;
    std::map<int, std::size_t> used_;
    std::vector<Stored> stored_;
    int lastDisk_ = 1;
    WrittenSet out_;
};

}  // namespace

std::string disketteFileText(double archiveId, int n) {
    return disketteFileText(formatNumber(archiveId), n);
}

std::string disketteFileText(std::string_view archiveIdText, int n) {
    return "XQ3100 DISKETTE #" + std::string(archiveIdText) + "\r\nDISKETTE " + std::to_string(n) +
           "\r\n";
}

std::string descriptorFileLine(const WrittenPiece& piece) {
    std::string line = "FILE: " + std::to_string(piece.disk) + " " + (piece.continued ? "1" : "0") +
                       " " + (piece.secondFlag ? "1" : "0") + " " + std::to_string(piece.checksum) +
                       " " + piece.name;
    if (!piece.secondString.empty()) {
        line += " " + piece.secondString;
    }
    return line;
}

WrittenSet writeDiskSet(const std::filesystem::path& root, const DiskSet& set) {
    return Writer(root, set).write();
}

}  // namespace xq::test
