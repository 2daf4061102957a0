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

std::string writeFailure(std::string_view file, char driveLetter) {
    return std::string("Failed writing: ")
        .append(file)
        .append(CRLF)
        .append("Ensure there is enough free space available on drive ")
        .append(driveRootText(driveLetter));
}

std::string copyFailure(std::string_view source, std::string_view target, char driveLetter) {
    return std::string("Can not copy file ")
        .append(source)
        .append(" to ")
        .append(target)
        .append(CRLF)
        .append("Ensure that the floppy disk is readable and that ")
        .append(CRLF)
        .append("there is enough free space available on drive ")
        .append(driveRootText(driveLetter));
}

}  // namespace xq
