#pragma once

#include <map>
#include <string>

#include "platform/drive_table.h"

namespace xq {

// Drives whose roots are folders chosen by the program rather than the machine's own volumes: the
// virtual floppy and card drives over diskette folders and card folders, and the drives of tests.
// A drive's readiness and its medium (the folder behind it) can change while the program runs.
class FolderDriveTable : public DriveTable {
  public:
    enum class FreeSpace { AsGiven, Measured };

    // Adds the drive, or replaces the one with the same letter. With FreeSpace::Measured the free
    // bytes are those of the volume that holds the folder, read on each call.
    void add(Drive drive, FreeSpace freeSpace = FreeSpace::AsGiven);
    void remove(char letter);
    void setReady(char letter, bool ready);
    // Puts another medium in the drive: its root becomes this folder, and it is ready.
    void changeMedium(char letter, std::string hostRoot, std::string volumeName = {});

    std::vector<Drive> drives() const override;
    std::optional<Drive> drive(char letter) const override;
    std::optional<std::string> hostRoot(char letter) const override;

  private:
    struct Entry {
        Drive drive;
        FreeSpace freeSpace = FreeSpace::AsGiven;
    };
    Drive current(const Entry& entry) const;
    std::map<char, Entry> entries_;
};

// Free bytes of the volume that holds a host folder; 0 when that cannot be read.
std::uint64_t freeBytesOfFolder(const std::string& hostFolder);

}  // namespace xq
