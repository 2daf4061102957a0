// The terminal front end over the wizard, with an operator at the terminal played from a script:
// what it asks, what it answers itself, and how it draws the progress bar.

#include "terminal/terminal_conversion.h"

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "support/disk_set_writer.h"
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
        TerminalView view(window, out, false, true);
        window.observer = &view;
        TerminalDialogs dialogs(view, in, out, AnswerPolicy::Ask);
        Wizard wizard(window, drives.letters, drives.files, dialogs);
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
};

TEST_F(TerminalConversionTest, NoToReplaceAsksForAnotherCardAndKeepsTheReading) {
    // No to Replace, Enter for another card (the same one, as it happens), Yes, then stop.
    const int status = run("n\n\ny\nq\n");
    EXPECT_EQ(status, exit_status::Success) << out.str();
    const std::string text = out.str();
    const std::size_t declined = text.find(std::string(kReplace) + std::string(kAnotherCard));
    ASSERT_NE(declined, std::string::npos) << text;
    // The diskettes are not read again: the next card is written from the same reading.
    EXPECT_EQ(occurrences(text, "Reading diskette #1"), 1u);
    EXPECT_NE(text.find(kReplace, declined + 1), std::string::npos);
    EXPECT_NE(text.find("Successful database convert\nTotal 3 diskettes\n"), std::string::npos);
    EXPECT_EQ(filesUnder(card() / "backup" / "single").at("db/main.dat"), std::string(10000, 'm'));
    EXPECT_TRUE(workingDirectoriesGone());
}

TEST_F(TerminalConversionTest, QuittingAtTheCardPromptKeepsTheOldDatabase) {
    const auto before = filesUnder(card());
    EXPECT_EQ(run("n\nq\n"), exit_status::Declined);
    const std::string text = out.str();
    EXPECT_NE(text.find(std::string(kReplace) + std::string(kAnotherCard)), std::string::npos)
        << text;
    // The quit question that ends the run is answered by the program, and says so.
    EXPECT_TRUE(
        text.ends_with("[warning!] Database conversion is not complete! \n"
                       "Are you sure you want to quit?\n" +
                       std::string(kOwnYes)))
        << text;
    EXPECT_EQ(filesUnder(card()), before);
    EXPECT_TRUE(workingDirectoriesGone());
}

TEST_F(TerminalConversionTest, AQuestionNoOneIsThereToAnswerGetsTheCautiousAnswerMarked) {
    EXPECT_EQ(run(""), exit_status::Declined);
    EXPECT_NE(out.str().find(std::string(kReplace) +
                             "no (the program's own answer: the input has ended)\n"),
              std::string::npos)
        << out.str();
}

TEST_F(TerminalConversionTest, EachPhaseThatRunsThroughEndsItsBarAt100Percent) {
    ASSERT_EQ(run("y\nq\n"), exit_status::Success);
    // Reading with verification, joining, writing the card.
    EXPECT_EQ(occurrences(out.str(), "[########################################] 100%\n"), 3u)
        << out.str();
}

// The bar's phases, driven by hand.
class ProgressTest : public ::testing::Test {
  protected:
    ProgressTest() {
        window.observer = &view;
        window.ProgressBar1.max = 300;
        window.ProgressBar1.visible = true;
        window.setProgressValue(0);
    }
    void advance(int to) { window.setProgressValue(to); }
    void message(const std::string& text) {
        window.mainText.text = text;
        window.repaint(Control::MainText);
    }
    std::size_t finished() const { return occurrences(out.str(), "] 100%\n"); }

    WindowModel window;
    std::ostringstream out;
    TerminalView view{window, out, false, true};
};

TEST_F(ProgressTest, APhaseGivenUpIsNotShownFinished) {
    advance(99);
    message("Please insert diskette #2");
    advance(150);  // the phase goes on across messages
    EXPECT_EQ(finished(), 0u);

    // Back to the first diskette: the bar is set back and hidden.
    window.ProgressBar1.visible = false;
    window.ProgressBar1.value = 0;
    message("Please insert diskette #1");
    EXPECT_EQ(finished(), 0u);

    // A box during the phase: it did not run through as drawn.
    window.ProgressBar1.visible = true;
    advance(0);
    advance(40);
    view.boxShown();
    window.ProgressBar1.visible = false;
    message("Please select the floppy disk drive");
    EXPECT_EQ(finished(), 0u);
    EXPECT_EQ(out.str().find("100%"), std::string::npos);
}

TEST_F(ProgressTest, APhaseThatGoesOnAfterABoxStillRunsThrough) {
    advance(50);
    view.boxShown();  // "Wrong diskette!", then the right one
    advance(120);
    advance(0);  // the next phase
    EXPECT_EQ(finished(), 1u);
    advance(99);
    window.ProgressBar1.visible = false;  // hidden where it stood
    message("Please select the Compact Flash");
    EXPECT_EQ(finished(), 2u);
    EXPECT_TRUE(out.str().ends_with("] 100%\nPlease select the Compact Flash"));
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
}

}  // namespace
}  // namespace xq::test
