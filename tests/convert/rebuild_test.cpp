// Recombination of the diskette copies and the flat image written beside them.

#include <gtest/gtest.h>

#include "convert/flat_image.h"
#include "convert/recombination.h"
#include "convert/verification.h"
#include "convert_test_fixture.h"

namespace xq::test {
namespace {

class RebuildTest : public ConvertTest {
  protected:
    void rebuild(const DiskSet& description) {
        readSet(description);
        ASSERT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Passed) << log();
        ASSERT_TRUE(RecombineDatabase(context)) << log();
    }
    const fs::path flat = host("C:\\Temp\\XQ3100_flat");
};

TEST_F(RebuildTest, JoinsSplitFilesAndCopiesTheOthersByteForByte) {
    DiskSet description = splitSet();
    description.files.push_back({.name = "/deep/er/x.dat", .content = std::string(10, 'x')});
    // Files the table does not list come along, later diskettes' extending earlier ones.
    description.extras = {{.disk = 2, .path = "notes/a.txt", .content = "two"},
                          {.disk = 3, .path = "notes/a.txt", .content = "+three"}};
    rebuild(description);
    for (const auto& [name, content] : set.wholeFiles) {
        EXPECT_EQ(readFile(flat / name.substr(1)), content) << name;
    }
    EXPECT_EQ(readFile(flat / "notes" / "a.txt"), "two+three");
    EXPECT_EQ(readFile(flat / "disk0001.dat"), readFile(set.diskette(1) / "disk0001.dat"));
    EXPECT_TRUE(logged(
        "Recombining the database at C:\\Temp\\XQ3100_flat\r\n"
        "copy C:\\Temp\\XQ3100_disk1\\keycode.rec to C:\\Temp\\XQ3100_flat\\keycode.rec\r\n"
        "copy C:\\Temp\\XQ3100_disk1\\db\\main.dat to C:\\Temp\\XQ3100_flat\\db\\main.dat\r\n"
        "append C:\\Temp\\XQ3100_disk2\\db\\main.dat to C:\\Temp\\XQ3100_flat\\db\\main.dat\r\n"
        "append C:\\Temp\\XQ3100_disk3\\db\\main.dat to C:\\Temp\\XQ3100_flat\\db\\main.dat\r\n"
        "copy C:\\Temp\\XQ3100_disk3\\deep\\er\\x.dat to "
        "C:\\Temp\\XQ3100_flat\\deep\\er\\x.dat\r\n"))
        << log();
}

TEST_F(RebuildTest, ANameWithBlanksAtItsEndKeepsThemInTheSourceOnly) {
    readSet({.files = {{.name = "/pad.dat", .content = "padded"}}});
    fs::rename(host("C:\\Temp\\XQ3100_disk1\\pad.dat"),
               host("C:\\Temp\\XQ3100_disk1") / "pad.dat  ");
    archive.files[0].fileName = "\\pad.dat  ";
    ASSERT_TRUE(RecombineDatabase(context)) << log();
    EXPECT_EQ(readFile(flat / "pad.dat"), "padded");
    EXPECT_TRUE(
        logged("copy C:\\Temp\\XQ3100_disk1\\pad.dat   to C:\\Temp\\XQ3100_flat\\pad.dat\r"))
        << log();
}

TEST_F(RebuildTest, AnAppendThatFailsLeavesTheDestinationAsItWasAndIsReported) {
    readSet(splitSet());
    drives.files.inject({.op = FileOp::Read,
                         .pathContains = "XQ3100_disk3\\db\\main.dat",
                         .error = FileError::DeviceIo});
    EXPECT_FALSE(RecombineDatabase(context));
    EXPECT_EQ(dialogs.last().text,
              "Failed to read file C:\\Temp\\XQ3100_disk3\\db\\main.dat\r\n"
              "Ensure that the floppy disk is readable ");
    EXPECT_EQ(readFile(flat / "db" / "main.dat"), set.pieces[1].bytes + set.pieces[2].bytes);
    EXPECT_FALSE(logged("append C:\\Temp\\XQ3100_disk3"));
}

TEST_F(RebuildTest, TheFlatDescriptorIsAOneDiskDescriptorWithLfLineEnds) {
    DiskSet description = splitSet();
    description.extraHeaderLines = {"DATE 2007", "PREFIX FILE: not a file line", "NEVER COPIED"};
    rebuild(description);
    ASSERT_TRUE(BuildFlatImage(context)) << log();
    // The split file is listed once, by its last piece, with the whole file's checksum.
    const std::uint64_t whole = referenceFileChecksum(set.wholeFiles.at("/db/main.dat"));
    EXPECT_EQ(readFile(flat / "archive.dat"),
              "#XQ3100 ARCHIVE #4711\nNUMDISKS: 1\nDATE 2007\nFILE: 1 0 1 " +
                  std::to_string(set.pieces[0].checksum) + " /keycode.rec x\nFILE: 1 0 1 " +
                  std::to_string(whole) + " /db/main.dat MAIN/DB\n");
    EXPECT_TRUE(logged("Create C:\\Temp\\XQ3100_flat\\archive.dat\r\n"));
}

TEST_F(RebuildTest, AThirdLineHoldingAFileLineLeavesTwoHeaderLines) {
    readSet({.files = {{.name = "/a.dat", .content = "abcd", .secondString = "SUB\\DIR"},
                       {.name = "/b.dat", .content = "b", .secondFlag = false}}});
    fs::create_directories(flat);
    ASSERT_TRUE(BuildFlatImage(context)) << log();
    EXPECT_EQ(readFile(flat / "archive.dat"),
              "#XQ3100 ARCHIVE #4711\nNUMDISKS: 1\nFILE: 1 0 1 1633837924 /a.dat SUB/DIR\n");
}

}  // namespace
}  // namespace xq::test
