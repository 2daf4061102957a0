#include "archive/diskette_reader.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive_test_fixture.h"
#include "support/disk_set_writer.h"
#include "support/links.h"
#include "support/manual_clock.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;

// Everything under a folder, subfolders as "name/".
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        names.push_back(fs::relative(entry.path(), folder).generic_string() +
                        (entry.is_directory() ? "/" : ""));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string prompt(int n) {
    return "Please insert diskette #" + std::to_string(n) + " and press the OK button";
}

class DisketteReaderTest : public ArchiveTest {
  protected:
    // By default three diskettes of 10 bytes: main.dat is split over all three.
    void write(const DiskSet& description = {
                   .capacity = 10,
                   .files = {{.name = "/keycode.rec", .content = "KEY", .storedAs = "/keycode.kcd"},
                             {.name = "/db/main.dat", .content = std::string(20, 'm')}}}) {
        set = writeDiskSet(drives.newMedium("set"), description);
    }
    ReadResult read(int n) {
        drives.insertFloppy(set.diskette(n));
        return ReadDiskette(context, static_cast<std::int16_t>(n));
    }
    fs::path copyOf(int n) const { return temp / ("XQ3100_disk" + std::to_string(n)); }

    fs::path temp = host("C:\\Temp");
    fs::path flat = temp / "XQ3100_flat";
    WrittenSet set;
    ArchiveState archive;
    std::string floppyDrive = "A:";
    std::int16_t incompleteDiskette = 0;
    DisketteReadContext context{files, op, archive, floppyDrive, incompleteDiskette};
};

TEST_F(DisketteReaderTest, ReadsASetOfOneDiskette) {
    write({.archiveId = 20070717,
           .files = {{.name = "/keycode.rec", .content = "KEY"},
                     {.name = "/db/main.dat", .content = "main data"}}});
    EXPECT_EQ(read(1), ReadResult::LastDiskette);
    const std::string summary = "\r\nArchive ID = 20070717\r\nTotal diskettes num = 1";
    EXPECT_EQ(window.Label2.caption, summary);
    EXPECT_EQ(log(), summary + "\r\n");
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(window.ProgressBar1.max, 100);
    EXPECT_EQ(context.disketteFileCount, 5);
    EXPECT_EQ(window.ProgressBar1.value, 80);  // 20 for each of the four files
    EXPECT_EQ(namesIn(copyOf(1)), (std::vector<std::string>{"archive.dat", "db/", "db/main.dat",
                                                            "disk0001.dat", "keycode.rec"}));
    EXPECT_TRUE(fs::is_empty(flat));
    EXPECT_EQ(archive.fileCount, 2);
    EXPECT_EQ(archive.files[1].archivedChecksum, static_cast<double>(set.pieces[1].checksum));
}

TEST_F(DisketteReaderTest, ReadsASetDisketteByDisketteKeepingOnlyTheFirstDisketteFile) {
    write();
    ASSERT_EQ(set.disketteCount(), 3);
    EXPECT_EQ(read(1), ReadResult::MoreToFollow);
    EXPECT_EQ(window.ProgressBar1.max, 300);
    EXPECT_EQ(read(2), ReadResult::MoreToFollow);
    EXPECT_EQ(read(3), ReadResult::LastDiskette);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_TRUE(fs::exists(copyOf(1) / "disk0001.dat"));
    EXPECT_EQ(namesIn(copyOf(3)), (std::vector<std::string>{"db/", "db/main.dat"}));
    EXPECT_EQ(readFile(copyOf(1) / "db" / "main.dat") + readFile(copyOf(2) / "db" / "main.dat") +
                  readFile(copyOf(3) / "db" / "main.dat"),
              set.wholeFiles.at("/db/main.dat"));

    // Each read empties its own copy first; only diskette 1 recreates the flat directory.
    writeFile(copyOf(3) / "db" / "main.dat", "would be extended");
    writeFile(flat / "old.dat", "old");
    EXPECT_EQ(read(3), ReadResult::LastDiskette);
    EXPECT_EQ(readFile(copyOf(3) / "db" / "main.dat"), set.pieces[3].bytes);
    EXPECT_TRUE(fs::exists(flat / "old.dat"));
    EXPECT_EQ(read(1), ReadResult::MoreToFollow);
    EXPECT_TRUE(fs::is_empty(flat));
}

