#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "archive/archive_state.h"
#include "archive/descriptor_error.h"
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
// Replaces `state` with what it read, or says why it cannot and leaves `state` as it was: a set is
// never half taken over.
//
// More than 100 file lines are refused (TooManyFileLines) rather than cut off at the hundredth:
// the lines left out could be the last pieces of a file. A diskette count outside 1 to 99 is
// refused too: no such set could ever be read to its end.
//
// A descriptor without any "FILE:" line is refused (NoFileTable) rather than read as an empty set:
// the flat image is built from the lines up to the first "FILE:" line and cannot be written
// without one, so such a diskette is better turned away while it is still in the drive.
DescriptorResult ParseArchiveDescriptor(std::span<const char> bytes, ArchiveState& state);

// Reads the descriptor at `path` and parses it as above. A missing or unreadable file is
// Unreadable with the file service's error; an empty one Empty, one above 10000 bytes TooLong.
DescriptorResult ParseArchiveDescriptor(FileService& files, std::string_view path,
                                        ArchiveState& state);

}  // namespace xq
