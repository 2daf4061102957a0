#include "convert/checksum.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace xq {

namespace {

constexpr double kModulus = 4294967296.0;  // 2^32
constexpr std::size_t kBlock = 4096;
// Whole blocks read at a time; the checksum's own block boundaries are kept inside it.
constexpr std::size_t kReadSize = 256 * kBlock;

// The words of a block, summed. Adding a word and subtracting 2^32 once when the sum passes
// 2^32 - 1 is exactly 32-bit unsigned addition, so the compiler is free to vectorise this loop.
std::uint32_t wordSum(const unsigned char* bytes, std::size_t words) {
    std::uint32_t sum = 0;
    for (std::size_t k = 0; k < words; ++k) {
        const unsigned char* b = bytes + 4 * k;
        sum += (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) |
               (std::uint32_t{b[2]} << 8) | std::uint32_t{b[3]};
    }
    return sum;
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
        case ChecksumStatus::Empty: return 0;
        case ChecksumStatus::NoLength: return 1;
        case ChecksumStatus::NegativeLength: return 2;
        case ChecksumStatus::OpenFailed: return 3;
        default: return value;
    }
}

FileChecksumResult FileChecksum(FileService& files, std::string_view path, ReadMode mode) {
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
    std::vector<char> buffer(kReadSize);
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    std::uint64_t remaining = *length;
    double total = 0;
    while (remaining > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kReadSize, remaining));
        const Result<std::size_t> got = (*in)->read(std::span<char>(buffer.data(), want));
        if (!got || *got != want) {
            return {ChecksumStatus::ReadFailed, total};
        }
        for (std::size_t at = 0; at < want; at += kBlock) {
            const std::size_t block = std::min(kBlock, want - at);
            total += blockSum(bytes + at, block);
            if (total > kModulus - 1) {
                total -= kModulus;
            }
        }
        remaining -= want;
    }
    return {ChecksumStatus::Measured, total};
}

}  // namespace xq
