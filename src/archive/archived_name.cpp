#include "archive/archived_name.h"

#include <algorithm>

namespace xq {

namespace {

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool isSafeComponent(std::string_view component) {
    return !component.empty() && component != "." && component != ".." &&
           component.find(':') == std::string_view::npos &&
           std::none_of(component.begin(), component.end(), isControl);
}

}  // namespace

bool isSafeArchivedName(std::string_view name) {
    if (!name.starts_with('\\')) {
        return false;  // would be glued onto the directory's own last name
    }
    std::string_view rest = name.substr(1);
    for (;;) {
        const std::size_t cut = rest.find('\\');
        if (!isSafeComponent(rest.substr(0, cut))) {
            return false;
        }
        if (cut == std::string_view::npos) {
            return true;
        }
        rest.remove_prefix(cut + 1);
    }
}

}  // namespace xq
