#include "archive/line_buffer.h"

#include <algorithm>

namespace xq {

namespace {

// Where the line that starts at `start` ends: at its LF, or at the end of the data.
std::size_t lineEnd(std::span<const char> data, std::size_t start) {
    std::size_t end = std::min(start, data.size());
    while (end < data.size() && data[end] != '\n') {
        ++end;
    }
    return end;
}

// Where the line's text ends: before the CR of a CR LF (or of a CR that ends the data).
std::size_t textEnd(std::span<const char> data, std::size_t start, std::size_t end) {
    return end > start && data[end - 1] == '\r' ? end - 1 : end;
}

}  // namespace

std::size_t copyLine(std::span<const char> data, std::size_t start, LineBuffer& line,
                     Separators separators) {
    line.fill(0);
    const std::size_t end = lineEnd(data, start);
    // Characters beyond the buffer are dropped.
    const std::size_t stop = std::min(textEnd(data, start, end), start + kLineCapacity);
    for (std::size_t pos = start; pos < stop; ++pos) {
        const char c = data[pos];
        line[pos - start] = (separators == Separators::ToBackslash && c == '/') ? '\\' : c;
    }
    return end < data.size() ? end + 1 : end;
}

bool isEmptyLine(std::span<const char> data, std::size_t start) {
    return textEnd(data, start, lineEnd(data, start)) == start;
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
