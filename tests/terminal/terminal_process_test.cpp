// The terminal front end run as a process, as scripts run it.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/drive_table.h"
#include "platform/instance_lock.h"
#include "support/temp_dir.h"
#include "ui/version_text.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Every file under `folder` with its bytes, by relative path.
std::map<std::string, std::string> treeOf(const fs::path& folder) {
    std::map<std::string, std::string> files;
    if (fs::exists(folder)) {
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            if (entry.is_regular_file()) {
                files[fs::relative(entry.path(), folder).generic_string()] = readFile(entry.path());
            }
        }
    }
    return files;
}

class TerminalTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder : {"tmp", "runtime", "card", "sample"}) {
            fs::create_directories(temp / folder);
        }
        ASSERT_EQ(run(XQ_SAMPLE_PROGRAM, {(temp / "sample").string()}).status, 0);
    }

    // Runs a program with stdin from /dev/null and a private temporary and runtime folder.
    Outcome run(const std::string& program, const Arguments& arguments) {
        const fs::path out = temp / "out.txt";
        const fs::path err = temp / "err.txt";
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        std::vector<std::string> env = {"TMPDIR=" + (temp / "tmp").string(),
                                        "XDG_RUNTIME_DIR=" + (temp / "runtime").string(),
                                        "PATH=/usr/bin:/bin", "LC_ALL=C"};
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& e : env) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        pid_t child = 0;
        Outcome result;
        if (posix_spawn(&child, program.c_str(), &files, nullptr, argv.data(), envp.data()) == 0) {
            int status = 0;
            waitpid(child, &status, 0);
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        posix_spawn_file_actions_destroy(&files);
        result.out = readFile(out);
        result.err = readFile(err);
        return result;
    }

    // The converter on the sample's diskettes 1..3 (or on `diskettes`), then `arguments`.
    Outcome convert(const Arguments& arguments, Arguments diskettes = {}) {
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
    std::string refusal(const std::string& message) {
        const Outcome help = run(XQ_CONVERT_PROGRAM, {"--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_TRUE(
            help.out.starts_with("Usage: xq3100-convert (--floppy X: | --diskettes DIR...)"));
        return "xq3100-convert: " + message + "\n\n" + help.out;
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
    const Outcome result = convert({"--card", card.string(), "--yes"});
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("Successful database convert\nTotal 3 diskettes\n"),
              std::string::npos);
    EXPECT_TRUE(result.out.ends_with("The database is on the card folder " +
                                     fs::canonical(card).string() + " under backup/single.\n"));
    EXPECT_EQ(result.err, "");

    // Every file whole, the split one joined in diskette order, under a one-diskette descriptor.
    const auto database = treeOf(card / "backup" / "single");
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
    EXPECT_EQ(treeOf(card).size(), 5u);
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));  // no XQ3100_* working folder left
}

