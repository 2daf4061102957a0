#include "command_line/drive_options.h"

#include <CLI/CLI.hpp>

#include "archive/set_names.h"
#include "platform/host_folders.h"

namespace xq {

void addDriveOptions(CLI::App& app, VirtualDriveOptions& drives) {
    app.add_option("--diskettes", drives.disketteFolders)
        ->expected(1, kMaxDisketteNumber)
        ->allow_extra_args();
    app.add_option("--card", drives.cardFolder);
}

std::string checkDriveFolders(VirtualDriveOptions& drives) {
    auto& folders = drives.disketteFolders;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const int n = static_cast<int>(i) + 1;
        const std::optional<std::string> folder = canonicalFolder(folders[i]);
        if (!folder) {
            return "Diskette folder " + folders[i] + " does not exist";
        }
        if (!folderHoldsFile(*folder, disketteFileName(n))) {
            return "Folder " + folders[i] + " is not diskette #" + std::to_string(n) +
                   ": it holds no " + disketteFileName(n);
        }
        folders[i] = *folder;
    }
    if (!drives.cardFolder.empty()) {
        const std::optional<std::string> card = canonicalFolder(drives.cardFolder);
        if (!card) {
            return "Card folder " + drives.cardFolder + " does not exist";
        }
        if (!isWritableFolder(*card)) {
            return "Card folder " + drives.cardFolder + " is not writable";
        }
        drives.cardFolder = *card;
    }
    return {};
}

CommandLine parseCommandLine(CLI::App& app, const std::vector<std::string>& arguments,
                             std::string& error) {
    app.set_help_flag("-h,--help");
    // A folder may begin with "/" on Windows too (a path from the drive's root, or one handed
    // over from Wine): it is never taken for an option.
    app.allow_windows_style_options(false);
    app.set_version_flag("-V,--version", std::string());
    // CLI11 takes the arguments last first.
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
    try {
        app.parse(reversed);
        return CommandLine::Parsed;
    } catch (const CLI::CallForHelp&) {
        return CommandLine::Help;
    } catch (const CLI::CallForVersion&) {
        return CommandLine::Version;
    } catch (const CLI::ParseError& e) {
        error = e.what();
        return CommandLine::Refused;
    }
}

}  // namespace xq
