#include "convert/verification.h"

#include <gtest/gtest.h>

#include "convert_test_fixture.h"
#include "platform/text.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;

using VerificationTest = ConvertTest;

TEST_F(VerificationTest, ASetWithAFileSplitOverThreeDiskettesPasses) {
    readSet(splitSet());
    ASSERT_EQ(set.disketteCount(), 3);
    EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Passed);
    EXPECT_TRUE(keyCodeIsRec);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(VerificationTest, OneFlippedByteInTheMiddlePieceFails) {
    readSet(splitSet());
    const fs::path piece = host("C:\\Temp\\XQ3100_disk2\\db\\main.dat");
    std::string bytes = readFile(piece);
    const std::uint64_t good = referenceFileChecksum(bytes);
    bytes[500] = static_cast<char>(bytes[500] ^ 0x01);
    writeFile(piece, bytes);
    const std::uint64_t previous = set.pieces[1].checksum;
    const std::uint64_t actual = referenceContinuedChecksum(referenceFileChecksum(bytes), previous);
    ASSERT_NE(actual, referenceContinuedChecksum(good, previous));

    EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Failed);
    const std::string message =
        "Wrong checksum at C:\\Temp\\XQ3100_disk2\\db\\main.dat\r\nActual " +
        std::to_string(actual) + " archived " + std::to_string(set.pieces[2].checksum);
    EXPECT_EQ(dialogs.last(), (ShownBox{message, "Error!", box_style::OkStop}));
    EXPECT_TRUE(log().ends_with("ERROR " + message + "\r\n"));
}

TEST_F(VerificationTest, TheKeyCodeEntryIsCheckedAgainstKeycodeKcdWhenThereIsNoKeycodeRec) {
    DiskSet description = splitSet();
    description.files[0].storedAs = "/keycode.kcd";
    readSet(description);
    EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Passed);
    EXPECT_FALSE(keyCodeIsRec);
    fs::remove(host("C:\\Temp\\XQ3100_disk1\\keycode.kcd"));
    dialogs.answer(Answer::Ok);
    EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Failed);
    // The query names the file as listed.
    EXPECT_EQ(
        dialogs.shown()[0],
        (ShownBox{"File \\keycode.rec could not be found!\r\nPress CANCEL to quit or OK to go on",
                  "problem!", box_style::OkCancelExclamation}));
    EXPECT_EQ(dialogs.last().text.substr(0, 55),
              "Wrong checksum at C:\\Temp\\XQ3100_disk1\\keycode.kcd\r\nAct");
}

TEST_F(VerificationTest, CancelAtAMissingFileRemovesTheWorkingDirectoriesAndQuits) {
    readSet(splitSet());
    fs::remove(host("C:\\Temp\\XQ3100_disk3\\db\\main.dat"));
    dialogs.answer(Answer::Cancel);
    EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::QuitChosen);
    EXPECT_NE(log().find("QUERY File \\db\\main.dat could not be found!"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(host("C:\\Temp")));
}

TEST_F(VerificationTest, AFileThatCannotBeReadFailsWhateverItsArchivedChecksum) {
    // A file that cannot be opened used to check as 3: archived as 3, it would have passed.
    readSet({.files = {{.name = "/a.dat", .content = std::string("\0\0\0\x03", 4)}}});
    ASSERT_EQ(set.pieces[0].checksum, 3u);
    drives.files.inject({.op = FileOp::OpenRead, .pathContains = "a.dat"});
    EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Failed);
    EXPECT_EQ(dialogs.last().text,
              "Failed to read file C:\\Temp\\XQ3100_disk1\\a.dat\r\n"
              "Ensure that the floppy disk is readable ");
    EXPECT_TRUE(log().ends_with("ERROR " + dialogs.last().text + "\r\n"));
}

TEST_F(VerificationTest, AnEmptyFileChecksAsZero) {
    readSet({.files = {{.name = "/empty.dat", .content = ""}}});
    EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Passed);
}

}  // namespace
}  // namespace xq::test
