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
    const unsigned char block[] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(BlockChecksum(block, 5), 16909065);
    EXPECT_EQ(BlockChecksum(block, 3), 6);
}

TEST_F(ChecksumTest, WrapsAfterEachWordAndEachBlockButNotAfterTrailingBytes) {
    // Both blocks' words sum to 2^32 - 1, and the last block's trailing bytes take it past that:
    // the total wraps once and stays above 2^32 - 1.
    const std::string ones = "\xff\xff\xff\xff";
    const std::string above = ones + std::string(4092, '\0') + ones + "\xff\xff\xff";
    ASSERT_GT(referenceFileChecksum(above), kChecksumModulus - 1);
    EXPECT_EQ(of(above).value, static_cast<double>(referenceFileChecksum(above)));
    // Only the trailing bytes take the total past 2^32 - 1: it wraps all the same.
    EXPECT_EQ(of("\xff\xff\xff" + std::string(4093, '\0') + "\xff\xff\xff").value, 509);

    std::mt19937 random(7);
    std::vector<std::size_t> sizes = {
        1, 3, 4095, 4096, 4097, 8195, (1u << 20) - 1, 1u << 20, (1u << 20) + 3, (2u << 20) + 4097};
    for (int i = 0; i < 4; ++i) {
        sizes.push_back(1 + random() % (3u << 20));
    }
    for (std::size_t size : sizes) {
        std::string bytes(size, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(random() | 0x80);  // high bytes: every block's words wrap
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

    ASSERT_TRUE(of(std::string(3u << 20, 'x')).measured());
    drives.files.inject({.op = FileOp::OpenRead, .nth = 1});
    const FileChecksumResult unopened = FileChecksum(drives.files, "C:\\f.bin");
    EXPECT_FALSE(unopened.measured());
    EXPECT_EQ(unopened.asDouble(), 3);
    drives.files.inject({.op = FileOp::Read, .nth = 2, .error = FileError::DeviceIo});
    const FileChecksumResult midway = FileChecksum(drives.files, "C:\\f.bin");
    EXPECT_EQ(midway.status, ChecksumStatus::ReadFailed);
    EXPECT_FALSE(midway.measured());
}

}  // namespace
}  // namespace xq::test
