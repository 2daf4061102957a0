#include "archive/diskette_copier.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "archive/archive_messages.h"
#include "platform/drive_table.h"
#include "platform/text.h"

namespace xq {

namespace {

std::string bytesText(std::uint64_t begin, std::uint64_t end) {
    return "bytes " + std::to_string(begin) + "-" + std::to_string(end - 1);
}

// Adds a range to a file's missing ranges, joined to the last one where they meet.
void addRange(std::vector<ByteRange>& ranges, ByteRange range) {
    if (!ranges.empty() && ranges.back().end == range.begin) {
        ranges.back().end = range.end;
    } else {
        ranges.push_back(range);
    }
}

// A file's bytes gathered in memory, where the copy of a file would write them.
class BytesOutput final : public OutputFile {
  public:
    FileError write(std::span<const char> bytes) override {
        bytes_.append(bytes.data(), bytes.size());
        return FileError::None;
    }
    FileError writeAt(std::uint64_t offset, std::span<const char> bytes) override {
        const auto at = static_cast<std::size_t>(offset);
        bytes_.resize(std::max(bytes_.size(), at + bytes.size()));
        std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(at));
        return FileError::None;
    }
    FileError flush() override { return FileError::None; }
    FileError truncate(std::uint64_t length) override {
        bytes_.resize(static_cast<std::size_t>(length));
        return FileError::None;
    }
    FileError close() override { return FileError::None; }

    std::string& bytes() { return bytes_; }

  private:
    std::string bytes_;
};

}  // namespace

// The copy of one file: the ranges it lacks, read into the target.
class DisketteCopier::FileCopy {
  public:
    enum class Ended { Done, MediumGone, WriteFailed };

    FileCopy(DisketteCopier& copier, InputFile& in, OutputFile& out, const std::string& source)
        : c_(copier), in_(in), out_(out), source_(source) {}

