// The window program as a process, interrupted as a terminal's Ctrl+C or a logout would.

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "support/disk_set_writer.h"
#include "support/process.h"
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
    ChildProcess window(
        XQ_WINDOW_PROGRAM,
        {"--diskettes", set.diskette(1).string(), "--card", (temp / "card").string()},
        {{"TMPDIR", (temp / "tmp").string()},
         {"QT_QPA_PLATFORM", "offscreen"},
         {"LC_ALL", "C"},
         {"HOME", temp.path().string()},
         {"XDG_RUNTIME_DIR", (temp / "runtime").string()}},
        temp.path());
    ASSERT_TRUE(window.started());

    // The lock is taken once the program runs; the window is up right after.
    const fs::path lock = temp / "tmp" / "XQ3100.lock";
    for (int tries = 0; !fs::exists(lock) && tries < 3000; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(fs::exists(lock));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    window.signal(SIGTERM);
    EXPECT_EQ(window.wait().status, 128 + SIGTERM);
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
    EXPECT_TRUE(fs::is_empty(temp / "card"));
}

}  // namespace
}  // namespace xq::test
