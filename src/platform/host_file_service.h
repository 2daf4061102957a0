#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/drive_table.h"
#include "platform/file_service.h"
#include "platform/instance_lock.h"

namespace xq {

// The file service over the host's file system: each Windows-form path is resolved through the
// drive table to a host path, on every call (a drive's medium may have changed in between).
class HostFileService : public FileService {
  public:
    // `temporaryFolder` is the Windows-form path returned as the system's temporary folder;
    // `clock` paces the tries of a rename that another program holds up.
    HostFileService(const DriveTable& drives, std::string temporaryFolder,
                    Clock& clock = systemClock());

    bool folderExists(std::string_view path) override;
    bool fileExists(std::string_view path) override;
    Result<std::uint64_t> fileLength(std::string_view path) override;
    Result<std::vector<DirEntry>> listDirectory(std::string_view path, Listing listing) override;
    FileError makeDir(std::string_view path, DirAccess access) override;
    FileError removeDir(std::string_view path) override;
    FileError deleteFile(std::string_view path) override;
    FileError rename(std::string_view from, std::string_view to) override;
    Result<std::unique_ptr<InputFile>> openRead(std::string_view path, ReadMode mode) override;
    Result<std::unique_ptr<OutputFile>> openWrite(std::string_view path, WriteMode mode) override;
    FileError flushFile(std::string_view path) override;
    FileError flushFolder(std::string_view path) override;
    Result<DriveSpace> space(std::string_view path) override;
    std::string temporaryFolder() override;
    // Copied by the host's kernel where it can, without passing the bytes through this program.
    TransferResult copyFile(std::string_view source, std::string_view target,
                            bool overwrite) override;
    TransferResult appendFile(std::string_view source, std::string_view target) override;

    // The host path that a Windows-form path stands for.
    Result<std::filesystem::path> resolve(std::string_view path) const;

  private:
    // The kernel's copy of a whole file; nullopt when the host cannot copy that way.
    std::optional<TransferResult> kernelCopy(std::string_view source, std::string_view target,
                                             bool append);

    const DriveTable& drives_;
    std::string temporaryFolder_;
    Clock& clock_;
};

// Takes the lock of the working directories in the temporary folder of `files`.
LockResult lockWorkingDirectories(InstanceLock& lock, HostFileService& files);

// This machine's temporary folder in Windows form: on Linux $TMPDIR (else /tmp) seen through C:,
// which is the root file system ("C:\tmp").
std::string hostTemporaryFolder();

}  // namespace xq
