// Whole conversions through the wizard, on diskette sets written by the test-set writer and drives
// over temporary folders.

#include <algorithm>
#include <filesystem>
#include <map>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/wizard.h"
#include "command_line/virtual_drives.h"
#include "convert/card_check.h"
#include "platform/host_file_service.h"
#include "platform/text.h"
#include "support/disk_set_writer.h"
#include "support/faulty_mount.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "support/test_drives.h"

namespace xq {
namespace {

namespace fs = std::filesystem;
using test::DiskSet;
using test::ShownBox;
using test::WrittenSet;

constexpr const char* kSuccessOne =
    "Successful database convert\r\nTotal 1 diskette\r\nPress OK for another copy or Exit\r\n";
constexpr const char* kSuccessThree =
    "Successful database convert\r\nTotal 3 diskettes\r\nPress OK for another copy or Exit\r\n";
constexpr const char* kFlashRequest =
    "Please select the Compact Flash\r\ndrive and press the OK button\r\n";
constexpr const char* kFloppyRequest =
    "Please select the floppy disk drive \r\nand press the OK button\r\n";

std::string bytes(std::size_t size, unsigned seed) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        data[i] = static_cast<char>(seed >> 16);
    }
    return data;
}

class ConversionTest : public ::testing::Test {
  protected:
    ConversionTest() {
        wizard.startUp();
        // A second card reader, for a second copy.
        Drive second = *drives.table.drive('E');
        second.letter = 'F';
        second.volumeName = "CARD2";
        second.hostRoot = drives.newMedium("card2").string();
        drives.table.add(second);
        window.DriveList.entries.push_back("f: [CARD2]");
    }

    // The set of three diskettes used by most tests: a key-code file, a database file split
    // over all three diskettes, and a small file in a subfolder.
    static DiskSet threeDisketteSet() {
        DiskSet set;
        set.capacity = 40000;
        set.extraHeaderLines = {"DATE: 2007-07-17", "SYSTEM: XQ3100"};
        set.files = {{.name = "/keycode.rec", .content = bytes(101, 1)},
                     {.name = "/db/main.dat", .content = bytes(100000, 2), .secondString = "MAIN"},
                     {.name = "/db/sub/index.dat", .content = bytes(777, 3)}};
        return set;
    }

    WrittenSet writeSet(const DiskSet& set, const char* name = "set") {
        return test::writeDiskSet(drives.temp() / name, set);
    }

    void select(char letter) {
        const auto& entries = window.DriveList.entries;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i][0] == letter) {
                wizard.driveListIndexChanged(static_cast<int>(i));
            }
        }
        ASSERT_EQ(window.DriveList.drive()[0], letter);
    }

    // Picks the floppy drive and feeds it every diskette of the set in turn.
    void readSet(const WrittenSet& set) {
        select('a');
        wizard.okPressed();
        for (int n = 1; n <= set.disketteCount(); ++n) {
            drives.insertFloppy(set.diskette(n));
            wizard.okPressed();
        }
    }

    void writeCard(char letter) {
        select(letter);
        wizard.okPressed();
    }

    std::map<std::string, std::string> cardDatabase(char letter = 'E') {
        return test::filesUnder(drives.hostPath(std::string(1, letter) + ":\\backup\\single"));
    }

    // What the card's database must hold: every listed file whole, the diskette file of diskette
    // 1 and the one-disk descriptor.
    static std::map<std::string, std::string> expectedDatabase(const WrittenSet& set) {
        std::map<std::string, std::string> files;
        for (const auto& [name, content] : set.wholeFiles) {
            files[name.substr(1)] = content;
        }
        files["disk0001.dat"] = test::readFile(set.diskette(1) / "disk0001.dat");
        files["archive.dat"] = oneDiskDescriptor(set);
        return files;
    }

    static std::string oneDiskDescriptor(const WrittenSet& set) {
        std::string expected;
        std::size_t at = 0;
        for (int line = 0;; ++line) {
            const std::size_t end = set.descriptor.find('\n', at);
            const std::string text = set.descriptor.substr(at, end - at);
            if (text.find("FILE:") != std::string::npos) {
                break;
            }
            expected += (line == 1 ? std::string("NUMDISKS: 1") : text) + "\n";
            at = end + 1;
        }
        for (const test::WrittenPiece& piece : set.pieces) {
            if (piece.secondFlag) {
                const std::uint64_t checksum =
                    piece.continued ? test::referenceFileChecksum(set.wholeFiles.at(piece.name))
                                    : piece.checksum;
                expected += "FILE: 1 0 1 " + std::to_string(checksum) + " " + piece.name + " " +
                            piece.secondString + "\n";
            }
        }
        return expected;
    }

    bool workingDirectoriesGone() const {
        for (const auto& entry : fs::directory_iterator(drives.hostPath("C:\\Temp"))) {
            if (entry.path().filename().string().starts_with("XQ3100_")) {
                return false;
            }
        }
        return true;
    }

    test::TestDrives drives;
    WindowModel window;
    test::ScriptedDialogs dialogs;
    Wizard wizard{window, drives.letters, drives.files, dialogs};
};

