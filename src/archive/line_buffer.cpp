#include "archive/line_buffer.h"

#include <algorithm>

namespace xq {

std::size_t copyLine(std::span<const char> data, std::size_t start, LineBuffer& line,
                     Separators separators) {
    line.fill(0);
    std::size_t pos = start;
    std::size_t kept = 0;
    for (; pos < data.size() && data[pos] != '\n'; ++pos) {
        if (kept == kLineCapacity) {
            continue;  // beyond the buffer: dropped
        }
        const char c = data[pos];
        line[kept++] = (separators == Separators::ToBackslash && c == '/') ? '\\' : c;
    }
    return pos < data.size() ? pos + 1 : pos;
}

bool lineStartsWith(const LineBuffer& line, std::string_view prefix) {
    return prefix.size() <= line.size() && std::equal(prefix.begin(), prefix.end(), line.begin());
}

std::string_view wordAt(const LineBuffer& line, std::size_t start) {
    // A NUL byte ends the line as the zero filling behind it does.
    std::size_t end = std::min(start, line.size());
    const std::size_t first = end;
    while (end < line.size() && line[end] != ' ' && line[end] != 0) {
        ++end;
    }
    return std::string_view(line.data() + first, end - first);
}

}  // namespace xq
