#include "convert/verification.h"

#include <gtest/gtest.h>

#include "convert_test_fixture.h"

namespace xq::test {
namespace {

using VerificationTest = ConvertTest;

const std::string kMissing = " could not be found!\r\nPress CANCEL to quit or OK to go on";

TEST_F(VerificationTest, ASplitFilePassesUntilOneByteOfItsMiddlePieceIsFlipped) {
    readSet(splitSet());
    ASSERT_EQ(set.disketteCount(), 3);
    EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Passed);
    EXPECT_TRUE(keyCodeIsRec);
    EXPECT_TRUE(dialogs.shown().empty());

    const fs::path piece = host("C:\\Temp\\XQ3100_disk2\\db\\main.dat");
    std::string bytes = readFile(piece);
    bytes[500] = static_cast<char>(bytes[500] ^ 0x01);
    writeFile(piece, bytes);
    const std::uint64_t actual =  // its own checksum and the archived one of diskette 1's piece
        referenceContinuedChecksum(referenceFileChecksum(bytes), set.pieces[1].checksum);
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

    // Missing and answered OK: it checks as 0, which is not its archived checksum.
    fs::remove(host("C:\\Temp\\XQ3100_disk1\\keycode.kcd"));
    dialogs.answer(Answer::Ok);
    EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Failed);
    EXPECT_EQ(dialogs.shown()[0].text, "File \\keycode.rec" + kMissing);
    EXPECT_EQ(dialogs.last().text,
              "Wrong checksum at C:\\Temp\\XQ3100_disk1\\keycode.kcd\r\n"
              "Actual 0 archived " +
                  std::to_string(set.pieces[0].checksum));
}

TEST_F(VerificationTest, CancelAtAMissingFileRemovesTheWorkingDirectoriesAndQuits) {
    readSet(splitSet());
    fs::remove(host("C:\\Temp\\XQ3100_disk3\\db\\main.dat"));
    dialogs.answer(Answer::Cancel);
    EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::QuitChosen);
    EXPECT_EQ(dialogs.last(), (ShownBox{"File \\db\\main.dat" + kMissing, "problem!",
                                        box_style::OkCancelExclamation}));
    EXPECT_TRUE(logged("QUERY File \\db\\main.dat" + kMissing +
                       "\r\nRemove temporary directory C:\\Temp\\XQ3100_flat\\"));
    EXPECT_TRUE(fs::is_empty(host("C:\\Temp")));
}

TEST_F(VerificationTest, AnEmptyFilePassesAndAMissingOrUnreadableOneNeverWhateverItsChecksum) {
    // A file that cannot be opened checks as 3: archived as 3, it would pass.
    readSet({.files = {{.name = "/empty.dat", .content = ""},
                       {.name = "/a.dat", .content = std::string("\0\0\0\x03", 4)},
                       {.name = "/zero.dat", .content = std::string(4096, '\0')}}});
    ASSERT_EQ(set.pieces[0].checksum, 0u);
    ASSERT_EQ(set.pieces[1].checksum, 3u);
    EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Passed);

    // A file that is not there at all checks as 0 on OK, as an all-zero file does: it passes, and
    // the database is built without it, as the operator chose.
    const std::string zero = readFile(host("C:\\Temp\\XQ3100_disk1\\zero.dat"));
    fs::remove(host("C:\\Temp\\XQ3100_disk1\\zero.dat"));
    dialogs.clear();
    dialogs.answer(Answer::Ok);
    EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Passed);
    EXPECT_EQ(dialogs.last().text, "File \\zero.dat" + kMissing);
    EXPECT_EQ(context.absentPieces, std::vector<std::size_t>{2});
    writeFile(host("C:\\Temp\\XQ3100_disk1\\zero.dat"), zero);
    drives.files.inject({.op = FileOp::OpenRead, .pathContains = "a.dat"});
    EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Failed);
    EXPECT_EQ(dialogs.last().text,
              "Failed to read file C:\\Temp\\XQ3100_disk1\\a.dat\r\n"
              "Ensure that the floppy disk is readable ");
    EXPECT_TRUE(log().ends_with("ERROR " + dialogs.last().text + "\r\n"));
}

}  // namespace
}  // namespace xq::test
