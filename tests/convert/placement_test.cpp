#include "convert/placement.h"

#include <gtest/gtest.h>

#include "convert/database_proof.h"
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

using Tree = std::map<std::string, std::string>;

class PlacementTest : public ConvertTest {
  protected:
    PlacementTest() {
        readSet(splitSet());
        EXPECT_EQ(VerifyArchivedFiles(context), VerifyOutcome::Passed);
        EXPECT_TRUE(RecombineDatabase(context));
        EXPECT_TRUE(BuildFlatImage(context));
        std::optional<DatabaseProof> described = DescribeDatabase(context);
        EXPECT_TRUE(described.has_value()) << log();
        proof = described.value_or(DatabaseProof{});
        flatFiles = treeOf("C:\\Temp\\XQ3100_flat");
    }
    void oldDatabase() {
        writeFile(host("E:\\backup\\single\\old.dat"), "old");
        writeHiddenFile(host("E:\\backup\\single\\sub\\.hidden"), "gathered by another system");
        oldSingle = treeOf("E:\\backup\\single");
        before = treeOf("E:\\backup");
    }
    PlaceOutcome place() { return PlaceOnCompactFlash(context, proof); }

    DatabaseProof proof;
    Tree flatFiles;
    Tree oldSingle;
    Tree before;
};

TEST_F(PlacementTest, ACardWithoutADatabaseGetsOneWithoutAQuestion) {
    EXPECT_EQ(place(), PlaceOutcome::Placed);
    EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);
    EXPECT_EQ(treeOf("E:\\backup").size(), flatFiles.size());  // nothing staged or journalled
    EXPECT_TRUE(logged(
        "Compact Flash drive E: was selected \r\nWriting on the Compact Flash\r\n"
        "Please wait...\r\nCopy directory C:\\Temp\\XQ3100_flat to E:\\backup\\single\\\r\n"));
    EXPECT_FALSE(window.ProgressBar1.visible);
    fs::remove_all(host("E:\\backup\\single"));
    EXPECT_EQ(place(), PlaceOutcome::Placed);  // backup, but no single
    EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(PlacementTest, AnOldDatabaseIsKeptWhenTheOperatorSaysNoAndReplacedOnYes) {
    oldDatabase();
    dialogs.answer(Answer::No);
    EXPECT_EQ(place(), PlaceOutcome::NotPlaced);
    EXPECT_EQ(dialogs.last(),
              (ShownBox{"Directory E:\\backup\\single\\ already exists\r\nReplace old database?",
                        "Replace", box_style::YesNoQuestion}));
    EXPECT_EQ(treeOf("E:\\backup"), before);
    // Twice: hidden files the old database gathered must not keep it, or later ones, in place.
    for (int copy = 0; copy < 2; ++copy) {
        dialogs.answer(Answer::Yes);
        EXPECT_EQ(place(), PlaceOutcome::Placed);
        EXPECT_TRUE(log().ends_with("Remove E:\\backup\\single\\\r\n"));
        EXPECT_EQ(treeOf("E:\\backup").size(), flatFiles.size());  // nothing aside or staged
        EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);
    }
}

TEST_F(PlacementTest, WhatTheCardDoesNotGiveBackAsWrittenIsAFailedWrite) {
    ScramblingCard scrambling(drives.host);
    ConversionContext onScrambling{scrambling, op, archive, keyCodeIsRec, 3, "E:", 3};
    oldDatabase();
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(PlaceOnCompactFlash(onScrambling, proof), PlaceOutcome::NotPlaced);
    EXPECT_EQ(dialogs.last(),
              (ShownBox{"Failed verifying: E:\\backup\\single\\archive.dat\r\n"
                        "The Compact Flash card may be faulty. Please try another card.",
                        "Error!", box_style::OkStop}));
    EXPECT_TRUE(log().ends_with("ERROR " + dialogs.last().text + "\r\n"));
    EXPECT_EQ(treeOf("E:\\backup"), before);
}

