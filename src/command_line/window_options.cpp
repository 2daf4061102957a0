#include "command_line/window_options.h"

#include "command_line/drive_options.h"

namespace xq {

std::string windowUsage() {
    return "Usage: xq3100 [--diskettes DIR...] [--card DIR]\n"
           "\n"
           "Converts a database backup on a set of diskettes to its Compact Flash form, in a\n"
           "window that asks for the floppy drive, each diskette and the card drive.\n"
           "\n"
           "  --diskettes DIR... add a floppy drive that holds diskette n from the n-th folder\n"
           "  --card DIR         add a Compact Flash drive over the folder DIR\n"
           "  --help             print this help and exit\n"
           "  --version          print the version and exit\n"
           "\n"
           "Exit status: 0 the window was closed; 1 another conversion runs in the temporary\n"
           "folder, or it cannot be locked; 2 bad arguments.\n";
}

WindowOptionsResult parseWindowOptions(const std::vector<std::string>& arguments) {
    WindowOptionsResult result;
    DriveOptionsResult drives = parseDriveOptions(arguments);
    result.options.drives = std::move(drives.drives);
    // The first argument that is not a drive option decides, as in the terminal program: --help
    // and --version answer whatever drive options come with them, folders that do not exist too.
    if (!drives.rest.empty()) {
        const std::string& first = drives.rest.front();
        if (first == "--help" || first == "-h") {
            result.options.help = true;
        } else if (first == "--version") {
            result.options.version = true;
        } else {
            result.error = "Unknown argument: " + first;
        }
        return result;
    }
    result.error = drives.error;
    return result;
}

}  // namespace xq