TEST_F(DisketteReaderTest, LooksForTheDisketteFileWithFourDigits) {
    archive.archiveId = 4711;
    archive.archiveIdText = "4711";
    archive.disketteCount = 99;
    for (const auto& [n, name] : {std::pair{9, "disk0009.dat"}, std::pair{10, "disk0010.dat"},
                                  std::pair{99, "DISK0099.DAT"}}) {
        const fs::path diskette = drives.newMedium(name);
        writeFile(diskette / name, disketteFileText(4711, n));
        drives.insertFloppy(diskette);
        EXPECT_EQ(ReadDiskette(context, static_cast<std::int16_t>(n)),
                  n == 99 ? ReadResult::LastDiskette : ReadResult::MoreToFollow);
        EXPECT_TRUE(fs::is_empty(copyOf(n))) << name;
    }
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(DisketteReaderTest, RefusesADisketteWithoutItsDisketteFilePromptingFirst) {
    write();
    fs::rename(set.diskette(2) / "disk0002.dat", set.diskette(2) / "disk002.dat");
    EXPECT_EQ(read(2), ReadResult::Rejected);
    const std::string message = "Wrong diskette!\r\nInsert diskette #2";
    EXPECT_EQ(log(), "ERROR " + message + "\r\n" + prompt(2) + "\r\n");
    EXPECT_EQ(dialogs.shown(), (std::vector<ShownBox>{{message, "Error!", box_style::OkStop}}));
    EXPECT_EQ(dialogs.mainTextAtBox, std::vector<std::string>{prompt(2) + "\r\n"});
    EXPECT_FALSE(fs::exists(copyOf(2)));
}

TEST_F(DisketteReaderTest, RefusesADisketteFileWithoutAFirstLine) {
    write({.files = {{.name = "/a", .content = "a"}}, .disketteFileText = {{1, ""}}});
    EXPECT_EQ(read(1), ReadResult::Rejected);
    EXPECT_EQ(log(), "Failed to open A:\\disk0001.dat\r\n");
    EXPECT_EQ(
        dialogs.shown(),
        (std::vector<ShownBox>{{"Failed to open A:\\disk0001.dat", "Error!", box_style::OkStop}}));
}

TEST_F(DisketteReaderTest, MakesPrivateWorkingDirectoriesAndReportsOneThatCannotBeMade) {
    write();
    files.inject({.op = FileOp::MakeDir, .pathContains = "_flat", .error = FileError::DiskFull});
    EXPECT_EQ(read(1), ReadResult::Rejected);
    // The drive named is that of the temporary folder, where the directory was to be.
    const std::string message =
        "Failed to create directory: C:\\Temp\\XQ3100_flat\r\n"
        "Ensure there is enough free space available on drive C:\\";
    EXPECT_EQ(log(), message + "\r\n");
    EXPECT_EQ(dialogs.shown(), (std::vector<ShownBox>{{message, "Error!", box_style::OkStop}}));

    files.clearFaults();
    EXPECT_EQ(read(1), ReadResult::MoreToFollow);
    for (const fs::path& folder : {copyOf(1), flat}) {
#ifdef _WIN32
        // Windows keeps no mode bits: a new folder takes the access list of the user's own
        // temporary folder, which keeps other users out already.
        EXPECT_TRUE(fs::is_directory(folder)) << folder;
#else
        EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all)
            << folder;
#endif
    }
}

TEST_F(DisketteReaderTest, NeverFollowsALinkInPlaceOfAWorkingDirectory) {
    write();
    const fs::path elsewhere = drives.newMedium("elsewhere");
    writeFile(elsewhere / "keep.txt", "keep");
    if (const std::string why = makeFolderLink(elsewhere, copyOf(2)); !why.empty()) {
        GTEST_SKIP() << why;
    }
    EXPECT_EQ(read(1), ReadResult::MoreToFollow);
    EXPECT_EQ(read(2), ReadResult::Rejected);
    EXPECT_EQ(dialogs.last().text,
              "Failed to create directory: C:\\Temp\\XQ3100_disk2\r\n"
              "Ensure there is enough free space available on drive C:\\");
    EXPECT_EQ(namesIn(elsewhere), std::vector<std::string>{"keep.txt"});
}

TEST_F(DisketteReaderTest, ReportsAMissingDescriptorByItsPathAndKeepsTheArchive) {
    write({.files = {{.name = "/a", .content = "a"}}, .withDescriptor = false});
    archive.archiveId = 99;
    EXPECT_EQ(read(1), ReadResult::Rejected);
    const std::string message = "A:\\archive.dat File not found\r\nInsert diskette #1";
    EXPECT_EQ(log(), "ERROR " + message + "\r\n" + prompt(1) + "\r\n");
    EXPECT_EQ(dialogs.shown(), (std::vector<ShownBox>{{message, "Error!", box_style::OkStop}}));
    EXPECT_EQ(dialogs.mainTextAtBox, std::vector<std::string>{prompt(1) + "\r\n"});
    EXPECT_EQ(archive.archiveId, 99);
}

