#include "command_line/drive_options.h"

#include "archive/set_names.h"
#include "platform/host_folders.h"

namespace xq {

namespace {

bool isOption(const std::string& argument) {
    return argument.starts_with("--");
}

}  // namespace

DriveOptionsResult parseDriveOptions(const std::vector<std::string>& arguments) {
    DriveOptionsResult result;
    bool haveCard = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--diskettes") {
            if (!result.drives.disketteFolders.empty()) {
                result.error = "--diskettes is given twice";
                return result;
            }
            while (i + 1 < arguments.size() && !isOption(arguments[i + 1])) {
                result.drives.disketteFolders.push_back(arguments[++i]);
            }
            if (result.drives.disketteFolders.empty()) {
                result.error = "--diskettes needs the folders of the diskettes, diskette 1 first";
                return result;
            }
        } else if (argument == "--card") {
            if (haveCard || i + 1 >= arguments.size() || isOption(arguments[i + 1])) {
                result.error = haveCard ? "--card is given twice" : "--card needs a folder";
                return result;
            }
            result.drives.cardFolder = arguments[++i];
            haveCard = true;
        } else {
            result.rest.push_back(argument);
        }
    }

    const auto& folders = result.drives.disketteFolders;
    if (static_cast<int>(folders.size()) > kMaxDisketteNumber) {
        result.error = "A set has at most " + std::to_string(kMaxDisketteNumber) + " diskettes";
        return result;
    }
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        const std::optional<std::string> folder = canonicalFolder(folders[i]);
        if (!folder) {
            result.error = "Diskette folder " + folders[i] + " does not exist";
            return result;
        }
        if (!folderHoldsFile(*folder, disketteFileName(n))) {
            result.error = "Folder " + folders[i] + " is not diskette #" + std::to_string(n) +
                           ": it holds no " + disketteFileName(n);
            return result;
        }
        result.drives.disketteFolders[i] = *folder;
    }
    if (haveCard) {
        const std::optional<std::string> card = canonicalFolder(result.drives.cardFolder);
        if (!card) {
            result.error = "Card folder " + result.drives.cardFolder + " does not exist";
            return result;
        }
        if (!isWritableFolder(*card)) {
            result.error = "Card folder " + result.drives.cardFolder + " is not writable";
            return result;
        }
        result.drives.cardFolder = *card;
    }
    return result;
}

}  // namespace xq
