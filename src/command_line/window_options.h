#pragma once

#include <string>
#include <vector>

#include "command_line/virtual_drives.h"

namespace xq {

// The window's command line: the drive options of both front ends, --help and --version. It is
// read before the window system is touched, so --help and --version work without a display.
struct WindowOptions {
    VirtualDriveOptions drives;
    // The window system's own options (-platform offscreen), for it to take.
    std::vector<std::string> toolkitArguments;
    bool help = false;
    bool version = false;
};

struct [[nodiscard]] WindowOptionsResult {
    WindowOptions options;
    std::string error;  // empty when the options are usable
};

WindowOptionsResult parseWindowOptions(const std::vector<std::string>& arguments);

// The usage text of --help.
std::string windowUsage();

}  // namespace xq
