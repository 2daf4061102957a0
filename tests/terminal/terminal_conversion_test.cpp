// The terminal front end over the wizard, with an operator at the terminal played from a script:
// what it asks, what it answers itself, and how it shows the work's progress.

#include "terminal/terminal_conversion.h"

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/shown_text.h"
#include "support/disk_set_writer.h"
#include "support/manual_clock.h"
#include "support/temp_dir.h"
#include "support/test_drives.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kOwnYes = "Yes/No? yes (the program's own answer: it is stopping)\n";
constexpr std::string_view kReplace =
    "[Replace] Directory E:\\backup\\single\\ already exists\nReplace old database?\nYes/No? ";
constexpr std::string_view kAnotherCard =
    "Put another card into drive E: and press Enter (or type q to stop)\n";

std::size_t occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

// A machine with a floppy drive A:, fed the set's diskettes as they are asked for, and a card
// reader E: whose cards someone at the terminal puts in. The card holds an old database.
class TerminalConversionTest : public ::testing::Test {
  protected:
    TerminalConversionTest() {
        DiskSet description;
        description.capacity = 4000;
        description.files = {{.name = "/keycode.rec", .content = "KEY"},
                             {.name = "/db/main.dat", .content = std::string(10000, 'm')}};
        set = writeDiskSet(drives.newMedium("set"), description);
        writeFile(card() / "backup" / "single" / "old.dat", "old database");
    }

    // Runs a conversion with `typed` as all the operator types.
    int run(const std::string& typed) {
        std::istringstream in(typed);
        TerminalView view(window, out, err, Verbosity::Normal, false, clock);
        window.observer = &view;
        TerminalDialogs dialogs(view, in, err, AnswerPolicy::Ask, Verbosity::Normal, false);
        Wizard wizard(window, drives.letters, drives.files, dialogs);
        wizard.watchWork(&view);
        wizard.onDisketteRequested([this](int n) {
            if (n <= set.disketteCount()) {
                drives.insertFloppy(set.diskette(n));
            }
        });
        TerminalConversion::Setup setup;
        setup.floppy = 'A';
        setup.flash = 'E';
        setup.floppyIsVirtual = true;  // the diskettes go in without anyone pressing Enter
        setup.interactive = true;
        const int status = TerminalConversion(wizard, dialogs, view, in, setup).run();
        window.observer = nullptr;
        return status;
    }

    fs::path card() const { return drives.hostPath("E:\\"); }
    ManualClock clock;  // no phase takes any time
    bool workingDirectoriesGone() const {
        for (const auto& entry : fs::directory_iterator(drives.hostPath("C:\\Temp"))) {
            if (entry.path().filename().string().starts_with("XQ3100_")) {
                return false;
            }
        }
        return true;
    }

