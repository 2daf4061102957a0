// The terminal front end run as a process, as scripts run it.

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/drive_table.h"
#include "platform/instance_lock.h"
#include "support/process.h"
#include "support/temp_dir.h"
#include "ui/version_text.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

// Whether this process can create a file in the folder.
bool canCreateFileIn(const fs::path& folder) {
    const fs::path probe = folder / "xq3100-probe.tmp";
    if (!std::ofstream(probe)) {
        return false;
    }
    std::error_code ec;
    fs::remove(probe, ec);
    return true;
}

// A folder in which the kernel lets no one create files, the superuser included (sysfs; under
// Wine the same folder through drive Z:); empty where there is none.
fs::path kernelFolderNoOneMayWrite() {
#ifdef _WIN32
    const fs::path folder = "Z:\\sys\\kernel";
#else
    const fs::path folder = "/sys/kernel";
#endif
    std::error_code ec;
    return fs::is_directory(folder, ec) ? folder : fs::path();
}

// Makes (`make`) or removes (!`make`) one empty folder, also beyond the plain form's length.
bool makeOrRemoveFolder(const fs::path& folder, bool make) {
#ifdef _WIN32
    const std::wstring longForm = L"\\\\?\\" + folder.wstring();
    return make ? ::CreateDirectoryW(longForm.c_str(), nullptr) != 0
                : ::RemoveDirectoryW(longForm.c_str()) != 0;
#else
    std::error_code ec;
    return make ? fs::create_directory(folder, ec) : fs::remove(folder, ec);
#endif
}

class TerminalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder : {"tmp", "runtime", "card", "sample"}) {
            fs::create_directories(temp / folder);
        }
        ASSERT_EQ(run(XQ_SAMPLE_PROGRAM, {(temp / "sample").string()}).status, 0);
    }

    // Runs a program with no input and a private temporary and runtime folder.
    ProcessOutcome run(const std::string& program, const Arguments& arguments) {
        const std::string tmp = (temp / "tmp").string();
        return runProgram(program, arguments,
                          {{"TMPDIR", tmp},
                           {"TMP", tmp},
                           {"TEMP", tmp},
                           {"XDG_RUNTIME_DIR", (temp / "runtime").string()}},
                          temp.path());
    }

    // The converter on the sample's diskettes 1..3 (or on `diskettes`), then `arguments`.
    ProcessOutcome convert(const Arguments& arguments, Arguments diskettes = {}) {
        if (diskettes.empty()) {
            diskettes = {diskette(1).string(), diskette(2).string(), diskette(3).string()};
        }
        Arguments all = {"--diskettes"};
        all.insert(all.end(), diskettes.begin(), diskettes.end());
        all.insert(all.end(), arguments.begin(), arguments.end());
        return run(XQ_CONVERT_PROGRAM, all);
    }
    fs::path diskette(int n) const { return temp / "sample" / ("diskette" + std::to_string(n)); }

    // What a refused command line puts on stderr.
    static std::string refusal(const std::string& message) {
        return "xq3100-convert: " + message +
               "\nTry 'xq3100-convert --help' for more information.\n";
    }

    // Nothing was written on the card and no working folder was left behind.
    void expectNothingWritten() {
        EXPECT_TRUE(fs::is_empty(card));
        EXPECT_TRUE(fs::is_empty(temp / "tmp"));
    }

    TempDir temp;
    fs::path card = temp / "card";
};

