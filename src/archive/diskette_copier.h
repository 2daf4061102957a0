#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "archive/missing_bytes.h"
#include "archive/tree_operations.h"
#include "platform/clock.h"

namespace xq {

// How hard the copy of a diskette tries its weak sectors.
struct RescuePolicy {
    std::size_t chunkSize = 64 * 1024;  // what is read at once while reads succeed
    std::size_t sectorSize = 512;       // what a failing chunk is read again in
    int triesPerSector = 8;             // the failed chunk's read counted as the first
    // Failed reads of one diskette, in all, after which a failing chunk is no longer read again
    // sector by sector: a drive retries each failed read itself for seconds, and a diskette with
    // wide damage must not hold the operator for an hour.
    std::chrono::milliseconds failedReadBudget = std::chrono::seconds(120);
    Clock* clock = &systemClock();  // measures the failed reads
};

// Copies the files of one diskette into its working directory, for CopyTree. A chunk that fails is
// read again sector by sector, and a failing sector up to the policy's number of tries, the drive's
// head moved away and back between them (to the diskette file's first sector). A sector that never
// reads leaves zeros in the copy and goes into the record of missing bytes; the copy goes on with
// the rest of the file and the diskette. Every sector read again is logged with how it ended.
//
// Given the record of an earlier reading of the same diskette, files that copy holds complete are
// not read again, and an incomplete one reads only its missing ranges, merged into what it holds;
// a kept file whose bytes no longer have the digest the record gives is read again whole.
//
// A diskette taken out during the copy stops it (CopyOutcome::Stopped), with what it has not read
// in the record. A failure to write the copy is reported, with the copy failure's text, and fails
// it.
class DisketteCopier final : public FileCopier {
  public:
    // `headFile` is the diskette file ("A:\disk0002.dat"), `root` the diskette's root ("A:\").
    DisketteCopier(FileService& files, Operator& op, std::string root, std::string headFile,
                   const RescuePolicy& policy, std::optional<MissingBytes> earlier);
    ~DisketteCopier() override;

    CopyOutcome copyFile(std::string_view relativePath, const std::string& source,
                         const std::string& target, bool targetExists) override;
    CopyOutcome unlistedFolder(std::string_view relativePath, const std::string& source,
                               FileError error) override;

    // The first `most` bytes of a file of the diskette, read with the same tries as every file:
    // the diskette file and the descriptor, which the reading needs before it copies anything.
    // FileNotFound (or PathNotFound) when there is no such file; any other error when it could not
    // be read, its loss then in the record as for any file (or the copy stopped, the diskette
    // taken out).
    [[nodiscard]] Result<std::string> readWhole(std::string_view relativePath,
                                                const std::string& source, std::uint64_t most);
    // Gives the files this copier read whole to `copier`, which then takes their bytes for its
    // copy rather than reading the diskette again.
    void handOver(DisketteCopier& copier);

    // What the copy has not read (the archive ID is left to the caller).
    MissingBytes& missing() { return missing_; }
    // The same, with the digest of every file the copy holds taken now: the record to keep.
    MissingBytes& missingWithKeptDigests();
    // The diskette was taken out: the copy stopped.
    bool mediumGone() const { return mediumGone_; }

  private:
    enum class SectorRead { Read, Unreadable, MediumGone };
    class FileCopy;

    SectorRead rescueSector(InputFile& in, std::uint64_t offset, std::span<char> sector,
                            const std::string& source);
    // One read; the time a failed one took counts against the budget.
    Result<std::size_t> readOnce(InputFile& in, std::uint64_t offset, std::span<char> bytes);
    // Whether the copy's file, kept from the earlier reading, is as that reading left it.
    bool keptUnchanged(std::string_view relativePath, const std::string& target);
    CopyOutcome stop();
    CopyOutcome writeFailed(const std::string& source, const std::string& target);
    bool moveHead();
    bool mediumPresent();
    bool withinBudget() const { return failedReading_ < policy_.failedReadBudget; }

    FileService& files_;
    Operator& op_;
    std::string root_;
    std::string headFile_;
    RescuePolicy policy_;
    std::optional<MissingBytes> earlier_;
    MissingBytes missing_;
    std::vector<std::pair<std::string, std::string>> held_;  // the copy's files: path, target
    // Files read whole: path (as the diskette's names, without regard to case), bytes.
    std::vector<std::pair<std::string, std::string>> readWhole_;
    std::unique_ptr<InputFile> head_;
    Clock::Duration failedReading_{};
    bool mediumGone_ = false;
};

}  // namespace xq