// Whatever happens to the working directories after the verification never reaches a card: the
// flat directory is proven against the diskettes' checksums and the digests taken as it was built.
TEST_F(PlacementTest, ADatabaseChangedInTheTemporaryFolderIsNeverWritten) {
    const fs::path flat = host("C:\\Temp\\XQ3100_flat");
    const std::vector<std::pair<std::string, std::function<void()>>> changes = {
        {"\\db\\main.dat",
         [&] {
             std::string bytes = readFile(flat / "db" / "main.dat");
             std::swap(bytes[0], bytes[4]);  // the same word sum, bytes in the wrong places
             writeFile(flat / "db" / "main.dat", bytes);
         }},
        {"\\keycode.rec", [&] { fs::remove(flat / "keycode.rec"); }},
        {"\\archive.dat", [&] { writeFile(flat / "archive.dat", "another set\n"); }},
        {"\\planted.dat", [&] { writeFile(flat / "planted.dat", "not read from a diskette"); }},
    };
    oldDatabase();
    for (const auto& [file, change] : changes) {
        SCOPED_TRACE(file);
        const Tree built = treeOf("C:\\Temp\\XQ3100_flat");
        change();
        EXPECT_EQ(place(), PlaceOutcome::DatabaseChanged);
        EXPECT_EQ(dialogs.last().text,
                  "Failed verifying: C:\\Temp\\XQ3100_flat" + file +
                      "\r\nThe database read from the diskettes has changed in the temporary "
                      "folder since it was verified.\r\nPlease read the diskettes again.");
        EXPECT_TRUE(log().ends_with("ERROR " + dialogs.last().text + "\r\n"));
        EXPECT_EQ(treeOf("E:\\backup"), before);
        fs::remove_all(flat);
        for (const auto& [path, bytes] : built) {
            writeFile(flat / path, bytes);
        }
    }
}

// Folders under backup\ that the program did not make are never renamed, removed or taken for a
// database, whatever their names.
TEST_F(PlacementTest, TheOperatorsOwnFoldersAreLeftAlone) {
    oldDatabase();
    writeFile(host("E:\\backup\\single.old\\mine.dat"), "the operator's");
    writeFile(host("E:\\backup\\single.new\\mine.dat"), "the operator's too");
    writeFile(host("E:\\backup\\XQ3100.OLD\\mine.dat"), "no journal marks it");
    before = treeOf("E:\\backup");
    dialogs.answer(Answer::No);
    EXPECT_EQ(place(), PlaceOutcome::NotPlaced);
    EXPECT_EQ(treeOf("E:\\backup"), before);

    // Yes: the new database takes backup\single; everything else is as it was. The folder that
    // looks like the program's own stands in the way of setting the old database aside.
    fs::remove_all(host("E:\\backup\\XQ3100.OLD"));
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(place(), PlaceOutcome::Placed);
    Tree after = treeOf("E:\\backup");
    std::erase_if(after, [](const auto& file) { return file.first.starts_with("single/"); });
    EXPECT_EQ(after, (Tree{{"single.new/mine.dat", "the operator's too"},
                           {"single.old/mine.dat", "the operator's"}}));
    EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);
}