TEST_F(ConversionTest, AOneDisketteSetIsWrittenToACard) {
    DiskSet one;
    one.files = {{.name = "/keycode.rec", .content = "KEY"},
                 {.name = "/data.dat", .content = bytes(5000, 9)}};
    const WrittenSet set = writeSet(one);
    readSet(set);
    ASSERT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    EXPECT_EQ(window.mainText.text, kFlashRequest);
    EXPECT_EQ(window.Label2.caption, "\r\nArchive ID = 4711\r\nTotal diskettes num = 1");
    EXPECT_TRUE(window.DriveList.visible);
    writeCard('e');
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::Written);
    EXPECT_EQ(window.mainText.text, kSuccessOne);
    EXPECT_EQ(cardDatabase(), expectedDatabase(set));
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(ConversionTest, AThreeDisketteSetWithASplitFileArrivesWholeOnTheCard) {
    const WrittenSet set = writeSet(threeDisketteSet());
    ASSERT_EQ(set.disketteCount(), 3);
    select('a');
    wizard.okPressed();
    for (int n = 1; n <= 3; ++n) {
        drives.insertFloppy(set.diskette(n));
        wizard.okPressed();
        if (n < 3) {
            EXPECT_EQ(window.mainText.text, "Please insert diskette #" + std::to_string(n + 1) +
                                                " and press the OK button\r\n");
            EXPECT_EQ(wizard.state().wizardStep, WizardStep::NextDiskette);
        }
    }
    EXPECT_EQ(wizard.state().diskNumber, 3);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    writeCard('e');
    EXPECT_EQ(window.mainText.text, kSuccessThree);
    EXPECT_EQ(cardDatabase(), expectedDatabase(set));
    EXPECT_TRUE(window.logText.text.find("Recombining the database at C:\\Temp\\XQ3100_flat") !=
                std::string::npos);

    // Another card from the same reading.
    wizard.okPressed();
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    EXPECT_EQ(window.mainText.text,
              "Please select the Compact Flash \r\ndrive and press the OK button\r\n");
    EXPECT_TRUE(window.DriveList.visible && window.DriveList.enabled);
    writeCard('f');
    EXPECT_EQ(window.mainText.text, kSuccessThree);
    EXPECT_EQ(cardDatabase('F'), expectedDatabase(set));
}

// Descriptors as DOS-era systems write and copy them: CR LF line ends, a Ctrl+Z at the end, empty
// lines after the file lines. Each gives the card its LF form gives.
class DosDescriptorTest
    : public ConversionTest,
      public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(DosDescriptorTest, IsReadAndGivesTheCardOfItsLfForm) {
    DiskSet dos = threeDisketteSet();
    dos.descriptorLineEnd = GetParam().first;
    dos.descriptorEnd = GetParam().second;
    const WrittenSet set = writeSet(dos);
    readSet(set);
    ASSERT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash) << window.logText.text;
    writeCard('e');
    EXPECT_EQ(window.mainText.text, kSuccessThree);
    const std::map<std::string, std::string> written = cardDatabase();
    EXPECT_EQ(written, expectedDatabase(writeSet(threeDisketteSet(), "lf")));
    EXPECT_EQ(written.at("archive.dat").find('\r'), std::string::npos);
    EXPECT_TRUE(dialogs.shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Forms, DosDescriptorTest,
                         ::testing::Values(std::pair{"\r\n", ""}, std::pair{"\r\n", "\x1A"},
                                           std::pair{"\n", "\n\n"},
                                           std::pair{"\r\n", "\r\n\r\n\x1A"}));

// An ID of more digits than a double holds, and one that is no number at all, are each the set's
// own exactly, compared as written.
TEST_F(ConversionTest, ALongOrTextArchiveIdIsTheSetsOwnOnEveryDiskette) {
    for (const char* id : {"1234567890123456789", "XQ735"}) {
        SCOPED_TRACE(id);
        DiskSet description = threeDisketteSet();
        description.archiveIdText = id;
        const WrittenSet set = writeSet(description, id);
        if (wizard.state().wizardStep == WizardStep::Written) {
            dialogs.answer(Answer::Yes);  // start over from the first diskette
            wizard.backPressed();
            dialogs.clear();
            for (int n = 1; n <= set.disketteCount(); ++n) {
                drives.insertFloppy(set.diskette(n));
                wizard.okPressed();
            }
        } else {
            readSet(set);
        }
        ASSERT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash) << window.logText.text;
        EXPECT_EQ(window.Label2.caption,
                  "\r\nArchive ID = " + std::string(id) + "\r\nTotal diskettes num = 3");
        writeCard('e');
        EXPECT_EQ(cardDatabase(), expectedDatabase(set));
        EXPECT_TRUE(dialogs.shown().empty()) << dialogs.last().text;
        fs::remove_all(drives.hostPath("E:\\backup"));
    }
}

// A descriptor the card could not be written from faithfully is refused while diskette 1 is in
// the drive, before anything is copied anywhere.
TEST_F(ConversionTest, DescriptorsBeyondTheCardAreRefusedAtDisketteOne) {
    DiskSet tooMany;
    for (int i = 1; i <= 101; ++i) {
        tooMany.files.push_back({.name = "/f" + std::to_string(i), .content = "piece"});
    }
    DiskSet dots = threeDisketteSet();
    dots.files.push_back({.name = "/.../x", .content = "x", .storedAs = "/dots/x"});
    DiskSet endless = threeDisketteSet();
    endless.numDisks = 150;
    test::writeFile(drives.hostPath("E:\\backup\\single\\old.dat"), "old database");
    const auto card = test::filesUnder(drives.hostPath("E:\\"));
    const std::vector<std::pair<DiskSet, const char*>> sets = {
        {tooMany, "many"}, {dots, "dots"}, {endless, "endless"}};
    for (const auto& [description, name] : sets) {
        const WrittenSet set = writeSet(description, name);
        dialogs.clear();
        select('a');
        wizard.okPressed();
        drives.insertFloppy(set.diskette(1));
        wizard.okPressed();
        ASSERT_EQ(dialogs.shown().size(), 1u) << name;
        EXPECT_TRUE(dialogs.last().text.starts_with(
            "This diskette set can not be converted as it is:\r\nA:\\archive.dat "))
            << dialogs.last().text;
        EXPECT_EQ(wizard.state().wizardStep, WizardStep::FirstDiskette);
        EXPECT_EQ(test::filesUnder(drives.hostPath("C:\\Temp")),
                  (std::map<std::string, std::string>{}));
        wizard.backPressed();
    }
    EXPECT_EQ(test::filesUnder(drives.hostPath("E:\\")), card);
}

