#include "ui/log_pane.h"

#include <gtest/gtest.h>

#include "app/message_panes.h"

namespace xq {
namespace {

TEST(LogPane, ToggleExpandsAndCompactsTheFormAndMovesTheLines) {
    WindowModel window;
    LogPane pane(window);
    pane.layOutCompact();
    pane.startHidden();
    const LineControl vertical = window.form.lines[1];
    EXPECT_EQ(window.buttonLog.picture, window.showLog.picture);
    EXPECT_FALSE(window.logText.visible);

    pane.toggle();
    EXPECT_TRUE(pane.shown());
    EXPECT_TRUE(window.logText.visible);
    EXPECT_EQ(window.form.heightTwips, 9935);
    EXPECT_EQ(window.form.lines[0].y1, 9080);
    EXPECT_EQ(window.form.lines[0].y2, 9080);
    EXPECT_EQ(window.form.lines[1].y2, 9080);
    EXPECT_EQ(window.form.lines[2].y2, 9080);
    EXPECT_EQ(window.form.lines[1].y1, vertical.y1);  // the other coordinates stay
    EXPECT_EQ(window.form.lines[1].x1, vertical.x1);
    EXPECT_EQ(window.buttonLog.picture, window.hideLog.picture);

    pane.toggle();
    EXPECT_FALSE(window.logText.visible);
    EXPECT_EQ(window.form.heightTwips, 6990);
    EXPECT_EQ(window.form.lines[0].y1, 6240);
    EXPECT_EQ(window.form.lines[2].y2, 6240);
    EXPECT_EQ(window.buttonLog.picture, window.showLog.picture);
}

TEST(LogPane, KeepsEveryLineLoggedWhileHidden) {
    WindowModel window;
    LogPane pane(window);
    pane.startHidden();
    MessagePanes panes(window);
    panes.logMessage("one");
    panes.showMessage("two");
    pane.toggle();
    EXPECT_EQ(window.logText.text, "one\r\ntwo\r\n");
}

}  // namespace
}  // namespace xq
