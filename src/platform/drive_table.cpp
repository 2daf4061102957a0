#include "platform/drive_table.h"

#include "platform/text.h"

namespace xq {

std::optional<Drive> DriveTable::drive(char letter) const {
    const char wanted = asciiUpper(letter);
    for (Drive& d : drives()) {
        if (d.letter == wanted) {
            return std::move(d);
        }
    }
    return std::nullopt;
}

std::optional<std::string> DriveTable::hostRoot(char letter) const {
    std::optional<Drive> d = drive(letter);
    if (!d || !d->ready || d->hostRoot.empty()) {
        return std::nullopt;
    }
    return std::move(d->hostRoot);
}

std::string GetDriveName(std::string_view text) {
    if (text.size() >= 2 && isAsciiLetter(text[0]) && text[1] == ':') {
        return std::string(text.substr(0, 2));
    }
    return {};
}

char driveLetterOf(std::string_view text) {
    const std::string name = GetDriveName(text);
    return name.empty() ? '\0' : asciiUpper(name[0]);
}

}  // namespace xq
