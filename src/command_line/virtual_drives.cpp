#include "command_line/virtual_drives.h"

#include <optional>

#include "platform/host_folders.h"

namespace xq {

namespace {

// The first letter from `first` to `last` that the machine does not use and that is not taken;
// `first` itself when all are in use (the virtual drive then stands in for the machine's).
char freeLetter(const DriveTable& machine, char first, char last, char taken) {
    for (char letter = first; letter <= last; ++letter) {
        if (letter != taken && !machine.drive(letter)) {
            return letter;
        }
    }
    return first != taken ? first : static_cast<char>(first + 1);
}

Drive folderDrive(char letter, const std::string& folder) {
    Drive drive;
    drive.letter = letter;
    drive.type = drive_type::Removable;
    drive.ready = !folder.empty();
    drive.hostRoot = folder;
    drive.volumeName = folder;  // the list and the label show which folder the drive stands for
    return drive;
}

// Whether the folder is the root of a drive of the machine that holds the operating system, however
// the operator named it ("/", "/.", a link to it): written there, the card's folders would land
// beside the system's own.
bool isSystemRoot(const DriveTable& machine, const std::string& folder) {
    const std::optional<std::string> canonical = canonicalFolder(folder);
    if (!canonical) {
        return false;
    }
    for (const Drive& drive : machine.drives()) {
        if (!drive.holdsSystem) {
            continue;
        }
        const std::optional<std::string> root = canonicalFolder(drive.hostRoot);
        const auto below = root ? namesBelow(*root, *canonical) : std::nullopt;
        if (below && below->empty()) {
            return true;
        }
    }
    return false;
}

}  // namespace

VirtualDrives::VirtualDrives(const DriveTable& machine, const VirtualDriveOptions& options)
    : overlay_(machine, virtual_), disketteFolders_(options.disketteFolders) {
    if (!disketteFolders_.empty()) {
        floppyLetter_ = freeLetter(machine, 'A', 'B', '\0');
        virtual_.add(folderDrive(floppyLetter_, disketteFolders_.front()),
                     FolderDriveTable::FreeSpace::Measured);
    }
    if (!options.cardFolder.empty()) {
        cardLetter_ = freeLetter(machine, 'D', 'Z', floppyLetter_);
        Drive card = folderDrive(cardLetter_, options.cardFolder);
        card.holdsSystem = isSystemRoot(machine, options.cardFolder);
        virtual_.add(card, FolderDriveTable::FreeSpace::Measured);
    }
}

void VirtualDrives::disketteRequested(int n) {
    if (floppyLetter_ == '\0') {
        return;
    }
    if (n >= 1 && n <= static_cast<int>(disketteFolders_.size())) {
        const std::string& folder = disketteFolders_[static_cast<std::size_t>(n - 1)];
        virtual_.changeMedium(floppyLetter_, folder, folder);
    } else {
        virtual_.setReady(floppyLetter_, false);
    }
}

}  // namespace xq
