#include "convert/checksum.h"

#include <random>

#include <gtest/gtest.h>

#include "support/reference_checksum.h"
#include "support/test_drives.h"

namespace xq::test {
namespace {

class ChecksumTest : public ::testing::Test {
  protected:
    FileChecksumResult of(const std::string& bytes) {
        writeFile(drives.hostPath("C:\\f.bin"), bytes);
        return FileChecksum(drives.files, "C:\\f.bin");
    }
    TestDrives drives;
};

TEST_F(ChecksumTest, SumsBigEndianWordsAndAddsTrailingBytesAsTheyAre) {
    EXPECT_EQ(of("\x01\x02\x03\x04").value, 16909060);
    EXPECT_EQ(of("\x01\x02\x03\x04\x05").value, 16909065);
    EXPECT_EQ(of(std::string("\xff\xff\xff\xff\x00\x00\x00\x02", 8)).value, 1);
    const unsigned char block[] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(BlockChecksum(block, 5), 16909065);
    EXPECT_EQ(BlockChecksum(block, 0), 0);
}

TEST_F(ChecksumTest, KeepsTheWrapPointsOfBlocksAndTrailingBytes) {
    // Both blocks' words sum to 2^32 - 1 and the last block's trailing bytes push it past 2^32:
    // that block adds without a wrap, the total wraps once and stays above 2^32 - 1.
    const std::string ones = "\xff\xff\xff\xff";
    const std::string file = ones + std::string(4092, '\0') + ones + std::string(3, '\xff');
    ASSERT_GT(referenceFileChecksum(file), kChecksumModulus - 1);
    EXPECT_EQ(of(file).value, static_cast<double>(referenceFileChecksum(file)));

    std::mt19937 random(7);
    for (std::size_t size : {3u, 4095u, 4096u, 4097u, 8195u, 1048579u, 1310720u}) {
        std::string bytes(size, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() | 0x80);  // high bytes: earlier blocks wrap too
        }
        EXPECT_EQ(of(bytes).value, static_cast<double>(referenceFileChecksum(bytes))) << size;
    }
}

TEST_F(ChecksumTest, AFileThatIsNotReadAllThroughHasNoChecksum) {
    const FileChecksumResult empty = of("");
    EXPECT_EQ(empty.status, ChecksumStatus::Empty);
    EXPECT_TRUE(empty.measured());
    EXPECT_EQ(empty.asDouble(), 0);

    const FileChecksumResult missing = FileChecksum(drives.files, "C:\\none.bin");
    EXPECT_EQ(missing.status, ChecksumStatus::NoLength);
    EXPECT_EQ(missing.asDouble(), 1);

    of(std::string(300000, 'x'));
    drives.files.inject({.op = FileOp::OpenRead, .pathContains = "f.bin", .nth = 1});
    const FileChecksumResult unopened = FileChecksum(drives.files, "C:\\f.bin");
    EXPECT_EQ(unopened.asDouble(), 3);
    EXPECT_FALSE(unopened.measured());
    drives.files.inject(
        {.op = FileOp::Read, .pathContains = "f.bin", .error = FileError::DeviceIo});
    EXPECT_EQ(FileChecksum(drives.files, "C:\\f.bin").status, ChecksumStatus::ReadFailed);
}

}  // namespace
}  // namespace xq::test
