#include "terminal/terminal_options.h"

#include <CLI/CLI.hpp>

#include "command_line/drive_options.h"
#include "platform/host_folders.h"
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
    return "Usage: xq3100-convert (--floppy X: | --diskettes DIR...)\n"
           "                      (--flash Y: | --card DIR)\n"
           "                      [--yes | --no] [--verbose | --quiet]\n"
           "       xq3100-convert --list-drives\n"
           "       xq3100-convert --check-card (Y: | DIR)\n"
           "\n"
           "Converts a database backup on a set of diskettes to its Compact Flash form.\n"
           "\n"
           "  --floppy X:        read the diskettes from drive X: (asks for each diskette)\n"
           "  --diskettes DIR... read diskette n from the n-th folder\n"
           "  [--] DIR...        the same folders as operands, last on the line\n"
           "  --flash Y:         write the card in drive Y:\n"
           "  --card DIR         write into the folder DIR as if it were the card\n"
           "  --yes, --no        answer every question Yes (OK) or No (Cancel) unasked;\n"
           "                     --yes never agrees to writing onto the system's own drive\n"
           "  --verbose          print the whole log as well\n"
           "  --quiet            print only errors and the final line\n"
           "  --list-drives      print the drive letters with type, label and free space\n"
           "  --check-card Y:    prove the database on the card in drive Y: (or in the\n"
           "                     folder DIR) against its own archive.dat, and say what holds\n"
           "  -h, --help         print this help and exit\n"
           "  -V, --version      print the version and exit\n"
           "\n"
           "Questions and requests to act are asked on standard error.\n"
           "\n"
           "Exit status: 0 a card was written, or the card checked holds its database;\n"
           "1 the conversion failed or was stopped, the card checked does not hold its\n"
           "database, or the output could not be written; 2 bad arguments or drives (nothing\n"
           "was read or written); 3 no card was written because an answer declined it.\n";
}

TerminalOptionsResult parseTerminalOptions(const std::vector<std::string>& arguments) {
    TerminalOptionsResult result;
    TerminalOptions& options = result.options;
    CLI::App app("", "xq3100-convert");
    addDriveOptions(app, options.drives);
    std::string floppy;
    std::string flash;
    std::string checkCard;
    bool yes = false;
    bool no = false;
    bool verbose = false;
    bool quiet = false;
    bool listDrives = false;
    app.add_option("--floppy", floppy);
    app.add_option("--flash", flash);
    app.add_flag("--yes", yes);
    app.add_flag("--no", no);
    app.add_flag("--verbose", verbose);
    app.add_flag("--quiet", quiet);
    app.add_flag("--list-drives", listDrives);
    app.add_option("--check-card", checkCard);
    // The diskette folders may also come as operands, as `cp SOURCE... DEST` takes its sources:
    // after "--" they may begin with "-".
    std::vector<std::string> operands;
    app.add_option("diskette-folders", operands);
    switch (parseCommandLine(app, arguments, result.error)) {
        case CommandLine::Help:
            options.help = true;
            return result;
        case CommandLine::Version:
            options.version = true;
            return result;
        case CommandLine::Refused:
            return result;
        case CommandLine::Parsed:
            break;
    }

    const auto refuse = [&result](std::string error) {
        result.error = std::move(error);
        return result;
    };
    if (!operands.empty()) {
        if (!options.drives.disketteFolders.empty()) {
            return refuse(
                "Give the diskette folders either after --diskettes or as operands, "
                "not both");
        }
        options.drives.disketteFolders = std::move(operands);
    }
    for (const auto& [name, text, letter] : {std::tuple{"--floppy", &floppy, &options.floppy},
                                             std::tuple{"--flash", &flash, &options.flash}}) {
        if (!text->empty() && (*letter = driveArgument(*text)) == '\0') {
            return refuse(std::string(name) + " needs a drive letter, such as A:, not " + *text);
        }
    }
    if (yes && no) {
        return refuse("--yes and --no exclude each other");
    }
    if (verbose && quiet) {
        return refuse("--verbose and --quiet exclude each other");
    }
    options.answers = yes ? AnswerPolicy::AllYes : no ? AnswerPolicy::AllNo : AnswerPolicy::Ask;
    options.verbosity = verbose ? Verbosity::Verbose : quiet ? Verbosity::Quiet : Verbosity::Normal;

    const bool converting = !floppy.empty() || !flash.empty() ||
                            !options.drives.disketteFolders.empty() ||
                            !options.drives.cardFolder.empty();
    if (listDrives || !checkCard.empty()) {
        if (converting || (listDrives && !checkCard.empty())) {
            return refuse(std::string(listDrives ? "--list-drives" : "--check-card") +
                          " takes no other drive or folder options");
        }
        if (listDrives) {
            options.task = TerminalTask::ListDrives;
            return result;
        }
        // A drive letter, or a folder that stands for a card; a card is checked without writing
        // anything, so a write-protected one will do.
        options.task = TerminalTask::CheckCard;
        if ((options.flash = driveArgument(checkCard)) != '\0') {
            return result;
        }
        const std::optional<std::string> folder = canonicalFolder(checkCard);
        if (!folder) {
            return refuse("Card folder " + checkCard + " does not exist");
        }
        options.drives.cardFolder = *folder;
        return result;
    }
    if ((options.floppy != '\0') == !options.drives.disketteFolders.empty()) {
        return refuse("Give either --floppy or --diskettes");
    }
    if ((options.flash != '\0') == !options.drives.cardFolder.empty()) {
        return refuse("Give either --flash or --card");
    }
    result.error = checkDriveFolders(options.drives);
    return result;
}

}  // namespace xq