// The drive the operating system runs from is offered by the list like any other, and is written
// only on an explicit yes; the keyboard is on the drive list at every drive request.
TEST_F(ConversionTest, TheSystemDriveIsWrittenOnlyOnAnExplicitYes) {
    const WrittenSet set = writeSet(threeDisketteSet());
    readSet(set);
    ASSERT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    EXPECT_EQ(window.form.focus, Control::DriveList);
    const int requests = window.form.focusRequests;
    const std::string question =
        "Drive C: holds the operating system, not a Compact Flash card.\r\nWrite the database "
        "onto it anyway, under C:\\backup\\single?";
    dialogs.answer(Answer::No);
    writeCard('c');
    EXPECT_EQ(dialogs.last(), (ShownBox{question, "warning!", box_style::YesNoExclamation}));
    EXPECT_TRUE(window.logText.text.ends_with("QUERY " + question + "\r\n"));
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    EXPECT_TRUE(window.DriveList.visible);
    EXPECT_FALSE(std::filesystem::exists(drives.hostPath("C:\\backup")));

    dialogs.answer(Answer::Yes);
    wizard.okPressed();
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::Written);
    EXPECT_EQ(cardDatabase('C'), expectedDatabase(set));
    wizard.okPressed();  // another copy: the drive list asks again, with the keyboard on it
    EXPECT_GT(window.form.focusRequests, requests);
}

TEST_F(ConversionTest, AnEmptyFloppyDriveIsReportedAndTheSameDisketteAskedForAgain) {
    const WrittenSet set = writeSet(threeDisketteSet());
    select('a');
    wizard.okPressed();
    wizard.okPressed();
    EXPECT_EQ(dialogs.last(),
              (ShownBox{"\r\nDrive A: is not ready.", "Error!", box_style::OkStop}));
    EXPECT_TRUE(window.logText.text.ends_with("ERROR \r\nDrive A: is not ready.\r\n"));
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::FirstDiskette);

    for (int n = 1; n <= 2; ++n) {
        drives.insertFloppy(set.diskette(n));
        wizard.okPressed();
    }
    drives.ejectFloppy();
    wizard.okPressed();
    EXPECT_EQ(dialogs.last().text,
              "\r\nDrive A: is not ready.\r\nPlease insert disk #3 into drive.");
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::NextDiskette);
    EXPECT_EQ(wizard.state().diskNumber, 3);
    drives.insertFloppy(set.diskette(3));
    wizard.okPressed();
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
}

TEST_F(ConversionTest, AWrongDisketteInTheMiddleIsRefusedAndTheRightOneAccepted) {
    const WrittenSet set = writeSet(threeDisketteSet());
    select('a');
    wizard.okPressed();
    drives.insertFloppy(set.diskette(1));
    wizard.okPressed();
    drives.insertFloppy(set.diskette(3));
    wizard.okPressed();
    EXPECT_EQ(dialogs.last().text, "Wrong diskette!\r\nInsert diskette #2");
    EXPECT_EQ(window.mainText.text, "Please insert diskette #2 and press the OK button\r\n");
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::NextDiskette);
    drives.insertFloppy(set.diskette(2));
    wizard.okPressed();
    EXPECT_EQ(wizard.state().diskNumber, 3);
}

TEST_F(ConversionTest, ADisketteOfAnotherArchiveSendsTheWizardBackToTheStart) {
    const WrittenSet set = writeSet(threeDisketteSet());
    DiskSet otherSet = threeDisketteSet();
    otherSet.archiveId = 999;
    const WrittenSet other = writeSet(otherSet, "other");
    select('a');
    wizard.okPressed();
    drives.insertFloppy(set.diskette(1));
    wizard.okPressed();
    drives.insertFloppy(other.diskette(2));
    wizard.okPressed();
    EXPECT_EQ(dialogs.last().text,
              "\r\nWrong Archive ID at diskette #2\r\nExpected 4711 found 999");
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFloppy);
    EXPECT_FALSE(window.DriveList.visible);  // still hidden: the next OK starts over
    wizard.okPressed();
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::FirstDiskette);
    EXPECT_EQ(window.mainText.text, "Please insert diskette #1 and press the OK button\r\n");
    readSet(set);
}

TEST_F(ConversionTest, BackInEachStepOfThePass) {
    const WrittenSet set = writeSet(threeDisketteSet());
    select('a');
    wizard.okPressed();
    for (int n = 1; n <= 2; ++n) {
        drives.insertFloppy(set.diskette(n));
        wizard.okPressed();
    }
    ASSERT_EQ(wizard.state().diskNumber, 3);
    wizard.backPressed();
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::FirstDiskette);
    EXPECT_EQ(wizard.state().diskNumber, 1);
    EXPECT_EQ(window.mainText.text, "Please insert diskette #1 and press the OK button\r\n");
    EXPECT_TRUE(window.logText.text.find("Going back to 1st diskette\r\n\r\nPlease insert") !=
                std::string::npos);
    EXPECT_FALSE(window.ProgressBar1.visible);
    EXPECT_EQ(window.ProgressBar1.value, 0);
    EXPECT_EQ(window.Label2.caption, "");

    for (int n = 1; n <= 3; ++n) {
        drives.insertFloppy(set.diskette(n));
        wizard.okPressed();
    }
    ASSERT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    dialogs.answer(Answer::No);
    wizard.backPressed();
    EXPECT_EQ(dialogs.last(), (ShownBox{"Start over reading from the first diskette?", "Restart",
                                        box_style::YesNoQuestion}));
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    EXPECT_TRUE(window.DriveList.visible);

    writeCard('e');
    ASSERT_EQ(wizard.state().wizardStep, WizardStep::Written);
    dialogs.answer(Answer::Yes);
    wizard.backPressed();
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::FirstDiskette);
    EXPECT_FALSE(window.DriveList.visible);
    EXPECT_FALSE(window.DriveSize.visible);
    EXPECT_EQ(window.mainText.text, "Please insert diskette #1 and press the OK button\r\n");
}

