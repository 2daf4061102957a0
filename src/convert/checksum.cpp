#include "convert/checksum.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>

#include "platform/content_digest.h"

namespace xq {

namespace {

constexpr double kModulus = 4294967296.0;  // 2^32
constexpr std::size_t kBlock = 4096;
// Whole blocks read at a time; the checksum's own block boundaries are kept inside it.
constexpr std::size_t kReadSize = 256 * kBlock;

// The words of a block, summed. Adding a word and subtracting 2^32 once when the sum passes
// 2^32 - 1 is exactly 32-bit unsigned addition, so only the byte order of a word needs care.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__ELF__) && !defined(__SANITIZE_ADDRESS__)
#define XQ_WORD_SUM_VERSIONS 1
// Where the processor can turn the bytes of eight words round in one step, the words are simply
// turned and added; this version is chosen once when the program loads.
__attribute__((target("avx2"))) std::uint32_t wordSum(const unsigned char* bytes,
                                                      std::size_t words) {
    std::uint32_t sum = 0;
    for (std::size_t k = 0; k < words; ++k) {
        std::uint32_t word;
        std::memcpy(&word, bytes + 4 * k, 4);
        sum += __builtin_bswap32(word);
    }
    return sum;
}
#endif

// Elsewhere a sum of big-endian words modulo 2^32 is the sum of each byte column shifted into its
// place: the columns are summed in 16-bit halves of 32-bit lanes, which the compiler vectorises,
// and put together at the end.
#if defined(XQ_WORD_SUM_VERSIONS)
__attribute__((target("default")))
#endif
std::uint32_t
wordSum(const unsigned char* bytes, std::size_t words) {
    if constexpr (std::endian::native != std::endian::little) {
        std::uint32_t sum = 0;
        for (std::size_t k = 0; k < words; ++k) {
            std::uint32_t word;
            std::memcpy(&word, bytes + 4 * k, 4);
            sum += word;  // already big-endian
        }
        return sum;
    }
    // A 16-bit half takes 256 bytes of at most 255 before it could overflow.
    constexpr std::size_t kRun = 256;
    std::uint64_t column[4] = {};
    for (std::size_t start = 0; start < words; start += kRun) {
        const std::size_t end = std::min(words, start + kRun);
        std::uint32_t evenColumns = 0;  // bytes 0 and 2 of each word
        std::uint32_t oddColumns = 0;   // bytes 1 and 3
        for (std::size_t k = start; k < end; ++k) {
            std::uint32_t word;
            std::memcpy(&word, bytes + 4 * k, 4);
            evenColumns += word & 0x00FF00FFu;
            oddColumns += (word >> 8) & 0x00FF00FFu;
        }
        column[0] += evenColumns & 0xFFFFu;
        column[2] += evenColumns >> 16;
        column[1] += oddColumns & 0xFFFFu;
        column[3] += oddColumns >> 16;
    }
    // Byte 0 of a word in memory is its most significant in the archive's order.
    return static_cast<std::uint32_t>((column[0] << 24) + (column[1] << 16) + (column[2] << 8) +
                                      column[3]);
}

double blockSum(const unsigned char* bytes, std::size_t count) {
    const std::size_t words = count / 4;
    double sum = wordSum(bytes, words);
    for (std::size_t i = 4 * words; i < count; ++i) {
        sum += bytes[i];  // trailing bytes: unshifted, and no wrap
    }
    return sum;
}

}  // namespace

double BlockChecksum(std::span<const unsigned char> buffer, std::int16_t count) {
    const std::size_t bytes = std::min<std::size_t>(buffer.size(), count > 0 ? count : 0);
    return blockSum(buffer.data(), bytes);
}

double FileChecksumResult::asDouble() const {
    switch (status) {
        case ChecksumStatus::Empty:
            return 0;
        case ChecksumStatus::NoLength:
            return 1;
        case ChecksumStatus::NegativeLength:
            return 2;
        case ChecksumStatus::OpenFailed:
            return 3;
        default:
            return value;
    }
}

StreamChecksum::StreamChecksum(std::uint64_t length)
    : length_(length), lastBlockAt_(length == 0 ? 0 : (length - 1) / kBlock * kBlock) {}

void StreamChecksum::addWords(const unsigned char* bytes, std::size_t words, std::uint64_t at) {
    // Every block but the last holds 4096 bytes, whole words only: each adds its sum below 2^32 to
    // a total below 2^32 with one wrap, which is 32-bit addition, so those blocks are summed in
    // one go. Words never straddle the last block's start, a multiple of 4 from the run's start.
    const std::size_t early =
        at >= lastBlockAt_
            ? 0
            : static_cast<std::size_t>(std::min<std::uint64_t>(words, (lastBlockAt_ - at) / 4));
    earlierBlocks_ += wordSum(bytes, early);
    lastBlockWords_ += wordSum(bytes + 4 * early, words - early);
}

void StreamChecksum::add(std::span<const unsigned char> bytes) {
    bytes = bytes.first(static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), missing())));
    std::size_t i = 0;
    if (partialCount_ > 0) {
        while (partialCount_ < 4 && i < bytes.size()) {
            partial_[partialCount_++] = bytes[i++];
        }
        if (partialCount_ == 4) {
            addWords(partial_, 1, taken_ + i - 4);
            partialCount_ = 0;
        }
    }
    const std::size_t words = (bytes.size() - i) / 4;
    addWords(bytes.data() + i, words, taken_ + i);
    i += 4 * words;
    while (i < bytes.size()) {
        partial_[partialCount_++] = bytes[i++];
    }
    taken_ += bytes.size();
}

double StreamChecksum::value() const {
    // What is left of an incomplete word at the end are the run's trailing bytes: unshifted, and
    // no wrap of their own.
    double lastBlock = lastBlockWords_;
    for (std::size_t i = 0; i < partialCount_; ++i) {
        lastBlock += partial_[i];
    }
    double total = earlierBlocks_ + lastBlock;
    if (total > kModulus - 1) {
        total -= kModulus;
    }
    return total;
}

namespace {

FileChecksumResult checksumOf(FileService& files, std::string_view path, ReadMode mode,
                              ContentDigest* digest) {
    const Result<std::uint64_t> length = files.fileLength(path);
    if (!length) {
        return {ChecksumStatus::NoLength, 1};
    }
    if (*length == 0) {
        return {ChecksumStatus::Empty, 0};
    }
    Result<std::unique_ptr<InputFile>> in = files.openRead(path, mode);
    if (!in) {
        return {ChecksumStatus::OpenFailed, 3};
    }
    // Not zeroed first: only the bytes a read has filled are ever looked at.
    const std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(kReadSize);
    StreamChecksum checksum(*length);
    while (checksum.missing() > 0) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kReadSize, checksum.missing()));
        const Result<std::size_t> got = (*in)->read(std::span<char>(buffer.get(), want));
        if (!got || *got != want) {
            return {ChecksumStatus::ReadFailed, 0};
        }
        const std::span<const unsigned char> bytes(
            reinterpret_cast<const unsigned char*>(buffer.get()), want);
        checksum.add(bytes);
        if (digest != nullptr) {
            digest->add(bytes);
        }
    }
    return {ChecksumStatus::Measured, checksum.value()};
}

}  // namespace

FileChecksumResult FileChecksum(FileService& files, std::string_view path, ReadMode mode) {
    return checksumOf(files, path, mode, nullptr);
}

FileChecksumResult FileChecksum(FileService& files, std::string_view path, ReadMode mode,
                                ContentDigest& digest) {
    return checksumOf(files, path, mode, &digest);
}

}  // namespace xq
