#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/file_service.h"

namespace xq {

class ContentDigest;

// The archive's checksum: big-endian 32-bit words summed modulo 2^32 within blocks of 4096 bytes,
// the 1 to 3 bytes after the last whole word added as they are (no wrap), and each block's sum
// added to the total with one wrap. The archived checksums were made exactly so, so every wrap
// point matters.

// The sum of the first `count` bytes of `buffer`.
double BlockChecksum(std::span<const unsigned char> buffer, std::int16_t count);

// The checksum of a run of bytes that arrives in parts of any size, such as one piece of a file
// inside a longer file: the value FileChecksum gives for a file of exactly those bytes.
class StreamChecksum {
  public:
    explicit StreamChecksum(std::uint64_t length);

    // The next bytes of the run; bytes beyond its length are not taken.
    void add(std::span<const unsigned char> bytes);
    std::uint64_t missing() const { return length_ - taken_; }
    // The checksum, once every byte of the run has been added.
    double value() const;

  private:
    void addWords(const unsigned char* bytes, std::size_t words, std::uint64_t at);

    std::uint64_t length_;
    std::uint64_t taken_ = 0;
    // Where the last 4096-byte block of the run starts: it keeps its own sum and wrap.
    std::uint64_t lastBlockAt_;
    std::uint32_t earlierBlocks_ = 0;
    std::uint32_t lastBlockWords_ = 0;
    unsigned char partial_[4] = {};  // the bytes of a word not yet complete
    std::size_t partialCount_ = 0;
};

enum class ChecksumStatus {
    Measured,        // `value` is the checksum
    Empty,           // an empty file: checks as 0
    NoLength,        // its length could not be taken (it is missing)
    NegativeLength,  // kept for the numbering; a length is never negative here
    OpenFailed,
    ReadFailed,  // a read failed, or the file ended before its length
};

struct [[nodiscard]] FileChecksumResult {
    ChecksumStatus status = ChecksumStatus::Measured;
    double value = 0;

    // Whether the file's bytes were all read: an empty file was, a file that could not be opened
    // or read was not.
    bool measured() const {
        return status == ChecksumStatus::Measured || status == ChecksumStatus::Empty;
    }
    // The result as the converter has always used it: the checksum, or the status number (1 no
    // length, 2 negative length, 3 not opened) in its place.
    double asDouble() const;
};

[[nodiscard]] FileChecksumResult FileChecksum(FileService& files, std::string_view path,
                                              ReadMode mode = ReadMode::Cached);
// The same, with every byte taken into the checksum also added to `digest`: a caller that needs
// both reads the file once.
[[nodiscard]] FileChecksumResult FileChecksum(FileService& files, std::string_view path,
                                              ReadMode mode, ContentDigest& digest);

}  // namespace xq
