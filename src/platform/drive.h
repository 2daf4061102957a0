#pragma once

#include <cstdint>
#include <string>

namespace xq {

// Drive type codes, as the drive list and its descriptions number them.
namespace drive_type {
inline constexpr int Unknown = 0;
inline constexpr int Removable = 1;
inline constexpr int Fixed = 2;
inline constexpr int Network = 3;
inline constexpr int CdRom = 4;
inline constexpr int RamDisk = 5;
}  // namespace drive_type

// One drive as the operator sees it: a letter, its kind, whether a readable medium is in it, and
// where its root lies on the host.
struct Drive {
    char letter = 'A';  // upper case, without ":"
    int type = drive_type::Unknown;
    bool ready = false;
    std::string volumeName;
    std::uint64_t freeBytes = 0;
    // Host folder that the drive's root "X:\" stands for: a mount point on Linux, "X:\" itself on
    // Windows. Empty while the drive is not ready.
    std::string hostRoot;
    // The operating system runs from it (Windows on C:\, the root file system on Linux): a card
    // is never written there without the operator's explicit yes.
    bool holdsSystem = false;

    bool operator==(const Drive&) const = default;
};

}  // namespace xq