    Ended copy(const std::vector<ByteRange>& wanted) {
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            const Ended ended = copyRange(wanted[i]);
            if (ended == Ended::MediumGone) {
                for (std::size_t j = i + 1; j < wanted.size(); ++j) {
                    addRange(missing_, wanted[j]);
                }
            }
            if (ended != Ended::Done) {
                return ended;
            }
        }
        return Ended::Done;
    }

    std::vector<ByteRange>& missing() { return missing_; }

  private:
    Ended copyRange(ByteRange range) {
        std::vector<char> chunk(c_.policy_.chunkSize);
        std::uint64_t at = range.begin;
        while (at < range.end) {
            const auto size =
                static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), range.end - at));
            const std::span<char> bytes(chunk.data(), size);
            Result<std::size_t> got = c_.readOnce(in_, at, bytes);
            c_.op_.stillWorking();
            Ended ended = Ended::Done;
            if (got) {
                // The file ends before the length it had when the copy began: the rest is missing.
                if (*got < size) {
                    addRange(missing_, {at + *got, range.end});
                    return write(at, bytes.first(*got));
                }
                ended = write(at, bytes);
            } else if (c_.withinBudget()) {
                ended = copySectors(at, bytes);
            } else {
                // No more tries for this diskette: the chunk is recorded as it failed.
                if (!c_.mediumPresent()) {
                    addRange(missing_, {at, range.end});
                    return Ended::MediumGone;
                }
                c_.op_.logMessage(source_ + " " + bytesText(at, at + size) + " could not be read");
                addRange(missing_, {at, at + size});
                ended = writeZeros(at, size);
            }
            if (ended == Ended::MediumGone) {
                addRange(missing_, {at + sectorsDone_, range.end});
            }
            if (ended != Ended::Done) {
                return ended;
            }
            at += size;
        }
        return Ended::Done;
    }

    // A chunk that failed, read sector by sector.
    Ended copySectors(std::uint64_t at, std::span<char> chunk) {
        sectorsDone_ = 0;
        while (sectorsDone_ < chunk.size()) {
            if (sectorsDone_ > 0 && !c_.withinBudget()) {
                return copyRestOnce(at, chunk);
            }
            const std::size_t size = std::min(c_.policy_.sectorSize, chunk.size() - sectorsDone_);
            const std::uint64_t offset = at + sectorsDone_;
            const std::span<char> sector = chunk.subspan(sectorsDone_, size);
            switch (c_.rescueSector(in_, offset, sector, source_)) {
                case SectorRead::MediumGone:
                    // What was read of the chunk before it is kept.
                    return write(at, chunk.first(sectorsDone_)) == Ended::Done ? Ended::MediumGone
                                                                               : Ended::WriteFailed;
                case SectorRead::Unreadable:
                    addRange(missing_, {offset, offset + size});
                    std::fill(sector.begin(), sector.end(), '\0');
                    break;
                case SectorRead::Read:
                    break;
            }
            sectorsDone_ += size;
        }
        return write(at, chunk);
    }

    // The diskette's time for failed reads ran out while a chunk was read sector by sector: the
    // rest of the chunk gets one read, as a whole, rather than a try for each of its sectors.
    Ended copyRestOnce(std::uint64_t at, std::span<char> chunk) {
        const std::span<char> rest = chunk.subspan(sectorsDone_);
        const std::uint64_t offset = at + sectorsDone_;
        const Result<std::size_t> got = c_.readOnce(in_, offset, rest);
        c_.op_.stillWorking();
        if (got) {
            std::fill(rest.begin() + static_cast<std::ptrdiff_t>(*got), rest.end(), '\0');
        } else if (!c_.mediumPresent()) {
            return write(at, chunk.first(sectorsDone_)) == Ended::Done ? Ended::MediumGone
                                                                       : Ended::WriteFailed;
        } else {
            c_.op_.logMessage(source_ + " " + bytesText(offset, offset + rest.size()) +
                              " could not be read");
            addRange(missing_, {offset, offset + rest.size()});
            std::fill(rest.begin(), rest.end(), '\0');
        }
        return write(at, chunk);
    }

    Ended write(std::uint64_t at, std::span<const char> bytes) {
        return out_.writeAt(at, bytes) == FileError::None ? Ended::Done : Ended::WriteFailed;
    }

    Ended writeZeros(std::uint64_t at, std::size_t size) {
        const std::vector<char> zeros(size, '\0');
        return write(at, zeros);
    }

    DisketteCopier& c_;
    InputFile& in_;
    OutputFile& out_;
    const std::string& source_;
    std::vector<ByteRange> missing_;
    std::size_t sectorsDone_ = 0;  // of the chunk being read sector by sector
};

DisketteCopier::DisketteCopier(FileService& files, Operator& op, std::string root,
                               std::string headFile, const RescuePolicy& policy,
                               std::optional<MissingBytes> earlier)
    : files_(files),
      op_(op),
      root_(std::move(root)),
      headFile_(std::move(headFile)),
      policy_(policy),
      earlier_(std::move(earlier)) {}

DisketteCopier::~DisketteCopier() = default;

