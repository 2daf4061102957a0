#include "convert/placement.h"

#include <gtest/gtest.h>

#include "convert/flat_image.h"
#include "convert/recombination.h"
#include "convert/verification.h"
#include "convert_test_fixture.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;

// Reads with ReadMode::FromMedium see one byte changed: a card that does not keep what it was
// given.
class ForgetfulCard : public FaultyFileService {
  public:
    using FaultyFileService::FaultyFileService;
    Result<std::unique_ptr<InputFile>> openRead(std::string_view path, ReadMode mode) override {
        Result<std::unique_ptr<InputFile>> in = FaultyFileService::openRead(path, mode);
        if (!in || mode != ReadMode::FromMedium) {
            return in;
        }
        return std::unique_ptr<InputFile>(std::make_unique<Flipped>(std::move(*in)));
    }

  private:
    struct Flipped : InputFile {
        explicit Flipped(std::unique_ptr<InputFile> inner) : inner(std::move(inner)) {}
        Result<std::size_t> read(std::span<char> buffer) override {
            Result<std::size_t> got = inner->read(buffer);
            if (got && *got > 0) {
                buffer[0] = static_cast<char>(buffer[0] ^ 0x40);
            }
            return got;
        }
        std::unique_ptr<InputFile> inner;
    };
};

class PlacementTest : public ConvertTest {
  protected:
    PlacementTest() {
        readSet(splitSet());
        EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Passed);
        EXPECT_TRUE(RecombineDatabase(context));
        EXPECT_TRUE(BuildFlatImage(context));
        flatFiles = treeOf(host("C:\\Temp\\XQ3100_flat"));
    }
    void oldDatabase() {
        writeFile(host("E:\\backup\\single\\old.dat"), "old");
        writeFile(host("E:\\backup\\single\\sub\\older.dat"), "older");
        before = treeOf(host("E:\\backup"));
    }
    std::map<std::string, std::string> card() { return treeOf(host("E:\\backup\\single")); }

    std::map<std::string, std::string> flatFiles;
    std::map<std::string, std::string> before;
};