// OK is the default button and the list still shows the floppy drive in the card step: that drive
// is never written as the card.
TEST_F(ConversionTest, TheFloppyDriveIsNeverTakenForTheCard) {
    const WrittenSet set = writeSet(threeDisketteSet());
    readSet(set);
    const auto lastDiskette = test::filesUnder(set.diskette(3));
    writeCard('a');
    EXPECT_EQ(dialogs.last(), (ShownBox{"Drive A: is the floppy disk drive.\r\nPlease select the "
                                        "Compact Flash drive and press the OK button",
                                        "Error!", box_style::OkStop}));
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    EXPECT_TRUE(window.DriveList.visible);
    EXPECT_EQ(test::filesUnder(set.diskette(3)), lastDiskette);
    writeCard('e');
    EXPECT_EQ(cardDatabase(), expectedDatabase(set));
}

// After a restart from the card steps the list was left on the card drive; the diskettes are still
// read from the floppy drive recorded at the start, also with the card pulled.
TEST_F(ConversionTest, ARestartFromTheLastStepReadsFromTheFloppyDriveAgain) {
    const WrittenSet set = writeSet(threeDisketteSet());
    readSet(set);
    writeCard('e');
    ASSERT_EQ(wizard.state().wizardStep, WizardStep::Written);
    drives.table.setReady('E', false);  // the card is taken out
    dialogs.answer(Answer::Yes);
    wizard.backPressed();
    ASSERT_EQ(wizard.state().wizardStep, WizardStep::FirstDiskette);
    EXPECT_EQ(window.DriveList.drive()[0], 'a');
    dialogs.clear();
    for (int n = 1; n <= 3; ++n) {
        drives.insertFloppy(set.diskette(n));
        wizard.okPressed();
    }
    EXPECT_TRUE(dialogs.shown().empty()) << dialogs.last().text;
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    EXPECT_EQ(wizard.state().floppyDrive, "A:");
}

// Between two cards something changes the database in the temporary folder: the second card is not
// written, and the diskettes are read again.
TEST_F(ConversionTest, ADatabaseChangedBetweenTwoCardsIsReadAgain) {
    const WrittenSet set = writeSet(threeDisketteSet());
    readSet(set);
    writeCard('e');
    ASSERT_EQ(wizard.state().wizardStep, WizardStep::Written);
    const fs::path flat = drives.hostPath("C:\\Temp\\XQ3100_flat\\db\\main.dat");
    std::string changed = test::readFile(flat);
    changed[10] ^= 0x20;
    test::writeFile(flat, changed);
    wizard.okPressed();
    writeCard('f');
    EXPECT_EQ(dialogs.last().text,
              "Failed verifying: C:\\Temp\\XQ3100_flat\\db\\main.dat\r\nThe database read from "
              "the diskettes has changed in the temporary folder since it was verified.\r\nPlease "
              "read the diskettes again.");
    EXPECT_FALSE(fs::exists(drives.hostPath("F:\\backup")));
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::FirstDiskette);
    EXPECT_EQ(window.mainText.text, "Please insert diskette #1 and press the OK button\r\n");
    for (int n = 1; n <= 3; ++n) {
        drives.insertFloppy(set.diskette(n));
        wizard.okPressed();
    }
    writeCard('f');
    EXPECT_EQ(cardDatabase('F'), expectedDatabase(set));
}

TEST_F(ConversionTest, ADevicePluggedInDuringACardWriteDoesNotRePointTheCardsLetter) {
    const WrittenSet set = writeSet(threeDisketteSet());
    readSet(set);
    const fs::path card = drives.hostPath("E:\\");
    const fs::path stick = drives.newMedium("stick");
    bool plugged = false;
    // With the first file written on the card, a stick takes the card reader's letter and the
    // reader moves on to the next, as a Linux machine's letters move.
    drives.files.beforeCall = [&](test::FileOp op, std::string_view path) {
        if (!plugged && op == test::FileOp::OpenWrite && driveLetterOf(path) == 'E') {
            plugged = true;
            Drive reader = *drives.table.drive('E');
            reader.letter = 'G';
            drives.table.add(reader);
            drives.insert('E', stick, "STICK");
        }
    };
    writeCard('e');
    ASSERT_TRUE(plugged);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::Written);
    EXPECT_EQ(window.mainText.text, kSuccessThree);
    EXPECT_EQ(test::filesUnder(card / "backup" / "single"), expectedDatabase(set));
    EXPECT_TRUE(fs::is_empty(stick));
    // The next action finds the letters as they are now.
    EXPECT_EQ(drives.letters.hostRoot('E'), stick.string());
}

