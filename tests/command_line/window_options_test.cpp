#include "command_line/window_options.h"

#include <sstream>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace xq {
namespace {

using Arguments = std::vector<std::string>;

TEST(WindowOptions, HelpAndVersionAnswerWhateverDriveOptionsComeWithThem) {
    for (const char* missing : {"--card", "--diskettes"}) {
        const WindowOptionsResult help = parseWindowOptions({missing, "/nowhere", "--help"});
        EXPECT_TRUE(help.options.help);
        EXPECT_EQ(help.error, "");
        const WindowOptionsResult version = parseWindowOptions({"--version", missing, "/nowhere"});
        EXPECT_TRUE(version.options.version);
        EXPECT_EQ(version.error, "");
    }
    EXPECT_TRUE(parseWindowOptions({"-h"}).options.help);
    // The help fits a terminal of 80 columns.
    std::istringstream text(windowUsage());
    for (std::string line; std::getline(text, line);) {
        EXPECT_LE(line.size(), 80u) << line;
    }
}

TEST(WindowOptions, TheWindowSystemsOptionsArePassedOn) {
    const WindowOptionsResult parsed =
        parseWindowOptions({"-platform", "offscreen", "-reverse", "--version"});
    EXPECT_TRUE(parsed.options.version);
    EXPECT_EQ(parsed.options.toolkitArguments,
              (std::vector<std::string>{"-platform", "offscreen", "-reverse"}));
    EXPECT_EQ(parseWindowOptions({"--frobnicate"}).error,
              "The following argument was not expected: --frobnicate");
}

TEST(WindowOptions, DriveOptionsAreCheckedAndKept) {
    EXPECT_EQ(parseWindowOptions({"--card", "/nowhere/card"}).error,
              "Card folder /nowhere/card does not exist");

    test::TempDir card;
    const WindowOptionsResult parsed = parseWindowOptions({"--card", card.path().string()});
    EXPECT_EQ(parsed.error, "");
    EXPECT_FALSE(parsed.options.help || parsed.options.version);
    EXPECT_FALSE(parsed.options.drives.cardFolder.empty());
    EXPECT_TRUE(parseWindowOptions(Arguments{}).error.empty());
}

}  // namespace
}  // namespace xq