CopyOutcome DisketteCopier::copyFile(std::string_view relativePath, const std::string& source,
                                     const std::string& target, bool targetExists) {
    if (const auto read = std::find_if(
            readWhole_.begin(), readWhole_.end(),
            [&](const auto& file) { return equalsIgnoringAsciiCase(file.first, relativePath); });
        read != readWhole_.end()) {
        Result<std::unique_ptr<OutputFile>> out = files_.openWrite(target, WriteMode::Create);
        if (!out || (*out)->write(read->second) != FileError::None ||
            (*out)->close() != FileError::None) {
            return writeFailed(source, target);
        }
        held_.emplace_back(relativePath, target);
        return CopyOutcome::Copied;
    }
    const MissingBytes::File* before = earlier_ ? earlier_->find(relativePath) : nullptr;
    const bool kept = targetExists && keptUnchanged(relativePath, target);
    if (kept && before == nullptr) {
        held_.emplace_back(relativePath, target);
        return CopyOutcome::Copied;  // complete from the earlier reading
    }
    const Result<std::uint64_t> length = files_.fileLength(source);
    Result<std::unique_ptr<InputFile>> in = FileError::FileNotFound;
    if (length) {
        in = files_.openRead(source, ReadMode::FromMedium);
    }
    if (!in) {
        if (!mediumPresent()) {
            return stop();
        }
        op_.logMessage(source + " could not be opened");
        if (kept) {
            held_.emplace_back(relativePath, target);
        }
        missing_.files.push_back(kept ? *before
                                      : MissingBytes::File{std::string(relativePath), {}});
        return CopyOutcome::Copied;
    }

    // Only the ranges still missing, when the copy holds the file at its full length.
    std::vector<ByteRange> wanted{{0, *length}};
    WriteMode mode = WriteMode::Create;
    const Result<std::uint64_t> keptLength = kept ? files_.fileLength(target) : FileError::None;
    if (kept && !before->ranges.empty() && keptLength && *keptLength == *length) {
        // Within the file as it is: a record that says otherwise is not trusted beyond its end.
        wanted.clear();
        for (const ByteRange& range : before->ranges) {
            if (range.begin < *length) {
                wanted.push_back({range.begin, std::min(range.end, *length)});
            }
        }
        mode = WriteMode::Update;
    }
    Result<std::unique_ptr<OutputFile>> out = files_.openWrite(target, mode);
    if (!out) {
        return writeFailed(source, target);
    }
    FileCopy file(*this, **in, **out, source);
    const FileCopy::Ended ended = file.copy(wanted);
    // The copy keeps the file's full length, the bytes not read as zeros: reading it again writes
    // them in place.
    if (ended == FileCopy::Ended::WriteFailed || (*out)->truncate(*length) != FileError::None ||
        (*out)->close() != FileError::None) {
        return writeFailed(source, target);
    }
    held_.emplace_back(relativePath, target);
    if (!file.missing().empty()) {
        missing_.files.push_back({std::string(relativePath), std::move(file.missing())});
    }
    return ended == FileCopy::Ended::MediumGone ? stop() : CopyOutcome::Copied;
}

CopyOutcome DisketteCopier::unlistedFolder(std::string_view relativePath, const std::string& source,
                                           FileError) {
    if (!mediumPresent()) {
        return stop();
    }
    op_.logMessage(source + " could not be read");
    missing_.folders.emplace_back(relativePath);
    return CopyOutcome::Copied;
}

Result<std::string> DisketteCopier::readWhole(std::string_view relativePath,
                                              const std::string& source, std::uint64_t most) {
    const Result<std::uint64_t> length = files_.fileLength(source);
    if (!length &&
        (length.error() == FileError::FileNotFound || length.error() == FileError::PathNotFound)) {
        return length.error();
    }
    Result<std::unique_ptr<InputFile>> in =
        length ? files_.openRead(source, ReadMode::FromMedium)
               : Result<std::unique_ptr<InputFile>>(length.error());
    if (!in) {
        if (!mediumPresent()) {
            passOver(stop());
            return FileError::DeviceIo;
        }
        op_.logMessage(source + " could not be opened");
        missing_.files.push_back({std::string(relativePath), {}});
        return in.error();
    }
    BytesOutput out;
    FileCopy file(*this, **in, out, source);
    const std::uint64_t wanted = std::min(*length, most);
    const FileCopy::Ended ended = file.copy({{0, wanted}});
    const bool lost = !file.missing().empty();
    if (lost) {
        missing_.files.push_back({std::string(relativePath), std::move(file.missing())});
    }
    if (ended == FileCopy::Ended::MediumGone) {
        passOver(stop());
    }
    if (ended != FileCopy::Ended::Done || lost) {
        return FileError::DeviceIo;
    }
    out.bytes().resize(static_cast<std::size_t>(wanted));
    if (wanted == *length) {
        readWhole_.emplace_back(relativePath, out.bytes());
    }
    return std::move(out.bytes());
}