TEST_F(ConversionTest, AFailedVerificationOffersToReadOnlyTheFailingDisketteAgain) {
    const WrittenSet set = writeSet(threeDisketteSet());
    const fs::path piece = set.diskette(2) / "db" / "main.dat";
    const std::string good = test::readFile(piece);
    std::string bad = good;
    bad[bad.size() / 2] ^= 0x01;
    test::writeFile(piece, bad);
    const std::string question =
        "Diskette #2 holds data that does not match its archived checksum.\r\nRead only diskette "
        "#2 again? No reads the whole set again, from diskette #1.";
    const auto readAgainFromDisketteTwo = [&](Answer answer) {
        dialogs.clear();
        dialogs.answer(Answer::Ok);  // the wrong checksum
        dialogs.answer(answer);
        readSet(set);
        ASSERT_EQ(dialogs.shown().size(), 2u);
        EXPECT_TRUE(dialogs.shown()[0].text.starts_with(
            "Wrong checksum at C:\\Temp\\XQ3100_disk2\\db\\main.dat\r\nActual "));
        EXPECT_EQ(dialogs.last(), (ShownBox{question, "problem!", box_style::YesNoQuestion}));
        EXPECT_NE(window.logText.text.find("QUERY " + question), std::string::npos);
    };

    // No: the set is read again from its first diskette.
    readAgainFromDisketteTwo(Answer::No);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFloppy);
    EXPECT_EQ(window.mainText.text, kFloppyRequest);
    EXPECT_TRUE(window.DriveList.visible);

    // Yes: only diskette 2 is asked for. Read again, it gives the same bytes: the diskette itself
    // is damaged, and the question is asked again for another copy of it; No.
    readAgainFromDisketteTwo(Answer::Yes);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::NextDiskette);
    EXPECT_EQ(window.mainText.text, "Please insert diskette #2 and press the OK button\r\n");
    EXPECT_EQ(window.ProgressBar1.value, 200);  // diskettes 1 and 3 of 3 are kept
    drives.insertFloppy(set.diskette(2));
    dialogs.clear();
    dialogs.answer(Answer::Ok);
    dialogs.answer(Answer::Ok);
    dialogs.answer(Answer::No);
    wizard.okPressed();
    ASSERT_EQ(dialogs.shown().size(), 3u);
    EXPECT_EQ(dialogs.shown()[1],
              (ShownBox{"Diskette #2 holds damaged data: read again, it gave the same bytes, which "
                        "do not match the archived checksum.\r\nReading it again can not help. "
                        "Use another copy of this diskette, or of the whole set.",
                        "Error!", box_style::OkStop}));
    // The question now offers another copy of it.
    EXPECT_EQ(dialogs.last(),
              (ShownBox{"Diskette #2 holds data that does not match its archived checksum.\r\n"
                        "Read another copy of diskette #2 in its place? No reads the whole set "
                        "again, from diskette #1.",
                        "problem!", box_style::YesNoQuestion}));
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFloppy);

    // Yes, and this time diskette 2 reads as written: the set is verified whole and converted.
    readAgainFromDisketteTwo(Answer::Yes);
    test::writeFile(piece, good);
    drives.insertFloppy(set.diskette(2));
    wizard.okPressed();
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    EXPECT_EQ(wizard.state().diskNumber, 3);
    writeCard('e');
    EXPECT_EQ(cardDatabase(), expectedDatabase(set));
}

// Diskettes read through a file system that fails chosen sectors, as old diskettes do.
class DamagedDisketteTest : public ConversionTest {
  protected:
    void SetUp() override {
        if (!mount.unavailable().empty()) {
            GTEST_SKIP() << mount.unavailable();
        }
    }

    // The set written below the mount's source, its diskettes read through the mount.
    WrittenSet writeSet(const DiskSet& description) {
        WrittenSet set = test::writeDiskSet(mount.source() / "set", description);
        for (fs::path& diskette : set.diskettes) {
            diskette = mount.path() / fs::relative(diskette, mount.source());
        }
        return set;
    }

    // Picks the floppy drive and reads diskettes `first` to `last` of the set.
    void readDiskettes(const WrittenSet& set, int first, int last) {
        if (first == 1) {
            select('a');
            wizard.okPressed();
        }
        for (int n = first; n <= last; ++n) {
            drives.insertFloppy(set.diskette(n));
            wizard.okPressed();
        }
    }

    std::uint64_t bytesRead(const std::string& path) { return mount.reads().bytes[path]; }

    test::FaultyMount mount;
};

TEST_F(DamagedDisketteTest, WeakSectorsAreReadOnALaterTryAndLogged) {
    const WrittenSet set = writeSet(threeDisketteSet());
    mount.setFaults(
        "fail /set/diskette2/db/main.dat 4096 4608 3\n"
        "fail /set/diskette3/db/main.dat 1024 1536 6\n");
    readDiskettes(set, 1, 3);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    EXPECT_TRUE(dialogs.shown().empty());
    const test::FaultyMount::Reads reads = mount.reads();
    EXPECT_EQ(reads.tries.at("/set/diskette2/db/main.dat 4096 4608"), 3u);
    EXPECT_EQ(reads.tries.at("/set/diskette3/db/main.dat 1024 1536"), 6u);
    const std::string& log = window.logText.text;
    EXPECT_NE(log.find("A:\\db\\main.dat bytes 4096-4607 read on try 3\r\n"), std::string::npos);
    EXPECT_NE(log.find("A:\\db\\main.dat bytes 1024-1535 read on try 6\r\n"), std::string::npos);
    writeCard('e');
    EXPECT_EQ(cardDatabase(), expectedDatabase(set));
}

TEST_F(DamagedDisketteTest, ADeadSectorKeepsTheReadingAndOnlyWhatIsMissingIsReadAgain) {
    const WrittenSet set = writeSet(threeDisketteSet());
    mount.setFaults("fail /set/diskette2/db/main.dat 8192 8704\n");
    readDiskettes(set, 1, 1);
    const int progressOfDiskette1 = window.ProgressBar1.value;
    readDiskettes(set, 2, 2);
    EXPECT_EQ(window.ProgressBar1.value, progressOfDiskette1);
    const std::string report =
        "Can not copy file A:\\db\\main.dat to C:\\Temp\\XQ3100_disk2\\db\\main.dat\r\n"
        "Ensure that the floppy disk is readable and that \r\n"
        "there is enough free space available on drive A:\\\r\n"
        "Diskette #2:\r\n512 bytes of \\db\\main.dat could not be read.\r\n"
        "What was read is kept.\r\n"
        "Clean the drive or use another drive, then press OK to read diskette #2 again";
    EXPECT_EQ(dialogs.shown(), (std::vector<ShownBox>{{report, "Error!", box_style::OkStop}}));
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::NextDiskette);
    EXPECT_EQ(wizard.state().diskNumber, 2);
    EXPECT_EQ(window.mainText.text, "Please insert diskette #2 and press the OK button\r\n");
    EXPECT_NE(window.logText.text.find("A:\\db\\main.dat bytes 8192-8703 could not be read\r\n"),
              std::string::npos);
    // Diskette 1 was read once, diskette 2 all but its dead sector, which was tried 8 times.
    const test::FaultyMount::Reads first = mount.reads();
    for (const char* file : {"/set/diskette1/db/main.dat", "/set/diskette1/keycode.rec"}) {
        EXPECT_EQ(first.bytes.at(file), fs::file_size(mount.source() / (file + 1))) << file;
    }
    const std::uint64_t pieceSize = fs::file_size(set.diskette(2) / "db" / "main.dat");
    EXPECT_EQ(first.bytes.at("/set/diskette2/db/main.dat"), pieceSize - 512);
    EXPECT_EQ(first.tries.at("/set/diskette2/db/main.dat 8192 8704"), 8u);

    // In another drive (the fault gone), the same diskette reads only the sector it lacked.
    mount.setFaults("");
    readDiskettes(set, 2, 3);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    EXPECT_EQ(bytesRead("/set/diskette2/db/main.dat"), 512u);
    EXPECT_EQ(bytesRead("/set/diskette1/db/main.dat"), 0u);
    EXPECT_FALSE(fs::exists(drives.hostPath("C:\\Temp\\XQ3100_disk2.missing")));
    writeCard('e');
    EXPECT_EQ(cardDatabase(), expectedDatabase(set));
}

