#include "gui/qt_dialogs.h"

#include <QAbstractButton>

#include <gtest/gtest.h>

#include "gui/gui_helpers.h"

namespace xq::gui {
namespace {

TEST(QtDialogs, StylesBecomeTheMatchingIconAndButtons) {
    // The numbers the host's message boxes take for them.
    EXPECT_EQ(box_style::OkStop.number(), 16);
    EXPECT_EQ(box_style::YesNoQuestion.number(), 36);
    EXPECT_EQ(box_style::OkCancelExclamation.number(), 49);
    EXPECT_EQ(box_style::YesNoExclamation.number(), 52);

    const auto stop = QtDialogs::lookOf(box_style::OkStop);
    EXPECT_EQ(stop.icon, QMessageBox::Critical);
    EXPECT_EQ(stop.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));

    const auto question = QtDialogs::lookOf(box_style::YesNoQuestion);
    EXPECT_EQ(question.icon, QMessageBox::Question);
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.escapeButton, QMessageBox::No);

    const auto okCancel = QtDialogs::lookOf(box_style::OkCancelExclamation);
    EXPECT_EQ(okCancel.icon, QMessageBox::Warning);
    EXPECT_EQ(okCancel.buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(okCancel.escapeButton, QMessageBox::Cancel);

    const auto yesNoWarning = QtDialogs::lookOf(box_style::YesNoExclamation);
    EXPECT_EQ(yesNoWarning.icon, QMessageBox::Warning);
    EXPECT_EQ(yesNoWarning.buttons, QMessageBox::Yes | QMessageBox::No);
}

TEST(QtDialogs, ARealBoxShowsTheTextAndReturnsTheButtonPressed) {
    QtDialogs dialogs;
    QString shownText;
    QString shownTitle;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    test::whenMessageBoxShows([&](QMessageBox& box) {
        shownText = box.text();
        shownTitle = box.windowTitle();
        shownIcon = box.icon();
        box.button(QMessageBox::No)->click();
    });
    const Answer answer =
        dialogs.messageBox("Directory E:\\backup\\single\\ already exists\r\nReplace old database?",
                           "Replace", box_style::YesNoQuestion);
    EXPECT_EQ(answer, Answer::No);
    EXPECT_EQ(
        shownText,
        QStringLiteral("Directory E:\\backup\\single\\ already exists\nReplace old database?"));
    EXPECT_EQ(shownTitle, QStringLiteral("Replace"));
    EXPECT_EQ(shownIcon, QMessageBox::Question);

    // A name that looks like markup is shown as it stands.
    Qt::TextFormat format = Qt::AutoText;
    test::whenMessageBoxShows([&](QMessageBox& box) {
        shownText = box.text();
        format = box.textFormat();
        box.button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(dialogs.messageBox("File \\<b>a</b> could not be found!", "problem!",
                                 box_style::OkCancelExclamation),
              Answer::Cancel);
    EXPECT_EQ(shownText, QStringLiteral("File \\<b>a</b> could not be found!"));
    EXPECT_EQ(format, Qt::PlainText);
}

}  // namespace
}  // namespace xq::gui
