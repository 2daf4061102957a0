#include "ui/log_position.h"

#include <algorithm>

#include "platform/text.h"

namespace xq {

int logWidgetPosition(std::string_view log, std::size_t characters, int widgetLength, int position,
                      const WidgetLength& length) {
    const std::size_t wanted =
        std::min(static_cast<std::size_t>(std::max(position, 0)), characters);
    return widgetLength - length(lastCharacters(log, characters - wanted));
}

}  // namespace xq
