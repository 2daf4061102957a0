#include "platform/linux_drive_table.h"

#include "platform/folder_drive_table.h"

namespace xq {

LinuxDriveTable::LinuxDriveTable(LinuxDriveSources sources) : sources_(std::move(sources)) {}

std::vector<Drive> LinuxDriveTable::drives() const {
    Drive root;
    root.letter = 'C';
    root.type = drive_type::Fixed;
    root.ready = true;
    root.hostRoot = "/";
    root.freeBytes = freeBytesOfFolder("/");
    return {root};
}

std::optional<std::string> LinuxDriveTable::hostRoot(char letter) const {
    if (letter == 'C' || letter == 'c') {
        return std::string("/");
    }
    return DriveTable::hostRoot(letter);
}

std::unique_ptr<DriveTable> makeHostDriveTable() { return std::make_unique<LinuxDriveTable>(); }

}  // namespace xq
