#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/content_digest.h"
#include "platform/file_service.h"

namespace xq {

// The bytes [begin, end) of a file.
struct ByteRange {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;

    std::uint64_t size() const { return end - begin; }
    bool operator==(const ByteRange&) const = default;
};

// What the reading of a diskette could not read. It is kept beside the diskette's copy (which holds
// every byte that was read, the missing ones as zeros) so that reading the diskette again reads
// only this. A file of the copy that is not listed here is complete; a file of the diskette that
// the copy does not hold yet has not been read at all.
struct MissingBytes {
    struct File {
        std::string path;  // below the diskette's root, with a leading "\"
        // In order, none overlapping. None: the file could not be opened, and is not in the copy.
        std::vector<ByteRange> ranges;
    };

    // A file the copy holds, by the digest of its bytes (the missing ones as zeros) when the record
    // was written: a kept file that no longer matches it, changed while the program waited, is
    // read again whole rather than trusted.
    struct Kept {
        std::string path;
        Digest128 digest;
    };

    std::string archiveId;  // the set's archive ID: the record of another set's copy is not used
    std::vector<File> files;
    std::vector<Kept> kept;
    std::vector<std::string> folders;  // could not be listed (below the root, ending in "\")
    bool stopped = false;  // the reading stopped before it had walked the whole diskette

    bool empty() const { return files.empty() && folders.empty() && !stopped; }
    // The bytes of the files with missing ranges.
    std::uint64_t byteCount() const;
    // The file's entry; null when the file is not in the record.
    const File* find(std::string_view path) const;
    // The digest the kept file had; null when the record has none for it.
    const Digest128* keptDigest(std::string_view path) const;
};

// Writes the record (replacing any earlier one) and puts it on the disk.
[[nodiscard]] FileError writeMissingBytes(FileService& files, std::string_view path,
                                          const MissingBytes& missing);

// The record at `path`; nullopt when there is none, or it cannot be read as one.
[[nodiscard]] std::optional<MissingBytes> readMissingBytes(FileService& files,
                                                           std::string_view path);

}  // namespace xq
