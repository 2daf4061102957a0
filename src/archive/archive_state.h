#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace xq {

// The descriptor's file table holds at most this many pieces; further file lines are not taken.
inline constexpr std::size_t kMaxArchivedFiles = 100;

// One piece of one archived file, as a file line of "archive.dat" lists it.
struct ArchivedFile {
    std::int16_t diskNumber = 0;  // the diskette that holds this piece
    bool continued = false;       // continues the same file begun on the previous diskette
    bool secondFlag = false;      // the flat image lists exactly the pieces that have it
    double archivedChecksum = 0;  // running checksum of the file up to and including this piece
    std::string fileName;         // relative to the diskette's root, with a leading "\"
    std::string secondString;     // carried into the flat image unchanged

    // A file line without a name (an empty line between file lines) names no file: there is
    // nothing to check, join or write for it.
    bool namesAFile() const { return !fileName.empty(); }

    bool operator==(const ArchivedFile&) const = default;
};

// What the descriptor of diskette 1 says about the whole set. It lives for the whole run: the
// diskette reader fills it from diskette 1 and compares every later diskette with it; verification,
// the flat image and recombination read the file table.
struct ArchiveState {
    double archiveId = 0;
    // The same ID exactly, as its digits without leading zeros: IDs of 16 digits and more differ
    // beyond what a double holds, and two sets must never pass for one. An ID that is not a number
    // ("#XQ735") is its text, without the blanks around it.
    std::string archiveIdText = "0";
    std::int16_t disketteCount = 0;
    std::int16_t fileCount = 0;  // entries 0 to fileCount - 1 of `files` are valid
    std::array<ArchivedFile, kMaxArchivedFiles> files{};

    // The valid entries of the file table, in descriptor order.
    std::span<const ArchivedFile> table() const {
        return std::span<const ArchivedFile>(files).first(static_cast<std::size_t>(fileCount));
    }

    bool operator==(const ArchiveState&) const = default;
};

}  // namespace xq