// The diskette file and the descriptor are read with the same tries as any file: a weak sector in
// them reads on a later try; a dead one is reported as any loss is, and the same diskette is asked
// for again.
TEST_F(DamagedDisketteTest, TheDisketteFileAndTheDescriptorGetTheSameTries) {
    const WrittenSet set = writeSet(threeDisketteSet());
    mount.setFaults(
        "fail /set/diskette1/archive.dat 0 512 3\n"
        "fail /set/diskette2/disk0002.dat 0 512 3\n");
    readDiskettes(set, 1, 2);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(wizard.state().diskNumber, 3);
    for (const char* file : {"A:\\archive.dat bytes 0-", "A:\\disk0002.dat bytes 0-"}) {
        const std::size_t at = window.logText.text.find(file);
        ASSERT_NE(at, std::string::npos) << file;
        EXPECT_NE(window.logText.text.find(" read on try 3\r\n", at), std::string::npos);
    }

    mount.setFaults("fail /set/diskette3/disk0003.dat 0 512\n");
    readDiskettes(set, 3, 3);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const std::string& report = dialogs.last().text;
    EXPECT_TRUE(report.starts_with(
        "Can not copy file A:\\disk0003.dat to C:\\Temp\\XQ3100_disk3\\disk0003.dat\r\n"))
        << report;
    EXPECT_NE(report.find(" bytes of \\disk0003.dat could not be read.\r\n"), std::string::npos);
    EXPECT_EQ(report.find("What was read is kept."), std::string::npos);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::NextDiskette);
    EXPECT_EQ(wizard.state().diskNumber, 3);

    mount.setFaults("");
    readDiskettes(set, 3, 3);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    writeCard('e');
    EXPECT_EQ(cardDatabase(), expectedDatabase(set));
}

// What was kept changes while the program waits for the diskette (two words swapped, which the
// archived checksum cannot see): the file is read again whole, not trusted.
TEST_F(DamagedDisketteTest, AKeptCopyChangedWhileTheProgramWaitsIsReadAgainWhole) {
    const WrittenSet set = writeSet(threeDisketteSet());
    mount.setFaults("fail /set/diskette2/db/main.dat 8192 8704\n");
    readDiskettes(set, 1, 2);
    const fs::path kept = drives.hostPath("C:\\Temp\\XQ3100_disk2\\db\\main.dat");
    std::string bytes = test::readFile(kept);
    std::size_t at = 0;
    while (at + 8 <= bytes.size() && bytes.compare(at, 4, bytes, at + 4, 4) == 0) {
        at += 4;
    }
    ASSERT_LE(at + 8, bytes.size());
    std::swap_ranges(bytes.begin() + at, bytes.begin() + at + 4, bytes.begin() + at + 4);
    test::writeFile(kept, bytes);

    mount.setFaults("");
    readDiskettes(set, 2, 3);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    const std::uint64_t pieceSize = fs::file_size(set.diskette(2) / "db" / "main.dat");
    EXPECT_GE(bytesRead("/set/diskette2/db/main.dat"), pieceSize);
    EXPECT_NE(window.logText.text.find("C:\\Temp\\XQ3100_disk2\\db\\main.dat is not as it was "
                                       "kept: it is read again whole\r\n"),
              std::string::npos);
    writeCard('e');
    EXPECT_EQ(cardDatabase(), expectedDatabase(set));
}

TEST_F(DamagedDisketteTest, ADisketteTakenOutDuringTheReadingKeepsWhatWasRead) {
    DiskSet one;
    one.files = {{.name = "/keycode.rec", .content = "KEY"},
                 {.name = "/a.dat", .content = bytes(30000, 4)},
                 {.name = "/b.dat", .content = bytes(30000, 5)}};
    const WrittenSet set = writeSet(one);
    mount.setFaults("gone /set/diskette1 /set/diskette1/b.dat 1000\n");
    readDiskettes(set, 1, 1);
    const std::string report =
        "Diskette #1 was taken out of drive A:\\ while it was being read.\r\n"
        "What was read of it is kept. Insert diskette #1 again and press OK to read the rest";
    EXPECT_EQ(dialogs.shown(), (std::vector<ShownBox>{{report, "Error!", box_style::OkStop}}));
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::FirstDiskette);
    EXPECT_EQ(test::readFile(drives.hostPath("C:\\Temp\\XQ3100_disk1\\a.dat")),
              set.wholeFiles.at("/a.dat"));

    mount.setFaults("");
    wizard.okPressed();
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    EXPECT_EQ(bytesRead("/set/diskette1/a.dat"), 0u);
    EXPECT_EQ(bytesRead("/set/diskette1/b.dat"), 30000u);
    writeCard('e');
    EXPECT_EQ(cardDatabase(), expectedDatabase(set));
}

