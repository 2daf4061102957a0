#pragma once

#include <string>
#include <vector>

#include "command_line/virtual_drives.h"

namespace xq {

// How questions are answered.
enum class AnswerPolicy {
    Ask,     // the operator answers at the terminal
    AllYes,  // --yes: Yes or OK to every question
    AllNo,   // --no: No or Cancel to every question
};

struct TerminalOptions {
    char floppy = '\0';  // --floppy X: (a machine drive); '\0' with --diskettes
    char flash = '\0';   // --flash Y:; '\0' with --card
    VirtualDriveOptions drives;
    AnswerPolicy answers = AnswerPolicy::Ask;
    bool verbose = false;
    bool help = false;
    bool version = false;
};

struct [[nodiscard]] TerminalOptionsResult {
    TerminalOptions options;
    std::string error;  // empty when the options are usable
};

TerminalOptionsResult parseTerminalOptions(const std::vector<std::string>& arguments);

// The usage text of --help.
std::string terminalUsage();

}  // namespace xq
