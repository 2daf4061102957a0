// Whole conversions by the terminal program, run as a process, of sets made for each case: the
// card and the exit status a set gives are the same on every host the program is built for.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/disk_set_writer.h"
#include "support/faulty_mount.h"
#include "support/process.h"
#include "support/reference_checksum.h"
#include "support/temp_dir.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;

// A path as the program's arguments carry it: UTF-8 on every host.
std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string bytes(std::size_t count, int seed) {
    std::string text(count, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        text[i] = static_cast<char>(i * 31 + static_cast<std::size_t>(seed));
    }
    return text;
}

// A set of two files: a key-code file stored as "keycode.kcd", and a record file that is split
// over every diskette but the first when the diskettes are small.
DiskSet twoFileSet(std::size_t capacity) {
    return {
        .archiveId = 20070717,
        .capacity = capacity,
        .files = {{.name = "/keycode.rec", .content = "KEY", .storedAs = "/keycode.kcd"},
                  {.name = "/db/records.dat", .content = bytes(2500, 7), .secondString = "DB"}}};
}

class ConversionSetsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder : {"tmp", "runtime", "card"}) {
            fs::create_directories(temp / folder);
        }
    }

    // Converts the set onto the card folder, answering every question with `answer`, with `tmp` as
    // the system's temporary folder.
    ProcessOutcome convert(const WrittenSet& set, const std::string& answer) {
        return convert(set, answer, (temp / "tmp").string());
    }
    ProcessOutcome convert(const WrittenSet& set, const std::string& answer,
                           const std::string& tmp) {
        return run(set, {answer}, std::nullopt, tmp);
    }
    // The same with these options, and `input` as what the operator types.
    ProcessOutcome convertTyping(const WrittenSet& set, const std::vector<std::string>& options,
                                 const std::string& input) {
        return run(set, options, input, (temp / "tmp").string());
    }
    ProcessOutcome run(const WrittenSet& set, const std::vector<std::string>& options,
                       const std::optional<std::string>& input, const std::string& tmp) {
        std::vector<std::string> arguments = {"--diskettes"};
        for (const fs::path& diskette : set.diskettes) {
            arguments.push_back(utf8(diskette));
        }
        arguments.insert(arguments.end(), {"--card", utf8(card)});
        arguments.insert(arguments.end(), options.begin(), options.end());
        return runProgram(XQ_CONVERT_PROGRAM, arguments,
                          {{"TMPDIR", tmp},
                           {"TMP", tmp},
                           {"TEMP", tmp},
                           {"XDG_RUNTIME_DIR", (temp / "runtime").string()}},
                          temp.path(), input);
    }

    // The card the set gives: every listed file whole under the name it has on the diskettes,
    // diskette 1's diskette file, and the one-diskette descriptor listing each file once with its
    // whole checksum.
    Tree expectedCard(const WrittenSet& set, const DiskSet& description) const {
        Tree card;
        std::string descriptor = "#XQ3100 ARCHIVE #20070717\nNUMDISKS: 1\n";
        for (const SetFile& file : description.files) {
            const std::string& content = set.wholeFiles.at(file.name);
            card["backup/single" + (file.storedAs.empty() ? file.name : file.storedAs)] = content;
            descriptor += "FILE: 1 0 1 " + std::to_string(referenceFileChecksum(content)) + " " +
                          file.name + " " + file.secondString + "\n";
        }
        card["backup/single/disk0001.dat"] = readFile(set.diskette(1) / "disk0001.dat");
        card["backup/single/archive.dat"] = descriptor;
        return card;
    }

    void expectNoWorkingFolders() { EXPECT_TRUE(fs::is_empty(temp / "tmp")); }

    TempDir temp;
    fs::path card = temp / "card";
};

TEST_F(ConversionSetsTest, OneDiskette) {
    const DiskSet description = twoFileSet(1'457'664);
    const WrittenSet set = writeDiskSet(temp / "set", description);
    ASSERT_EQ(set.disketteCount(), 1);
    const ProcessOutcome result = convert(set, "--yes");
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(filesUnder(card), expectedCard(set, description));
    expectNoWorkingFolders();
}

TEST_F(ConversionSetsTest, ThreeDiskettesWithASplitFile) {
    const DiskSet description = twoFileSet(1000);
    const WrittenSet set = writeDiskSet(temp / "set", description);
    ASSERT_EQ(set.disketteCount(), 3);
    const ProcessOutcome result = convert(set, "--yes");
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(filesUnder(card), expectedCard(set, description));
    expectNoWorkingFolders();
}

TEST_F(ConversionSetsTest, FoldersNamedInAnyScript) {
    // Cyrillic and Japanese: no single ANSI code page of Windows holds both.
    const DiskSet description = twoFileSet(1000);
    const WrittenSet set = writeDiskSet(temp.path() / fs::path(u8"дискеты 日本"), description);
    card = temp.path() / fs::path(u8"карта");
    fs::create_directories(card);
    const ProcessOutcome result = convert(set, "--yes");
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(filesUnder(card), expectedCard(set, description));
    expectNoWorkingFolders();
}

