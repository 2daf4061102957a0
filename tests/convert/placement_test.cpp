#include "convert/placement.h"

#include <gtest/gtest.h>

#include "convert/flat_image.h"
#include "convert/recombination.h"
#include "convert/verification.h"
#include "convert_test_fixture.h"

namespace xq::test {
namespace {

// A card that gives bytes 0 and 4 of every read from the medium back exchanged: bytes in the wrong
// places, with every word sum the same.
struct ScramblingCard : FaultyFileService {
    using FaultyFileService::FaultyFileService;
    struct Scrambled : InputFile {
        explicit Scrambled(std::unique_ptr<InputFile> in) : inner(std::move(in)) {}
        Result<std::size_t> read(std::span<char> buffer) override {
            Result<std::size_t> got = inner->read(buffer);
            if (got && *got > 4) {
                std::swap(buffer[0], buffer[4]);
            }
            return got;
        }
        std::unique_ptr<InputFile> inner;
    };
    Result<std::unique_ptr<InputFile>> openRead(std::string_view path, ReadMode mode) override {
        Result<std::unique_ptr<InputFile>> in = FaultyFileService::openRead(path, mode);
        if (!in || mode != ReadMode::FromMedium) {
            return in;
        }
        return std::unique_ptr<InputFile>(std::make_unique<Scrambled>(std::move(*in)));
    }
};

const std::string kNoSpace = "\r\nEnsure there is enough free space on Compact Flash drive E:";

class PlacementTest : public ConvertTest {
  protected:
    PlacementTest() {
        readSet(splitSet());
        EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Passed);
        EXPECT_TRUE(RecombineDatabase(context));
        EXPECT_TRUE(BuildFlatImage(context));
        flatFiles = treeOf("C:\\Temp\\XQ3100_flat");
    }
    void oldDatabase() {
        writeFile(host("E:\\backup\\single\\old.dat"), "old");
        writeHiddenFile(host("E:\\backup\\single\\sub\\.hidden"), "gathered by another system");
        before = treeOf("E:\\backup");
    }

    std::map<std::string, std::string> flatFiles;
    std::map<std::string, std::string> before;
};

TEST_F(PlacementTest, ACardWithoutADatabaseGetsOneWithoutAQuestion) {
    EXPECT_EQ(PlaceOnCompactFlash(context), kPlacedOnCard);
    EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);
    EXPECT_TRUE(logged(
        "Compact Flash drive E: was selected \r\nWriting on the Compact Flash\r\n"
        "Please wait...\r\nCopy directory C:\\Temp\\XQ3100_flat to E:\\backup\\single\\\r\n"));
    EXPECT_FALSE(window.ProgressBar1.visible);
    fs::remove_all(host("E:\\backup\\single"));
    EXPECT_EQ(PlaceOnCompactFlash(context), kPlacedOnCard);  // backup, but no single
    EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(PlacementTest, AnOldDatabaseIsKeptWhenTheOperatorSaysNoAndReplacedOnYes) {
    oldDatabase();
    dialogs.answer(Answer::No);
    EXPECT_EQ(PlaceOnCompactFlash(context), kNotPlaced);
    EXPECT_EQ(dialogs.last(),
              (ShownBox{"Directory E:\\backup\\single\\ already exists\r\nReplace old database?",
                        "Replace", box_style::YesNoQuestion}));
    EXPECT_EQ(treeOf("E:\\backup"), before);
    // Twice: hidden files the old database gathered must not keep it, or later ones, in place.
    for (int copy = 0; copy < 2; ++copy) {
        dialogs.answer(Answer::Yes);
        EXPECT_EQ(PlaceOnCompactFlash(context), kPlacedOnCard);
        EXPECT_TRUE(log().ends_with("Remove E:\\backup\\single\\\r\n"));
        EXPECT_EQ(treeOf("E:\\backup").size(), flatFiles.size());  // nothing aside or staged
        EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);
    }
}

