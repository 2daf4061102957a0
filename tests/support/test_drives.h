#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/drive_table_snapshot.h"
#include "platform/folder_drive_table.h"
#include "platform/host_file_service.h"
#include "support/faulty_file_service.h"
#include "support/temp_dir.h"

namespace xq::test {

// A small machine over temporary folders:
//   A:  floppy drive (removable), empty (not ready) until a diskette is inserted
//   C:  fixed disk "SYSTEM", holding the temporary folder C:\Temp
//   E:  Compact Flash card reader (removable), with an empty card "CARD"
// `files` is the file service the code under test uses; faults can be injected into it. Paths are
// resolved through `letters`, which holds the letters of `table` while an action holds them, as the
// machine's table does in the program.
class TestDrives {
  public:
    TestDrives();

    FolderDriveTable table;
    DriveTableSnapshot letters{table};
    HostFileService host;
    FaultyFileService files;

    // Host folder behind a Windows-form path ("E:\backup\single").
    std::filesystem::path hostPath(std::string_view windowsPath) const;
    // A new folder for a diskette's or a card's content, not yet in any drive.
    std::filesystem::path newMedium(std::string_view name) const;

    void insertFloppy(const std::filesystem::path& folder) { insert('A', folder); }
    void ejectFloppy() { table.setReady('A', false); }
    void insert(char letter, const std::filesystem::path& folder, std::string volumeName = {});

    const TempDir& temp() const { return temp_; }

  private:
    TempDir temp_;
};

}  // namespace xq::test
