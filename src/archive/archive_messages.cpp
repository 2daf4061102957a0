#include "archive/archive_messages.h"

#include "platform/text.h"

namespace xq {

std::string driveRootText(char driveLetter) {
    std::string text;
    if (driveLetter != '\0') {
        text += driveLetter;
    }
    return text + ":\\";
}

std::string directoryCreationFailure(std::string_view directory, char driveLetter) {
    return std::string("Failed to create directory: ")
        .append(directory)
        .append(CRLF)
        .append("Ensure there is enough free space available on drive ")
        .append(driveRootText(driveLetter));
}

}  // namespace xq
