#include "app/message_panes.h"

#include <gtest/gtest.h>

namespace xq {
namespace {

class MessagePanesTest : public ::testing::Test {
  protected:
    WindowModel window;
    MessagePanes panes{window};
};

TEST_F(MessagePanesTest, TheMessagePaneHoldsOnlyTheLatestMessageAndTheLogAll) {
    panes.showMessage("first");
    panes.showMessage("second");
    EXPECT_EQ(window.mainText.text, "second\r\n");
    EXPECT_EQ(window.logText.text, "first\r\nsecond\r\n");
}

TEST_F(MessagePanesTest, AVisibleLogSelectsTheWholeNewMessageWithoutItsLineBreak) {
    window.logText.visible = true;
    panes.logMessage("banner");
    panes.showMessage("\r\nTwo lines\r\nhere");
    EXPECT_EQ(window.mainText.text, "\r\nTwo lines\r\nhere\r\n");
    EXPECT_EQ(window.logText.selectionStart, 8);
    EXPECT_EQ(window.logText.selectionLength, 17);
    panes.logMessage("");
    EXPECT_EQ(window.logText.selectionStart, static_cast<int>(window.logText.text.size()) - 2);
    EXPECT_EQ(window.logText.selectionLength, 0);
}

// A user folder with an accent: the selection is counted in characters, as the log pane counts.
TEST_F(MessagePanesTest, TheSelectionCountsCharactersNotBytes) {
    window.logText.visible = true;
    panes.logMessage("copy C:\\Users\\Zo\xC3\xAB\\disk0001.dat");
    panes.logMessage("Reading diskette #2 \xE2\x80\x94 \xC3\xA9t\xC3\xA9");
    EXPECT_EQ(window.logText.selectionStart, 32);
    EXPECT_EQ(window.logText.selectionLength, 25);
}

// A name from outside (a card folder, a descriptor's file name) cannot forge a line of the panes or
// show the rest of a line backwards; the program's own CR LF line breaks stay.
TEST_F(MessagePanesTest, ControlCharactersFromOutsideAreShownEscaped) {
    panes.showMessage("Failed to open C:\\a\nThe card holds its database.\r\nb\xE2\x80\xAEtxt.exe\x1B");
    EXPECT_EQ(window.mainText.text,
              "Failed to open C:\\a\\x0AThe card holds its database.\r\nb\\u202Etxt.exe\\x1B\r\n");
    EXPECT_TRUE(window.logText.text.ends_with(window.mainText.text));
}

TEST_F(MessagePanesTest, AHiddenLogKeepsItsSelectionUntilTheNewestLineIsSelected) {
    panes.logMessage("first");
    window.logText.visible = false;
    panes.logMessage("Zo\xC3\xAB");
    EXPECT_EQ(window.logText.selectionStart, 0);
    panes.selectNewestLogLine();
    EXPECT_EQ(window.logText.selectionStart, 7);
    EXPECT_EQ(window.logText.selectionLength, 3);
}

TEST_F(MessagePanesTest, AHiddenLogKeepsItsSelectionAndStaysHidden) {
    window.logText.visible = false;
    window.logText.selectionStart = 3;
    window.logText.selectionLength = 1;
    panes.logMessage("note");
    EXPECT_EQ(window.logText.selectionStart, 3);
    EXPECT_EQ(window.logText.selectionLength, 1);
    EXPECT_FALSE(window.logText.visible);
}

TEST_F(MessagePanesTest, PromptDisketteAsksForTheNumberInDecimal) {
    panes.promptDiskette(12);
    EXPECT_EQ(window.mainText.text, "Please insert diskette #12 and press the OK button\r\n");
    EXPECT_EQ(window.logText.text, "Please insert diskette #12 and press the OK button\r\n");
}

struct RecordingObserver : WindowObserver {
    void repaintNow(Control control) override { repainted.push_back(control); }
    std::vector<Control> repainted;
};

TEST_F(MessagePanesTest, ShowMessageRepaintsTheMessagePaneAtOnce) {
    RecordingObserver observer;
    window.observer = &observer;
    panes.showMessage("Please wait...");
    panes.logMessage("quiet");
    EXPECT_EQ(observer.repainted, std::vector<Control>{Control::MainText});
}

}  // namespace
}  // namespace xq
