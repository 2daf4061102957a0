#pragma once

#include <string_view>

#include "platform/error_number.h"

namespace xq {

// Error numbers of a descriptor that was read but cannot be used. A missing or unreadable
// descriptor keeps the file service's own number instead (53 for a missing one).
namespace descriptor_error {
inline constexpr int None = 0;
inline constexpr int Empty = 2;
inline constexpr int TooLong = 3;  // more than kMaxDescriptorBytes
// A diskette count or disk number beyond the 16-bit range (a field of many digits).
inline constexpr int Overflow = 6;
// More file lines than the file table holds (kMaxArchivedFiles).
inline constexpr int TooManyFileLines = 9;
// A file line names a file outside the diskette's root, or one the card cannot hold under its name
// (see isSafeArchivedName).
inline constexpr int UnsafeName = static_cast<int>(FileError::BadFileName);
// No line begins with "FILE:": the search ran past the end of the data.
inline constexpr int NoFileTable = static_cast<int>(FileError::InputPastEnd);
}  // namespace descriptor_error

// The description of an error number of the descriptor parse, for the operator.
std::string_view descriptorErrorDescription(int errorNumber);

}  // namespace xq