void DisketteCopier::handOver(DisketteCopier& copier) {
    std::move(readWhole_.begin(), readWhole_.end(), std::back_inserter(copier.readWhole_));
    readWhole_.clear();
}

MissingBytes& DisketteCopier::missingWithKeptDigests() {
    missing_.kept.clear();
    for (const auto& [path, target] : held_) {
        // A file whose digest cannot be taken is left out: the next reading reads it whole.
        if (const std::optional<Digest128> digest = fileDigest(files_, target, ReadMode::Cached)) {
            missing_.kept.push_back({path, *digest});
        }
    }
    return missing_;
}

bool DisketteCopier::keptUnchanged(std::string_view relativePath, const std::string& target) {
    const Digest128* recorded = earlier_ ? earlier_->keptDigest(relativePath) : nullptr;
    if (recorded != nullptr && fileDigest(files_, target, ReadMode::Cached) == *recorded) {
        return true;
    }
    op_.logMessage(target + " is not as it was kept: it is read again whole");
    return false;
}

CopyOutcome DisketteCopier::stop() {
    missing_.stopped = true;
    mediumGone_ = true;
    return CopyOutcome::Stopped;
}

CopyOutcome DisketteCopier::writeFailed(const std::string& source, const std::string& target) {
    op_.reportFailure(copyFailure(source, target, driveLetterOf(op_.window().DriveList.drive())));
    return CopyOutcome::Failed;
}

Result<std::size_t> DisketteCopier::readOnce(InputFile& in, std::uint64_t offset,
                                             std::span<char> bytes) {
    const Clock::Time start = policy_.clock->now();
    Result<std::size_t> got = in.readAt(offset, bytes);
    if (!got) {
        failedReading_ += policy_.clock->now() - start;
    }
    return got;
}

DisketteCopier::SectorRead DisketteCopier::rescueSector(InputFile& in, std::uint64_t offset,
                                                        std::span<char> sector,
                                                        const std::string& source) {
    const std::string where = source + " " + bytesText(offset, offset + sector.size());
    // The chunk's read was the sector's first try. Its next one alone tells whether it is this
    // sector that fails (most of a failing chunk reads at once); from then on the head is moved
    // away and back before each try, so that the drive seeks to the sector afresh.
    for (int attempt = 2; attempt <= policy_.triesPerSector; ++attempt) {
        if (attempt > 2) {
            if (!withinBudget()) {
                break;
            }
            if (!moveHead() && !mediumPresent()) {
                return SectorRead::MediumGone;
            }
        }
        Result<std::size_t> got = readOnce(in, offset, sector);
        op_.stillWorking();
        if (got) {
            std::fill(sector.begin() + static_cast<std::ptrdiff_t>(*got), sector.end(), '\0');
            if (attempt > 2) {
                op_.logMessage(where + " read on try " + std::to_string(attempt));
            }
            return SectorRead::Read;
        }
    }
    if (!mediumPresent()) {
        return SectorRead::MediumGone;
    }
    op_.logMessage(where + " could not be read");
    return SectorRead::Unreadable;
}

bool DisketteCopier::moveHead() {
    if (!head_) {
        Result<std::unique_ptr<InputFile>> head = files_.openRead(headFile_, ReadMode::FromMedium);
        if (!head) {
            return false;
        }
        head_ = std::move(*head);
    }
    std::vector<char> sector(policy_.sectorSize);
    return head_->readAt(0, sector).ok();
}

bool DisketteCopier::mediumPresent() {
    return files_.listDirectory(root_).ok();
}

}  // namespace xq