TEST_F(PlacementTest, AFailedFlushKeepsTheOldDatabase) {
    oldDatabase();
    drives.files.inject({.op = FileOp::Flush, .drive = 'E', .nth = 2});
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(PlaceOnCompactFlash(context), kNotPlaced);
    EXPECT_EQ(dialogs.last().text, "Failed writing: E:\\backup\\single\\db\\main.dat" + kNoSpace);
    EXPECT_EQ(treeOf("E:\\backup"), before);
    EXPECT_FALSE(logged("Remove E:"));
}

TEST_F(PlacementTest, WhatTheCardDoesNotGiveBackAsWrittenIsAFailedWrite) {
    ScramblingCard scrambling(drives.host);
    ConversionContext onScrambling{scrambling, op, archive, keyCodeIsRec, 3, "E:", 3};
    oldDatabase();
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(PlaceOnCompactFlash(onScrambling), kNotPlaced);
    EXPECT_EQ(dialogs.last(),
              (ShownBox{"Failed verifying: E:\\backup\\single\\archive.dat\r\n"
                        "The Compact Flash card may be faulty. Please try another card.",
                        "Error!", box_style::OkStop}));
    EXPECT_TRUE(log().ends_with("ERROR " + dialogs.last().text + "\r\n"));
    EXPECT_EQ(treeOf("E:\\backup"), before);
}

TEST_F(PlacementTest, WhatAnInterruptedWriteLeftIsCleanedUpAndNeverTakenForTheDatabase) {
    writeFile(host("E:\\backup\\single.new\\partial.dat"), "partial");
    writeFile(host("E:\\backup\\single.old\\old.dat"), "old");  // the swap stopped half-way
    dialogs.answer(Answer::No);
    EXPECT_EQ(PlaceOnCompactFlash(context), kNotPlaced);
    // The old database is back in its place, and the operator was asked about it.
    EXPECT_EQ(treeOf("E:\\backup\\single"),
              (std::map<std::string, std::string>{{"old.dat", "old"}}));
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(PlaceOnCompactFlash(context), kPlacedOnCard);
    EXPECT_EQ(treeOf("E:\\backup").size(), flatFiles.size());
    EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);

    // When it cannot be put back, it is the only copy: nothing replaces or removes it.
    fs::rename(host("E:\\backup\\single"), host("E:\\backup\\single.old"));
    before = treeOf("E:\\backup");
    drives.files.inject({.op = FileOp::Rename, .drive = 'E', .nth = 1});
    EXPECT_EQ(PlaceOnCompactFlash(context), kNotPlaced);
    EXPECT_EQ(dialogs.last().text, "Failed writing: E:\\backup\\single\\" + kNoSpace);
    EXPECT_EQ(treeOf("E:\\backup"), before);
}

TEST_F(PlacementTest, CleanUpRemovesEveryWorkingDirectory) {
    context.disketteDirectories = 4;  // a fourth diskette was tried and refused
    fs::create_directories(host("C:\\Temp\\XQ3100_disk4"));
    const std::size_t start = log().size();
    RemoveTemporaryDirectories(context);
    EXPECT_TRUE(fs::is_empty(host("C:\\Temp")));
    std::string expected = "Remove temporary directory C:\\Temp\\XQ3100_flat\\\r\n";
    for (int n = 1; n <= 4; ++n) {
        expected +=
            "Remove temporary directory C:\\Temp\\XQ3100_disk" + std::to_string(n) + "\\\r\n";
    }
    EXPECT_EQ(log().substr(start), expected);
}

using CleanUpTest = ConvertTest;

TEST_F(CleanUpTest, BeforeAnyDescriptorWasReadOnlyTheFlatDirectoryIsRemoved) {
    fs::create_directories(host("C:\\Temp\\XQ3100_flat\\db"));
    RemoveTemporaryDirectories(context);
    EXPECT_EQ(log(), "Remove temporary directory C:\\Temp\\XQ3100_flat\\\r\n");
    EXPECT_TRUE(fs::is_empty(host("C:\\Temp")));
}

}  // namespace
}  // namespace xq::test