TEST_F(DisketteReaderTest, RefusesBadDescriptorsAndWritesNothingOutsideTheWorkingDirectories) {
    const std::string wrong = "Wrong diskette!\r\nInsert diskette #1";
    // Another copy of diskette 1 would say the same of these: the message says why the set can
    // not be converted, rather than ask for another diskette 1.
    const std::string unconvertible =
        "This diskette set can not be converted as it is:\r\nA:\\archive.dat ";
    const std::vector<std::pair<DiskSet, std::string>> bad = {
        {{.descriptorText = ""}, wrong},
        {{.descriptorText = std::string(10001, '\n')}, wrong},
        {{.descriptorText = "#XQ3100 ARCHIVE #4711\nNUMDISKS: 1\nno files\n"}, wrong},
        {{.files = {{.name = "/../../escape.dat", .content = "evil", .storedAs = "/evil.dat"}}},
         unconvertible + "lists a file that a Compact Flash card can not hold under its name:\r\n"
                         "FILE: 1 0 1 1702259052 \\..\\..\\escape.dat x"},
        {{.files = {{.name = "escape.dat", .content = "evil", .storedAs = "/evil.dat"}}},
         unconvertible + "lists a file that a Compact Flash card can not hold under its name:\r\n"
                         "FILE: 1 0 1 1702259052 escape.dat x"},
        {{.files = std::vector<SetFile>(101, SetFile{.name = "/f", .content = "f"})},
         unconvertible + "lists more than 100 files."},
        {{.files = {{.name = "/a", .content = "a"}}, .numDisks = 0},
         unconvertible + "gives 0 as the number of diskettes (NUMDISKS); a set has 1 to 99."},
        {{.files = {{.name = "/a", .content = "a"}}, .numDisks = 100},
         unconvertible + "gives 100 as the number of diskettes (NUMDISKS); a set has 1 to 99."},
    };
    for (const auto& [description, message] : bad) {
        write(description);
        dialogs.clear();
        EXPECT_EQ(read(1), ReadResult::Rejected);
        EXPECT_EQ(dialogs.shown(), (std::vector<ShownBox>{{message, "Error!", box_style::OkStop}}));
        EXPECT_TRUE(log().ends_with("ERROR " + message + "\r\n" + prompt(1) + "\r\n")) << log();
        EXPECT_EQ(namesIn(drives.hostPath("C:\\")),
                  (std::vector<std::string>{"Temp/", "Temp/XQ3100_disk1/", "Temp/XQ3100_flat/"}));
        EXPECT_EQ(archive, ArchiveState{});
    }
}

TEST_F(DisketteReaderTest, RefusesADisketteOfAnotherArchive) {
    write();
    ASSERT_EQ(read(1), ReadResult::MoreToFollow);
    writeFile(set.diskette(2) / "disk0002.dat", disketteFileText(815, 2));
    const std::string before = log();
    EXPECT_EQ(read(2), ReadResult::AnotherArchive);
    const std::string message = "\r\nWrong Archive ID at diskette #2\r\nExpected 4711 found 815";
    EXPECT_EQ(dialogs.shown(), (std::vector<ShownBox>{{message, "Error!", box_style::OkStop}}));
    EXPECT_EQ(dialogs.mainTextAtBox, std::vector<std::string>{""});  // the prompt follows the box
    EXPECT_EQ(log(), before + "ERROR " + message + "\r\n" + prompt(2) + "\r\n");
    EXPECT_FALSE(fs::exists(copyOf(2) / "db"));
}

TEST_F(DisketteReaderTest, ComparesArchiveIdsAsNumbers) {
    write();
    ASSERT_EQ(read(1), ReadResult::MoreToFollow);
    writeFile(set.diskette(2) / "disk0002.dat", "XQ3100 DISKETTE #  4711.0 \r\nmore");
    EXPECT_EQ(read(2), ReadResult::MoreToFollow);
    for (const char* text : {"XQ3100 DISKETTE #4711x\r\n", "XQ3100 DISKETTE #4712\n", "short"}) {
        writeFile(set.diskette(2) / "disk0002.dat", text);
        EXPECT_EQ(read(2), ReadResult::AnotherArchive) << text;
    }
    EXPECT_EQ(dialogs.last().text, "\r\nWrong Archive ID at diskette #2\r\nExpected 4711 found ");
}

