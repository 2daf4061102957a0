#include "sample/sample_set.h"

#include <algorithm>
#include <array>

#include "archive/set_names.h"
#include "convert/checksum.h"
#include "platform/text.h"

namespace xq {

namespace {

constexpr double kWrap = 4294967296.0;
constexpr std::size_t kChunk = 64 * 1024;

// The bytes of a sample file: text-like, different for every file, the same on every run.
class ContentStream {
  public:
    explicit ContentStream(const std::string& name) {
        for (char c : name) {
            state_ = state_ * 31 + static_cast<unsigned char>(c);
        }
    }
    void fill(std::span<char> out) {
        static constexpr std::string_view kWords = "RECORD FIELD VALUE 0123456789 XQ3100 DATA ";
        for (char& c : out) {
            state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
            c = kWords[(state_ >> 33) % kWords.size()];
        }
    }

  private:
    std::uint64_t state_ = 1469598103934665603ULL;
};

struct Piece {
    int disk = 1;
    bool continued = false;
    bool last = false;
    double checksum = 0;
    const SampleFile* file = nullptr;
};

class SetWriter {
  public:
    SetWriter(FileService& files, std::string folder, const SampleSetLayout& layout,
              std::string& error)
        : files_(files), folder_(std::move(folder)), layout_(layout), error_(error) {}

    int write() {
        for (const SampleFile& file : layout_.files) {
            if (!place(file)) {
                return 0;
            }
        }
        const int count = std::max(disk_, layout_.minimumDiskettes);
        for (int n = 1; n <= count; ++n) {
            if (!ensureDiskette(n) ||
                !writeText(disketteRoot(n) + "\\" + disketteFileName(n),
                           "XQ3100 DISKETTE #" + formatNumber(layout_.archiveId) + "\r\n" +
                               "DISKETTE " + std::to_string(n) + "\r\n")) {
                return 0;
            }
        }
        return writeDescriptor(count) ? count : 0;
    }

  private:
    std::string disketteRoot(int n) const { return folder_ + "\\diskette" + std::to_string(n); }

    bool ensureDiskette(int n) {
        const std::string root = disketteRoot(n);
        if (files_.folderExists(root) || files_.makeDir(root) == FileError::None) {
            return true;
        }
        error_ = root;
        return false;
    }

    // Creates the folders of a file's path on a diskette.
    bool ensureFolders(int n, const std::string& relative) {
        std::string path = disketteRoot(n);
        for (std::size_t at = 1; (at = relative.find('\\', at)) != std::string::npos; ++at) {
            const std::string folder = path + relative.substr(0, at);
            if (!files_.folderExists(folder) && files_.makeDir(folder) != FileError::None) {
                error_ = folder;
                return false;
            }
        }
        return true;
    }

    bool place(const SampleFile& file) {
        ContentStream content(file.name);
        std::string relative = file.storedAs.empty() ? file.name : file.storedAs;
        std::replace(relative.begin(), relative.end(), '/', '\\');
        std::uint64_t left = file.size;
        double previous = 0;
        bool first = true;
        do {
            if (used_ >= layout_.capacity) {
                ++disk_;
                used_ = 0;
            }
            const std::uint64_t take = std::min(left, layout_.capacity - used_);
            const std::string path = disketteRoot(disk_) + relative;
            if (!ensureDiskette(disk_) || !ensureFolders(disk_, relative) ||
                !writeBytes(path, content, take)) {
                return false;
            }
            Piece piece{disk_, !first, take == left, 0, &file};
            const double own = FileChecksum(files_, path).asDouble();
            piece.checksum = first ? own : own + previous;
            if (piece.checksum > kWrap - 1) {
                piece.checksum -= kWrap;
            }
            previous = piece.checksum;
            pieces_.push_back(piece);
            used_ += take;
            left -= take;
            first = false;
        } while (left > 0);
        return true;
    }

    bool writeBytes(const std::string& path, ContentStream& content, std::uint64_t size) {
        Result<std::unique_ptr<OutputFile>> out = files_.openWrite(path, WriteMode::Create);
        if (!out) {
            error_ = path;
            return false;
        }
        std::array<char, kChunk> chunk{};
        for (std::uint64_t done = 0; done < size;) {
            const auto part =
                static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - done));
            content.fill(std::span<char>(chunk.data(), part));
            if ((*out)->write(std::span<const char>(chunk.data(), part)) != FileError::None) {
                error_ = path;
                return false;
            }
            done += part;
        }
        if ((*out)->close() != FileError::None) {
            error_ = path;
            return false;
        }
        return true;
    }

    bool writeText(const std::string& path, const std::string& text) {
        Result<std::unique_ptr<OutputFile>> out = files_.openWrite(path, WriteMode::Create);
        if (out && (*out)->write(text) == FileError::None && (*out)->close() == FileError::None) {
            return true;
        }
        error_ = path;
        return false;
    }

    bool writeDescriptor(int count) {
        std::string text = "#XQ3100 ARCHIVE #" + formatNumber(layout_.archiveId) + "\n";
        text += "NUMDISKS: " + std::to_string(count) + "\n";
        text += "CREATED: July 17, 2007\n";
        for (const Piece& piece : pieces_) {
            text += "FILE: " + std::to_string(piece.disk) + " " + (piece.continued ? "1" : "0") +
                    " " + (piece.last ? "1" : "0") + " " + formatNumber(piece.checksum) + " " +
                    piece.file->name + " " + piece.file->secondString + "\n";
        }
        return writeText(disketteRoot(1) + "\\" + std::string(kDescriptorName), text);
    }

    FileService& files_;
    std::string folder_;
    const SampleSetLayout& layout_;
    std::string& error_;
    int disk_ = 1;
    std::uint64_t used_ = 0;
    std::vector<Piece> pieces_;
};

}  // namespace

SampleSetLayout bundledSampleSet() {
    SampleSetLayout layout;
    layout.capacity = 48 * 1024;
    layout.minimumDiskettes = 3;
    layout.files = {{.name = "/keycode.rec", .size = 256, .secondString = "KEYCODE"},
                    {.name = "/db/config.dat", .size = 10'000, .secondString = "CONFIG"},
                    {.name = "/db/records.dat", .size = 110'000, .secondString = "RECORDS"}};
    return layout;
}

SampleSetLayout fullSampleSet(int diskettes) {
    SampleSetLayout layout;
    layout.minimumDiskettes = diskettes;
    // The key-code file and one record file filling every diskette: a file line per diskette and
    // one more.
    const std::uint64_t total = static_cast<std::uint64_t>(diskettes) * layout.capacity;
    layout.files = {{.name = "/keycode.rec", .size = 256, .secondString = "KEYCODE"},
                    {.name = "/db/records.dat", .size = total - 256, .secondString = "RECORDS"}};
    return layout;
}

SampleSetLayout largestSampleSet() {
    return fullSampleSet(99);
}

int writeSampleSet(FileService& files, const std::string& folder, const SampleSetLayout& layout,
                   std::string& error) {
    return SetWriter(files, folder, layout, error).write();
}

}  // namespace xq
