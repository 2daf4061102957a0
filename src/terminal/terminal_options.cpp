#include "terminal/terminal_options.h"

#include "command_line/drive_options.h"
#include "platform/text.h"

namespace xq {

namespace {

// "E:" or "e" -> 'E'; '\0' for anything else.
char driveArgument(const std::string& text) {
    if ((text.size() == 1 || (text.size() == 2 && text[1] == ':')) && isAsciiLetter(text[0])) {
        return asciiUpper(text[0]);
    }
    return '\0';
}

}  // namespace

std::string terminalUsage() {
    return "Usage: xq3100-convert (--floppy X: | --diskettes DIR...) (--flash Y: | --card DIR)\n"
           "                     [--yes | --no] [--verbose]\n"
           "\n"
           "Converts a database backup on a set of diskettes to its Compact Flash form.\n"
           "\n"
           "  --floppy X:        read the diskettes from drive X: (asks for each diskette)\n"
           "  --diskettes DIR... read diskette n from the n-th folder\n"
           "  --flash Y:         write the card in drive Y:\n"
           "  --card DIR         write into the folder DIR as if it were the card\n"
           "  --yes, --no        answer every question Yes (OK) or No (Cancel) without asking\n"
           "  --verbose          print the whole log, not only the messages\n"
           "  --help             print this help and exit\n"
           "  --version          print the version and exit\n"
           "\n"
           "Exit status: 0 a card was written; 1 the conversion failed; 2 bad arguments;\n"
           "3 replacing the database already on the card was declined.\n";
}

TerminalOptionsResult parseTerminalOptions(const std::vector<std::string>& arguments) {
    TerminalOptionsResult result;
    DriveOptionsResult drives = parseDriveOptions(arguments);
    TerminalOptions& options = result.options;
    options.drives = std::move(drives.drives);
    const std::vector<std::string>& rest = drives.rest;
    bool yes = false;
    bool no = false;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const std::string& argument = rest[i];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            return result;
        }
        if (argument == "--version") {
            options.version = true;
            return result;
        }
        if (argument == "--yes") {
            yes = true;
        } else if (argument == "--no") {
            no = true;
        } else if (argument == "--verbose") {
            options.verbose = true;
        } else if (argument == "--floppy" || argument == "--flash") {
            const char letter = i + 1 < rest.size() ? driveArgument(rest[i + 1]) : '\0';
            if (letter == '\0') {
                result.error = argument + " needs a drive letter, such as A:";
                return result;
            }
            (argument == "--floppy" ? options.floppy : options.flash) = letter;
            ++i;
        } else {
            result.error = "Unknown argument: " + argument;
            return result;
        }
    }
    if (!drives.error.empty()) {
        result.error = drives.error;
    } else if (yes && no) {
        result.error = "--yes and --no exclude each other";
    } else if ((options.floppy != '\0') == !options.drives.disketteFolders.empty()) {
        result.error = "Give either --floppy or --diskettes";
    } else if ((options.flash != '\0') == !options.drives.cardFolder.empty()) {
        result.error = "Give either --flash or --card";
    }
    options.answers = yes ? AnswerPolicy::AllYes : no ? AnswerPolicy::AllNo : AnswerPolicy::Ask;
    return result;
}

}  // namespace xq