// A write cut off between setting the old database aside and putting the new one in its place
// (the program killed, the card pulled): the next write puts the old database back before it asks
// anything.
TEST_F(PlacementTest, AWriteCutOffBetweenTheRenamesIsPutRightFirst) {
    oldDatabase();
    fs::rename(host("E:\\backup\\single"), host("E:\\backup\\XQ3100.OLD"));
    writeFile(host("E:\\backup\\XQ3100.NEW\\partial.dat"), "partial");
    writeFile(host("E:\\backup\\XQ3100.JNL"),
              "XQ3100 Database Media Converter card journal\nswap\n");
    dialogs.answer(Answer::No);
    EXPECT_EQ(place(), PlaceOutcome::NotPlaced);
    EXPECT_EQ(dialogs.last().title, "Replace");
    EXPECT_TRUE(logged("Restore E:\\backup\\single\\ from E:\\backup\\XQ3100.OLD\\\r\n"));
    EXPECT_EQ(treeOf("E:\\backup"), before);

    // When it cannot be put back, it is the only copy: nothing replaces or removes it.
    fs::rename(host("E:\\backup\\single"), host("E:\\backup\\XQ3100.OLD"));
    writeFile(host("E:\\backup\\XQ3100.JNL"),
              "XQ3100 Database Media Converter card journal\nswap\n");
    const Tree cutOff = treeOf("E:\\backup");
    drives.files.inject({.op = FileOp::Rename, .drive = 'E', .nth = 1});
    EXPECT_EQ(place(), PlaceOutcome::NotPlaced);
    EXPECT_EQ(dialogs.last().text,
              "Failed writing: E:\\backup\\single\\\r\nThe old database is in "
              "E:\\backup\\XQ3100.OLD\\ and can not be put back: Disk full");
    EXPECT_EQ(treeOf("E:\\backup"), cutOff);
}

// Both the swap and putting the old database back fail: the message says where each database is,
// and the next write puts the old one back before it asks anything.
TEST_F(PlacementTest, ADoubleFaultInTheSwapSaysWhereBothDatabasesAre) {
    oldDatabase();
    // The new database cannot take its place, nor the old one go back.
    drives.files.inject({.op = FileOp::Rename, .pathContains = "XQ3100.NEW"});
    drives.files.inject({.op = FileOp::Rename, .pathContains = "XQ3100.OLD"});
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(place(), PlaceOutcome::NotPlaced);
    EXPECT_EQ(dialogs.last().text,
              "Failed writing: E:\\backup\\single\\\r\nThe old database is now in "
              "E:\\backup\\XQ3100.OLD\\ and the new one in E:\\backup\\XQ3100.NEW\\.\r\nDo not use "
              "this card before it has been written again: the converter then puts the old "
              "database back first.");
    EXPECT_EQ(treeOf("E:\\backup\\XQ3100.OLD"), oldSingle);
    EXPECT_EQ(treeOf("E:\\backup\\XQ3100.NEW"), flatFiles);
    EXPECT_FALSE(fs::exists(host("E:\\backup\\single")));

    drives.files.clearFaults();
    dialogs.answer(Answer::No);
    EXPECT_EQ(place(), PlaceOutcome::NotPlaced);
    EXPECT_EQ(dialogs.last().title, "Replace");
    EXPECT_EQ(treeOf("E:\\backup"), before);
}

TEST_F(PlacementTest, ACardWithRoomForOneDatabaseIsWrittenInPlaceOfTheOldOneOnlyOnYes) {
    oldDatabase();
    // Room for the new database (320 Kbytes on the card) only once the old one (128) is gone.
    drives.files.setFreeSpace('E', 256 * 1024);
    dialogs.answer(Answer::Yes);  // replace
    dialogs.answer(Answer::No);   // ... in place of the old one
    EXPECT_EQ(place(), PlaceOutcome::NotPlaced);
    const std::string question =
        "There is not enough free space on Compact Flash drive E: for the new database beside "
        "the old one.\r\nThe old database will be removed before the new one is written. The "
        "reading of the diskettes stays in the temporary folder, so the writing can be "
        "repeated.\r\nRemove the old database and write the new one?";
    EXPECT_EQ(dialogs.last(), (ShownBox{question, "Replace", box_style::YesNoExclamation}));
    EXPECT_TRUE(logged("QUERY " + question + "\r\n"));
    EXPECT_EQ(treeOf("E:\\backup"), before);

    dialogs.answer(Answer::Yes);
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(place(), PlaceOutcome::Placed);
    EXPECT_EQ(treeOf("E:\\backup").size(), flatFiles.size());
    EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);
}

