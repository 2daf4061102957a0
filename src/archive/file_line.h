#pragma once

#include "archive/archive_state.h"
#include "archive/line_buffer.h"

namespace xq {

// Fills `entry` from one file line of the descriptor, already copied with "/" turned into "\":
//   "FILE: " disk " " continued " " second " " checksum " " name " " second string
// Returns 0, or the descriptor error number that makes the line unusable (an out-of-range disk
// number, an unsafe file name).
[[nodiscard]] int parseFileLine(const LineBuffer& line, ArchivedFile& entry);

}  // namespace xq
