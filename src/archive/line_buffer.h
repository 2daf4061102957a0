#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace xq {

// One line of the descriptor as the parse sees it: 101 bytes, indices 0 to 100. A line keeps at
// most its first 100 characters, the rest is dropped; the bytes behind the kept characters are 0,
// so index 100 is always 0 and every field ends inside the buffer.
inline constexpr std::size_t kLineBufferSize = 101;
inline constexpr std::size_t kLineCapacity = kLineBufferSize - 1;

using LineBuffer = std::array<char, kLineBufferSize>;

enum class Separators {
    AsWritten,
    // "/" becomes "\" while the line is copied: file lines name their files with "/", the
    // converter uses them with "\".
    ToBackslash,
};

// Copies the line that starts at `start` of `data` (up to the next LF or the end of the data) into
// `line`. A CR right before the LF, or at the very end of the data, is the rest of a DOS line end
// and not part of the line; a CR anywhere else is. Returns where the next line starts: behind the
// LF, or the end of the data.
std::size_t copyLine(std::span<const char> data, std::size_t start, LineBuffer& line,
                     Separators separators = Separators::AsWritten);

// Whether the line that starts at `start` of `data` holds nothing but its line end.
bool isEmptyLine(std::span<const char> data, std::size_t start);

// Whether the line begins with `prefix`, compared by character value.
bool lineStartsWith(const LineBuffer& line, std::string_view prefix);

// The text from `start` up to the next blank or the end of the line.
std::string_view wordAt(const LineBuffer& line, std::size_t start);

}  // namespace xq
