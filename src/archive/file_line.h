#pragma once

#include "archive/archive_state.h"
#include "archive/descriptor_error.h"
#include "archive/line_buffer.h"

namespace xq {

// Fills `entry` from one file line of the descriptor, already copied with "/" turned into "\":
//   "FILE: " disk " " continued " " second " " checksum " " name " " second string
// A line without a name (an empty line between file lines) is an entry that names no file, as the
// descriptor has always been read. Returns None, or what makes the line unusable (an out-of-range
// disk number, an unsafe file name).
[[nodiscard]] DescriptorError parseFileLine(const LineBuffer& line, ArchivedFile& entry);

}  // namespace xq
