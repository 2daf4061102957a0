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

#include "platform/instance_lock.h"
#include "support/temp_dir.h"

extern char** environ;

namespace xq::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

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
    TerminalTest() {
        fs::create_directories(temp / "tmp");
        fs::create_directories(temp / "runtime");
        fs::create_directories(card);
        fs::create_directories(temp / "sample");
        EXPECT_EQ(run(XQ_SAMPLE_PROGRAM, {(temp / "sample").string()}).status, 0);
    }

    // Runs a program with stdin from /dev/null, a private temporary folder and runtime folder.
    Outcome run(const std::string& program, const std::vector<std::string>& arguments) {
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

    Outcome convert(std::vector<std::string> arguments, std::vector<std::string> diskettes = {}) {
        if (diskettes.empty()) {
            for (int n = 1; n <= 3; ++n) {
                diskettes.push_back((temp / "sample" / ("diskette" + std::to_string(n))).string());
            }
        }
        std::vector<std::string> all = {"--diskettes"};
        all.insert(all.end(), diskettes.begin(), diskettes.end());
        all.insert(all.end(), arguments.begin(), arguments.end());
        return run(XQ_CONVERT_PROGRAM, all);
    }
    std::vector<std::string> toCard() const { return {"--card", card.string()}; }
    fs::path diskette(int n) const { return temp / "sample" / ("diskette" + std::to_string(n)); }

    TempDir temp;
    fs::path card = temp / "card";
};

TEST_F(TerminalTest, ConvertsTheSampleSetOntoACardFolderWithYes) {
    std::vector<std::string> arguments = toCard();
    arguments.push_back("--yes");
    const Outcome result = convert(arguments);
    ASSERT_EQ(result.status, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("Successful database convert\nTotal 3 diskettes\n"),
              std::string::npos);

    const auto database = treeOf(card / "backup" / "single");
    std::string records;
    for (int n = 1; n <= 3; ++n) {
        records += readFile(diskette(n) / "db" / "records.dat");
    }
    EXPECT_EQ(database.at("db/records.dat"), records);
    EXPECT_EQ(database.at("db/config.dat"), readFile(diskette(1) / "db" / "config.dat"));
    EXPECT_EQ(database.at("keycode.rec"), readFile(diskette(1) / "keycode.rec"));
    EXPECT_EQ(database.at("disk0001.dat"), readFile(diskette(1) / "disk0001.dat"));
    EXPECT_NE(database.at("archive.dat").find("\nNUMDISKS: 1\n"), std::string::npos);
    EXPECT_EQ(database.size(), 5u);
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));  // no working directory left behind
}

TEST_F(TerminalTest, NoDeclinesToReplaceAnExistingDatabase) {
    writeFile(card / "backup" / "single" / "old.dat", "old");
    const auto before = treeOf(card);
    std::vector<std::string> arguments = toCard();
    arguments.push_back("--no");
    const Outcome result = convert(arguments);
    EXPECT_EQ(result.status, 3) << result.out;
    EXPECT_NE(result.out.find("[Replace] Directory "), std::string::npos);
    EXPECT_EQ(treeOf(card), before);
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
}

TEST_F(TerminalTest, FoldersAreCheckedBeforeAnythingIsWritten) {
    const Outcome swapped = convert(toCard(), {diskette(2).string(), diskette(1).string()});
    EXPECT_EQ(swapped.status, 2);
    EXPECT_NE(swapped.err.find("xq3100-convert: Folder " + diskette(2).string() +
                               " is not diskette #1: it holds no disk0001.dat"),
              std::string::npos)
        << swapped.err;
    const Outcome missing = convert({"--card", (temp / "none").string()});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("Card folder " + (temp / "none").string() + " does not exist"),
              std::string::npos);
    EXPECT_TRUE(treeOf(card).empty());
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
}

TEST_F(TerminalTest, BadArgumentsGetTheUsageAndStatusTwo) {
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--frobnicate"},
                                                      {"--yes", "--no", "--card", card.string()},
                                                      {"--card", card.string(), "--flash", "E:"}}) {
        const Outcome result = convert(arguments);
        EXPECT_EQ(result.status, 2);
        EXPECT_NE(result.err.find("Usage: xq3100-convert"), std::string::npos);
    }
    const Outcome noFloppy = run(XQ_CONVERT_PROGRAM, {"--card", card.string()});
    EXPECT_EQ(noFloppy.status, 2);
    EXPECT_NE(noFloppy.err.find("Give either --floppy or --diskettes"), std::string::npos);
}

TEST_F(TerminalTest, ADisketteOfAnotherArchiveFailsTheConversion) {
    writeFile(diskette(2) / "disk0002.dat", "XQ3100 DISKETTE #999\r\nDISKETTE 2\r\n");
    std::vector<std::string> arguments = toCard();
    arguments.push_back("--yes");
    const Outcome result = convert(arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("Wrong Archive ID at diskette #2\nExpected 20070717 found 999"),
              std::string::npos)
        << result.out;
    EXPECT_TRUE(treeOf(card).empty());
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
}

TEST_F(TerminalTest, ASecondCopyIsRefusedWhileOneRuns) {
    InstanceLock running((temp / "runtime" / "xq3100-converter.instance").string());
    ASSERT_TRUE(running.acquire());
    std::vector<std::string> arguments = toCard();
    arguments.push_back("--yes");
    const Outcome result = convert(arguments);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Can not run muliply instances of XQ3100 Database Media Converter\n");
    EXPECT_TRUE(treeOf(card).empty());
}

}  // namespace
}  // namespace xq::test
