#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "archive/archive_state.h"
#include "platform/file_service.h"

namespace xq {

// "archive.dat" holds 1 to 10000 bytes.
inline constexpr std::size_t kMaxDescriptorBytes = 10000;

// Parses the bytes of an archive descriptor (LF line ends):
//   byte 0           any (never examined)
//   first line       from byte 1: the archive ID in the digits at offset 17 of the data
//   second line      "NUMDISKS: " and the diskette count
//   further lines    skipped up to the first line that begins with "FILE:"
//   file lines       from that line to the end of the data, at most 100
// Descriptors written or copied on DOS-era systems are read as they stand: a CR before each LF and
// Ctrl+Z bytes at the end are no part of the data, and empty lines after the file lines are no
// entries.
// Returns 0 and replaces `state` with what it read, or returns a descriptor error number and
// leaves `state` as it was: a set is never half taken over.
//
// More than 100 file lines are refused (descriptor_error::TooManyFileLines) rather than cut off at
// the hundredth: the lines left out could be the last pieces of a file.
//
// A descriptor without any "FILE:" line is refused (descriptor_error::NoFileTable) rather than
// read as an empty set: the flat image is built from the lines up to the first "FILE:" line and
// cannot be written without one, so such a diskette is better turned away while it is still in the
// drive.
[[nodiscard]] int ParseArchiveDescriptor(std::span<const char> bytes, ArchiveState& state);

// Reads the descriptor at `path` and parses it as above. A missing or unreadable file gives the
// file service's error number (53 for a file that is not there); an empty one
// descriptor_error::Empty, one above 10000 bytes descriptor_error::TooLong.
[[nodiscard]] int ParseArchiveDescriptor(FileService& files, std::string_view path,
                                         ArchiveState& state);

}  // namespace xq
