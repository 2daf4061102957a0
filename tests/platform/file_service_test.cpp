#include "platform/file_service.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include <filesystem>

#include <gtest/gtest.h>

#include "support/links.h"
#include "support/test_drives.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;

class FileServiceTest : public ::testing::Test {
  protected:
    TestDrives drives;
    FileService& files = drives.files;
    fs::path c = drives.hostPath("C:\\");
};

TEST_F(FileServiceTest, ResolvesThroughTheDriveTableAndMatchesCaseOnlyWhenNeeded) {
    writeFile(c / "Data" / "Main.DAT", "x");
    EXPECT_EQ(drives.hostPath("c:\\\\Data\\\\"), c / "Data");
    // A name that does not exist yet keeps its spelling, so new files are created as written.
    EXPECT_EQ(drives.hostPath("C:\\data\\New.txt").filename(), "New.txt");
#ifdef _WIN32
    // Windows matches names without regard to case itself: the path keeps the spelling it was
    // given, and names the file all the same.
    EXPECT_EQ(drives.hostPath("C:\\data\\main.dat"), c / "data" / "main.dat");
    EXPECT_TRUE(fs::equivalent(drives.hostPath("C:\\data\\main.dat"), c / "Data" / "Main.DAT"));
#else
    EXPECT_EQ(drives.hostPath("C:\\data\\main.dat"), c / "Data" / "Main.DAT");
    EXPECT_EQ(drives.hostPath("C:\\data\\New.txt"), c / "Data" / "New.txt");
    // An exact match wins over a case-insensitive one.
    writeFile(c / "Data" / "main.dat", "y");
    EXPECT_EQ(drives.hostPath("C:\\Data\\main.dat"), c / "Data" / "main.dat");
#endif
}

TEST_F(FileServiceTest, RefusesPathsThatCouldLeaveTheDriveRoot) {
    for (const char* path : {"C:\\..\\x", "C:\\Temp\\..\\..\\x", "C:\\.\\x", "C:\\a/b", "C:\\a:b",
                             "C:\\.. \\x", "C:\\...", "x.dat", "\\x.dat", "1:\\x"}) {
        EXPECT_EQ(drives.host.resolve(path).error(), FileError::BadFileName) << path;
    }
#ifndef _WIN32
    // Only a Windows host reaches a network share by its name.
    EXPECT_EQ(drives.host.resolve("\\\\server\\share\\x").error(), FileError::BadFileName);
#endif
    EXPECT_EQ(files.makeDir("C:\\..\\escape", DirAccess::Shared), FileError::BadFileName);
    EXPECT_FALSE(fs::exists(c.parent_path() / "escape"));
}

TEST_F(FileServiceTest, ANameThatIsNoUtf8IsOnlyNotFound) {
    // A descriptor may name its files in any bytes; Latin-1 here.
    const std::string name = "C:\\\xE9t\xE9.dat";
    EXPECT_FALSE(files.fileExists(name));
    EXPECT_EQ(files.openRead(name, ReadMode::Cached).error(), FileError::FileNotFound);
    EXPECT_EQ(files.deleteFile(name), FileError::FileNotFound);
}

TEST_F(FileServiceTest, ADriveWithoutMediumIsNotReadyAndAMissingDriveIsUnavailable) {
    EXPECT_FALSE(files.fileExists("A:\\disk0001.dat"));
    EXPECT_EQ(files.fileLength("A:\\disk0001.dat").error(), FileError::DiskNotReady);
    EXPECT_EQ(files.openRead("Q:\\x", ReadMode::Cached).error(), FileError::DeviceUnavailable);

    const fs::path diskette = drives.newMedium("disk1");
    writeFile(diskette / "disk0001.dat", "id");
    drives.insertFloppy(diskette);
    EXPECT_TRUE(files.fileExists("A:\\disk0001.dat"));
    EXPECT_EQ(*files.fileLength("A:\\DISK0001.DAT"), 2u);
}