// A diskette read again in place of a kept one belongs to the same archive, or it is refused and
// the kept ones stay: diskette 1 of another archive, and of a set of one diskette of the same ID.
TEST_F(ConversionTest, ADisketteReadAgainMustBelongToTheArchiveOfTheKeptOnes) {
    DiskSet description = threeDisketteSet();
    const WrittenSet set = writeSet(description);
    description.archiveId = 20070718;
    const WrittenSet other = writeSet(description, "other");
    const WrittenSet single =
        writeSet({.files = {{.name = "/keycode.rec", .content = "KEY"}}}, "single");
    const fs::path piece = set.diskette(1) / "keycode.rec";
    const std::string good = test::readFile(piece);
    test::writeFile(piece, std::string(good.size(), 'x'));
    dialogs.answer(Answer::Ok);   // the wrong checksum
    dialogs.answer(Answer::Yes);  // read only diskette 1 again
    readSet(set);
    ASSERT_EQ(wizard.state().wizardStep, WizardStep::NextDiskette);
    ASSERT_EQ(wizard.state().diskNumber, 1);
    for (const auto& [diskette, found] :
         {std::pair{&other, std::string("Expected 4711 found 20070718")},
          std::pair{&single,
                    std::string("Expected 4711 of 3 diskettes found 4711 of 1 diskette")}}) {
        SCOPED_TRACE(found);
        drives.insertFloppy(diskette->diskette(1));
        wizard.okPressed();
        EXPECT_EQ(dialogs.last().text, "\r\nWrong Archive ID at diskette #1\r\n" + found);
        EXPECT_EQ(wizard.state().wizardStep, WizardStep::NextDiskette);
        EXPECT_EQ(window.mainText.text, "Please insert diskette #1 and press the OK button\r\n");
    }
    test::writeFile(piece, good);
    drives.insertFloppy(set.diskette(1));
    wizard.okPressed();
    ASSERT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    writeCard('e');
    EXPECT_EQ(cardDatabase(), expectedDatabase(set));
}

// After the first mismatch the rest of the table is only checked: a missing file asks nothing,
// and the question says what each diskette lacks. A set of one diskette is read again without
// a question, as both answers would.
TEST_F(ConversionTest, TheQuestionAfterAFailedVerificationSaysWhatEachDisketteLacks) {
    DiskSet description = threeDisketteSet();
    description.files.push_back({.name = "/gone.dat", .content = "not written", .disk = 3});
    const WrittenSet set = writeSet(description);
    test::writeFile(set.diskette(1) / "keycode.rec", std::string(101, 'x'));
    fs::remove(set.diskette(3) / "gone.dat");
    dialogs.answer(Answer::Ok);  // the wrong checksum; nothing is asked about \gone.dat
    dialogs.answer(Answer::No);
    readSet(set);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.last().text,
              "Diskette #1 holds data that does not match its archived checksum.\r\nDiskette #3 "
              "does not hold \\gone.dat.\r\nRead only these diskettes again? No reads the whole "
              "set again, from diskette #1.");

    const WrittenSet one = writeSet({.files = {{.name = "/a.dat", .content = "bytes"}}}, "one");
    test::writeFile(one.diskette(1) / "a.dat", "BYTES");
    dialogs.clear();
    dialogs.answer(Answer::Ok);
    readSet(one);
    EXPECT_EQ(dialogs.shown().size(), 1u);  // the wrong checksum alone
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFloppy);
}

// A listed file that no diskette holds passes when its archived checksum is that of nothing, and
// the operator goes on: the card is written without it, and the log says so after the success.
TEST_F(ConversionTest, AFileOfChecksumZeroOnNoDisketteIsLeftOutAndSaidSo) {
    DiskSet description = threeDisketteSet();
    description.files.push_back({.name = "/empty.dat", .content = std::string(8, '\0'), .disk = 3});
    const WrittenSet set = writeSet(description);
    fs::remove(set.diskette(3) / "empty.dat");
    dialogs.answer(Answer::Ok);  // "File \empty.dat could not be found!"
    readSet(set);
    ASSERT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    writeCard('e');
    EXPECT_EQ(window.mainText.text, kSuccessThree);
    std::map<std::string, std::string> expected = expectedDatabase(set);
    expected.erase("empty.dat");
    EXPECT_EQ(cardDatabase(), expected);
    EXPECT_TRUE(window.logText.text.ends_with(
        "File \\empty.dat was not on the diskettes and is not on the card.\r\n"));
    EXPECT_EQ(CheckCard(drives.files, "E:\\").outcome, CardCheck::Outcome::Holds);
    // Without the record of the conversion, the absence is not taken for granted.
    fs::remove(drives.hostPath("E:\\backup\\XQ3100.ABS"));
    EXPECT_EQ(CheckCard(drives.files, "E:\\").outcome, CardCheck::Outcome::DoesNotHold);
}

TEST_F(ConversionTest, ACardReaderWithoutACardIsRefused) {
    const WrittenSet set = writeSet(threeDisketteSet());
    readSet(set);
    select('e');
    drives.table.setReady('E', false);
    wizard.okPressed();
    EXPECT_EQ(dialogs.last(),
              (ShownBox{"\r\nDrive E: is not ready.", "Error!", box_style::OkStop}));
    EXPECT_EQ(window.DriveList.listIndex, wizard.state().savedDriveIndex);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);

    // Picking it in the list is refused the same way.
    dialogs.clear();
    select('c');
    wizard.driveListIndexChanged(2);
    EXPECT_EQ(dialogs.last().text, "\r\nDrive E: is not ready.");
    EXPECT_EQ(window.DriveList.listIndex, wizard.state().savedDriveIndex);
}

TEST_F(ConversionTest, AnExistingDatabaseIsReplacedOnlyWhenTheOperatorAgrees) {
    const WrittenSet set = writeSet(threeDisketteSet());
    test::writeFile(drives.hostPath("E:\\backup\\single\\old.dat"), "old database");
    const auto before = cardDatabase();
    readSet(set);
    dialogs.answer(Answer::No);
    writeCard('e');
    EXPECT_EQ(dialogs.last(), (ShownBox{"Directory E:\\backup\\single\\ already exists\r\n"
                                        "Replace old database?",
                                        "Replace", box_style::YesNoQuestion}));
    EXPECT_EQ(cardDatabase(), before);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    EXPECT_EQ(window.mainText.text, kFlashRequest);
    EXPECT_TRUE(window.DriveList.visible && window.DriveList.enabled && window.DriveSize.visible);

    dialogs.answer(Answer::Yes);
    writeCard('e');
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::Written);
    EXPECT_EQ(cardDatabase(), expectedDatabase(set));
}

