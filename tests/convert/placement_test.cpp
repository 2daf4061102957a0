#include "convert/placement.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <functional>
#include <tuple>

#include <gtest/gtest.h>

#include "archive/tree_operations.h"
#include "convert/card_journal.h"
#include "convert/database_proof.h"
#include "convert/flat_image.h"
#include "convert/recombination.h"
#include "convert/verification.h"
#include "convert_test_fixture.h"
#include "support/links.h"

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
        Result<std::size_t> readAt(std::uint64_t offset, std::span<char> buffer) override {
            return inner->readAt(offset, buffer);
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

// A FAT driver that loses a folder's contents when it renames it (as fusefat does).
struct EmptyingCard : FaultyFileService {
    using FaultyFileService::FaultyFileService;
    FileError rename(std::string_view from, std::string_view to) override {
        const FileError e = FaultyFileService::rename(from, to);
        if (e == FileError::None && folderExists(to)) {
            passOver(DeleteTree(*this, to, Listing::WithHidden));
            passOver(makeDir(to, DirAccess::Shared));
        }
        return e;
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
    EXPECT_EQ(place(), PlaceOutcome::Declined);
    EXPECT_EQ(dialogs.last(),
              (ShownBox{"Directory E:\\backup\\single\\ already exists\r\nReplace old database?",
                        "Replace", box_style::YesNoQuestion}));
    EXPECT_EQ(treeOf("E:\\backup"), before);
    // Twice: hidden files the old database gathered must not keep it, or later ones, in place.
    for (int copy = 0; copy < 2; ++copy) {
        dialogs.answer(Answer::Yes);
        EXPECT_EQ(place(), PlaceOutcome::Placed);
        // The old database goes only once the new one is proven where it stays.
        EXPECT_TRUE(
            log().ends_with("Copy directory C:\\Temp\\XQ3100_flat to "
                            "E:\\backup\\single\\\r\nRemove E:\\backup\\XQ3100.OLD\\\r\n"))
            << log();
        EXPECT_EQ(treeOf("E:\\backup").size(), flatFiles.size());  // nothing aside or staged
        EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);
    }
}

// After the swap the new database is read back where it stays. A card whose reads give bytes in
// the wrong places, a card that does not confirm the renames: each time the old database takes
// its place again, and the message says so. A FAT driver that loses a folder's contents when it
// renames it is found out on a folder of the program's own, before the old database is renamed.
TEST_F(PlacementTest, ADatabaseNotProvenWhereItStaysGivesWayToTheOldOne) {
    ScramblingCard scrambling(drives.host);
    EmptyingCard emptying(drives.host);
    FaultyFileService unconfirmed(drives.host);
    unconfirmed.beforeCall = [&unconfirmed](FileOp op, std::string_view path) {
        if (op == FileOp::Rename && path.ends_with("XQ3100.NEW")) {
            unconfirmed.inject({.op = FileOp::FlushFolder, .nth = 1, .error = FileError::DeviceIo});
        }
    };
    const std::string faulty =
        "\r\nThe Compact Flash card may be faulty. Please try another card.\r\n"
        "The card still holds its old database.";
    const std::vector<std::tuple<const char*, FileService*, std::string, std::string>> cards = {
        {"scrambling", &scrambling,
         "ERROR Failed verifying: E:\\backup\\single\\archive.dat" + faulty, ""},
        {"emptying", &emptying,
         "Failed writing: E:\\backup\\XQ3100.NEW\\\r\nThe card's file system does not keep what "
         "a folder holds when it renames it, so the old database can not be replaced safely. "
         "Please use another card.\r\nThe card still holds its old database.",
         ""},
        {"unconfirmed", &unconfirmed,
         "Failed writing: E:\\backup\\\r\nThe card did not confirm that E:\\backup\\single\\ "
         "now holds the new database.\r\nThe card still holds its old database.",
         ""},
    };
    oldDatabase();
    for (const auto& [name, card, logBegins, logEnds] : cards) {
        SCOPED_TRACE(name);
        ConversionContext onCard{*card, op, archive, keyCodeIsRec, 3, "E:", 3};
        dialogs.answer(Answer::Yes);
        EXPECT_EQ(PlaceOnCompactFlash(onCard, proof), PlaceOutcome::NotPlaced);
        EXPECT_TRUE(log().ends_with(logEnds + "\r\n")) << log();
        EXPECT_NE(log().find("\n" + logBegins), std::string::npos) << log();
        EXPECT_EQ(treeOf("E:\\backup"), before);
    }
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

// Entries under backup\ that the program did not make are never renamed, removed, written through
// or taken for a database, whatever their names: a link, a FIFO or a file of other content where
// its journal would be, a staging folder that no journal marks.
TEST_F(PlacementTest, TheOperatorsOwnEntriesAreLeftAlone) {
    oldDatabase();
    const fs::path backup = host("E:\\backup");
    writeFile(host("E:\\elsewhere.txt"), "not in the card's backup folder");
    using Plant = std::function<std::string(const fs::path&)>;  // why the host cannot, or ""
    const std::vector<std::pair<std::string, Plant>> planted = {
        {"XQ3100.JNL",
         [&](const fs::path& at) { return makeFileLink(host("E:\\elsewhere.txt"), at); }},
#ifndef _WIN32
        {"XQ3100.JNL",
         [](const fs::path& at) {
             return std::string(::mkfifo(at.c_str(), 0600) == 0 ? "" : "no FIFO here");
         }},
#endif
        {"XQ3100.JNL", [](const fs::path& at) { return writeFile(at, "my notes"), std::string(); }},
        {"XQ3100.JNL", [](const fs::path& at) { return fs::create_directory(at), std::string(); }},
        {"XQ3100.JN~",
         [](const fs::path& at) { return writeFile(at, "not a journal"), std::string(); }},
        {"XQ3100.NEW",
         [](const fs::path& at) { return writeFile(at / "mine.dat", "x"), std::string(); }},
        {"XQ3100.OLD", [](const fs::path& at) { return writeFile(at, "a file"), std::string(); }},
    };
    for (const auto& [name, plant] : planted) {
        SCOPED_TRACE(name);
        if (!plant(backup / name).empty()) {
            continue;  // this host cannot make that kind of entry
        }
        const Tree withIt = treeOf("E:\\backup");
        dialogs.answerEveryQuestion(Answer::Yes);
        EXPECT_EQ(place(), PlaceOutcome::NotPlaced);
        EXPECT_EQ(dialogs.last().text, "Failed writing: E:\\backup\\" + name +
                                           "\r\nThis entry is not the converter's own. Please "
                                           "move it away from the card's backup folder.");
        EXPECT_EQ(treeOf("E:\\backup"), withIt);
        EXPECT_TRUE(entryExists(backup / name));
        removeTree(backup / name);
        fs::remove(backup / name);
    }
    EXPECT_EQ(readFile(host("E:\\elsewhere.txt")), "not in the card's backup folder");

    writeFile(host("E:\\backup\\single.old\\mine.dat"), "the operator's");
    writeFile(host("E:\\backup\\single.new\\mine.dat"), "the operator's too");
    before = treeOf("E:\\backup");
    dialogs.answerEveryQuestion(Answer::No);
    EXPECT_EQ(place(), PlaceOutcome::Declined);
    EXPECT_EQ(treeOf("E:\\backup"), before);

    // Yes: the new database takes backup\single; everything else is as it was.
    dialogs.answerEveryQuestion(Answer::Yes);
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
    EXPECT_EQ(place(), PlaceOutcome::Declined);
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
              "Failed writing: E:\\backup\\single\\\r\nAn earlier write of this card was cut "
              "off, and what it left can not be put right: Disk full.\r\nThe old database is in "
              "E:\\backup\\XQ3100.OLD\\.\r\nEnsure the Compact Flash card in drive E: is not "
              "write-protected.");
    EXPECT_EQ(treeOf("E:\\backup"), cutOff);
}

// A journal of an earlier version, which recorded no digests, found empty or cut off (a file system
// that lost its end, a version that wrote it in place), or a complete word beside it that never
// took its name: what is on the card tells what to do. The old database set aside takes
// backup\single back, unless the word says the new one was proven there: then neither is removed,
// and the message says so.
TEST_F(PlacementTest, AnEarlierVersionsJournalIsPutRightFromWhatIsOnTheCard) {
    const std::string mark = "XQ3100 Database Media Converter card journal\n";
    struct CutOff {
        const char* what;
        std::string journal;  // XQ3100.JNL
        std::string next;     // XQ3100.JN~, when there is one
        bool oldAside;        // the old database is in XQ3100.OLD
        bool newInSingle;     // ... and the new one took backup\single
        bool refused;         // ... proven there: both stay, and the card is not written
    };
    const std::vector<CutOff> cases = {
        {"empty, writing", "", "", false, false, false},
        {"cut off, old aside", mark.substr(0, 20), "", true, false, false},
        {"empty, new unproven in single", "", "", true, true, false},
        {"swap, proven beside it", mark + "swap\n", mark + "proven\n", true, true, true},
        {"swap, a word cut off beside it", mark + "swap\n", mark.substr(0, 9), true, true, false},
    };
    for (const CutOff& cut : cases) {
        SCOPED_TRACE(cut.what);
        fs::remove_all(host("E:\\backup"));
        oldDatabase();
        if (cut.oldAside) {
            fs::rename(host("E:\\backup\\single"), host("E:\\backup\\XQ3100.OLD"));
        }
        if (cut.newInSingle) {
            fs::copy(host("C:\\Temp\\XQ3100_flat"), host("E:\\backup\\single"),
                     fs::copy_options::recursive);
        } else {
            writeFile(host("E:\\backup\\XQ3100.NEW\\partial.dat"), "partial");
        }
        writeFile(host("E:\\backup\\XQ3100.JNL"), cut.journal);
        if (!cut.next.empty()) {
            writeFile(host("E:\\backup\\XQ3100.JN~"), cut.next);
        }
        dialogs.answerEveryQuestion(Answer::No);
        const Tree left = treeOf("E:\\backup");
        if (cut.refused) {
            EXPECT_EQ(place(), PlaceOutcome::NotPlaced);
            EXPECT_EQ(dialogs.last().text,
                      "Failed writing: E:\\backup\\XQ3100.OLD\\\r\nAn earlier version of the "
                      "converter put the new database in E:\\backup\\single\\ and proved it "
                      "there, but did not remove the old one from E:\\backup\\XQ3100.OLD\\. This "
                      "version can not prove which is which, and removes neither. Please move "
                      "E:\\backup\\XQ3100.OLD\\ away from the card's backup folder.");
            EXPECT_EQ(treeOf("E:\\backup"), left);
            continue;
        }
        EXPECT_EQ(place(), PlaceOutcome::Declined);
        EXPECT_EQ(dialogs.last().title, "Replace") << dialogs.last().text;
        EXPECT_EQ(treeOf("E:\\backup\\single"), oldSingle);
        EXPECT_EQ(treeOf("E:\\backup").size(), treeOf("E:\\backup\\single").size());
    }
}

// Both the swap and putting the old database back fail: the message says where each database is,
// and the next write puts the old one back before it asks anything.
TEST_F(PlacementTest, ADoubleFaultInTheSwapSaysWhereBothDatabasesAre) {
    oldDatabase();
    // The new database cannot take its place, nor the old one go back.
    drives.files.inject({.op = FileOp::Rename, .pathEndsWith = "XQ3100.NEW"});
    drives.files.inject({.op = FileOp::Rename, .pathEndsWith = "XQ3100.OLD"});
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(place(), PlaceOutcome::NotPlaced);
    EXPECT_EQ(dialogs.last().text,
              "Failed writing: E:\\backup\\single\\\r\nCan not rename E:\\backup\\XQ3100.NEW\\ to "
              "E:\\backup\\single\\: Disk full.\r\nThe old database is in E:\\backup\\XQ3100.OLD\\ "
              "and the new database is in E:\\backup\\XQ3100.NEW\\.\r\nDo not use this card before "
              "it has been written again: the converter then puts the old database back first.");
    EXPECT_EQ(treeOf("E:\\backup\\XQ3100.OLD"), oldSingle);
    EXPECT_EQ(treeOf("E:\\backup\\XQ3100.NEW"), flatFiles);
    EXPECT_FALSE(fs::exists(host("E:\\backup\\single")));

    drives.files.clearFaults();
    dialogs.answer(Answer::No);
    EXPECT_EQ(place(), PlaceOutcome::Declined);
    EXPECT_EQ(dialogs.last().title, "Replace");
    EXPECT_EQ(treeOf("E:\\backup"), before);
}

// The card does not confirm the renames, and the old database cannot take its place again; the
// new one, never proven, is damaged meanwhile. The next write puts the old database back: it is
// never removed for a database that was not proven.
TEST_F(PlacementTest, AnUnconfirmedSwapNeverCostsTheOldDatabase) {
    oldDatabase();
    drives.files.beforeCall = [this](FileOp op, std::string_view path) {
        if (op == FileOp::Rename && path.ends_with("XQ3100.NEW")) {
            drives.files.inject({.op = FileOp::FlushFolder, .nth = 1});
            drives.files.inject({.op = FileOp::Rename, .pathContains = "single", .nth = 1});
        }
    };
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(place(), PlaceOutcome::NotPlaced);
    drives.files.beforeCall = nullptr;
    drives.files.clearFaults();
    EXPECT_EQ(dialogs.last().text,
              "Failed writing: E:\\backup\\\r\nThe card did not confirm that "
              "E:\\backup\\single\\ now holds the new database.\r\nThe new database is in "
              "E:\\backup\\single\\ and the old database is in E:\\backup\\XQ3100.OLD\\.\r\nDo not "
              "use this card before it has been written again: the converter then puts the old "
              "database back first.");
    EXPECT_EQ(treeOf("E:\\backup\\XQ3100.OLD"), oldSingle);

    writeFile(host("E:\\backup\\single\\archive.dat"), "damaged");
    dialogs.answer(Answer::No);
    EXPECT_EQ(place(), PlaceOutcome::Declined);
    EXPECT_EQ(dialogs.last().title, "Replace");
    EXPECT_EQ(treeOf("E:\\backup"), before);
}

// The room check counts what the card itself allocates: a whole number of its own clusters for
// every file and folder.
TEST_F(PlacementTest, TheRoomCheckCountsTheCardsOwnClusters) {
    // A 256 KiB card of 2 KiB clusters, 120 KB of it an old database: the new one fits beside it.
    writeFile(host("E:\\backup\\single\\big.dat"), std::string(120 * 1024, 'b'));
    drives.files.setAllocationUnit('E', 2 * 1024);
    drives.files.setFreeSpace('E', (256 - 124) * 1024);
    dialogs.answer(Answer::Yes);
    EXPECT_EQ(place(), PlaceOutcome::Placed) << log();
    EXPECT_EQ(dialogs.shown().size(), 1u);  // the Replace question alone
    EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);

    // 32 KiB clusters: the new database takes 256 Kbytes with its journal, the old one 128.
    fs::remove_all(host("E:\\backup"));
    oldDatabase();
    drives.files.setAllocationUnit('E', 32 * 1024);
    drives.files.setFreeSpace('E', 192 * 1024);
    dialogs.answer(Answer::Yes);  // replace
    dialogs.answer(Answer::No);   // ... in place of the old one
    EXPECT_EQ(place(), PlaceOutcome::Declined);
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
    EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);
    EXPECT_EQ(treeOf("E:\\backup").size(), flatFiles.size());

    // Too small even without the old database: refused before anything is written.
    fs::remove_all(host("E:\\backup"));
    drives.files.setFreeSpace('E', 32 * 1024);
    EXPECT_EQ(place(), PlaceOutcome::NotPlaced);
    EXPECT_EQ(dialogs.last().text,
              "Not enough free space on Compact Flash drive E:\r\nThe database needs 288 Kbytes; "
              "the card has 32 Kbytes free.\r\nPlease use a larger card.");
    EXPECT_FALSE(fs::exists(host("E:\\backup")));
}