TEST_F(TerminalTest, ConvertsTheSampleSetOntoACardFolderWithYes) {
    const ProcessOutcome result = convert({"--card", card.string(), "--yes"});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    // The time it took is the machine's: only its form is the program's.
    EXPECT_TRUE(std::regex_search(result.out, std::regex("Proved the card in [0-9]+:[0-9]{2}\n")))
        << result.out;
    EXPECT_TRUE(result.out.ends_with("\nThe database is in " +
                                     (fs::canonical(card) / "backup" / "single").string() + ".\n"))
        << result.out;
    EXPECT_EQ(result.err, "");

    // Every file whole, the split one joined in diskette order, under a one-diskette descriptor.
    const auto database = filesUnder(card / "backup" / "single");
    EXPECT_EQ(database.at("db/records.dat"), readFile(diskette(1) / "db" / "records.dat") +
                                                 readFile(diskette(2) / "db" / "records.dat") +
                                                 readFile(diskette(3) / "db" / "records.dat"));
    EXPECT_EQ(database.at("db/config.dat"), readFile(diskette(1) / "db" / "config.dat"));
    EXPECT_EQ(database.at("keycode.rec"), readFile(diskette(1) / "keycode.rec"));
    EXPECT_EQ(database.at("disk0001.dat"), readFile(diskette(1) / "disk0001.dat"));
    const std::string& descriptor = database.at("archive.dat");
    const std::size_t second = descriptor.find('\n') + 1;
    EXPECT_EQ(descriptor.substr(second, descriptor.find('\n', second) - second), "NUMDISKS: 1");
    EXPECT_EQ(database.size(), 5u);
    EXPECT_EQ(filesUnder(card).size(), 5u);
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));  // no XQ3100_* working folder left
}

