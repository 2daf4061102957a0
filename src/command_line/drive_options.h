#pragma once

#include <optional>
#include <string>
#include <vector>

#include "command_line/virtual_drives.h"

namespace xq {

// The options both front ends take for virtual drives:
//   --diskettes DIR...   a floppy drive over diskette folders, DIR n holding diskette n
//   --card DIR           a card drive over a folder
// Each folder is checked before anything is read or written.
struct [[nodiscard]] DriveOptionsResult {
    VirtualDriveOptions drives;
    std::vector<std::string> rest;  // the arguments that are not drive options
    std::string error;              // what is wrong with the options; empty when they are usable
};

DriveOptionsResult parseDriveOptions(const std::vector<std::string>& arguments);

}  // namespace xq
