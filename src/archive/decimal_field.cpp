#include "archive/decimal_field.h"

#include <algorithm>

#include "platform/text.h"

namespace xq {

std::string_view decimalFieldDigits(std::span<const char> line, std::int16_t start) {
    if (start < 0) {
        return {};
    }
    const std::size_t first = std::min(static_cast<std::size_t>(start), line.size());
    std::size_t end = first;
    while (end < line.size() && isAsciiDigit(line[end])) {
        ++end;
    }
    return std::string_view(line.data() + first, end - first);
}

double ReadDecimalField(std::span<const char> line, std::int16_t start) {
    // Rounded once, as the diskette file's archive ID is read.
    return decimalDigitsValue(decimalFieldDigits(line, start));
}

}  // namespace xq
