#include "archive/decimal_field.h"

#include <algorithm>

#include "platform/text.h"

namespace xq {

double ReadDecimalField(std::span<const char> line, std::int16_t start) {
    if (start < 0) {
        return 0;
    }
    const std::size_t first = std::min(static_cast<std::size_t>(start), line.size());
    std::size_t end = first;
    while (end < line.size() && isAsciiDigit(line[end])) {
        ++end;
    }
    // Rounded once, as the diskette file's archive ID is read: the two must agree on IDs of any
    // length.
    return decimalDigitsValue(std::string_view(line.data() + first, end - first));
}

}  // namespace xq
