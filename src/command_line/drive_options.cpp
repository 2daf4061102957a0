#include "command_line/drive_options.h"

#include <CLI/CLI.hpp>

#include "archive/set_names.h"
#include "platform/host_folders.h"
#include "platform/text.h"

namespace xq {

void addDriveOptions(CLI::App& app, VirtualDriveOptions& drives) {
    app.add_option("--diskettes", drives.disketteFolders)
        ->expected(1, kMaxDisketteNumber)
        ->allow_extra_args();
    app.add_option("--card", drives.cardFolder);
}

namespace {

// Where `folder` stands among the converter's working folders, which each conversion empties and
// removes whatever they hold: " is the converter's working folder …" or " lies inside …"; empty
// when it is not among them.
std::string amongWorkingFolders(const std::string& folder) {
    const std::optional<std::string> temporary = canonicalTemporaryFolder();
    if (!temporary) {
        return {};
    }
    const auto names = namesBelow(*temporary, folder);
    if (!names || names->empty() || !isWorkingDirectoryName(names->front())) {
        return {};
    }
    return (names->size() == 1 ? " is the converter's working folder "
                               : " lies inside the converter's working folder ") +
           *temporary + kHostSeparator + names->front() +
           ", which every conversion empties and removes";
}

// Whether writing the card would change the diskette folder, or the diskette folder the card: the
// card folder is the diskette folder or lies inside it, or the diskette folder lies inside the
// card's backup folder, where the database is written. A set kept elsewhere on the card is safe.
bool overlap(const std::string& card, const std::string& diskette) {
    if (namesBelow(diskette, card)) {
        return true;
    }
    const auto names = namesBelow(card, diskette);
    return names && !names->empty() && equalsIgnoringAsciiCase(names->front(), "backup");
}

// What is wrong with folders that the conversion would change under itself: a folder among its
// working folders, or a card folder and a diskette folder that overlap (above). `given` are
// the names as the operator wrote them, for the message.
std::string checkOverlaps(const VirtualDriveOptions& drives, const VirtualDriveOptions& given) {
    const auto& folders = drives.disketteFolders;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (const std::string where = amongWorkingFolders(folders[i]); !where.empty()) {
            return "Diskette folder " + given.disketteFolders[i] + where;
        }
    }
    if (drives.cardFolder.empty()) {
        return {};
    }
    if (const std::string where = amongWorkingFolders(drives.cardFolder); !where.empty()) {
        return "Card folder " + given.cardFolder + where;
    }
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (overlap(drives.cardFolder, folders[i])) {
            return "Card folder " + given.cardFolder + " and diskette folder " +
                   given.disketteFolders[i] +
                   " overlap: the card is written, and the diskettes must stay as they are";
        }
    }
    return {};
}

// The first request for help or for the version on the line, which wins over what follows, as in
// GNU tools: "-hV" asks for help. Short options may be run together; -h and -V are the only ones.
std::optional<CommandLine> firstRequest(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") {
            break;
        }
        if (argument == "--help") {
            return CommandLine::Help;
        }
        if (argument == "--version") {
            return CommandLine::Version;
        }
        if (argument.size() > 1 && argument[0] == '-' &&
            argument.find_first_not_of("hV", 1) == std::string::npos) {
            return argument[1] == 'h' ? CommandLine::Help : CommandLine::Version;
        }
    }
    return std::nullopt;
}

// CLI11's word for an option given more than once ("--card: At Most 1 required but received 2"),
// said as the option's user would: "--card was given twice". Other errors as they stand.
std::string parseErrorText(const std::string& error) {
    constexpr std::string_view kTooMany = ": At Most 1 required but received ";
    const std::size_t at = error.find(kTooMany);
    if (at == std::string::npos) {
        return error;
    }
    const std::string times = error.substr(at + kTooMany.size());
    return error.substr(0, at) + " was given " + (times == "2" ? "twice" : times + " times") +
           ": give it once";
}

}  // namespace

std::string checkDriveFolders(VirtualDriveOptions& drives) {
    const VirtualDriveOptions given = drives;
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
    return checkOverlaps(drives, given);
}

CommandLine parseCommandLine(CLI::App& app, const std::vector<std::string>& arguments,
                             std::string& error) {
    app.set_help_flag("-h,--help");
    // A folder may begin with "/" on Windows too (a path from the drive's root, or one handed
    // over from Wine): it is never taken for an option.
    app.allow_windows_style_options(false);
    app.set_version_flag("-V,--version", std::string());
    if (const std::optional<CommandLine> request = firstRequest(arguments)) {
        return *request;
    }
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
        error = parseErrorText(e.what());
        return CommandLine::Refused;
    }
}

}  // namespace xq