// Sets whose IDs differ only beyond what a double holds are other sets; the same ID passes
// whatever blanks surround it.
TEST_F(DisketteReaderTest, ComparesArchiveIdsOfAnyLengthExactly) {
    for (const std::string id : {"1234567890123456", "12345678901234567", "1234567890123456789"}) {
        SCOPED_TRACE(id);
        DiskSet longId{.capacity = 10,
                       .files = {{.name = "/db/main.dat", .content = std::string(25, 'm')}}};
        longId.archiveIdText = id;
        write(longId);
        dialogs.clear();
        ASSERT_EQ(read(1), ReadResult::MoreToFollow) << log();
        writeFile(set.diskette(2) / "disk0002.dat", disketteFileText("  " + id + " ", 2));
        EXPECT_EQ(read(2), ReadResult::MoreToFollow) << log();
        EXPECT_TRUE(dialogs.shown().empty());

        std::string other = id;
        other.back() = static_cast<char>(other.back() + 1);
        writeFile(set.diskette(3) / "disk0003.dat", disketteFileText(other, 3));
        EXPECT_EQ(read(3), ReadResult::AnotherArchive);
        EXPECT_EQ(dialogs.last().text,
                  "\r\nWrong Archive ID at diskette #3\r\nExpected " + id + " found " + other);
    }
}

TEST_F(DisketteReaderTest, TellsACopyFailureFromARejection) {
    write();
    ASSERT_EQ(read(1), ReadResult::MoreToFollow);
    files.inject({.op = FileOp::OpenWrite, .pathContains = "_disk2", .error = FileError::DiskFull});
    EXPECT_EQ(read(2), ReadResult::CopyFailed);
    EXPECT_EQ(dialogs.last().text,
              "Can not copy file A:\\db\\main.dat to C:\\Temp\\XQ3100_disk2\\db\\main.dat\r\n"
              "Ensure that the floppy disk is readable and that \r\n"
              "there is enough free space available on drive A:\\");
}

// A diskette with wide damage: once its failed reads have used up their time, a failing chunk is
// read once and recorded as missing, as many reads as an undamaged diskette takes. Each failed read
// here takes a second of the test's clock.
TEST_F(DisketteReaderTest, StopsReadingSectorsAgainOnceTheDiskettesTimeForFailedReadsIsSpent) {
    write();
    test::ManualClock clock;
    context.rescue.clock = &clock;
    context.rescue.sectorSize = 2;  // sectors enough in the diskette's piece of main.dat
    files.beforeCall = [&clock](FileOp op, std::string_view path) {
        if (op == FileOp::Read && path.find("main.dat") != std::string_view::npos) {
            clock.advance(std::chrono::seconds(1));
        }
    };
    const auto readsOfDiskette1 = [&](ReadResult expected) {
        archive = {};
        incompleteDiskette = 0;
        const int before = files.count(FileOp::Read, 'A');
        EXPECT_EQ(read(1), expected);
        return files.count(FileOp::Read, 'A') - before;
    };
    const int undamaged = readsOfDiskette1(ReadResult::MoreToFollow);
    files.inject({.op = FileOp::Read,
                  .drive = 'A',
                  .pathContains = "main.dat",
                  .error = FileError::DeviceIo});
    EXPECT_GT(readsOfDiskette1(ReadResult::Unreadable), undamaged + 7);
    // Spent in the middle of a chunk read sector by sector: its first sector's second try, a move
    // of the head and its third, then one read for the rest of the chunk, not one per sector.
    context.rescue.failedReadBudget = std::chrono::seconds(3);
    EXPECT_EQ(readsOfDiskette1(ReadResult::Unreadable), undamaged + 4);
    context.rescue.failedReadBudget = std::chrono::milliseconds(0);
    EXPECT_EQ(readsOfDiskette1(ReadResult::Unreadable), undamaged);
    EXPECT_NE(log().find("A:\\db\\main.dat bytes 0-"), std::string::npos);
}

TEST_F(DisketteReaderTest, AdvancesByNothingWhenTheDisketteListsNoFiles) {
    write();
    // The count's listing fails; the copy's own listing works.
    files.inject({.op = FileOp::List, .drive = 'A', .nth = 1, .error = FileError::DeviceIo});
    EXPECT_EQ(read(1), ReadResult::MoreToFollow);
    EXPECT_EQ(context.disketteFileCount, 0);
    EXPECT_EQ(window.ProgressBar1.value, 0);
    EXPECT_TRUE(fs::exists(copyOf(1) / "archive.dat"));
}

TEST_F(DisketteReaderTest, StopsAtAHundredDiskettesForTheCallerToEndTheProgram) {
    EXPECT_EQ(ReadDiskette(context, 100), ReadResult::TooManyDiskettes);
    EXPECT_EQ(log(), "ERROR \r\nToo many diskettes!\r\n");
    EXPECT_EQ(dialogs.shown(),
              (std::vector<ShownBox>{{"\r\nToo many diskettes!", "Error!", box_style::OkStop}}));
    EXPECT_TRUE(fs::is_empty(temp));
}

}  // namespace
}  // namespace xq::test
