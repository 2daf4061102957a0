#include "ui/log_position.h"

#include <gtest/gtest.h>

namespace xq {
namespace {

// UTF-16 units of UTF-8 text, a CR LF counted as `lineBreak` units (Qt shows a line break as one,
// an edit control as two).
int utf16Units(std::string_view text, int lineBreak) {
    int units = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (text.substr(i, 2) == "\r\n") {
            units += lineBreak;
            ++i;
        } else if ((byte & 0xC0) != 0x80) {
            units += byte >= 0xF0 ? 2 : 1;  // a character outside the BMP takes two
        }
    }
    return units;
}

TEST(LogPosition, ModelCharactersMapToTheWidgetsUnits) {
    // "ab" CR LF "é" "𝄞" CR LF "z": 9 characters of the model, CR LF as two.
    const std::string log = "ab\r\n\xC3\xA9\xF0\x9D\x84\x9E\r\nz";
    struct Row {
        int position;
        int asQt;     // a line break as one unit
        int asEdit;   // a line break as two
    };
    const Row rows[] = {
        {0, 0, 0}, {2, 2, 2},  {4, 3, 4},  // behind CR LF
        {5, 4, 5},                          // behind the two-byte é
        {6, 6, 7},                          // behind the character outside the BMP
        {8, 7, 9}, {9, 8, 10},              // the end
        {-3, 0, 0}, {40, 8, 10},            // beyond either end
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.position);
        for (const int lineBreak : {1, 2}) {
            const WidgetLength length = [lineBreak](std::string_view text) {
                return utf16Units(text, lineBreak);
            };
            EXPECT_EQ(logWidgetPosition(log, 9, length(log), row.position, length),
                      lineBreak == 1 ? row.asQt : row.asEdit);
        }
    }
}

}  // namespace
}  // namespace xq
