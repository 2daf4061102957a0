// Every pair of failed operations in a card write and in what runs after a failure: the write's own
// taking back, then the next write of the card (answered No), which puts right what is left. Over
// a file service in memory, so that the thousands of pairs run in seconds.

#include <iostream>
#include <map>
#include <regex>
#include <string>

#include <gtest/gtest.h>

#include "app/message_panes.h"
#include "convert/card_journal.h"
#include "convert/card_room.h"
#include "convert/database_proof.h"
#include "convert/placement.h"
#include "support/faulty_file_service.h"
#include "support/memory_file_service.h"
#include "support/scripted_dialogs.h"

namespace xq::test {
namespace {

using Tree = std::map<std::string, std::string>;

enum class Card { Empty, OldDatabase, RoomForOne };

class CardFaultsTest : public ::testing::Test {
  protected:
    CardFaultsTest() {
        putDatabase();
        std::optional<DatabaseProof> described = DescribeDatabase(context);
        EXPECT_TRUE(described.has_value()) << window.logText.text;
        proof = described.value_or(DatabaseProof{});
        newDatabase = memory.tree("C:\\Temp\\XQ3100_flat");
        oldDatabase = {{"old.dat", "old"},
                       {"sub/.hidden", "gathered by another system"},
                       {"big.dat", std::string(8 * 1024, 'b')}};
    }

    void putDatabase() {
        memory.put("C:\\Temp\\XQ3100_flat\\archive.dat", "#XQ3100 ARCHIVE #4711\nNUMDISKS: 1\n");
        memory.put("C:\\Temp\\XQ3100_flat\\keycode.rec", "KEY");
        memory.put("C:\\Temp\\XQ3100_flat\\db\\main.dat", std::string(3000, 'm'));
    }

    // The card as it is before the write: the operator's own entries, and maybe a database.
    void prepare(Card card) {
        memory.clear();
        putDatabase();
        faulty.clearFaults();
        memory.put("E:\\notes.txt", "mine");
        memory.put("E:\\backup\\single.old\\mine.dat", "the operator's");
        if (card != Card::Empty) {
            for (const auto& [path, bytes] : oldDatabase) {
                std::string windows = path;
                std::replace(windows.begin(), windows.end(), '/', '\\');
                memory.put("E:\\backup\\single\\" + windows, bytes);
            }
        }
        constexpr std::uint64_t kUnit = 512;
        memory.setCapacity('E', std::uint64_t{1} << 30, kUnit);
        if (card == Card::RoomForOne) {
            // Just too little beside the old database.
            const std::uint64_t journal = journalText({.stage = JournalStage::Swapping,
                                                       .newDatabase = proof.files,
                                                       .oldDatabase = proof.files})
                                              .size();
            const CardRoomCheck room =
                CheckCardRoom(faulty, "C:\\Temp\\XQ3100_flat\\", "E:", "E:\\backup\\",
                              "E:\\backup\\single\\", journal);
            memory.setCapacity('E', (std::uint64_t{1} << 30) - room.free + room.needed - 1, kUnit);
        }
        others = othersOnCard();
    }

    PlaceOutcome place(Answer answer) {
        dialogs.clear();
        dialogs.answerEveryQuestion(answer);
        return PlaceOnCompactFlash(context, proof);
    }

    // Everything on the card that is not the program's.
    Tree othersOnCard() const {
        Tree tree = memory.tree("E:\\");
        std::erase_if(tree, [](const auto& file) {
            return file.first.starts_with("backup/single/") ||
                   file.first.starts_with("backup/XQ3100.");
        });
        return tree;
    }

    bool journalled() {
        const Tree backup = memory.tree("E:\\backup");
        return backup.contains("XQ3100.JNL") || backup.contains("XQ3100.JN~");
    }

    // What the last message says the card holds is what it holds.
    void expectTheMessageTrue(const std::string& said) {
        if (said.find("The card still holds its old database.") != std::string::npos) {
            EXPECT_EQ(memory.tree("E:\\backup\\single"), oldDatabase) << said;
        }
        if (said.find("The card holds no database.") != std::string::npos ||
            said.find("The card holds no database:") != std::string::npos) {
            EXPECT_FALSE(memory.folderExists("E:\\backup\\single")) << said;
        }
        if (said.find("The card holds the new database") != std::string::npos) {
            EXPECT_EQ(memory.tree("E:\\backup\\single"), newDatabase) << said;
        }
        static const std::regex where(
            R"((^|\n|\. |: | and )[Tt]he (old|new) database is in (E:\\[^ ]*\\))");
        for (std::sregex_iterator found(said.begin(), said.end(), where), end; found != end;
             ++found) {
            EXPECT_EQ(memory.tree((*found)[3].str()),
                      (*found)[2] == "old" ? oldDatabase : newDatabase)
                << said;
        }
    }

    // Whether the card holds a whole database where the system, or the next write, finds it.
    bool holdsAWholeDatabase() {
        const Tree single = memory.tree("E:\\backup\\single");
        return (memory.folderExists("E:\\backup\\single") &&
                (single == oldDatabase || single == newDatabase)) ||
               (journalled() && memory.tree("E:\\backup\\XQ3100.OLD") == oldDatabase);
    }

