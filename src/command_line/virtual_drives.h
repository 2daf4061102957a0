#pragma once

#include <string>
#include <vector>

#include "platform/folder_drive_table.h"
#include "platform/overlay_drive_table.h"

namespace xq {

// Drives over folders, for backups held as diskette folders (mounted or extracted images) rather
// than on diskettes, and for a card folder instead of a card.
struct VirtualDriveOptions {
    // The folders of diskettes 1, 2, ... (host paths). Empty: no virtual floppy drive.
    std::vector<std::string> disketteFolders;
    // The folder that stands for a card (host path). Empty: no virtual card drive.
    std::string cardFolder;
};

// The machine's drives with the virtual ones laid over them. The virtual floppy drive takes the
// folder of diskette n whenever diskette n is asked for, and is empty when the set has no such
// diskette, just as an operator would feed a real drive.
class VirtualDrives {
  public:
    VirtualDrives(const DriveTable& machine, const VirtualDriveOptions& options);

    const DriveTable& table() const { return overlay_; }
    char floppyLetter() const { return floppyLetter_; }  // '\0' without a virtual floppy
    char cardLetter() const { return cardLetter_; }      // '\0' without a virtual card

    void disketteRequested(int n);

  private:
    FolderDriveTable virtual_;
    OverlayDriveTable overlay_;
    std::vector<std::string> disketteFolders_;
    char floppyLetter_ = '\0';
    char cardLetter_ = '\0';
};

}  // namespace xq
