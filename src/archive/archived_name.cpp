#include "archive/archived_name.h"

#include <algorithm>
#include <array>

#include "platform/text.h"

namespace xq {

namespace {

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

// Characters that FAT and Windows keep out of names ("\" and "/" separate them).
bool isForbidden(char c) {
    return isControl(c) || std::string_view("<>:\"|?*").find(c) != std::string_view::npos;
}

// Device names, with or without an extension, open the device rather than a file on Windows.
bool isDeviceName(std::string_view component) {
    const std::string_view base = component.substr(0, component.find('.'));
    constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    if (std::any_of(kDevices.begin(), kDevices.end(),
                    [base](std::string_view d) { return equalsIgnoringAsciiCase(base, d); })) {
        return true;
    }
    return base.size() == 4 && base[3] >= '1' && base[3] <= '9' &&
           (equalsIgnoringAsciiCase(base.substr(0, 3), "COM") ||
            equalsIgnoringAsciiCase(base.substr(0, 3), "LPT"));
}

bool isSafeComponent(std::string_view component) {
    // "." and ".." leave the folder; "...", and any other name ending in a dot, lose that end on
    // the card's file system, so the file would land under another name than the one listed.
    return !component.empty() && !component.ends_with('.') &&
           std::none_of(component.begin(), component.end(), isForbidden) &&
           !isDeviceName(component);
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
