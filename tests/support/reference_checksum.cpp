#include "support/reference_checksum.h"

#include <stdexcept>

namespace xq::test {

namespace {

std::uint64_t byteAt(std::string_view bytes, std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
}

std::uint64_t wrapOnce(std::uint64_t sum) {
    return sum > kChecksumModulus - 1 ? sum - kChecksumModulus : sum;
}

}  // namespace

std::uint64_t referenceBlockChecksum(std::string_view block) {
    if (block.size() > kChecksumBlock) {
        throw std::invalid_argument("a checksum block holds at most 4096 bytes");
    }
    const std::size_t words = block.size() / 4;
    std::uint64_t sum = 0;
    for (std::size_t k = 0; k < words; ++k) {
        const std::uint64_t word = (byteAt(block, 4 * k) << 24) + (byteAt(block, 4 * k + 1) << 16) +
                                   (byteAt(block, 4 * k + 2) << 8) + byteAt(block, 4 * k + 3);
        sum = wrapOnce(sum + word);
    }
    for (std::size_t i = 4 * words; i < block.size(); ++i) {
        sum += byteAt(block, i);
    }
    return sum;
}

std::uint64_t referenceFileChecksum(std::string_view bytes) {
    std::uint64_t total = 0;
    for (std::size_t at = 0; at < bytes.size(); at += kChecksumBlock) {
        total = wrapOnce(total + referenceBlockChecksum(bytes.substr(at, kChecksumBlock)));
    }
    return total;
}

std::uint64_t referenceContinuedChecksum(std::uint64_t ownChecksum, std::uint64_t previousPiece) {
    return wrapOnce(ownChecksum + previousPiece);
}

}  // namespace xq::test
