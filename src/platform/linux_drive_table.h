#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/drive_table.h"

namespace xq {

// Where the Linux drive table reads the machine's state. Tests point `systemRoot` at a folder that
// holds sample copies of proc/self/mounts, sys/block and dev/disk/by-label.
struct LinuxDriveSources {
    std::string systemRoot = "/";
    // Free bytes of a mounted file system; statvfs when not set.
    std::function<std::optional<std::uint64_t>(const std::string& mountPoint)> freeBytes;
};

// The machine's volumes as drive letters (see README, "Drives on Linux"):
// A: and B: are the floppy drives, C: is the root file system, D: onwards the other volumes a user
// could pick, in a stable order.
//
// Every call reads the mount table, sys/block and sys/class/mmc_host afresh: sticks, cards and
// diskettes come and go while the program runs (DriveTableSnapshot holds the letters still for the
// length of one action). Files that cannot be read count as "nothing there".
class LinuxDriveTable : public DriveTable {
  public:
    explicit LinuxDriveTable(LinuxDriveSources sources = {});

    std::vector<Drive> drives() const override;
    std::vector<Drive> roots() const override;
    std::optional<std::string> hostRoot(char letter) const override;

  private:
    // Path resolution only needs the letters and their mount points; measuring free space and
    // reading labels is left to the drive list.
    enum class Detail { RootsOnly, Full };

    std::vector<Drive> collect(Detail detail) const;
    std::uint64_t freeBytesOf(const std::string& mountPoint) const;

    LinuxDriveSources sources_;
};

}  // namespace xq