TEST_F(FileServiceTest, ListsNormalEntriesSortedLeavingOutHiddenOnesAndReportingLinks) {
    writeFile(c / "t" / "b.dat", "");
    writeFile(c / "t" / "a.dat", "");
    writeHiddenFile(c / "t" / ".hidden", "");
    fs::create_directories(c / "t" / "sub");
    EXPECT_EQ(files.listDirectory("C:\\none\\").error(), FileError::PathNotFound);
    const std::vector<DirEntry> plain = {
        {"a.dat", EntryKind::File}, {"b.dat", EntryKind::File}, {"sub", EntryKind::Directory}};
    EXPECT_EQ(*files.listDirectory("C:\\t\\"), plain);
    if (const std::string why = makeFolderLink(c / "sub", c / "t" / "link"); !why.empty()) {
        GTEST_SKIP() << why;
    }
    Result<std::vector<DirEntry>> list = files.listDirectory("C:\\t\\");
    ASSERT_TRUE(list.ok());
    EXPECT_EQ(*list, (std::vector<DirEntry>{{"a.dat", EntryKind::File},
                                            {"b.dat", EntryKind::File},
                                            {"link", EntryKind::Link},
                                            {"sub", EntryKind::Directory}}));
}

TEST_F(FileServiceTest, NeverActsThroughAFolderLinkAtTheEndOfAPath) {
    writeFile(c / "target" / "secret.txt", "keep");
    if (const std::string why = makeFolderLink(c / "target", c / "dirlink"); !why.empty()) {
        GTEST_SKIP() << why;
    }
    EXPECT_FALSE(files.folderExists("C:\\dirlink"));
    EXPECT_FALSE(files.fileExists("C:\\dirlink"));
    EXPECT_EQ(files.removeDir("C:\\dirlink"), FileError::PathNotFound);
    EXPECT_EQ(files.deleteFile("C:\\dirlink"), FileError::None);
    EXPECT_FALSE(entryExists(c / "dirlink"));
    EXPECT_EQ(readFile(c / "target" / "secret.txt"), "keep");
}

TEST_F(FileServiceTest, NeverActsThroughAFileLinkAtTheEndOfAPath) {
    writeFile(c / "target" / "secret.txt", "keep");
    if (const std::string why = makeFileLink(c / "target" / "secret.txt", c / "filelink");
        !why.empty()) {
        GTEST_SKIP() << why;
    }
    EXPECT_FALSE(files.fileExists("C:\\filelink"));
    EXPECT_FALSE(files.openRead("C:\\filelink", ReadMode::Cached).ok());
    EXPECT_FALSE(files.openWrite("C:\\filelink", WriteMode::Create).ok());
    EXPECT_NE(files.flushFile("C:\\filelink"), FileError::None);
    EXPECT_EQ(files.flushFile("C:\\target\\secret.txt"), FileError::None);
    EXPECT_EQ(files.deleteFile("C:\\filelink"), FileError::None);
    EXPECT_FALSE(entryExists(c / "filelink"));
    EXPECT_EQ(readFile(c / "target" / "secret.txt"), "keep");
}

TEST_F(FileServiceTest, CopiesBytesExactlyAndHonoursTheOverwriteFlag) {
    std::string bytes;
    for (int i = 0; i < 600000; ++i) {
        bytes += static_cast<char>(i * 7 % 256);
    }
    writeFile(c / "src.bin", bytes);
    writeFile(c / "dst.bin", "old and longer than nothing");
    EXPECT_EQ(files.copyFile("C:\\src.bin", "C:\\dst.bin", false).error,
              FileError::FileAlreadyExists);
    EXPECT_TRUE(files.copyFile("C:\\src.bin", "C:\\dst.bin", true).ok());
    EXPECT_EQ(readFile(c / "dst.bin"), bytes);
    const TransferResult missing = files.copyFile("C:\\none.bin", "C:\\x.bin", true);
    EXPECT_EQ(missing.error, FileError::FileNotFound);
    EXPECT_TRUE(missing.readFailed());
}

TEST_F(FileServiceTest, TheHostsOwnCopyAndAppendAreByteExactToo) {
    std::string bytes;
    for (int i = 0; i < 700001; ++i) {
        bytes += static_cast<char>(i * 13 % 251);
    }
    writeFile(c / "src.bin", bytes);
    HostFileService& host = drives.host;  // the kernel's copy, not the streamed one
    ASSERT_TRUE(host.copyFile("C:\\src.bin", "C:\\dst.bin", true).ok());
    EXPECT_EQ(host.copyFile("C:\\src.bin", "C:\\dst.bin", false).error,
              FileError::FileAlreadyExists);
    ASSERT_TRUE(host.appendFile("C:\\src.bin", "C:\\dst.bin").ok());
    EXPECT_EQ(readFile(c / "dst.bin"), bytes + bytes);
    EXPECT_TRUE(host.appendFile("C:\\none.bin", "C:\\dst.bin").readFailed());
    EXPECT_TRUE(host.appendFile("C:\\src.bin", "C:\\new.bin").ok());
    EXPECT_EQ(readFile(c / "new.bin"), bytes);
}

