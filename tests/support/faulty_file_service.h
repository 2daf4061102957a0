#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/file_service.h"

namespace xq::test {

// The operations a fault can be injected into.
enum class FileOp {
    FileLength,
    List,
    MakeDir,
    RemoveDir,
    Delete,
    Rename,
    OpenRead,
    Read,
    OpenWrite,
    Write,
    Flush,  // an open file's flush, and flushFile
    Close,
    FlushFolder,
    Any,  // a fault for every kind of call above, counted over all of them
};

// Which calls fail, and how.
struct Fault {
    FileOp op = FileOp::Write;
    char drive = 0;            // only paths on this drive; 0 for every drive
    std::string pathContains;  // only paths holding this text (case as written); empty for all
    std::string pathEndsWith;  // only paths ending in this text; empty for all
    int nth = 0;               // only the nth matching call, counted from 1; 0 for every one
    bool andLater = false;     // and every matching call after the nth: the program killed there
    FileError error = FileError::DiskFull;
};

// A file service that passes every call to another one, except the calls a test has chosen to
// fail: the 3rd write, every write to the card drive, the folder creation of one working directory.
class FaultyFileService : public FileService {
  public:
    explicit FaultyFileService(FileService& inner) : inner_(inner) {}

    void inject(Fault fault);
    void clearFaults() { faults_.clear(); }
    // Calls of this kind seen so far (whether they failed or not).
    int count(FileOp op) const { return counts_[static_cast<int>(op)]; }
    // The calls of this kind on paths of one drive.
    int count(FileOp op, char drive) const;

    bool folderExists(std::string_view path) override { return inner_.folderExists(path); }
    bool fileExists(std::string_view path) override { return inner_.fileExists(path); }
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
    std::string temporaryFolder() override { return inner_.temporaryFolder(); }
    // The free space reported for a drive from now on (a card smaller than the folder it is in).
    void setFreeSpace(char drive, std::uint64_t bytes);
    // The allocation unit reported for a drive from now on (a FAT card's cluster).
    void setAllocationUnit(char drive, std::uint64_t bytes);

    // The error injected into this call, or FileError::None (also counts the call).
    FileError check(FileOp op, std::string_view path);

    // Runs at the start of every call check() sees: lets a test change the machine at an exact
    // point of the work, such as a device plugged in during a card write.
    std::function<void(FileOp op, std::string_view path)> beforeCall;

  private:
    struct Armed {
        Fault fault;
        int seen = 0;
    };
    FileService& inner_;
    std::vector<Armed> faults_;
    std::map<char, std::uint64_t> freeSpace_;
    std::map<char, std::uint64_t> allocationUnit_;
    int counts_[static_cast<int>(FileOp::Any) + 1] = {};
    std::map<std::pair<char, FileOp>, int> driveCounts_;
};

}  // namespace xq::test
