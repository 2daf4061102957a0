#include "archive/set_names.h"

#include <algorithm>

#include "platform/text.h"

namespace xq {

std::string disketteFileName(int n) {
    if (n > kMaxDisketteNumber) {
        return {};
    }
    return (n < 10 ? "disk000" : "disk00") + formatNumber(n) + ".dat";
}

bool isDisketteDirectoryName(std::string_view name) {
    const std::string_view diskPrefix = kDisketteDirectoryPrefix;
    if (name.size() <= diskPrefix.size() ||
        !equalsIgnoringAsciiCase(name.substr(0, diskPrefix.size()), diskPrefix)) {
        return false;
    }
    const std::string_view number = name.substr(diskPrefix.size());
    return number.size() <= 3 && std::all_of(number.begin(), number.end(), isAsciiDigit);
}

bool isWorkingDirectoryName(std::string_view name) {
    return equalsIgnoringAsciiCase(name, kFlatDirectoryName) || isDisketteDirectoryName(name);
}

std::string disketteDirectory(std::string_view temporaryFolder, int n) {
    return std::string(temporaryFolder) + "\\" + std::string(kDisketteDirectoryPrefix) +
           formatNumber(n);
}

std::string missingBytesFile(std::string_view temporaryFolder, int n) {
    return disketteDirectory(temporaryFolder, n) + std::string(kMissingBytesExtension);
}

std::string flatDirectory(std::string_view temporaryFolder) {
    return std::string(temporaryFolder) + "\\" + std::string(kFlatDirectoryName);
}

}  // namespace xq