TEST_F(PlacementTest, ACardWithoutABackupFolderGetsOneWithoutAQuestion) {
    EXPECT_EQ(PlaceOnCompactFlash(context), kPlacedOnCard);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(card(), flatFiles);
    EXPECT_NE(
        log().find(
            "Compact Flash drive E: was selected \r\nWriting on the Compact Flash\r\n"
            "Please wait...\r\nCopy directory C:\\Temp\\XQ3100_flat to E:\\backup\\single\\\r\n"),
        std::string::npos);
    EXPECT_FALSE(window.ProgressBar1.visible);
    fs::remove_all(host("E:\\backup\\single"));
    EXPECT_EQ(PlaceOnCompactFlash(context), kPlacedOnCard);  // backup, but no single: no question
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(PlacementTest, AnOldDatabaseIsKeptWhenTheOperatorSaysNoAndReplacedOnYes) {
    oldDatabase();
    dialogs.answer(Answer::No);
    EXPECT_EQ(PlaceOnCompactFlash(context), kNotPlaced);
    EXPECT_EQ(dialogs.last(), (ShownBox{"Directory E:\\backup\\single\\ already exists\r\n"
                                        "Replace old database?",
                                        "Replace", box_style::YesNoQuestion}));
    EXPECT_EQ(treeOf(host("E:\\backup")), before);

    dialogs.answer(Answer::Yes);
    EXPECT_EQ(PlaceOnCompactFlash(context), kPlacedOnCard);
    EXPECT_EQ(card(), flatFiles);
    EXPECT_TRUE(log().ends_with("Remove E:\\backup\\single\\\r\n"));
    EXPECT_EQ(treeOf(host("E:\\backup")).size(), flatFiles.size());  // nothing staged or aside left
}

TEST_F(PlacementTest, HiddenFilesInAnOldDatabaseNeverBlockLaterReplacements) {
    oldDatabase();
    writeFile(host("E:\\backup\\single\\.hidden"), "gathered by another system");
    for (int copy = 0; copy < 2; ++copy) {
        dialogs.answer(Answer::Yes);
        EXPECT_EQ(PlaceOnCompactFlash(context), kPlacedOnCard);
    }
    EXPECT_EQ(card(), flatFiles);
    EXPECT_FALSE(fs::exists(host("E:\\backup\\single.old")));
}

TEST_F(PlacementTest, ACardFailingMidwayOrOnFlushKeepsTheOldDatabase) {
    oldDatabase();
    drives.files.inject({.op = FileOp::Write, .drive = 'E', .nth = 3});
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(PlaceOnCompactFlash(context), kNotPlaced);
    EXPECT_EQ(treeOf(host("E:\\backup")), before);
    EXPECT_EQ(log().find("Remove E:"), std::string::npos);

    drives.files.clearFaults();
    drives.files.inject(
        {.op = FileOp::Flush, .drive = 'E', .nth = 2, .error = FileError::DeviceIo});
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(PlaceOnCompactFlash(context), kNotPlaced);
    EXPECT_TRUE(dialogs.last().text.starts_with("Failed writing: E:\\backup\\single\\"));
    EXPECT_TRUE(dialogs.last().text.ends_with(
        "\r\nEnsure there is enough free space on Compact Flash drive E:"));
    EXPECT_EQ(treeOf(host("E:\\backup")), before);
}

TEST_F(PlacementTest, WhatTheCardDoesNotGiveBackAsWrittenIsAFailedWrite) {
    ForgetfulCard forgetful(drives.host);
    ConversionContext onForgetful{forgetful, op, archive, keyCodeIsRec, 3, "E:", 3};
    oldDatabase();
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(PlaceOnCompactFlash(onForgetful), kNotPlaced);
    EXPECT_EQ(dialogs.last(),
              (ShownBox{"Failed verifying: E:\\backup\\single\\archive.dat\r\n"
                        "The Compact Flash card may be faulty. Please try another card.",
                        "Error!", box_style::OkStop}));
    EXPECT_TRUE(log().ends_with("ERROR " + dialogs.last().text + "\r\n"));
    EXPECT_EQ(treeOf(host("E:\\backup")), before);
}

TEST_F(PlacementTest, WhatAnInterruptedWriteLeftIsCleanedUpAndNeverTakenForTheDatabase) {
    writeFile(host("E:\\backup\\single.new\\partial.dat"), "partial");
    writeFile(host("E:\\backup\\single.old\\old.dat"), "old");  // the swap stopped half-way
    dialogs.answer(Answer::No);
    EXPECT_EQ(PlaceOnCompactFlash(context), kNotPlaced);
    // The old database is back in its place, and the operator was asked about it.
    EXPECT_EQ(card(), (std::map<std::string, std::string>{{"old.dat", "old"}}));
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(PlaceOnCompactFlash(context), kPlacedOnCard);
    EXPECT_EQ(card(), flatFiles);
    EXPECT_FALSE(fs::exists(host("E:\\backup\\single.new")));
    EXPECT_FALSE(fs::exists(host("E:\\backup\\single.old")));
}

TEST_F(PlacementTest, CleanUpRemovesEveryWorkingDirectory) {
    context.disketteDirectories = 4;  // a fourth diskette was tried and refused
    fs::create_directories(host("C:\\Temp\\XQ3100_disk4"));
    const std::size_t logged = log().size();
    RemoveTemporaryDirectories(context);
    EXPECT_TRUE(fs::is_empty(host("C:\\Temp")));
    EXPECT_EQ(log().substr(logged),
              "Remove temporary directory C:\\Temp\\XQ3100_flat\\\r\n"
              "Remove temporary directory C:\\Temp\\XQ3100_disk1\\\r\n"
              "Remove temporary directory C:\\Temp\\XQ3100_disk2\\\r\n"
              "Remove temporary directory C:\\Temp\\XQ3100_disk3\\\r\n"
              "Remove temporary directory C:\\Temp\\XQ3100_disk4\\\r\n");
}

using CleanUpTest = ConvertTest;

TEST_F(CleanUpTest, BeforeAnyDescriptorWasReadOnlyTheFlatDirectoryIsRemoved) {
    RemoveTemporaryDirectories(context);
    EXPECT_EQ(log(), "Remove temporary directory C:\\Temp\\XQ3100_flat\\\r\n");
}

}  // namespace
}  // namespace xq::test