#ifndef _WIN32
// The kernel's copy failing part-way, here at the largest file this process may write: an append
// is taken back to the byte, a copy leaves nothing behind.
TEST_F(FileServiceTest, TheHostsOwnCopyAndAppendFailingPartWayLeaveNoPartOfThemselves) {
    writeFile(c / "src.bin", std::string(300000, 's'));
    writeFile(c / "dst.bin", "abc");
    rlimit original{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &original), 0);
    const rlimit limit{100000, original.rlim_max};
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const TransferResult appended = drives.host.appendFile("C:\\src.bin", "C:\\dst.bin");
    const TransferResult copied = drives.host.copyFile("C:\\src.bin", "C:\\new.bin", true);
    ::setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(appended.failedAt, TransferStage::Write);
    EXPECT_EQ(readFile(c / "dst.bin"), "abc");
    EXPECT_EQ(copied.failedAt, TransferStage::Write);
    EXPECT_FALSE(fs::exists(c / "new.bin"));
}
#endif

TEST_F(FileServiceTest, AFailedCopyLeavesNoPartialTarget) {
    writeFile(c / "src.bin", std::string(700000, 'x'));
    drives.files.inject({.op = FileOp::Write, .nth = 2});
    const TransferResult result = files.copyFile("C:\\src.bin", "C:\\dst.bin", true);
    EXPECT_EQ(result.error, FileError::DiskFull);
    EXPECT_EQ(result.failedAt, TransferStage::Write);
    EXPECT_FALSE(fs::exists(c / "dst.bin"));
}

TEST_F(FileServiceTest, AppendExtendsByteForByteAndTakesBackAFailedAppend) {
    writeFile(c / "part1", std::string("\0\r\n\x1a", 4));
    writeFile(c / "part2", std::string(300000, '\xff'));
    ASSERT_TRUE(files.appendFile("C:\\part2", "C:\\part1").ok());
    EXPECT_EQ(readFile(c / "part1"), std::string("\0\r\n\x1a", 4) + std::string(300000, '\xff'));

    writeFile(c / "whole", "abc");
    drives.files.inject(
        {.op = FileOp::Read, .pathContains = "part2", .nth = 2, .error = FileError::DeviceIo});
    const TransferResult failed = files.appendFile("C:\\part2", "C:\\whole");
    EXPECT_TRUE(failed.readFailed());
    EXPECT_EQ(readFile(c / "whole"), "abc");

    drives.files.clearFaults();
    drives.files.inject({.op = FileOp::Write, .pathContains = "fresh"});
    EXPECT_EQ(files.appendFile("C:\\part2", "C:\\fresh").failedAt, TransferStage::Write);
    EXPECT_FALSE(fs::exists(c / "fresh"));
}

TEST_F(FileServiceTest, OwnerOnlyFoldersAreCreatedPrivate) {
    ASSERT_EQ(files.makeDir("C:\\Temp\\work", DirAccess::OwnerOnly), FileError::None);
#ifdef _WIN32
    // Windows keeps no mode bits: a new folder takes the access list of the user's own temporary
    // folder, which keeps other users out already.
    EXPECT_TRUE(fs::is_directory(c / "Temp" / "work"));
#else
    EXPECT_EQ(fs::status(c / "Temp" / "work").permissions() & fs::perms::all, fs::perms::owner_all);
#endif
    EXPECT_EQ(files.makeDir("C:\\Temp\\work", DirAccess::OwnerOnly), FileError::PathFileAccess);
    EXPECT_EQ(files.removeDir("C:\\Temp\\work\\"), FileError::None);
    EXPECT_FALSE(files.folderExists("C:\\Temp\\work"));
}

TEST_F(FileServiceTest, RenameRefusesToReplaceAnExistingTarget) {
    fs::create_directories(c / "old");
    fs::create_directories(c / "new");
    EXPECT_EQ(files.rename("C:\\new", "C:\\old"), FileError::FileAlreadyExists);
    EXPECT_EQ(files.rename("C:\\new", "C:\\newer"), FileError::None);
    EXPECT_TRUE(fs::is_directory(c / "newer"));
}

}  // namespace
}  // namespace xq::test
