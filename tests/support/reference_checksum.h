#pragma once

#include <cstdint>
#include <string_view>

namespace xq::test {

// The archive checksum, written the plainest way as the oracle for tests: exact integer arithmetic,
// one step per rule, no buffering tricks.
//
//   block (up to 4096 bytes): sum of the big-endian 32-bit words, less 2^32 once whenever the sum
//     passes 2^32 - 1 after a word; then the 1 to 3 trailing bytes, each added as it is, no wrap.
//   file: the block sums of its 4096-byte blocks added up, less 2^32 once whenever the total
//     passes 2^32 - 1 after a block.
//   continued piece: its own file checksum plus the archived checksum of the same file's piece on
//     the previous diskette, less 2^32 once if that passes 2^32 - 1.
//
// Results can exceed 2^32 - 1 by a few hundred (trailing bytes are never wrapped), hence 64 bits.
inline constexpr std::uint64_t kChecksumModulus = std::uint64_t{1} << 32;
inline constexpr std::size_t kChecksumBlock = 4096;

std::uint64_t referenceBlockChecksum(std::string_view block);
std::uint64_t referenceFileChecksum(std::string_view bytes);
std::uint64_t referenceContinuedChecksum(std::uint64_t ownChecksum, std::uint64_t previousPiece);

}  // namespace xq::test