    // After each run: what the program did not make is as it was; what is at backup\single is a
    // whole database or nothing; the card holds a whole one unless it held none or the operator
    // agreed to remove the old one first, and the message (this one, or the last run's) says so;
    // the message is true. Whether it says the card holds no database.
    bool expectASoundCard(Card card, PlaceOutcome outcome, bool damaged, bool saidNoneBefore) {
        const std::string said = dialogs.shown().empty() ? "" : dialogs.last().text;
        EXPECT_EQ(othersOnCard(), others) << said;
        const Tree single = memory.tree("E:\\backup\\single");
        if (memory.folderExists("E:\\backup\\single") && !damaged) {
            EXPECT_TRUE(single == oldDatabase || single == newDatabase) << said;
        }
        if (outcome == PlaceOutcome::Placed) {
            EXPECT_EQ(single, newDatabase);
        }
        const bool saysNone = said.find("The card holds no database.") != std::string::npos ||
                              said.find("The card holds no database:") != std::string::npos ||
                              said.find("what the card holds is not known") != std::string::npos;
        if (card == Card::OldDatabase && !damaged) {
            EXPECT_TRUE(holdsAWholeDatabase()) << said;
        }
        if (card == Card::RoomForOne && !damaged && !holdsAWholeDatabase()) {
            EXPECT_TRUE(saysNone || saidNoneBefore || outcome == PlaceOutcome::Declined) << said;
        }
        expectTheMessageTrue(said);
        return saysNone;
    }

    // Damages a file of backup\single, as a card that went bad between two writes would. False
    // when there is none.
    bool damageSingle() {
        const Tree single = memory.tree("E:\\backup\\single");
        if (single.empty()) {
            return false;
        }
        std::string path = single.begin()->first;
        std::replace(path.begin(), path.end(), '/', '\\');
        memory.put("E:\\backup\\single\\" + path, "damaged");
        return true;
    }

    // Runs every pair for one card; the number of pairs run.
    int everyPair(Card card, bool damaged) {
        prepare(card);
        const int before = faulty.count(FileOp::Any);
        EXPECT_EQ(place(Answer::Yes), PlaceOutcome::Placed);
        const int operations = faulty.count(FileOp::Any) - before;
        int pairs = 0;
        for (int i = 1; i <= operations; ++i) {
            // The operations after the i-th, when only it fails.
            prepare(card);
            int start = faulty.count(FileOp::Any);
            faulty.inject({.op = FileOp::Any, .nth = i, .error = FileError::DeviceIo});
            passOver(place(Answer::Yes));
            passOver(place(Answer::No));
            const int after = faulty.count(FileOp::Any) - start - i;
            for (int j = 1; j <= after; ++j) {
                SCOPED_TRACE(testing::Message()
                             << "card " << static_cast<int>(card) << (damaged ? ", damaged" : "")
                             << ", operations " << i << " and " << i + j);
                prepare(card);
                window.logText.text.clear();
                faulty.inject({.op = FileOp::Any, .nth = i, .error = FileError::DeviceIo});
                faulty.inject({.op = FileOp::Any, .nth = i + j, .error = FileError::DiskFull});
                const PlaceOutcome first = place(Answer::Yes);
                const bool saidNone = expectASoundCard(card, first, false, false);
                if (damaged && !journalled()) {
                    continue;  // a finished write: what damages the card later is not its doing
                }
                const bool oldAside =
                    journalled() && memory.tree("E:\\backup\\XQ3100.OLD") == oldDatabase;
                const bool whole = holdsAWholeDatabase();
                const bool damagedNow = damaged && damageSingle();
                const PlaceOutcome next = place(Answer::No);
                passOver(expectASoundCard(card, next, damaged, saidNone));
                // No never costs a database: a card that held a whole one still does, and the old
                // one set aside survives a damaged backup\single, which nothing can prove now.
                if (oldAside && damagedNow) {
                    EXPECT_TRUE(memory.tree("E:\\backup\\single") == oldDatabase ||
                                memory.tree("E:\\backup\\XQ3100.OLD") == oldDatabase)
                        << window.logText.text;
                }
                if (whole && !damaged) {
                    EXPECT_TRUE(holdsAWholeDatabase());
                }
                ++pairs;
                if (HasFailure()) {
                    return pairs;  // one pair's story is enough to read
                }
            }
        }
        return pairs;
    }

    MemoryFileService memory;
    FaultyFileService faulty{memory};
    WindowModel window;
    MessagePanes panes{window};
    ScriptedDialogs dialogs;
    Operator op{panes, dialogs, window};
    ArchiveState archive;  // no listed files: every file of the database is proven by its digest
    bool keyCodeIsRec = false;
    ConversionContext context{faulty, op, archive, keyCodeIsRec, 1, "E:", 1};
    DatabaseProof proof;
    Tree newDatabase;
    Tree oldDatabase;
    Tree others;
};

TEST_F(CardFaultsTest, NoPairOfFailuresCostsADatabaseOrSaysWhatIsNotSo) {
    int pairs = 0;
    for (const bool damaged : {false, true}) {
        for (const Card card : {Card::Empty, Card::OldDatabase, Card::RoomForOne}) {
            pairs += everyPair(card, damaged);
            if (HasFailure()) {
                return;
            }
        }
    }
    std::cout << "pairs of failed operations: " << pairs << "\n";
    EXPECT_GT(pairs, 1000);
}

}  // namespace
}  // namespace xq::test
