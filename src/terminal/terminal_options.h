#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "command_line/virtual_drives.h"

namespace xq {

inline constexpr std::string_view kProgramName = "xq3100-convert";

// How questions are answered.
enum class AnswerPolicy {
    Ask,     // the operator answers at the terminal
    AllYes,  // --yes: Yes or OK to every question but the one about writing onto the system drive
    AllNo,   // --no: No or Cancel to every question
};

// How much the program prints.
enum class Verbosity {
    Quiet,    // errors and the final line only
    Normal,   // its own short lines and the progress display
    Verbose,  // and the whole log, every line the window's log pane would show
};

// What the program is asked to do.
enum class TerminalTask {
    Convert,     // read the diskettes and write the card
    ListDrives,  // --list-drives
    CheckCard,   // --check-card
};

struct TerminalOptions {
    TerminalTask task = TerminalTask::Convert;
    char floppy = '\0';  // --floppy X: (a machine drive); '\0' with --diskettes
    char flash = '\0';   // --flash Y: (also --check-card Y:); '\0' with --card
    VirtualDriveOptions drives;
    AnswerPolicy answers = AnswerPolicy::Ask;
    Verbosity verbosity = Verbosity::Normal;
    bool help = false;
    bool version = false;
};

struct [[nodiscard]] TerminalOptionsResult {
    TerminalOptions options;
    std::string error;  // one line; empty when the options are usable
};

TerminalOptionsResult parseTerminalOptions(const std::vector<std::string>& arguments);

// The usage text of --help.
std::string terminalUsage();

}  // namespace xq
