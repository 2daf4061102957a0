// Recombination of the diskette copies and the flat image written beside them.

#include <gtest/gtest.h>

#include "convert/flat_image.h"
#include "convert/recombination.h"
#include "convert/verification.h"
#include "convert_test_fixture.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;

class RebuildTest : public ConvertTest {
  protected:
    void rebuild(const DiskSet& description) {
        readSet(description);
        ASSERT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Passed) << log();
        ASSERT_TRUE(RecombineDatabase(context)) << log();
    }
    fs::path flat = host("C:\\Temp\\XQ3100_flat");
};

TEST_F(RebuildTest, JoinsSplitFilesAndCopiesTheOthersByteForByte) {
    DiskSet description = splitSet();
    description.files.push_back({.name = "/deep/er/x.dat", .content = std::string(10, 'x')});
    rebuild(description);
    for (const auto& [name, content] : set.wholeFiles) {
        EXPECT_EQ(readFile(flat / name.substr(1)), content) << name;
    }
    EXPECT_NE(
        log().find(
            "Recombining the database at C:\\Temp\\XQ3100_flat\r\n"
            "copy C:\\Temp\\XQ3100_disk1\\keycode.rec to C:\\Temp\\XQ3100_flat\\keycode.rec\r\n"
            "copy C:\\Temp\\XQ3100_disk1\\db\\main.dat to C:\\Temp\\XQ3100_flat\\db\\main.dat\r\n"
            "append C:\\Temp\\XQ3100_disk2\\db\\main.dat to "
            "C:\\Temp\\XQ3100_flat\\db\\main.dat\r\n"),
        std::string::npos)
        << log();
    EXPECT_EQ(readFile(flat / "disk0001.dat"), readFile(set.diskette(1) / "disk0001.dat"));
}

TEST_F(RebuildTest, AnAppendThatFailsLeavesTheDestinationAsItWasAndIsReported) {
    readSet(splitSet());
    drives.files.inject({.op = FileOp::Read,
                         .pathContains = "XQ3100_disk3\\db\\main.dat",
                         .nth = 2,
                         .error = FileError::DeviceIo});
    EXPECT_FALSE(RecombineDatabase(context));
    EXPECT_EQ(dialogs.last().text,
              "Failed to read file C:\\Temp\\XQ3100_disk3\\db\\main.dat\r\n"
              "Ensure that the floppy disk is readable ");
    EXPECT_EQ(readFile(flat / "db" / "main.dat"),
              set.wholeFiles.at("/db/main.dat").substr(0, 2000 - 3));
}

TEST_F(RebuildTest, TheFlatDescriptorIsAOneDiskDescriptorWithLfLineEnds) {
    DiskSet description = splitSet();
    description.extraHeaderLines = {"DATE 2007", "PREFIX FILE: not a file line", "NEVER COPIED"};
    rebuild(description);
    ASSERT_TRUE(BuildFlatImage(context)) << log();
    const std::uint64_t whole = referenceFileChecksum(set.wholeFiles.at("/db/main.dat"));
    EXPECT_EQ(readFile(flat / "archive.dat"),
              "#XQ3100 ARCHIVE #4711\nNUMDISKS: 1\nDATE 2007\n"
              "FILE: 1 0 1 " +
                  std::to_string(set.pieces[0].checksum) +
                  " /keycode.rec x\n"
                  "FILE: 1 0 1 " +
                  std::to_string(whole) + " /db/main.dat MAIN/DB\n");
    EXPECT_NE(log().find("Create C:\\Temp\\XQ3100_flat\\archive.dat\r\n"), std::string::npos);
}

TEST_F(RebuildTest, AFlatDescriptorThatCannotBeWrittenIsReportedAndRemoved) {
    rebuild(splitSet());
    drives.files.inject({.op = FileOp::Write, .pathContains = "XQ3100_flat\\archive.dat"});
    EXPECT_FALSE(BuildFlatImage(context));
    EXPECT_EQ(dialogs.last().text,
              "Failed writing: C:\\Temp\\XQ3100_flat\\archive.dat\r\n"
              "Ensure there is enough free space available on drive C:\\");
    EXPECT_FALSE(fs::exists(flat / "archive.dat"));
}

}  // namespace
}  // namespace xq::test
