#include "gui/main_window.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include "app/wizard.h"
#include "support/scripted_dialogs.h"
#include "support/test_drives.h"

namespace xq::gui {
namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() {
        window.show();
        wizard.startUp();
        window.syncFromModel();
    }

    template <typename W>
    W* control(const char* name) {
        W* widget = window.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    test::TestDrives drives;
    WindowModel model;
    test::ScriptedDialogs dialogs;
    Wizard wizard{model, drives.table, drives.files, dialogs};
    MainWindow window{wizard, model};
};

TEST_F(MainWindowTest, ShowsTheStartUpStateUnderTheControlsNames) {
    EXPECT_EQ(window.windowTitle(), QStringLiteral("XQ3100 Database Media Converter"));
    EXPECT_EQ(control<QPlainTextEdit>("mainText")->toPlainText(),
              QStringLiteral("Please select the floppy disk drive \nand press the OK button\n"));
    EXPECT_TRUE(control<QPlainTextEdit>("mainText")->isReadOnly());
    EXPECT_EQ(control<QPlainTextEdit>("mainText")->font().pointSize(), 11);
    EXPECT_FALSE(control<QPlainTextEdit>("logText")->isVisible());
    EXPECT_TRUE(control<QPlainTextEdit>("logText")->toPlainText().contains(
        QStringLiteral("XQ3100 Database Media Converter Version 1.4. (July 17, 2007)")));
    auto* list = control<QComboBox>("DriveList");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->itemText(1), QStringLiteral("c: [SYSTEM]"));
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_EQ(control<QLabel>("DriveSize")->text(),
              QStringLiteral("Fixed Drive C: [SYSTEM] - SYSTEM"));
    EXPECT_FALSE(control<QProgressBar>("ProgressBar1")->isVisible());
    EXPECT_TRUE(control<QPushButton>("buttonOK")->isDefault());
    EXPECT_TRUE(control<QPushButton>("buttonOK")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("buttonBack")->isEnabled());
    EXPECT_FALSE(control<QPushButton>("showLog")->isVisible());
    EXPECT_FALSE(control<QPushButton>("hideLog")->isVisible());
}

TEST_F(MainWindowTest, TheLogButtonResizesTheFormAndMovesTheLines) {
    QWidget* form = control<QWidget>("form");
    EXPECT_EQ(form->height(), 466);
    EXPECT_EQ(control<QFrame>("Line1")->y(), 416);
    control<QPushButton>("buttonLog")->click();
    EXPECT_EQ(form->height(), 662);
    EXPECT_EQ(control<QFrame>("Line1")->y(), 605);
    EXPECT_EQ(control<QFrame>("Line2")->geometry().bottom() + 1, 605);
    EXPECT_TRUE(control<QPlainTextEdit>("logText")->isVisible());
    control<QPushButton>("buttonLog")->click();
    EXPECT_EQ(form->height(), 466);
    EXPECT_EQ(control<QFrame>("Line3")->geometry().bottom() + 1, 416);
    EXPECT_FALSE(control<QPlainTextEdit>("logText")->isVisible());
}

TEST_F(MainWindowTest, PickingADriveInTheListDescribesIt) {
    auto* list = control<QComboBox>("DriveList");
    list->setCurrentIndex(2);
    EXPECT_EQ(control<QLabel>("DriveSize")->text(),
              QStringLiteral("Removable Drive E: [CARD] - CARD"));
    list->setCurrentIndex(0);
    EXPECT_EQ(control<QLabel>("DriveSize")->text(), QStringLiteral("Drive A:"));
}

TEST_F(MainWindowTest, OkAndBackDriveTheWizard) {
    control<QComboBox>("DriveList")->setCurrentIndex(0);
    control<QPushButton>("buttonOK")->click();
    EXPECT_EQ(wizard.state().wizardStep, 1);
    EXPECT_FALSE(control<QComboBox>("DriveList")->isVisible());
    EXPECT_EQ(control<QPlainTextEdit>("mainText")->toPlainText(),
              QStringLiteral("Please insert diskette #1 and press the OK button\n"));
    control<QPushButton>("buttonBack")->click();
    EXPECT_EQ(wizard.state().wizardStep, 0);
    EXPECT_TRUE(control<QComboBox>("DriveList")->isVisible());
}

TEST_F(MainWindowTest, ClosingAsksAndNoKeepsTheWindowOpen) {
    bool ended = false;
    QObject::connect(&window, &MainWindow::programEnded, [&] { ended = true; });
    dialogs.answer(Answer::No);
    window.close();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(ended);
    EXPECT_EQ(dialogs.last().title, "warning!");

    dialogs.answer(Answer::Yes);
    control<QPushButton>("buttonExit")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(ended);
}

TEST_F(MainWindowTest, TheAboutBoxIsNotModalAndOpensOnlyOnce) {
    window.openAbout();
    QDialog* about = window.aboutBox();
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(about->windowTitle(), QStringLiteral("About XQ3100 Database Media Converter"));
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
              QStringLiteral("Version 1.4 ( July 17, 2007 )"));
    window.openAbout();
    EXPECT_EQ(window.aboutBox(), about);
    EXPECT_EQ(window.findChildren<QDialog*>(QStringLiteral("frmAbout")).size(), 1);

    about->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.aboutBox(), nullptr);
    window.openAbout();
    EXPECT_NE(window.aboutBox(), nullptr);
}

}  // namespace
}  // namespace xq::gui
