// The terminal program as a process: interrupted, killed, started twice over the same temporary
// folder, its output sent where scripts send it (a closed pipe, a full disk, a terminal that cannot
// redraw a line), its answers piped in.

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/disk_set_writer.h"
#include "support/signal_point.h"
#include "support/temp_dir.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;

// A converter running in the background, its standard input a pipe the test writes to.
class Converter {
  public:
    // Where its standard output goes.
    enum class Output {
        File,        // a file, read back with out()
        ClosedPipe,  // a pipe no one reads, closed at once (`xq3100-convert ... | head`, head gone)
        Full,        // a device that refuses every write (/dev/full)
        Terminal,    // a pseudo-terminal, read back with out()
        Console,     // a pseudo-terminal for its input as well: answers typed at a keyboard
    };
    // With a signal point, the converter gets the signal at the moment it makes that folder (or
    // makes the call given on that path).
    struct SignalPoint {
        fs::path path;
        int signal = 0;
        At call = At::MakingFolder;
    };
    Converter(const std::vector<std::string>& arguments, const std::vector<std::string>& env,
              const fs::path& output, Output to = Output::File,
              const std::optional<SignalPoint>& point = std::nullopt)
        : out_(output.string() + ".out"), err_(output.string() + ".err") {
        int pipe[2];
        EXPECT_EQ(::pipe2(pipe, O_CLOEXEC), 0);
        int unread[2];
        EXPECT_EQ(::pipe2(unread, O_CLOEXEC), 0);
        int terminal = -1;
        if (to == Output::Terminal || to == Output::Console) {
            EXPECT_EQ(::openpty(&terminal_, &terminal, nullptr, nullptr, nullptr), 0);
        }
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_adddup2(&files, pipe[0], 0);
        switch (to) {
            case Output::File:
                posix_spawn_file_actions_addopen(&files, 1, out_.c_str(),
                                                 O_WRONLY | O_CREAT | O_TRUNC, 0600);
                break;
            case Output::ClosedPipe:
                posix_spawn_file_actions_adddup2(&files, unread[1], 1);
                break;
            case Output::Full:
                posix_spawn_file_actions_addopen(&files, 1, "/dev/full", O_WRONLY, 0);
                break;
            case Output::Console:
                posix_spawn_file_actions_adddup2(&files, terminal, 0);
                [[fallthrough]];
            case Output::Terminal:
                posix_spawn_file_actions_adddup2(&files, terminal, 1);
                ::fcntl(terminal_, F_SETFL, ::fcntl(terminal_, F_GETFL) | O_NONBLOCK);
                break;
        }
        // On a terminal the questions, which go to standard error, show there too.
        if (terminal >= 0) {
            posix_spawn_file_actions_adddup2(&files, terminal, 2);
        } else {
            posix_spawn_file_actions_addopen(&files, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                             0600);
        }
        std::vector<std::string> all = {XQ_CONVERT_PROGRAM};
        all.insert(all.end(), arguments.begin(), arguments.end());
        if (point) {
            all = signalAt(point->path, point->call, point->signal, XQ_CONVERT_PROGRAM, arguments);
        }
        std::vector<char*> argv;
        for (std::string& argument : all) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        std::vector<std::string> environment = env;
        std::vector<char*> envp;
        for (std::string& e : environment) {
            envp.push_back(e.data());
        }
        envp.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid_, argv[0], &files, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&files);
        ::close(pipe[0]);
        ::close(unread[0]);
        ::close(unread[1]);
        if (terminal >= 0) {
            ::close(terminal);
        }
        input_ = to == Output::Console ? ::dup(terminal_) : pipe[1];
        if (to == Output::Console) {
            ::close(pipe[1]);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    ~Converter() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            passOver(wait());
        }
        ::close(input_);
        if (terminal_ >= 0) {
            ::close(terminal_);
        }
    }

    // The input ends: no one is there to answer any more.
    void endInput() {
        ::close(input_);
        input_ = -1;
    }
    // Waits until the program has shown `text` (on its terminal, or on standard error when it has
    // none), however long it takes: a program that hangs is ended by the test's time limit. What
    // it has shown by then.
    std::string shownOnceItShows(const std::string& text) {
        const auto shownNow = [this] { return terminal_ >= 0 ? out() : err(); };
        std::string shown;
        while ((shown = shownNow()).find(text) == std::string::npos) {
            if (!running()) {
                ADD_FAILURE() << "never shown: " << text << "\n" << shown;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));  // between two looks
        }
        return shown;
    }
    void type(const std::string& line) const {
        EXPECT_EQ(::write(input_, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    }
    void signal(int number) const { ::kill(pid_, number); }
    // The exit status, or 128 + the signal that ended it, as a shell reports it.
    int wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    bool running() const {
        siginfo_t info = {};
        return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == 0;
    }
    // What went to its standard output: the file, or what the terminal has shown so far.
    std::string out() {
        if (terminal_ < 0) {
            return readFile(out_);
        }
        char buffer[4096];
        for (ssize_t got; (got = ::read(terminal_, buffer, sizeof buffer)) > 0;) {
            shown_.append(buffer, static_cast<std::size_t>(got));
        }
        return shown_;
    }
    std::string err() const { return terminal_ < 0 ? readFile(err_) : std::string(); }

  private:
    template <typename T>
    static void passOver(const T&) {}

    pid_t pid_ = -1;
    int input_ = -1;
    int terminal_ = -1;  // the pseudo-terminal's side this process reads
    std::string shown_;
    fs::path out_;
    fs::path err_;
};

class InterruptionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* folder : {"tmp", "card", "card2", "run1", "run2", "home1", "home2"}) {
            fs::create_directories(temp / folder);
        }
        // 8 diskettes of a split record file, large enough to be written in many chunks.
        std::string records(10'000'000, '\0');
        for (std::size_t i = 0; i < records.size(); ++i) {
            records[i] = static_cast<char>((i * 131) >> 3);
        }
        set = writeDiskSet(temp / "set",
                           {.files = {{.name = "/keycode.rec", .content = "KEY"},
                                      {.name = "/db/records.dat", .content = records}}});
    }

    std::vector<std::string> arguments(const fs::path& card, std::vector<std::string> more,
                                       const WrittenSet* of = nullptr) const {
        std::vector<std::string> all = {"--diskettes"};
        for (const fs::path& diskette : (of != nullptr ? *of : set).diskettes) {
            all.push_back(diskette.string());
        }
        all.insert(all.end(), {"--card", card.string()});
        all.insert(all.end(), more.begin(), more.end());
        return all;
    }
    std::vector<std::string> environment(int session = 1) const {
        const std::string n = std::to_string(session);
        return {"TMPDIR=" + (temp / "tmp").string(),
                "XDG_RUNTIME_DIR=" + (temp / ("run" + n)).string(),
                "HOME=" + (temp / ("home" + n)).string(), "PATH=/usr/bin:/bin", "LC_ALL=C"};
    }
    void oldDatabase() {
        writeFile(temp / "card" / "backup" / "single" / "old.dat", "old");
        writeFile(temp / "card" / "notes.txt", "mine");
    }
    TempDir temp;
    WrittenSet set;
};