    TestDrives drives;
    WrittenSet set;
    WindowModel window;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(TerminalConversionTest, NoToReplaceAsksForAnotherCardAndKeepsTheReading) {
    // No to Replace, Enter for another card (the same one, as it happens), Yes, then stop.
    const int status = run("n\n\ny\nq\n");
    EXPECT_EQ(status, exit_status::Success) << out.str();
    // Questions and requests go to standard error, the progress to the output.
    const std::string asked = err.str();
    const std::size_t declined = asked.find(std::string(kReplace) + std::string(kAnotherCard));
    ASSERT_NE(declined, std::string::npos) << asked;
    EXPECT_NE(asked.find(kReplace, declined + 1), std::string::npos);
    // The diskettes are not read again: the next card is written from the same reading.
    EXPECT_EQ(occurrences(out.str(), "Reading diskette 1 of 3\n"), 1u);
    EXPECT_EQ(occurrences(out.str(), "Proved the card in 0:0"), 1u);
    EXPECT_EQ(out.str().find("Yes/No?"), std::string::npos);
    EXPECT_EQ(filesUnder(card() / "backup" / "single").at("db/main.dat"), std::string(10000, 'm'));
    EXPECT_TRUE(workingDirectoriesGone());
}

TEST_F(TerminalConversionTest, QuittingAtTheCardPromptKeepsTheOldDatabase) {
    const auto before = filesUnder(card());
    EXPECT_EQ(run("n\nq\n"), exit_status::Declined);
    const std::string text = err.str();
    EXPECT_NE(text.find(std::string(kReplace) + std::string(kAnotherCard)), std::string::npos)
        << text;
    // The quit question that ends the run is answered by the program, and says so.
    EXPECT_TRUE(
        text.ends_with("[warning!] Database conversion is not complete!\n"
                       "Are you sure you want to quit?\n" +
                       std::string(kOwnYes)))
        << text;
    EXPECT_EQ(filesUnder(card()), before);
    EXPECT_TRUE(workingDirectoriesGone());
}

TEST_F(TerminalConversionTest, AQuestionNoOneIsThereToAnswerGetsTheCautiousAnswerMarked) {
    EXPECT_EQ(run(""), exit_status::Declined);
    EXPECT_NE(err.str().find(std::string(kReplace) +
                             "no (the program's own answer: the input has ended)\n"),
              std::string::npos)
        << err.str();
}

TEST_F(TerminalConversionTest, EachPhaseIsNamedOnceAndEndsWithItsTime) {
    ASSERT_EQ(run("y\nq\n"), exit_status::Success);
    std::string phases;
    for (const char* line :
         {"Reading diskette 1 of 3\n", "Reading diskette 2 of 3\n", "Reading diskette 3 of 3\n",
          "Read 3 diskettes in 0:00\n", "Verifying the files\n", "Verified the files in 0:00\n",
          "Joining the files\n", "Joined the files in 0:00\n", "Writing the card\n",
          "Wrote the card in 0:00\n", "Proving the card\n", "Proved the card in 0:00\n"}) {
        EXPECT_EQ(occurrences(out.str(), line), 1u) << line << " in\n" << out.str();
    }
    EXPECT_TRUE(err.str().starts_with(kReplace)) << err.str();
}

// The progress line on a terminal that redraws it, fed by hand.
TEST(ProgressLine, ShowsThePhaseItsShareAndLeavesOnlyWhatRanThrough) {
    WindowModel window;
    std::ostringstream out;
    std::ostringstream err;
    ManualClock clock;
    TerminalView view(window, out, err, Verbosity::Normal, true, clock);
    const auto report = [&](WorkProgress progress) { view.progressed(progress); };
    report({.phase = WorkPhase::Reading, .item = 2, .items = 4, .done = 1, .total = 2});
    EXPECT_TRUE(
        out.str().starts_with("\rReading diskette 2 of 4   [#######.............] 37%  0:00"))
        << out.str();
    // The diskettes read whole are counted, not the number of the last one.
    for (const int item : {2, 3, 4}) {
        report({.phase = WorkPhase::Reading,
                .item = item,
                .items = 4,
                .ended = true,
                .completed = true});
    }
    report({.phase = WorkPhase::Verifying, .total = 10});
    EXPECT_NE(out.str().find("\rRead 3 diskettes in 0:00\n"), std::string::npos) << out.str();
    // Its time, and an estimate of the rest once a second has passed.
    clock.advance(std::chrono::seconds(75));
    report({.phase = WorkPhase::Verifying, .done = 5, .total = 10});
    EXPECT_TRUE(out.str().ends_with("[##########..........] 50%  1:15, about 1:15 left"))
        << out.str();
    // On a terminal of 40 columns the line is cut to 39: one more would wrap at every redraw.
    view.fitTo(40);
    clock.advance(std::chrono::seconds(1));
    report({.phase = WorkPhase::Verifying, .done = 6, .total = 10});
    const std::string drawn = out.str().substr(out.str().rfind('\r') + 1);
    EXPECT_EQ(drawn, "Verifying the files       [############") << out.str();
    // A phase given up leaves nothing on the screen.
    report({.phase = WorkPhase::Verifying, .done = 5, .total = 10, .ended = true});
    EXPECT_EQ(out.str().find("Verified"), std::string::npos);
    EXPECT_TRUE(out.str().ends_with("\r")) << out.str();
    EXPECT_EQ(clockText(std::chrono::seconds(3723)), "1:02:03");
}

TEST(TerminalLinesTest, TakesTheWindowsBlankLinesAndTrailingBlanksAway) {
    EXPECT_EQ(terminalLines("\r\nDrive A: is not ready.  \r\nPlease insert disk #3 \r\n"),
              "Drive A: is not ready.\nPlease insert disk #3");
}

TEST(TerminalTextTest, ShowsControlCharactersFromADisketteEscaped) {
    EXPECT_EQ(terminalText("\r\nExpected 4711 found \x1B]0;x\x07\x1B[2J\r\x7F\t"),
              "\nExpected 4711 found \\x1B]0;x\\x07\\x1B[2J\\x0D\\x7F\\x09");
    // UTF-8 text stays as it is; C1 controls, broken sequences and other bytes are escaped.
    EXPECT_EQ(terminalText("C:\\Users\\Jos\xC3\xA9\\\xE2\x82\xAC \xF0\x9F\x92\xBE"),
              "C:\\Users\\Jos\xC3\xA9\\\xE2\x82\xAC \xF0\x9F\x92\xBE");
    EXPECT_EQ(terminalText("a\xC2\x9B"
                           "b\xE9\xC3(\xED\xA0\x80\xF0\x82\x82\xAC\xE2\x82"),
              "a\\xC2\\x9Bb\\xE9\\xC3(\\xED\\xA0\\x80\\xF0\\x82\\x82\\xAC\\xE2\\x82");
    // Bidirectional controls, which would show the rest of a line backwards; other characters of
    // their block stay. A text from outside keeps no line break at all, and escaping twice changes
    // nothing.
    EXPECT_EQ(terminalText("\xE2\x80\xAA\xE2\x80\xAE\xE2\x81\xA6\xE2\x81\xA9\xE2\x80\x94"),
              "\\u202A\\u202E\\u2066\\u2069\xE2\x80\x94");
    EXPECT_EQ(shownText("/no\x1B]0;PWN\x07\r\nx\ny\rz"),
              "/no\\x1B]0;PWN\\x07\\x0D\\x0Ax\\x0Ay\\x0Dz");
    EXPECT_EQ(shownText(shownText("a\x1B\xE2\x80\xAE")), "a\\x1B\\u202E");
}

}  // namespace
}  // namespace xq::test
