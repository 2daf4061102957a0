// Writes the bundled sample diskette set (or, with --largest, the largest set the format allows;
// with --full N, N full diskettes) into a folder: FOLDER/diskette1, FOLDER/diskette2, ...

#include <charconv>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/console.h"
#include "platform/folder_drive_table.h"
#include "platform/host_file_service.h"
#include "platform/host_folders.h"
#include "sample/sample_set.h"
#include "ui/version_text.h"

namespace {

// The layout the options ask for; nothing when they ask for none that exists.
std::optional<xq::SampleSetLayout> layoutOf(const std::vector<std::string>& options) {
    if (options.empty()) {
        return xq::bundledSampleSet();
    }
    if (options.size() == 1 && options[0] == "--largest") {
        return xq::largestSampleSet();
    }
    if (options.size() == 2 && options[0] == "--full") {
        int diskettes = 0;
        const std::string& count = options[1];
        const auto [end, error] =
            std::from_chars(count.data(), count.data() + count.size(), diskettes);
        if (error == std::errc() && end == count.data() + count.size() && diskettes >= 1 &&
            diskettes <= 99) {
            return xq::fullSampleSet(diskettes);
        }
    }
    return std::nullopt;
}

constexpr std::string_view kUsage =
    "Usage: xq3100-sample-set FOLDER [--largest | --full DISKETTES]\n";

constexpr std::string_view kHelp =
    "\n"
    "Writes a sample diskette set for the XQ3100 Database Media Converter into FOLDER\n"
    "(made when it is missing): FOLDER/diskette1, FOLDER/diskette2, ...\n"
    "\n"
    "  --largest          the largest set the format allows, 99 diskettes\n"
    "  --full DISKETTES   that many full diskettes (1 to 99)\n"
    "  -h, --help         print this help and exit\n"
    "  -V, --version      print the version and exit\n";

// The first request for help or for the version on the line, as the other programs take it.
std::optional<std::string_view> firstRequest(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") {
            break;
        }
        if (argument == "-h" || argument == "--help") {
            return "help";
        }
        if (argument == "-V" || argument == "--version") {
            return "version";
        }
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments = xq::commandLineArguments(argc, argv);
    if (const std::optional<std::string_view> request = firstRequest(arguments)) {
        if (*request == "help") {
            std::cout << kUsage << kHelp;
        } else {
            std::cout << xq::versionText("xq3100-sample-set");
        }
        return std::cout.flush() ? 0 : 1;
    }
    const std::optional<xq::SampleSetLayout> layout =
        arguments.empty() ? std::nullopt : layoutOf({arguments.begin() + 1, arguments.end()});
    if (!layout) {
        std::cerr << kUsage << "Try 'xq3100-sample-set --help' for more information.\n";
        return 2;
    }
    const std::optional<std::string> folder =
        xq::makeFolders(arguments[0]) ? xq::canonicalFolder(arguments[0]) : std::nullopt;
    if (!folder || !xq::isWritableFolder(*folder)) {
        std::cerr << "xq3100-sample-set: " << arguments[0] << " is not a writable folder\n";
        return 2;
    }
    // The folder is seen as drive S: so the set is written through the converter's own file
    // service, byte for byte as the converter reads it.
    xq::FolderDriveTable drives;
    xq::Drive target;
    target.letter = 'S';
    target.type = xq::drive_type::Fixed;
    target.ready = true;
    target.hostRoot = *folder;
    drives.add(target);
    xq::HostFileService files(drives, "S:");

    std::string failed;
    const int diskettes = xq::writeSampleSet(files, "S:", *layout, failed);
    if (diskettes == 0) {
        std::cerr << "xq3100-sample-set: cannot write " << failed << '\n';
        return 1;
    }
    std::cout << diskettes << " diskettes in " << *folder << '\n';
    return 0;
}