TEST_F(PlacementTest, ADatabaseThatDoesNotFitIsRefusedBeforeAnythingIsWritten) {
    drives.files.setFreeSpace('E', 32 * 1024);
    EXPECT_EQ(place(), PlaceOutcome::NotPlaced);
    EXPECT_EQ(dialogs.last().text,
              "Not enough free space on Compact Flash drive E:\r\nThe database needs 320 Kbytes; "
              "the card has 32 Kbytes free.\r\nPlease use a larger card.");
    EXPECT_FALSE(fs::exists(host("E:\\backup")));
}

// Every file operation of a card write failed in turn, each kind of failure: whatever fails,
// success is told only for a card that holds the new database, the card keeps its old database
// (or, where the message says so, holds it beside the new one until the next write puts it right),
// and nothing is left but the program's own marked staging.
TEST_F(PlacementTest, NoFailedOperationLeavesAWrongCardOrTellsSuccess) {
    for (const bool withOldDatabase : {true, false}) {
        for (const FileError error :
             {FileError::DiskFull, FileError::DeviceIo, FileError::PermissionDenied}) {
            for (int n = 1;; ++n) {
                SCOPED_TRACE(testing::Message() << "old database " << withOldDatabase << ", error "
                                                << static_cast<int>(error) << ", operation " << n);
                fs::remove_all(host("E:\\backup"));
                oldSingle.clear();
                if (withOldDatabase) {
                    oldDatabase();
                }
                const Tree card = treeOf("E:\\backup");
                dialogs.clear();
                dialogs.answerEveryQuestion(Answer::Yes);
                const int start = drives.files.count(FileOp::Any);
                drives.files.inject({.op = FileOp::Any, .nth = n, .error = error});
                const PlaceOutcome outcome = place();
                drives.files.clearFaults();
                const bool failedOne = drives.files.count(FileOp::Any) - start >= n;
                const std::string said = dialogs.shown().empty() ? "" : dialogs.last().text;

                if (outcome == PlaceOutcome::Placed) {
                    EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);
                } else if (outcome == PlaceOutcome::DatabaseChanged) {
                    EXPECT_EQ(treeOf("E:\\backup"), card);
                } else {
                    EXPECT_EQ(dialogs.last().style, box_style::OkStop) << said;
                }
                // Only the program's own entries beside backup\single, and only with the journal
                // that tells the next write what they are.
                const Tree left = treeOf("E:\\backup");
                const bool journalled = left.contains("XQ3100.JNL");
                for (const auto& [path, bytes] : left) {
                    const bool ours = path.starts_with("XQ3100.");
                    EXPECT_TRUE(path.starts_with("single/") || (ours && journalled)) << path;
                }
                const bool betweenStates =
                    said.find("The old database is now in") != std::string::npos ||
                    said.find("did not confirm") != std::string::npos;
                if (outcome == PlaceOutcome::NotPlaced && !betweenStates) {
                    EXPECT_EQ(treeOf("E:\\backup\\single"), oldSingle) << said;
                }

                // The next write of this card puts it right before anything else.
                dialogs.clear();
                dialogs.answerEveryQuestion(Answer::No);
                const PlaceOutcome next = place();
                const Tree single = treeOf("E:\\backup\\single");
                EXPECT_EQ(treeOf("E:\\backup").size(), single.size());
                if (outcome == PlaceOutcome::Placed || !withOldDatabase) {
                    EXPECT_EQ(single, flatFiles);
                } else if (betweenStates) {
                    EXPECT_TRUE(single == oldSingle || single == flatFiles) << said;
                } else {
                    EXPECT_EQ(next, PlaceOutcome::NotPlaced);
                    EXPECT_EQ(single, oldSingle);
                }
                if (!failedOne) {
                    EXPECT_EQ(outcome, PlaceOutcome::Placed);
                    break;
                }
            }
        }
    }
}

}  // namespace
}  // namespace xq::test
