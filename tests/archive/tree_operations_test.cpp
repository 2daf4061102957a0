#include "archive/tree_operations.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "archive_test_fixture.h"
#include "support/links.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;

class TreeOperationsTest : public ArchiveTest {
  protected:
    TreeOperationsTest() {
        drives.insertFloppy(floppy);
        // Three files and a folder with two more, six entries; a hidden file and links besides.
        writeFile(floppy / "a.dat", "aaaa");
        writeFile(floppy / "b.dat", "bb");
        writeFile(floppy / "c.dat", "c");
        writeFile(floppy / "db" / "main.dat", "main");
        writeFile(floppy / "db" / "deep" / "x.dat", "x");
        writeHiddenFile(floppy / ".hidden", "h");
        writeFile(outside / "secret.txt", "secret");
        // Where the host makes no links the tests below still hold, with nothing to leave out.
        (void)makeFolderLink(outside, floppy / "dirlink");
        (void)makeFileLink(outside / "secret.txt", floppy / "db" / "filelink");
        fs::create_directories(temp / "t");
    }

    CopyOutcome copy() { return CopyTree(files, op, "A:\\", "C:\\Temp\\t\\", 10); }

    fs::path floppy = drives.newMedium("floppy");
    fs::path outside = drives.newMedium("outside");
    fs::path temp = host("C:\\Temp");
};

TEST_F(TreeOperationsTest, CountsFilesAndFoldersButNoHiddenEntriesOrLinks) {
    EXPECT_EQ(CountFiles(files, "A:\\"), 7);
    EXPECT_EQ(CountFiles(files, "A:\\none\\"), 0);
    EXPECT_EQ(TemporaryFolder(files), "C:\\Temp");
}

TEST_F(TreeOperationsTest, CopiesEveryLevelAdvancingTheBarPerFileWithoutHiddenEntriesOrLinks) {
    EXPECT_EQ(copy(), CopyOutcome::Copied);
    EXPECT_EQ(readFile(temp / "t" / "a.dat"), "aaaa");
    EXPECT_EQ(readFile(temp / "t" / "db" / "deep" / "x.dat"), "x");
    EXPECT_EQ(window.ProgressBar1.value, 50);  // five files; the folders add nothing
    EXPECT_FALSE(fs::exists(temp / "t" / ".hidden"));
    EXPECT_FALSE(entryExists(temp / "t" / "dirlink"));
    EXPECT_FALSE(entryExists(temp / "t" / "db" / "filelink"));
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(log(), "");
}

TEST_F(TreeOperationsTest, ExtendsATargetFileThatExistsWithoutAdvancingTheProgress) {
    writeFile(temp / "t" / "a.dat", "first-");
    EXPECT_EQ(copy(), CopyOutcome::Copied);
    EXPECT_EQ(readFile(temp / "t" / "a.dat"), "first-aaaa");
    EXPECT_EQ(window.ProgressBar1.value, 40);
}

TEST_F(TreeOperationsTest, ReportsAFolderThatCannotBeCreatedEvenWhenALinkStandsThere) {
    if (const std::string why = makeFolderLink(outside, temp / "t" / "db"); !why.empty()) {
        GTEST_SKIP() << why;
    }
    EXPECT_EQ(copy(), CopyOutcome::Failed);
    const std::string message =
        "Failed to create directory: C:\\Temp\\t\\db\r\n"
        "Ensure there is enough free space available on drive C:\\";
    EXPECT_EQ(dialogs.shown(), (std::vector<ShownBox>{{message, "Error!", box_style::OkStop}}));
    EXPECT_EQ(log(), message + "\r\n");  // logged as it stands, without a prefix
    EXPECT_EQ(readFile(outside / "secret.txt"), "secret");
    EXPECT_FALSE(fs::exists(outside / "main.dat"));
}

TEST_F(TreeOperationsTest, ReportsAFailedAppendByTheSideThatFailedAndKeepsTheTarget) {
    writeFile(temp / "t" / "a.dat", "first");
    files.inject({.op = FileOp::Read, .drive = 'A', .nth = 1, .error = FileError::DeviceIo});
    EXPECT_EQ(copy(), CopyOutcome::Failed);
    EXPECT_EQ(dialogs.last().text,
              "Failed to read file A:\\a.dat\r\nEnsure that the floppy disk is readable ");
    files.clearFaults();
    files.inject({.op = FileOp::Write, .drive = 'C', .error = FileError::DiskFull});
    EXPECT_EQ(copy(), CopyOutcome::Failed);
    EXPECT_EQ(dialogs.last().text,
              "Failed writing: C:\\Temp\\t\\a.dat\r\n"
              "Ensure there is enough free space available on drive C:\\");
    EXPECT_EQ(readFile(temp / "t" / "a.dat"), "first");
}

TEST_F(TreeOperationsTest, ReportsAFailedCopyNamingTheDriveSelectedInTheListAndStops) {
    window.DriveList.listIndex = 2;  // "e: [CARD]"
    files.inject({.op = FileOp::Write, .pathContains = "b.dat", .error = FileError::DiskFull});
    EXPECT_EQ(copy(), CopyOutcome::Failed);
    EXPECT_EQ(dialogs.last().text,
              "Can not copy file A:\\b.dat to C:\\Temp\\t\\b.dat\r\n"
              "Ensure that the floppy disk is readable and that \r\n"
              "there is enough free space available on drive E:\\");
    EXPECT_EQ(window.ProgressBar1.value, 20);  // advanced before each copy, the failed one too
    EXPECT_FALSE(fs::exists(temp / "t" / "b.dat"));
    EXPECT_FALSE(fs::exists(temp / "t" / "c.dat"));
    // A diskette that cannot even be listed is a read failure, not an empty tree.
    drives.ejectFloppy();
    EXPECT_EQ(copy(), CopyOutcome::Failed);
    EXPECT_EQ(dialogs.last().text,
              "Failed to read file A:\\\r\nEnsure that the floppy disk is readable ");
}

TEST_F(TreeOperationsTest, DeletesATreeWithItsLinksButNeverWhatTheyPointTo) {
    if (const std::string why = makeFolderLink(outside, temp / "t" / "dirlink"); !why.empty()) {
        GTEST_SKIP() << why;
    }
    // A link to a file needs a privilege on Windows; the folder link is what matters most.
    (void)makeFileLink(outside / "secret.txt", temp / "t" / "filelink");
    ASSERT_EQ(copy(), CopyOutcome::Copied);
    EXPECT_TRUE(DeleteTree(files, "C:\\Temp\\t\\"));
    EXPECT_FALSE(entryExists(temp / "t"));
    EXPECT_EQ(readFile(outside / "secret.txt"), "secret");
    EXPECT_TRUE(DeleteTree(files, "C:\\Temp\\t\\"));  // gone already: nothing happens

    // A link standing in for the tree itself is not walked and stays.
    ASSERT_EQ(makeFolderLink(outside, temp / "t"), "");
    EXPECT_TRUE(DeleteTree(files, "C:\\Temp\\t\\"));  // no folder there
    EXPECT_TRUE(isLink(temp / "t"));
    EXPECT_EQ(readFile(outside / "secret.txt"), "secret");
    EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
}  // namespace xq::test
