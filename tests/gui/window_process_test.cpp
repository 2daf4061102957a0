// The window program as a process, interrupted as a terminal's Ctrl+C or a logout would.

#include <signal.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/disk_set_writer.h"
#include "support/process.h"
#include "support/signal_point.h"
#include "support/temp_dir.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;

// The signal arrives as the program takes the lock of the temporary folder, the first thing it
// would have to leave behind, before the window is up: whenever it comes later, the window only
// has more to clean up in the way tested elsewhere.
TEST(WindowProcess, AnInterruptedWindowEndsAsExitDoesAndLeavesNothingBehind) {
    if (const std::string why = signalPointsUnavailable(); !why.empty()) {
        GTEST_SKIP() << why;
    }
    TempDir temp;
    fs::create_directories(temp / "tmp");
    fs::create_directories(temp / "card");
    fs::create_directories(temp / "runtime");
    fs::permissions(temp / "runtime", fs::perms::owner_all);  // or Qt makes one in TMPDIR
    const WrittenSet set =
        writeDiskSet(temp / "set", {.files = {{.name = "/keycode.rec", .content = "KEY"}}});
    const std::vector<std::string> command =
        signalAt(temp / "tmp" / "XQ3100.lock", At::OpeningFile, SIGTERM, XQ_WINDOW_PROGRAM,
                 {"--diskettes", set.diskette(1).string(), "--card", (temp / "card").string()});
    ChildProcess window(command.front(), {command.begin() + 1, command.end()},
                        {{"TMPDIR", (temp / "tmp").string()},
                         {"QT_QPA_PLATFORM", "offscreen"},
                         {"LC_ALL", "C"},
                         {"HOME", temp.path().string()},
                         {"XDG_RUNTIME_DIR", (temp / "runtime").string()}},
                        temp.path());
    ASSERT_TRUE(window.started());
    EXPECT_EQ(window.wait().status, 128 + SIGTERM);
    EXPECT_TRUE(fs::is_empty(temp / "tmp"));
    EXPECT_TRUE(fs::is_empty(temp / "card"));
}

}  // namespace
}  // namespace xq::test
