#include "archive/set_names.h"

#include "platform/text.h"

namespace xq {

std::string disketteFileName(int n) {
    if (n > kMaxDisketteNumber) {
        return {};
    }
    return (n < 10 ? "disk000" : "disk00") + formatNumber(n) + ".dat";
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