TEST_F(TerminalTest, NoDeclinesToReplaceAnExistingDatabase) {
    writeFile(card / "backup" / "single" / "old.dat", "old");
    writeFile(card / "notes.txt", "mine");
    const auto before = filesUnder(card);
    const ProcessOutcome result = convert({"--card", card.string(), "--no"});
    EXPECT_EQ(result.status, 3) << result.out << result.err;
    // The card drive's root is shown as the folder named for it, with the host's separators.
    EXPECT_NE(result.err.find((card / "backup" / "single" / "").string() +
                              " already exists\nReplace old database?\nYes/No? no (--no)\n"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(filesUnder(card), before);
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
}

TEST_F(TerminalTest, FoldersAreCheckedBeforeAnythingIsWritten) {
    const ProcessOutcome swapped =
        convert({"--card", card.string(), "--yes"}, {diskette(2).string(), diskette(1).string()});
    EXPECT_EQ(swapped.status, 2);
    EXPECT_EQ(swapped.err, refusal("Folder " + diskette(2).string() +
                                   " is not diskette #1: it holds no disk0001.dat"));
    EXPECT_EQ(swapped.out, "");

    const fs::path none = temp / "none";
    const ProcessOutcome noDiskette =
        convert({"--card", card.string(), "--yes"}, {diskette(1).string(), none.string()});
    EXPECT_EQ(noDiskette.status, 2);
    EXPECT_EQ(noDiskette.err, refusal("Diskette folder " + none.string() + " does not exist"));

    const ProcessOutcome noCard = convert({"--card", none.string(), "--yes"});
    EXPECT_EQ(noCard.status, 2);
    EXPECT_EQ(noCard.err, refusal("Card folder " + none.string() + " does not exist"));
    expectNothingWritten();
#ifdef _WIN32
    // The system drive's root as a card folder: refused on --yes, and on answers that come from
    // no console (the Linux side types its answer at a pseudo-terminal, which Wine cannot give).
    for (const Arguments& answers :
         {Arguments{"--card", "C:\\", "--yes"}, Arguments{"--card", "C:\\."}}) {
        const ProcessOutcome system = convert(answers);
        EXPECT_EQ(system.status, 2);
        EXPECT_EQ(system.err,
                  "xq3100-convert: card folder C:\\ holds the operating system: the database is "
                  "written there only on an answer typed at the terminal, without --yes or --no "
                  "and not from a pipe or a file\n");
    }
#endif
}

// Once diskette 1 tells the set's size: too few folders stop the run at once, with the counts;
// folders beyond it are named, and the conversion goes on.
TEST_F(TerminalTest, TheFoldersAreCountedAgainstTheSet) {
    const ProcessOutcome few =
        convert({"--card", card.string(), "--yes"}, {diskette(1).string(), diskette(2).string()});
    EXPECT_EQ(few.status, 2);
    EXPECT_EQ(few.err,
              "xq3100-convert: the set has 3 diskettes, but 2 diskette folders were "
              "given: give one folder for each diskette\n");
    expectNothingWritten();

    const fs::path extra = temp / "extra";
    writeFile(extra / "disk0004.dat", "more");
    const ProcessOutcome many =
        convert({"--card", card.string(), "--yes"},
                {diskette(1).string(), diskette(2).string(), diskette(3).string(), extra.string()});
    EXPECT_EQ(many.status, 0) << many.err;
    EXPECT_EQ(many.err, "xq3100-convert: warning: the set has 3 diskettes: " +
                            fs::canonical(extra).string() + " is not read\n");
}

TEST_F(TerminalTest, ACardFolderThatCannotBeWrittenIsRefused) {
    // Without write permission an ordinary user cannot write the folder. The superuser can, and
    // on Windows a folder's read-only attribute stops no one; there a folder of the kernel's that
    // refuses everyone stands in, where the host has one.
    fs::permissions(card, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    fs::path folder = card;
    if (canCreateFileIn(folder)) {
        folder = kernelFolderNoOneMayWrite();
        if (folder.empty() || canCreateFileIn(folder)) {
            GTEST_SKIP() << "no folder here refuses this user's files";
        }
    }
    const ProcessOutcome result = convert({"--card", folder.string(), "--yes"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, refusal("Card folder " + folder.string() + " is not writable"));
    expectNothingWritten();
}

TEST_F(TerminalTest, BadArgumentsGetOneLineAndStatusTwo) {
    const ProcessOutcome unknown = convert({"--card", card.string(), "--frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, refusal("The following argument was not expected: --frobnicate"));
    // What the operator typed comes back escaped: it cannot retitle or recolour the terminal.
    const ProcessOutcome escaped = convert({"--card", card.string() + "\x1B]0;PWN\x07", "--yes"});
    EXPECT_EQ(escaped.status, 2);
    EXPECT_EQ(escaped.err,
              refusal("Card folder " + card.string() + "\\x1B]0;PWN\\x07 does not exist"));
    const ProcessOutcome noFloppy = run(XQ_CONVERT_PROGRAM, {"--card", card.string(), "--yes"});
    EXPECT_EQ(noFloppy.status, 2);
    EXPECT_EQ(noFloppy.err, refusal("Give either --floppy or --diskettes"));
    EXPECT_EQ(noFloppy.out, "");
    expectNothingWritten();
}

// The sample-set writer answers help and version as the other programs do, and makes its folder.
TEST_F(TerminalTest, TheSampleSetWriterHelpsAndMakesItsFolder) {
    const ProcessOutcome help = run(XQ_SAMPLE_PROGRAM, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: xq3100-sample-set FOLDER")) << help.out;
    const ProcessOutcome version = run(XQ_SAMPLE_PROGRAM, {"-V", "--bad"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.out.starts_with("xq3100-sample-set (XQ3100 Database Media Converter) "))
        << version.out;
    const fs::path made = temp / "new" / "set";
    EXPECT_EQ(run(XQ_SAMPLE_PROGRAM, {made.string()}).status, 0);
    EXPECT_TRUE(fs::exists(made / "diskette3" / "disk0003.dat"));
}

TEST_F(TerminalTest, VersionIsPrintedWhateverFollows) {
    for (const Arguments& arguments :
         {Arguments{"--version"},
          Arguments{"--diskettes", "nowhere", "--version", "--frobnicate"}}) {
        const ProcessOutcome result = run(XQ_CONVERT_PROGRAM, arguments);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, versionText("xq3100-convert"));
        EXPECT_EQ(result.err, "");
    }
    expectNothingWritten();
}

TEST_F(TerminalTest, ADisketteOfAnotherArchiveFailsTheConversion) {
    writeFile(card / "backup" / "single" / "old.dat", "old");
    const auto before = filesUnder(card);
    writeFile(diskette(2) / "disk0002.dat", "XQ3100 DISKETTE #999\r\nDISKETTE 2\r\n");
    const ProcessOutcome result = convert({"--card", card.string(), "--yes"});
    EXPECT_EQ(result.status, 1);
    // An error the operator must see, on standard error; the wizard's text as it stands.
    EXPECT_NE(result.err.find("Wrong Archive ID at diskette #2\nExpected 20070717 found 999\n"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(filesUnder(card), before);
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
}

TEST_F(TerminalTest, ControlCharactersFromADisketteAreShownEscaped) {
    writeFile(diskette(2) / "disk0002.dat",
              "XQ3100 DISKETTE #\x1B]0;pwned\x07\x1B[2J\x9B"
              "1m\r\n");
    const ProcessOutcome result = convert({"--card", card.string(), "--yes"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("\nExpected 20070717 found \\x1B]0;pwned\\x07\\x1B[2J\\x9B1m\n"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find('\x1B'), std::string::npos);
    EXPECT_TRUE(fs::is_empty(card));
}

// Drive letters are checked before anything is read; --list-drives names the ones there are.
TEST_F(TerminalTest, DrivesThatAreNotThereAreNamedBeforeAnythingIsRead) {
    const std::unique_ptr<DriveTable> machine = makeHostDriveTable();
    char missing = 'Z';
    while (missing >= 'D' && machine->drive(missing)) {
        --missing;
    }
    if (missing < 'D') {
        GTEST_SKIP() << "this machine has every drive letter from D: to Z:";
    }
    const ProcessOutcome listed = run(XQ_CONVERT_PROGRAM, {"--list-drives"});
    EXPECT_EQ(listed.status, 0);
    std::string letters;
    for (const Drive& drive : machine->drives()) {
        letters += (letters.empty() ? "" : ", ") + std::string{drive.letter, ':'};
        EXPECT_NE(listed.out.find("Drive " + std::string{drive.letter, ':'}), std::string::npos)
            << listed.out;
    }
    const std::string drive{missing, ':'};
    const ProcessOutcome result = convert({"--flash", drive, "--yes"});
    EXPECT_EQ(result.status, 2);
    // Its drives are the machine's and the virtual floppy drive A: of the diskette folders.
    EXPECT_TRUE(result.err.starts_with("xq3100-convert: there is no drive " + drive +
                                       " on this machine; its drives are A:"))
        << result.err;
    EXPECT_TRUE(result.err.ends_with(letters.substr(letters.find("C:")) + "\n")) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
}

TEST_F(TerminalTest, ASecondCopyIsRefusedWhileOneRuns) {
    {
        InstanceLock running;
        ASSERT_EQ(running.acquire(temp / "tmp").outcome, LockOutcome::Acquired);
        const ProcessOutcome result = convert({"--card", card.string(), "--yes"});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "Can not run muliply instances of XQ3100 Database Media Converter\n");
        EXPECT_EQ(result.out, "");
    }
    expectNothingWritten();  // the lock's file goes with the lock
}

// The temporary folder holds the lock and the working folders, wherever the user's settings put
// it: deeper than the plain Windows path form reaches, or on a network share.
TEST_F(TerminalTest, ATemporaryFolderBeyondThePlainPathLengthOrOnAShareServes) {
    std::vector<fs::path> chain;
    fs::path deep = temp / "tmp";
    while (deep.native().size() < 300) {
        deep /= std::string(40, static_cast<char>('a' + chain.size()));
        ASSERT_TRUE(makeOrRemoveFolder(deep, true)) << deep.native().size();
        chain.push_back(deep);
    }
    std::vector<std::string> folders = {deep.string()};
#ifdef _WIN32
    // Prepared by scripts/test-windows; a Windows machine without it tests the long form only.
    const fs::path share = "\\\\xq3100\\share";
    if (fs::is_directory(share)) {
        folders.push_back((share / "xq3100-terminal-test").string());
        fs::remove_all(folders.back());
        fs::create_directory(folders.back());
    }
#endif
    for (const std::string& folder : folders) {
        fs::remove_all(card);
        fs::create_directory(card);
        const ProcessOutcome result =
            runProgram(XQ_CONVERT_PROGRAM,
                       {"--diskettes", diskette(1).string(), diskette(2).string(),
                        diskette(3).string(), "--card", card.string(), "--yes"},
                       {{"TMPDIR", folder}, {"TMP", folder}, {"TEMP", folder}}, temp.path());
        EXPECT_EQ(result.status, 0) << folder << "\n" << result.out << result.err;
        EXPECT_EQ(filesUnder(card / "backup" / "single").size(), 5u) << folder;
    }
    // Each folder of the chain is removable only when empty: no lock or working folder stays.
    for (auto folder = chain.rbegin(); folder != chain.rend(); ++folder) {
        ASSERT_TRUE(makeOrRemoveFolder(*folder, false)) << folder->native().size();
    }
#ifdef _WIN32
    if (folders.size() > 1) {
        EXPECT_TRUE(fs::is_empty(folders.back()));
        fs::remove_all(folders.back());
    }
#endif
}

}  // namespace
}  // namespace xq::test