TEST_F(InterruptionTest, AnInterruptedReadingLeavesNoWorkingDirectory) {
    if (const std::string why = signalPointsUnavailable(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    oldDatabase();
    const Tree card = filesUnder(temp / "card");
    Converter converter(arguments(temp / "card", {"--yes"}), environment(), temp / "reading",
                        Converter::Output::File, {{temp / "tmp" / "XQ3100_disk3", SIGINT}});
    EXPECT_EQ(converter.wait(), 128 + SIGINT) << converter.out() << converter.err();
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
    EXPECT_EQ(filesUnder(temp / "card"), card);
}

// Ctrl+C or a kill while the card is written: the card is as it was before, with its old database
// or without a backup folder, and no working directory is left.
TEST_F(InterruptionTest, AnInterruptedCardWriteLeavesTheCardAsItWas) {
    if (const std::string why = signalPointsUnavailable(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    for (const int signal : {SIGINT, SIGTERM}) {
        for (const bool withOldDatabase : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << "signal " << signal << ", old database " << withOldDatabase);
            fs::remove_all(temp / "card");
            fs::create_directories(temp / "card");
            if (withOldDatabase) {
                oldDatabase();
            }
            const Tree card = filesUnder(temp / "card");
            // As the staging folder is made, or the backup folder for it.
            const fs::path made = withOldDatabase ? temp / "card" / "backup" / "XQ3100.NEW"
                                                  : temp / "card" / "backup";
            Converter converter(arguments(temp / "card", {"--yes"}), environment(),
                                temp / "writing", Converter::Output::File, {{made, signal}});
            EXPECT_EQ(converter.wait(), 128 + signal) << converter.out() << converter.err();
            EXPECT_TRUE(fs::is_empty(temp / "tmp"));
            EXPECT_EQ(filesUnder(temp / "card"), card);
            EXPECT_EQ(fs::exists(temp / "card" / "backup"), withOldDatabase);
            EXPECT_FALSE(fs::exists(temp / "card" / "backup" / "XQ3100.NEW"));
        }
    }
}

// An interruption once the new database is proven on the card: the old one still goes, and the
// last line says where the database is.
TEST_F(InterruptionTest, AnInterruptAfterTheProofSaysWhereTheDatabaseIs) {
    if (const std::string why = signalPointsUnavailable(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    oldDatabase();
    const fs::path backup = temp / "card" / "backup";
    Converter converter(arguments(temp / "card", {"--yes"}), environment(), temp / "late",
                        Converter::Output::File,
                        {{backup / "XQ3100.OLD" / "old.dat", SIGTERM, At::Removing}});
    EXPECT_EQ(converter.wait(), 128 + SIGTERM) << converter.err();
    const std::string out = converter.out();
    EXPECT_TRUE(out.ends_with("The database is in " + (backup / "single").string() + ".\n")) << out;
    EXPECT_EQ(filesUnder(backup / "single").at("db/records.dat"),
              set.wholeFiles.at("/db/records.dat"));
    EXPECT_FALSE(fs::exists(backup / "XQ3100.OLD"));
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
}

// Output that cannot be written (a pipe whose reader has gone, a full disk) does not cut the work
// off, nor kill the program by a signal: the card is written and proven, the working folders go,
// and the exit status says the run did not end well.
// It says why, as coreutils do; so do help, version, the drive list and a card's check.
TEST_F(InterruptionTest, OutputThatCannotBeWrittenEndsTheRunNotTheWork) {
    for (const auto& [to, cause] :
         {std::pair{Converter::Output::ClosedPipe, "Broken pipe"},
          std::pair{Converter::Output::Full, "No space left on device"}}) {
        fs::remove_all(temp / "card");
        fs::create_directories(temp / "card");
        Converter converter(arguments(temp / "card", {"--yes"}), environment(), temp / "lost", to);
        EXPECT_EQ(converter.wait(), 1);
        EXPECT_EQ(converter.err(), std::string("xq3100-convert: write error: ") + cause + "\n");
        EXPECT_EQ(filesUnder(temp / "card" / "backup" / "single").at("db/records.dat"),
                  set.wholeFiles.at("/db/records.dat"));
        EXPECT_TRUE(fs::is_empty(temp / "tmp"));
    }
    for (const std::vector<std::string>& task : {std::vector<std::string>{"--help"},
                                                 {"--version"},
                                                 {"--list-drives"},
                                                 {"--check-card", (temp / "card").string()}}) {
        Converter converter(task, environment(), temp / "full", Converter::Output::Full);
        EXPECT_EQ(converter.wait(), 1) << task.front();
        EXPECT_EQ(converter.err(), "xq3100-convert: write error: No space left on device\n")
            << task.front();
    }
}

// On a terminal the progress is one line redrawn in place; a terminal that cannot redraw gets
// plain lines, without a single escape sequence. An answer piped in shows in the transcript.
TEST_F(InterruptionTest, TheProgressFitsTheTerminalAndAnswersShow) {
    oldDatabase();
    for (const char* term : {"xterm", "dumb"}) {
        std::vector<std::string> env = environment();
        env.push_back(std::string("TERM=") + term);
        Converter converter(arguments(temp / "card", {}), env, temp / "terminal",
                            Converter::Output::Terminal);
        std::string shown = converter.shownOnceItShows("Yes/No? ");
        converter.type("yes\n");
        converter.endInput();
        while (converter.running()) {  // read on, or a full terminal would hold it up
            shown = converter.out();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_EQ(converter.wait(), 0) << converter.err();
        shown = converter.out();
        EXPECT_EQ(shown.find('\x1B'), std::string::npos) << term;
        const bool redrawn = shown.find("\r\rReading diskette") != std::string::npos ||
                             shown.find("\rReading diskette") != std::string::npos;
        EXPECT_EQ(redrawn, std::string(term) == "xterm") << shown;
        EXPECT_NE(shown.find("Yes/No? yes\r\n"), std::string::npos) << shown;
    }
}

// The root of the system's drive, however it is named, is written only on an answer typed at the
// terminal: not on --yes, not on a "yes" read from a pipe. Typed, the question comes (and is
// declined here, as this machine's root is no place for a test's files).
TEST_F(InterruptionTest, TheSystemDriveIsWrittenOnlyOnAnAnswerTypedAtTheTerminal) {
    const std::string refusal =
        " holds the operating system: the database is written there only on an answer typed at "
        "the terminal, without --yes or --no and not from a pipe or a file\n";
    {
        Converter converter(arguments("/.", {"--yes"}), environment(), temp / "yes");
        EXPECT_EQ(converter.wait(), 2);
        EXPECT_EQ(converter.err(), "xq3100-convert: card folder /" + refusal);
    }
    {
        Converter converter(arguments("/tmp/..", {}), environment(), temp / "piped");
        converter.type("yes\n");
        converter.endInput();
        EXPECT_EQ(converter.wait(), 2);
        EXPECT_EQ(converter.err(), "xq3100-convert: card folder /" + refusal);
    }
    Converter converter(arguments("/", {}), environment(), temp / "typed",
                        Converter::Output::Console);
    converter.shownOnceItShows("holds the operating system, not a Compact Flash card.");
    converter.shownOnceItShows("Yes/No? ");
    converter.type("no\n");
    while (converter.running()) {  // read on, or a full terminal would hold it up
        converter.out();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(converter.wait(), 3) << converter.out() << converter.err();
}

TEST_F(InterruptionTest, WhatAKilledRunLeftIsRemovedByTheNextRun) {
    if (const std::string why = signalPointsUnavailable(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    {
        Converter killed(arguments(temp / "card", {"--yes"}), environment(), temp / "killed",
                         Converter::Output::File, {{temp / "tmp" / "XQ3100_disk3", SIGKILL}});
        EXPECT_EQ(killed.wait(), 128 + SIGKILL);
    }
    ASSERT_TRUE(fs::exists(temp / "tmp" / "XQ3100_disk2"));
    // The next run, of a set of one diskette, would not otherwise remove the copies of the
    // diskettes it never reads.
    const WrittenSet small =
        writeDiskSet(temp / "small", {.files = {{.name = "/keycode.rec", .content = "KEY"}}});
    Converter next(arguments(temp / "card2", {"--yes", "--verbose"}, &small), environment(2),
                   temp / "next");
    EXPECT_EQ(next.wait(), 0) << next.out() << next.err();
    std::string tmp = "C:" + (temp / "tmp").string();
    std::replace(tmp.begin(), tmp.end(), '/', '\\');
    for (const char* folder : {"XQ3100_disk1", "XQ3100_disk2", "XQ3100_flat"}) {
        EXPECT_NE(next.out().find("Remove temporary directory " + tmp + "\\" + folder +
                                  "\\ left by an earlier run"),
                  std::string::npos)
            << next.out();
    }
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
}

// Another session of the same user (sudo, ssh, a second desktop login) has its own runtime folder
// and home, but shares the temporary folder and with it the working directories.
TEST_F(InterruptionTest, ASecondConverterOverTheSameTemporaryFolderIsRefused) {
    oldDatabase();
    Converter first(arguments(temp / "card", {}), environment(1), temp / "first");
    // The first one waits for the answer to the Replace question: the reading is done.
    first.shownOnceItShows("Yes/No? ");
    ASSERT_TRUE(first.running()) << first.out() << first.err();
    Converter second(arguments(temp / "card2", {"--yes"}), environment(2), temp / "second");
    EXPECT_EQ(second.wait(), 1);
    EXPECT_EQ(second.err(), "Can not run muliply instances of XQ3100 Database Media Converter\n");
    EXPECT_TRUE(fs::is_empty(temp / "card2"));

    first.type("yes\n");
    EXPECT_EQ(first.wait(), 0) << first.out() << first.err();
    const Tree written = filesUnder(temp / "card" / "backup" / "single");
    EXPECT_EQ(written.at("db/records.dat"), set.wholeFiles.at("/db/records.dat"));
    EXPECT_EQ(written.at("keycode.rec"), "KEY");
    EXPECT_EQ(written.size(), 4u);  // and archive.dat, disk0001.dat
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
}

TEST_F(InterruptionTest, ALockPlantedInTheTemporaryFolderIsNamed) {
    const fs::path lock = temp / "tmp" / "XQ3100.lock";
    fs::create_symlink(temp / "home1" / "anything", lock);
    Converter refused(arguments(temp / "card", {"--yes"}), environment(), temp / "planted");
    EXPECT_EQ(refused.wait(), 1);
    EXPECT_EQ(refused.err(),
              "Can not lock the temporary folder: " + lock.string() +
                  " is a link.\nAnother user may be converting there, or the entry was left or "
                  "planted. Remove it, or start the converter with a temporary folder of your own "
                  "(TMPDIR on Linux, TEMP on Windows).\n");
    EXPECT_TRUE(fs::is_symlink(lock));
    EXPECT_FALSE(fs::exists(temp / "home1" / "anything"));
    EXPECT_TRUE(fs::is_empty(temp / "card"));
}

}  // namespace
}  // namespace xq::test