TEST_F(ConversionSetsTest, AFlippedByteWritesNoCard) {
    const WrittenSet set = writeDiskSet(temp / "set", twoFileSet(1000));
    const fs::path piece = set.diskette(2) / "db" / "records.dat";
    std::string damaged = readFile(piece);
    damaged[damaged.size() / 2] ^= 0x01;
    writeFile(piece, damaged);
    const ProcessOutcome result = convert(set, "--yes");
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_NE(result.err.find("Wrong checksum"), std::string::npos) << result.err;
    EXPECT_TRUE(filesUnder(card).empty());
    expectNoWorkingFolders();
}

TEST_F(ConversionSetsTest, AForeignDisketteWritesNoCard) {
    const WrittenSet set = writeDiskSet(temp / "set", twoFileSet(1000));
    const WrittenSet other = writeDiskSet(
        temp / "other", {.archiveId = 4711, .capacity = 1000, .files = twoFileSet(1000).files});
    fs::remove_all(set.diskette(2));
    fs::copy(other.diskette(2), set.diskette(2), fs::copy_options::recursive);
    const ProcessOutcome result = convert(set, "--yes");
    EXPECT_EQ(result.status, 1) << result.out << result.err;
    EXPECT_NE(result.err.find("Wrong Archive ID at diskette #2\nExpected 20070717 found 4711\n"),
              std::string::npos)
        << result.err;
    EXPECT_TRUE(filesUnder(card).empty());
    expectNoWorkingFolders();
}

TEST_F(ConversionSetsTest, ADeclinedReplacementKeepsTheCardAsItWas) {
    const WrittenSet set = writeDiskSet(temp / "set", twoFileSet(1000));
    writeFile(card / "backup" / "single" / "archive.dat", "the old database");
    writeFile(card / "notes.txt", "the operator's");
    const Tree before = filesUnder(card);
    const ProcessOutcome result = convert(set, "--no");
    EXPECT_EQ(result.status, 3) << result.out << result.err;
    EXPECT_EQ(filesUnder(card), before);
    expectNoWorkingFolders();
}

// Diskettes read through a file system that fails chosen sectors, as old diskettes do: a weak
// sector costs a few tries, a dead one the reading of its own diskette, never the set.
TEST_F(ConversionSetsTest, DamagedDiskettesThroughAFaultyFileSystem) {
    FaultyMount mount;
    if (!mount.unavailable().empty()) {
        GTEST_SKIP() << mount.unavailable();
    }
    const DiskSet description = twoFileSet(1000);
    WrittenSet set = writeDiskSet(mount.source() / "set", description);
    for (fs::path& diskette : set.diskettes) {
        diskette = mount.path() / fs::relative(diskette, mount.source());
    }
    ASSERT_EQ(set.disketteCount(), 3);
    const Tree expected = expectedCard(set, description);
    const auto startOver = [&](const std::string& faults) {
        fs::remove_all(card);
        fs::create_directories(card);
        mount.setFaults(faults);
    };

    // Sectors that read on their 3rd and on their 6th try.
    startOver(
        "fail /set/diskette2/db/records.dat 0 512 3\n"
        "fail /set/diskette2/db/records.dat 512 1024 6\n");
    ProcessOutcome result = convertTyping(set, {"--yes", "--verbose"}, "");
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    // The diskette's path as the folder named for it, with the host's separators.
    const std::string records =
        (fs::path("diskette2") / "db" / "records.dat").make_preferred().string();
    EXPECT_NE(result.out.find(records + " bytes 0-511 read on try 3"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find(records + " bytes 512-999 read on try 6"), std::string::npos)
        << result.out;
    EXPECT_EQ(filesUnder(card), expected);

    // A sector that does not read in this drive: the same diskette is offered again, and read in
    // a drive where it does, only that sector is read.
    startOver("fail /set/diskette2/db/records.dat 512 1024 9\n");
    result = convertTyping(set, {"--yes"}, "\n");
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.err.find("488 bytes of \\db\\records.dat could not be read."),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("Press Enter to read diskette #2 again, or type q to stop"),
              std::string::npos)
        << result.err;
    FaultyMount::Reads reads = mount.reads();
    EXPECT_EQ(reads.tries.at("/set/diskette2/db/records.dat 512 1024"), 9u);
    for (int n = 1; n <= 3; ++n) {
        const std::string piece = "/set/diskette" + std::to_string(n) + "/db/records.dat";
        EXPECT_EQ(reads.bytes[piece], fs::file_size(set.diskette(n) / "db" / "records.dat"))
            << piece;
    }
    EXPECT_EQ(filesUnder(card), expected);

    // A byte that read wrong: only its diskette is read again.
    startOver("flip /set/diskette2/db/records.dat 100 1\n");
    result = convertTyping(set, {"--yes"}, "yes\n");
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.err.find("Read only diskette #2 again?"), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("Read 1 diskette in "), std::string::npos) << result.out;
    reads = mount.reads();
    for (int n = 1; n <= 3; ++n) {
        const std::string piece = "/set/diskette" + std::to_string(n) + "/db/records.dat";
        EXPECT_EQ(reads.bytes[piece],
                  (n == 2 ? 2 : 1) * fs::file_size(set.diskette(n) / "db" / "records.dat"))
            << piece;
    }
    EXPECT_EQ(filesUnder(card), expected);

    // The same for the last diskette: read again, it completes the set.
    startOver("flip /set/diskette3/db/records.dat 100 1\n");
    result = convertTyping(set, {"--yes"}, "yes\n");
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.err.find("Read only diskette #3 again?"), std::string::npos) << result.err;
    EXPECT_EQ(filesUnder(card), expected);
    expectNoWorkingFolders();
}

