// The file service where Windows differs from POSIX hosts: handles that block renames, the
// read-only attribute, network shares and paths longer than the plain form allows.

#include <chrono>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/file_service.h"
#include "platform/windows_headers.h"
#include "support/manual_clock.h"
#include "support/test_drives.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A handle that another program (a virus scanner, a file manager) holds on a file or folder,
// shared for reading and writing but not for renaming or removing.
class ForeignHandle {
  public:
    explicit ForeignHandle(const fs::path& path)
        : handle_(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr)) {}
    ForeignHandle(const ForeignHandle&) = delete;
    ForeignHandle& operator=(const ForeignHandle&) = delete;
    ~ForeignHandle() { close(); }

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    void close() {
        if (valid()) {
            ::CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
    }

  private:
    HANDLE handle_;
};

class WindowsFileServiceTest : public ::testing::Test {
  protected:
    TestDrives drives;
    ManualClock clock;
    // The drives' file service, but for the clock that paces a held rename's tries.
    HostFileService host{drives.letters, "C:\\Temp", clock};
    FileService& files = host;
    fs::path c = drives.hostPath("C:\\");
};

// The program holding the folder lets it go during the rename's second pause, by the rename's own
// clock: however fast or slow the machine, the rename has waited for it.
TEST_F(WindowsFileServiceTest, ARenameWaitsWhileAnotherProgramHoldsTheFolderForAMoment) {
    fs::create_directories(c / "backup" / "single.new");
    ForeignHandle scanner(c / "backup" / "single.new");
    ASSERT_TRUE(scanner.valid());
    clock.onSleep = [&scanner](int sleeps) {
        if (sleeps == 2) {
            scanner.close();
        }
    };
    EXPECT_EQ(files.rename("C:\\backup\\single.new", "C:\\backup\\single"), FileError::None);
    EXPECT_EQ(clock.sleeps(), 2);
    EXPECT_TRUE(fs::is_directory(c / "backup" / "single"));
    EXPECT_FALSE(fs::exists(c / "backup" / "single.new"));
}

TEST_F(WindowsFileServiceTest, ARenameThatStaysBlockedSaysTheEntryIsInUse) {
    writeFile(c / "backup" / "single" / "archive.dat", "old");
    ForeignHandle indexer(c / "backup" / "single");
    ASSERT_TRUE(indexer.valid());
    EXPECT_EQ(files.rename("C:\\backup\\single", "C:\\backup\\single.old"), FileError::FileInUse);
    EXPECT_GE(clock.now() - Clock::Time{}, 3s);  // it was patient, by its clock
    EXPECT_EQ(errorDescription(FileError::FileInUse), "File already open");
    EXPECT_EQ(readFile(c / "backup" / "single" / "archive.dat"), "old");
    EXPECT_FALSE(fs::exists(c / "backup" / "single.old"));
}

TEST_F(WindowsFileServiceTest, ReadOnlyFilesAndFoldersAreRemoved) {
    writeFile(c / "old" / "sub" / "a.dat", "a");
    for (const fs::path& entry : {c / "old" / "sub" / "a.dat", c / "old" / "sub"}) {
        ASSERT_TRUE(::SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_READONLY)) << entry;
    }
    EXPECT_EQ(files.deleteFile("C:\\old\\sub\\a.dat"), FileError::None);
    EXPECT_EQ(files.removeDir("C:\\old\\sub"), FileError::None);
    EXPECT_FALSE(fs::exists(c / "old" / "sub"));
}

// The host's own copy makes plain files, as every copy of the converter does: a read-only, hidden
// piece can take the next piece's append. A source another program holds without sharing it is
// not copied, and the file the copy was to replace stays as it was.
TEST_F(WindowsFileServiceTest, TheHostsOwnCopyMakesPlainFilesAndKeepsTheTargetOfOneItCannotMake) {
    writeFile(c / "piece1", "one");
    writeFile(c / "piece2", "two");
    const DWORD odd = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    ASSERT_TRUE(::SetFileAttributesW((c / "piece1").c_str(), odd));
    ASSERT_TRUE(drives.host.copyFile("C:\\piece1", "C:\\whole", true).ok());
    EXPECT_EQ(::GetFileAttributesW((c / "whole").c_str()) & odd, 0u);
    EXPECT_TRUE(drives.host.appendFile("C:\\piece2", "C:\\whole").ok());

    const HANDLE held = ::CreateFileW((c / "piece2").c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const TransferResult refused = drives.host.copyFile("C:\\piece2", "C:\\whole", true);
    ::CloseHandle(held);
    EXPECT_EQ(refused.error, FileError::FileInUse);
    EXPECT_TRUE(refused.readFailed());
    EXPECT_EQ(readFile(c / "whole"), "onetwo");
}

TEST_F(WindowsFileServiceTest, ANetworkShareIsNamedDirectly) {
    EXPECT_EQ(drives.host.resolve("\\\\server\\share\\Temp\\\\XQ3100_disk1\\")->wstring(),
              L"\\\\server\\share\\Temp\\XQ3100_disk1");
    // The host's own namespaces are no shares, and no share path leaves its share.
    for (const char* path : {"\\\\?\\C:\\x", "\\\\.\\PhysicalDrive0\\x", "\\\\server",
                             "\\\\\\server\\share\\x", "\\\\server\\share\\..\\x"}) {
        EXPECT_EQ(drives.host.resolve(path).error(), FileError::BadFileName) << path;
    }
}

TEST_F(WindowsFileServiceTest, APathTooLongForThePlainFormIsResolvedToTheLongForm) {
    std::string folder = "C:\\Temp";
    while (folder.size() < 300) {
        folder += "\\" + std::string(40, static_cast<char>('a' + folder.size() % 26));
        ASSERT_EQ(files.makeDir(folder), FileError::None) << folder.size();
    }
    const std::string file = folder + "\\disk0001.dat";
    // The long form keeps trailing dots and blanks, which the plain form trims; they are trimmed.
    const std::wstring host = drives.host.resolve(file + ". ")->wstring();
    EXPECT_TRUE(host.starts_with(L"\\\\?\\")) << host.size();
    EXPECT_TRUE(host.ends_with(L"\\disk0001.dat"));

    Result<std::unique_ptr<OutputFile>> out = files.openWrite(file, WriteMode::Create);
    ASSERT_TRUE(out.ok());
    ASSERT_EQ((*out)->write(std::string_view("XQ3100")), FileError::None);
    ASSERT_EQ((*out)->close(), FileError::None);
    EXPECT_EQ(*files.fileLength(file), 6u);
    EXPECT_EQ(*files.listDirectory(folder), (std::vector<DirEntry>{{"disk0001.dat"}}));
    EXPECT_TRUE(files.copyFile(file, folder + "\\copy.dat", false).ok());
    EXPECT_EQ(files.rename(folder + "\\copy.dat", folder + "\\moved.dat"), FileError::None);
    for (const char* name : {"\\disk0001.dat", "\\moved.dat"}) {
        EXPECT_EQ(files.deleteFile(folder + name), FileError::None) << name;
    }
    // Taken away again level by level, so the test's own clean-up meets only short paths.
    while (folder.size() > 7) {
        ASSERT_EQ(files.removeDir(folder), FileError::None) << folder.size();
        folder.erase(folder.rfind('\\'));
    }
}

}  // namespace
}  // namespace xq::test
