#include "support/disk_set_writer.h"

#include <string>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace xq::test {
namespace {

// The test oracle against the worked values of the checksum's definition.
TEST(ReferenceChecksumTest, SumsBigEndianWordsWrappingWhereTheDefinitionSays) {
    EXPECT_EQ(referenceFileChecksum(""), 0u);
    EXPECT_EQ(referenceFileChecksum("\x01\x02\x03\x04"), 16909060u);
    EXPECT_EQ(referenceFileChecksum("\x01\x02\x03\x04\x05"), 16909065u);
    EXPECT_EQ(referenceFileChecksum(std::string("\xFF\xFF\xFF\xFF\x00\x00\x00\x02", 8)), 1u);
    // Trailing bytes are never wrapped; each word inside a block and each block total are.
    EXPECT_EQ(referenceBlockChecksum("\xFF\xFF\xFF\xFF\xFF"), std::uint64_t{0xFFFFFFFF} + 0xFF);
    const std::string ones(4096, '\xFF');
    EXPECT_EQ(referenceBlockChecksum(ones), kChecksumModulus - 1024);
    EXPECT_EQ(referenceFileChecksum(ones + ones + "\x07"), kChecksumModulus - 2048 + 7);
    EXPECT_EQ(referenceContinuedChecksum(0xFFFFFFFFu, 2), 1u);
}

TEST(DiskSetWriterTest, SplitsFilesOverDiskettesWithRunningChecksums) {
    TempDir dir;
    const WrittenSet set = writeDiskSet(
        dir.path(),
        {.archiveId = 42,
         .capacity = 8,
         .files = {{.name = "/keycode.rec", .content = "KEY", .storedAs = "/keycode.kcd"},
                   {.name = "/db/big.dat", .content = "0123456789abcdef"},
                   {.name = "/late.dat",
                    .content = "L",
                    .disk = 4,
                    .secondFlag = false,
                    .secondString = ""}},
         .extras = {{.disk = 2, .path = "sub/note.txt", .content = "n"}},
         .extraHeaderLines = {"VERSION 3"}});
    ASSERT_EQ(set.disketteCount(), 4);
    EXPECT_EQ(readFile(set.diskette(1) / "keycode.kcd"), "KEY");
    EXPECT_EQ(readFile(set.diskette(1) / "db" / "big.dat"), "01234");
    EXPECT_EQ(readFile(set.diskette(2) / "db" / "big.dat"), "56789abc");
    EXPECT_EQ(readFile(set.diskette(3) / "db" / "big.dat"), "def");
    EXPECT_EQ(readFile(set.diskette(2) / "sub" / "note.txt"), "n");
    EXPECT_EQ(readFile(set.diskette(3) / "disk0003.dat"), "XQ3100 DISKETTE #42\r\nDISKETTE 3\r\n");

    const std::uint64_t first = referenceFileChecksum("01234");
    const std::uint64_t second =
        referenceContinuedChecksum(referenceFileChecksum("56789abc"), first);
    const std::uint64_t third = referenceContinuedChecksum(referenceFileChecksum("def"), second);
    const std::string expected =
        "#XQ3100 ARCHIVE #42\nNUMDISKS: 4\nVERSION 3\n"
        "FILE: 1 0 1 " +
        std::to_string(referenceFileChecksum("KEY")) +
        " /keycode.rec x\n"
        "FILE: 1 0 0 " +
        std::to_string(first) +
        " /db/big.dat x\n"
        "FILE: 2 1 0 " +
        std::to_string(second) +
        " /db/big.dat x\n"
        "FILE: 3 1 1 " +
        std::to_string(third) +
        " /db/big.dat x\n"
        "FILE: 4 0 0 76 /late.dat\n";
    EXPECT_EQ(set.descriptor, expected);
    EXPECT_EQ(readFile(set.diskette(1) / "archive.dat"), expected);
}

}  // namespace
}  // namespace xq::test