TEST_F(TerminalTest, NoDeclinesToReplaceAnExistingDatabase) {
    writeFile(card / "backup" / "single" / "old.dat", "old");
    writeFile(card / "notes.txt", "mine");
    const auto before = treeOf(card);
    const Outcome result = convert({"--card", card.string(), "--no"});
    EXPECT_EQ(result.status, 3) << result.out << result.err;
    EXPECT_NE(result.out.find(":\\backup\\single\\ already exists\nReplace old database?\n"
                              "Yes/No? no (--no)\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(treeOf(card), before);
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
}

TEST_F(TerminalTest, FoldersAreCheckedBeforeAnythingIsWritten) {
    const Outcome swapped =
        convert({"--card", card.string(), "--yes"}, {diskette(2).string(), diskette(1).string()});
    EXPECT_EQ(swapped.status, 2);
    EXPECT_EQ(swapped.err, refusal("Folder " + diskette(2).string() +
                                   " is not diskette #1: it holds no disk0001.dat"));
    EXPECT_EQ(swapped.out, "");

    const fs::path none = temp / "none";
    const Outcome noDiskette =
        convert({"--card", card.string(), "--yes"}, {diskette(1).string(), none.string()});
    EXPECT_EQ(noDiskette.status, 2);
    EXPECT_EQ(noDiskette.err, refusal("Diskette folder " + none.string() + " does not exist"));

    const Outcome noCard = convert({"--card", none.string(), "--yes"});
    EXPECT_EQ(noCard.status, 2);
    EXPECT_EQ(noCard.err, refusal("Card folder " + none.string() + " does not exist"));
    expectNothingWritten();
}

TEST_F(TerminalTest, ACardFolderThatCannotBeWrittenIsRefused) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permission bits do not stop the superuser";
    }
    fs::permissions(card, fs::perms::owner_read | fs::perms::owner_exec);
    const Outcome result = convert({"--card", card.string(), "--yes"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err, refusal("Card folder " + card.string() + " is not writable"));
    expectNothingWritten();
}

TEST_F(TerminalTest, BadArgumentsGetTheUsageAndStatusTwo) {
    const std::vector<std::pair<Arguments, std::string>> cases = {
        {{"--card", card.string(), "--frobnicate"}, "Unknown argument: --frobnicate"},
        {{"--yes", "--no", "--card", card.string()}, "--yes and --no exclude each other"},
        {{"--card", card.string(), "--flash", "E:"}, "Give either --flash or --card"},
    };
    for (const auto& [arguments, message] : cases) {
        const Outcome result = convert(arguments);
        EXPECT_EQ(result.status, 2) << message;
        EXPECT_EQ(result.err, refusal(message));
    }
    const Outcome noFloppy = run(XQ_CONVERT_PROGRAM, {"--card", card.string(), "--yes"});
    EXPECT_EQ(noFloppy.status, 2);
    EXPECT_EQ(noFloppy.err, refusal("Give either --floppy or --diskettes"));
    expectNothingWritten();
}

TEST_F(TerminalTest, VersionIsPrintedWhateverFollows) {
    for (const Arguments& arguments :
         {Arguments{"--version"},
          Arguments{"--diskettes", "nowhere", "--version", "--frobnicate"}}) {
        const Outcome result = run(XQ_CONVERT_PROGRAM, arguments);
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, versionText("xq3100-convert"));
        EXPECT_EQ(result.err, "");
    }
    expectNothingWritten();
}

TEST_F(TerminalTest, ADisketteOfAnotherArchiveFailsTheConversion) {
    writeFile(card / "backup" / "single" / "old.dat", "old");
    const auto before = treeOf(card);
    writeFile(diskette(2) / "disk0002.dat", "XQ3100 DISKETTE #999\r\nDISKETTE 2\r\n");
    const Outcome result = convert({"--card", card.string(), "--yes"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find(
                  "[Error!] \nWrong Archive ID at diskette #2\nExpected 20070717 found 999\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(treeOf(card), before);
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
}

TEST_F(TerminalTest, ControlCharactersFromADisketteAreShownEscaped) {
    writeFile(diskette(2) / "disk0002.dat",
              "XQ3100 DISKETTE #\x1B]0;pwned\x07\x1B[2J\x9B"
              "1m\r\n");
    const Outcome result = convert({"--card", card.string(), "--yes"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("\nExpected 20070717 found \\x1B]0;pwned\\x07\\x1B[2J\\x9B1m\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(result.out.find('\x1B'), std::string::npos);
    EXPECT_TRUE(fs::is_empty(card));
}

TEST_F(TerminalTest, ACardDriveThatIsNotThereIsNamed) {
    if (makeHostDriveTable()->drive('Z')) {
        GTEST_SKIP() << "this machine has a drive Z:";
    }
    const Outcome result = convert({"--flash", "Z:", "--yes"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("Drive Z: is not among this machine's drives.\n"), std::string::npos)
        << result.out;
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
}

TEST_F(TerminalTest, ASecondCopyIsRefusedWhileOneRuns) {
    {
        InstanceLock running;
        ASSERT_EQ(running.acquire(temp / "tmp").outcome, LockOutcome::Acquired);
        const Outcome result = convert({"--card", card.string(), "--yes"});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "Can not run muliply instances of XQ3100 Database Media Converter\n");
        EXPECT_EQ(result.out, "");
    }
    expectNothingWritten();  // the lock's file goes with the lock
}

}  // namespace
}  // namespace xq::test
