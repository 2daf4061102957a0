#pragma once

#include <string_view>

#include <QString>

namespace xq::gui {

// The converter's texts break lines with CR LF; Qt's controls want a plain line feed.
QString toDisplayText(std::string_view text);

// A tool tip that shows `text` as it stands. Qt takes any tool tip that looks like markup for rich
// text, and names read from a medium may well look like markup.
QString plainToolTip(const QString& text);

}  // namespace xq::gui
