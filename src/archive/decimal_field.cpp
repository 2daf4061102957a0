#include "archive/decimal_field.h"

#include "platform/text.h"

namespace xq {

double ReadDecimalField(std::span<const char> line, std::int16_t start) {
    if (start < 0) {
        return 0;
    }
    double value = 0;
    for (std::size_t i = static_cast<std::size_t>(start); i < line.size() && isAsciiDigit(line[i]);
         ++i) {
        value = value * 10 + (line[i] - '0');
    }
    return value;
}

}  // namespace xq
