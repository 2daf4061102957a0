#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_service.h"

namespace xq::test {

// A file service over files held in memory: drives by letter, folders and files, names matched
// without regard to ASCII case and hidden when they begin with "."; nothing ever fails by itself
// (wrap it in a FaultyFileService for that). Fast enough for tests that run a card write thousands
// of times.
class MemoryFileService : public FileService {
  public:
    MemoryFileService();
    ~MemoryFileService() override;

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
    FileError flushFile(std::string_view) override { return FileError::None; }
    FileError flushFolder(std::string_view path) override;
    Result<DriveSpace> space(std::string_view path) override;
    std::string temporaryFolder() override { return "C:\\Temp"; }

    // A drive of `capacity` bytes that hands out room in `unit`s: every file a whole number of
    // them, every folder one; its free space is what is left. Other drives have 1 GiB free.
    void setCapacity(char drive, std::uint64_t capacity, std::uint64_t unit);
    // Writes a file, making its folders ("E:\backup\single\a.dat").
    void put(std::string_view path, std::string_view bytes);
    // Every file below a folder by its path below it ("db/main.dat"), hidden ones too; empty when
    // there is no such folder.
    std::map<std::string, std::string> tree(std::string_view folder) const;
    // Removes everything.
    void clear();

    struct Node;

  private:
    std::unique_ptr<Node> root_;  // its folders are the drives, named by their letters
    std::map<char, std::pair<std::uint64_t, std::uint64_t>> capacity_;  // and unit, by drive
};

}  // namespace xq::test
