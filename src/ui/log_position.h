#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace xq {

// The length of a text in a log widget's own units (UTF-16 units, a line break as one or as two).
using WidgetLength = std::function<int(std::string_view)>;

// Where a position of the model's log lies in a widget that shows the same text: the model counts
// characters (code points, CR LF as two), the widget its own units. `log` is the text the widget
// holds, `characters` its length in characters and `widgetLength` in the widget's units. Positions
// lie near the end (the newest line), so only the text after the position is measured, never the
// whole log. A position beyond either end is taken at that end.
int logWidgetPosition(std::string_view log, std::size_t characters, int widgetLength, int position,
                      const WidgetLength& length);

}  // namespace xq