TEST_F(ConversionTest, ACardFailingMidwayKeepsTheOldDatabase) {
    const WrittenSet set = writeSet(threeDisketteSet());
    test::writeFile(drives.hostPath("E:\\backup\\single\\old.dat"), "old database");
    readSet(set);
    drives.files.inject({.op = test::FileOp::Write, .drive = 'E', .nth = 2});
    dialogs.answer(Answer::Yes);
    writeCard('e');
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFlash);
    EXPECT_EQ(window.mainText.text, kFlashRequest);
    EXPECT_EQ(cardDatabase(), (std::map<std::string, std::string>{{"old.dat", "old database"}}));
    EXPECT_EQ(test::filesUnder(drives.hostPath("E:\\backup")).size(),
              1u);  // nothing staged is left
    EXPECT_EQ(window.logText.text.find("Successful"), std::string::npos);

    drives.files.clearFaults();
    dialogs.answer(Answer::Yes);
    writeCard('e');
    EXPECT_EQ(cardDatabase(), expectedDatabase(set));
}

TEST_F(ConversionTest, ADatabaseThatCannotBeBuiltIsNeverOfferedForWriting) {
    const WrittenSet set = writeSet(threeDisketteSet());
    drives.files.inject({.op = test::FileOp::Write, .pathContains = "XQ3100_flat\\archive.dat"});
    readSet(set);
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFloppy);
    EXPECT_EQ(window.mainText.text, kFloppyRequest);
    EXPECT_EQ(dialogs.last().title, "Error!");
}

// Exit, and closing the window, in every step: confirmed, the working directories are gone.
// Diskette folders in a virtual floppy drive, as --diskettes gives them: when the card is asked
// for, the drive's entry names the folder in it then, the last diskette's, not the first's.
TEST_F(ConversionTest, TheCardRequestShowsTheDisketteTheVirtualFloppyDriveHolds) {
    const WrittenSet set = writeSet(threeDisketteSet());
    VirtualDriveOptions options;
    for (int n = 1; n <= 3; ++n) {
        options.disketteFolders.push_back(set.diskette(n).string());
    }
    VirtualDrives virtualDrives(drives.table, options);
    HostFileService files(virtualDrives.table(), "C:\\Temp");
    WindowModel model;
    test::ScriptedDialogs boxes;
    Wizard converter(model, virtualDrives.table(), files, boxes);
    converter.onDisketteRequested([&](int n) { virtualDrives.disketteRequested(n); });
    converter.startUp();
    const std::string floppy(1, asciiLower(virtualDrives.floppyLetter()));
    const auto entryOf = [&](const fs::path& folder) {
        return floppy + ": [" + folder.string() + "]";
    };
    ASSERT_EQ(model.DriveList.entries.front().substr(0, 2), "a:");
    converter.driveListIndexChanged(1);
    ASSERT_EQ(model.DriveList.drive(), entryOf(set.diskette(1)));
    for (int n = 0; n <= 3; ++n) {
        converter.okPressed();
    }
    ASSERT_EQ(converter.state().wizardStep, WizardStep::SelectFlash) << boxes.last().text;
    EXPECT_EQ(model.DriveList.drive(), entryOf(set.diskette(3)));
    EXPECT_TRUE(model.DriveSize.caption.starts_with("Removable Drive " +
                                                    asciiUpper(entryOf(set.diskette(3))) + " - " +
                                                    set.diskette(3).string() + "\r\n"))
        << model.DriveSize.caption;
}

class EndInEveryStep : public ConversionTest, public ::testing::WithParamInterface<int> {
  protected:
    void reachStep(int wanted) {
        const WrittenSet set = writeSet(threeDisketteSet());
        select('a');
        if (wanted >= 1) {
            wizard.okPressed();
        }
        for (int n = 1; wanted >= 2 && n <= (wanted == 2 ? 1 : 3); ++n) {
            drives.insertFloppy(set.diskette(n));
            wizard.okPressed();
        }
        if (wanted == 4) {
            writeCard('e');
        }
        ASSERT_EQ(wizard.state().wizardStep, static_cast<WizardStep>(wanted));
    }
};

TEST_P(EndInEveryStep, ExitEndsTheProgramAndRemovesTheWorkingDirectories) {
    reachStep(GetParam());
    const std::size_t asked = dialogs.shown().size();
    if (GetParam() < 4) {
        dialogs.answer(Answer::No);
        wizard.exitPressed();
        EXPECT_FALSE(wizard.ended());
        EXPECT_EQ(wizard.state().wizardStep, static_cast<WizardStep>(GetParam()));
        dialogs.answer(Answer::Yes);
    }
    wizard.exitPressed();
    EXPECT_TRUE(wizard.ended());
    EXPECT_EQ(dialogs.shown().size(), asked + (GetParam() < 4 ? 2 : 0));
    EXPECT_TRUE(workingDirectoriesGone());
}

TEST_P(EndInEveryStep, ClosingTheWindowAsksLikeExit) {
    reachStep(GetParam());
    if (GetParam() < 4) {
        dialogs.answer(Answer::No);
        EXPECT_FALSE(wizard.closeRequested());
        EXPECT_EQ(wizard.state().wizardStep, static_cast<WizardStep>(GetParam()));
        dialogs.answer(Answer::Yes);
    }
    EXPECT_TRUE(wizard.closeRequested());
    EXPECT_TRUE(workingDirectoriesGone());
}

INSTANTIATE_TEST_SUITE_P(Steps, EndInEveryStep, ::testing::Values(0, 1, 2, 3, 4));

}  // namespace
}  // namespace xq