// A card checked months later, or one written by someone else: proven against its own descriptor,
// file by file, read back from the medium.
TEST_F(ConversionSetsTest, ACardIsCheckedAgainstItsOwnDescriptor) {
    const WrittenSet set = writeDiskSet(temp / "set", twoFileSet(1000));
    ASSERT_EQ(convert(set, "--yes").status, 0);
    const auto check = [this] {
        return runProgram(XQ_CONVERT_PROGRAM, {"--check-card", utf8(card)},
                          {{"TMPDIR", utf8(temp / "tmp")},
                           {"TMP", utf8(temp / "tmp")},
                           {"TEMP", utf8(temp / "tmp")}},
                          temp.path());
    };
    const fs::path single = card / "backup" / "single";
    const ProcessOutcome good = check();
    EXPECT_EQ(good.status, 0) << good.out << good.err;
    EXPECT_TRUE(
        good.out.ends_with("  \\keycode.rec holds\n  \\db\\records.dat holds\n"
                           "The card holds its database.\n"))
        << good.out;

    std::string records = readFile(single / "db" / "records.dat");
    records[100] ^= 0x01;
    writeFile(single / "db" / "records.dat", records);
    fs::remove(single / "keycode.kcd");
    const ProcessOutcome bad = check();
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("  \\keycode.rec is missing\n  \\db\\records.dat differs from its "
                           "checksum\n"),
              std::string::npos)
        << bad.out;
    EXPECT_EQ(bad.err,
              "xq3100-convert: the card does not hold its database: 2 of 2 files do not hold\n");

    // A file larger than any set is named at once, without being read.
    fs::resize_file(single / "db" / "records.dat", 100ULL * 2'949'120);
    const ProcessOutcome large = check();
    EXPECT_EQ(large.status, 1);
    EXPECT_NE(large.out.find("  \\db\\records.dat is larger than any set of diskettes can hold\n"),
              std::string::npos)
        << large.out;

    // A write cut off: no folder is the card's database for certain until the next write.
    fs::create_directories(card / "backup" / "XQ3100.OLD");
    writeFile(card / "backup" / "XQ3100.OLD" / "archive.dat", "old");
    writeFile(card / "backup" / "XQ3100.JNL",
              "XQ3100 Database Media Converter card journal\nswap\n");
    const ProcessOutcome unfinished = check();
    EXPECT_EQ(unfinished.status, 1);
    EXPECT_TRUE(unfinished.err.starts_with(
        "xq3100-convert: " + utf8(single) +
        " is not the card's database for certain: a write of the converter's was cut off "
        "there\n"))
        << unfinished.err;
    EXPECT_EQ(unfinished.out, "");
    fs::remove_all(card / "backup" / "XQ3100.OLD");
    fs::remove(card / "backup" / "XQ3100.JNL");

#ifndef _WIN32
    // Links are never followed: a linked db folder is no database the converter wrote.
    fs::rename(single / "db", card / "db");
    fs::create_directory_symlink(card / "db", single / "db");
    const ProcessOutcome linked = check();
    EXPECT_EQ(linked.status, 1);
    EXPECT_EQ(linked.err, "xq3100-convert: " + utf8(single) +
                              " holds a link, a device or a folder that can not be read: links "
                              "are never followed, and no conversion wrote such a folder\n");
#endif

    fs::remove_all(card / "backup");
    EXPECT_EQ(check().status, 1);
}

#ifdef _WIN32
TEST_F(ConversionSetsTest, WorkingFoldersOnANetworkShare) {
    // Where roaming profiles keep the temporary folder on a server. Under Wine the share is a
    // folder that scripts/test-windows gives the prefix.
    const fs::path share = L"\\\\xq3100\\share";
    std::error_code ec;
    if (!fs::is_directory(share, ec)) {
        GTEST_SKIP() << "the share \\\\xq3100\\share is not there (scripts/test-windows makes it "
                        "for Wine)";
    }
    const fs::path tmp = share / temp.path().filename();
    fs::create_directory(tmp);
    const DiskSet description = twoFileSet(1000);
    const WrittenSet set = writeDiskSet(temp / "set", description);
    const ProcessOutcome result = convert(set, "--yes", tmp.string());
    EXPECT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_EQ(filesUnder(card), expectedCard(set, description));
    EXPECT_TRUE(fs::is_empty(tmp));
    fs::remove_all(tmp, ec);
}
#endif

}  // namespace
}  // namespace xq::test
