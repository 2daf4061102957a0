#include "platform/folder_drive_table.h"

#include <filesystem>
#include <system_error>

#include "platform/host_path.h"
#include "platform/text.h"

namespace xq {

void FolderDriveTable::add(Drive drive, FreeSpace freeSpace) {
    drive.letter = asciiUpper(drive.letter);
    entries_[drive.letter] = Entry{std::move(drive), freeSpace};
}

void FolderDriveTable::remove(char letter) {
    entries_.erase(asciiUpper(letter));
}

void FolderDriveTable::setReady(char letter, bool ready) {
    if (auto it = entries_.find(asciiUpper(letter)); it != entries_.end()) {
        it->second.drive.ready = ready;
    }
}

void FolderDriveTable::changeMedium(char letter, std::string hostRoot, std::string volumeName) {
    if (auto it = entries_.find(asciiUpper(letter)); it != entries_.end()) {
        it->second.drive.hostRoot = std::move(hostRoot);
        it->second.drive.volumeName = std::move(volumeName);
        it->second.drive.ready = true;
    }
}

Drive FolderDriveTable::current(const Entry& entry) const {
    Drive drive = entry.drive;
    if (!drive.ready) {
        drive.hostRoot.clear();
        drive.freeBytes = 0;
    } else if (entry.freeSpace == FreeSpace::Measured) {
        drive.freeBytes = freeBytesOfFolder(drive.hostRoot);
    }
    return drive;
}

std::vector<Drive> FolderDriveTable::drives() const {
    std::vector<Drive> all;
    for (const auto& [letter, entry] : entries_) {
        all.push_back(current(entry));
    }
    return all;
}

std::optional<Drive> FolderDriveTable::drive(char letter) const {
    auto it = entries_.find(asciiUpper(letter));
    if (it == entries_.end()) {
        return std::nullopt;
    }
    return current(it->second);
}

std::optional<std::string> FolderDriveTable::hostRoot(char letter) const {
    auto it = entries_.find(asciiUpper(letter));
    if (it == entries_.end() || !it->second.drive.ready || it->second.drive.hostRoot.empty()) {
        return std::nullopt;
    }
    return it->second.drive.hostRoot;
}

std::uint64_t freeBytesOfFolder(const std::string& hostFolder) {
    std::error_code ec;
    const std::filesystem::space_info space = std::filesystem::space(toHostPath(hostFolder), ec);
    return ec ? 0 : static_cast<std::uint64_t>(space.available);
}

}  // namespace xq
