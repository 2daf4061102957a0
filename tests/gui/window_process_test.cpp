// The window program as a process, interrupted as a terminal's Ctrl+C or a logout would.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/disk_set_writer.h"
#include "support/temp_dir.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;

TEST(WindowProcess, AnInterruptedWindowEndsAsExitDoesAndLeavesNothingBehind) {
    TempDir temp;
    fs::create_directories(temp / "tmp");
    fs::create_directories(temp / "card");
    fs::create_directories(temp / "runtime");
    fs::permissions(temp / "runtime", fs::perms::owner_all);  // or Qt makes one in TMPDIR
    const WrittenSet set =
        writeDiskSet(temp / "set", {.files = {{.name = "/keycode.rec", .content = "KEY"}}});
    std::vector<std::string> arguments = {XQ_WINDOW_PROGRAM, "--diskettes",
                                          set.diskette(1).string(), "--card",
                                          (temp / "card").string()};
    std::vector<std::string> environment = {
        "TMPDIR=" + (temp / "tmp").string(), "QT_QPA_PLATFORM=offscreen", "LC_ALL=C",
        "HOME=" + temp.path().string(), "XDG_RUNTIME_DIR=" + (temp / "runtime").string()};
    std::vector<char*> argv;
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : environment) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, XQ_WINDOW_PROGRAM, &files, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&files);

    // The lock is taken once the program runs; the window is up right after.
    const fs::path lock = temp / "tmp" / "XQ3100.lock";
    for (int tries = 0; !fs::exists(lock) && tries < 3000; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(fs::exists(lock));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(child, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGTERM);
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
    EXPECT_TRUE(fs::is_empty(temp / "card"));
}

}  // namespace
}  // namespace xq::test
