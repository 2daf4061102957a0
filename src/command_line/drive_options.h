#pragma once

#include <string>
#include <vector>

#include "command_line/virtual_drives.h"

namespace CLI {
class App;
}

namespace xq {

// The options both programs take for virtual drives:
//   --diskettes DIR...   a floppy drive over diskette folders, DIR n holding diskette n
//   --card DIR           a card drive over a folder
void addDriveOptions(CLI::App& app, VirtualDriveOptions& drives);

// Checks the folders the drive options name, before anything is read or written, and makes their
// paths absolute. What is wrong, for the operator; empty when they are usable.
[[nodiscard]] std::string checkDriveFolders(VirtualDriveOptions& drives);

// A program's command line, parsed with CLI11: the options of `app`, with -h/--help and
// -V/--version. Help and version win over whatever else is given, as they are asked for at once.
enum class [[nodiscard]] CommandLine{Parsed, Help, Version, Refused};
CommandLine parseCommandLine(CLI::App& app, const std::vector<std::string>& arguments,
                             std::string& error);

}  // namespace xq