// Every file operation of a card write fails in turn, each kind of failure, and the program is
// killed at each one (nothing after it reaches the card): on a card without a database, on one
// with an old database, and on one with room for a single database. Success is told only for a
// card that holds the new database; whatever a failure leaves, it is only the program's own
// entries, marked by its journal; and the next write puts the card right before it asks anything,
// so that backup\single holds the old database, or the new one only once it was proven there.
TEST_F(PlacementTest, NoFailedOperationOrKillLeavesAWrongCardOrTellsSuccess) {
    enum class Card { Empty, OldDatabase, RoomForOne };
    struct Failure {
        FileError error;
        bool killed;
    };
    const auto provenJournal = [](const Tree& left, const std::string& name) {
        const std::optional<JournalWord> word =
            left.contains(name) ? parseJournal(left.at(name)) : std::nullopt;
        return word && word->stage == JournalStage::Proven;
    };
    drives.files.setAllocationUnit('E', 32 * 1024);
    for (const Card card : {Card::Empty, Card::OldDatabase, Card::RoomForOne}) {
        for (const Failure failure :
             {Failure{FileError::DiskFull, false}, Failure{FileError::DeviceIo, false},
              Failure{FileError::PermissionDenied, false}, Failure{FileError::DeviceIo, true}}) {
            for (int n = 1;; ++n) {
                SCOPED_TRACE(testing::Message()
                             << "card " << static_cast<int>(card) << ", error "
                             << static_cast<int>(failure.error) << (failure.killed ? " killed" : "")
                             << " at operation " << n);
                fs::remove_all(host("E:\\backup"));
                oldSingle.clear();
                if (card != Card::Empty) {
                    oldDatabase();
                }
                drives.files.setFreeSpace('E', card == Card::RoomForOne ? 192 * 1024 : 1 << 30);
                const Tree cardBefore = treeOf("E:\\backup");
                dialogs.clear();
                dialogs.answerEveryQuestion(Answer::Yes);
                const int start = drives.files.count(FileOp::Any);
                drives.files.inject({.op = FileOp::Any,
                                     .nth = n,
                                     .andLater = failure.killed,
                                     .error = failure.error});
                const PlaceOutcome outcome = place();
                drives.files.clearFaults();
                const bool failedOne = drives.files.count(FileOp::Any) - start >= n;
                const std::string said = dialogs.shown().empty() ? "" : dialogs.last().text;

                if (outcome == PlaceOutcome::Placed) {
                    EXPECT_EQ(treeOf("E:\\backup\\single"), flatFiles);
                } else if (outcome == PlaceOutcome::DatabaseChanged) {
                    EXPECT_EQ(treeOf("E:\\backup"), cardBefore);
                } else {
                    EXPECT_EQ(dialogs.last().style, box_style::OkStop) << said;
                }
                // Only the program's own entries beside backup\single, and only with the journal
                // that tells the next write what they are.
                const Tree left = treeOf("E:\\backup");
                const bool journalled = left.contains("XQ3100.JNL") || left.contains("XQ3100.JN~");
                for (const auto& [path, bytes] : left) {
                    EXPECT_TRUE(path.starts_with("single/") ||
                                (path.starts_with("XQ3100.") && journalled))
                        << path;
                }
                const bool proven = outcome == PlaceOutcome::Placed ||
                                    provenJournal(left, "XQ3100.JN~") ||
                                    provenJournal(left, "XQ3100.JNL");
                const bool taken_back = said.find("still holds its old") != std::string::npos;
                if (taken_back) {
                    EXPECT_EQ(treeOf("E:\\backup\\single"), oldSingle) << said;
                }

                // The next write of this card puts it right before anything else.
                dialogs.clear();
                dialogs.answerEveryQuestion(Answer::No);
                const bool placedNext = place() == PlaceOutcome::Placed;  // where none was left
                const Tree single = treeOf("E:\\backup\\single");
                EXPECT_EQ(treeOf("E:\\backup").size(), single.size()) << said;
                const bool isOld = card != Card::Empty && single == oldSingle;
                const bool isNone = card != Card::OldDatabase && single.empty();
                EXPECT_TRUE(isOld || isNone || ((proven || placedNext) && single == flatFiles))
                    << said;
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
