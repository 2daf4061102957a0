#include "gui/main_window.h"

#include <set>
#include <utility>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextDocument>

#include <gtest/gtest.h>

#include "app/message_panes.h"
#include "app/wizard.h"
#include "gui/display_text.h"
#include "gui/drive_combo_box.h"
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
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::FirstDiskette);
    EXPECT_FALSE(control<QComboBox>("DriveList")->isVisible());
    EXPECT_EQ(control<QPlainTextEdit>("mainText")->toPlainText(),
              QStringLiteral("Please insert diskette #1 and press the OK button\n"));
    control<QPushButton>("buttonBack")->click();
    EXPECT_EQ(wizard.state().wizardStep, WizardStep::SelectFloppy);
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

// What a tool tip shows: Qt renders it as markup.
QString shownToolTip(const QString& toolTip) {
    QTextDocument document;
    document.setHtml(toolTip);
    return document.toPlainText();
}

QString selectedLines(const QPlainTextEdit& text) {
    return text.textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

// Both ends of the selection are in view.
bool selectionInView(const QPlainTextEdit& text) {
    QTextCursor start = text.textCursor();
    start.setPosition(start.selectionStart());
    const QRect view = text.viewport()->rect();
    return view.contains(text.cursorRect(start)) && view.contains(text.cursorRect());
}

// A user folder with an accent, a name beyond sixteen bits: the log's selection is counted in
// characters, and lands on the line just added.
TEST_F(MainWindowTest, ALogLineWithNonAsciiCharactersIsSelectedWhole) {
    control<QPushButton>("buttonLog")->click();
    MessagePanes panes(model);
    const std::string line = "copy C:\\Users\\Zo\xC3\xAB\\Temp\\XQ3100_disk1\\\xE6\x97\xA5.dat";
    const std::string newest = "Reading diskette #2 \xF0\x9F\x92\xBE\r\nZo\xC3\xAB";
    for (int i = 0; i < 30; ++i) {
        panes.logMessage(line);
    }
    panes.logMessage(newest);
    window.syncFromModel();
    auto* log = control<QPlainTextEdit>("logText");
    EXPECT_EQ(selectedLines(*log), toDisplayText(newest));
    EXPECT_TRUE(selectionInView(*log));
}

TEST_F(MainWindowTest, TheLogOpensOnItsNewestLine) {
    for (int i = 0; i < 20; ++i) {  // lines logged while the log is hidden
        control<QPushButton>("buttonOK")->click();
        control<QPushButton>("buttonBack")->click();
    }
    control<QPushButton>("buttonLog")->click();
    auto* log = control<QPlainTextEdit>("logText");
    EXPECT_EQ(selectedLines(*log), QStringLiteral("Please select the floppy disk drive \n"
                                                  "and press the OK button"));
    EXPECT_GT(log->verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(selectionInView(*log));
}

// Names read from a medium may look like markup; every label shows its text as it stands.
TEST_F(MainWindowTest, EveryLabelShowsPlainText) {
    drives.insert('E', drives.newMedium("markup"), "<b>CARD</b>");
    wizard.drivesChanged();
    control<QComboBox>("DriveList")->setCurrentIndex(2);
    EXPECT_TRUE(control<QLabel>("DriveSize")->text().endsWith(QStringLiteral("<b>CARD</b>")));
    window.openAbout();
    const QList<QLabel*> labels = window.findChildren<QLabel*>();
    EXPECT_GE(labels.size(), 6);
    for (const QLabel* label : labels) {
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();
    }
}

TEST_F(MainWindowTest, ALongVolumeNameIsElidedWithTheWholeTextInItsToolTip) {
    const std::string volume = "/home/operator/backups/site-" + std::string(60, 'x') + "/diskette1";
    drives.insert('E', drives.newMedium("long"), volume);
    wizard.drivesChanged();
    auto* list = control<DriveComboBox>("DriveList");
    list->setCurrentIndex(2);

    auto* label = control<QLabel>("DriveSize");
    const QString full = toDisplayText(model.DriveSize.caption);
    EXPECT_NE(label->text(), full);
    for (const QString& line : label->text().split(QLatin1Char('\n'))) {
        EXPECT_LE(label->fontMetrics().horizontalAdvance(line), label->contentsRect().width())
            << line.toStdString();
    }
    EXPECT_TRUE(label->text().endsWith(QStringLiteral("/diskette1")));
    EXPECT_EQ(shownToolTip(label->toolTip()), full);

    EXPECT_NE(list->shownText(), list->currentText());
    EXPECT_TRUE(list->shownText().startsWith(QStringLiteral("e: [")));
    EXPECT_EQ(shownToolTip(list->itemData(2, Qt::ToolTipRole).toString()), list->currentText());

    // A short name is shown whole, without a tool tip.
    list->setCurrentIndex(1);
    EXPECT_EQ(label->text(), toDisplayText(model.DriveSize.caption));
    EXPECT_TRUE(label->toolTip().isEmpty());
}

// Counts the paint events of every widget of a window.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget& window) {
        for (QWidget* widget : window.findChildren<QWidget*>()) {
            widget->installEventFilter(this);
        }
    }
    // The widgets painted since the last call, by object name (a viewport by its text box's).
    std::set<std::string> painted() { return std::exchange(painted_, {}); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            const QString name = watched->objectName();
            painted_.insert((name.isEmpty() && watched->parent() != nullptr
                                 ? watched->parent()->objectName()
                                 : name)
                                .toStdString());
        }
        return false;
    }

  private:
    std::set<std::string> painted_;
};

// A long pass moves the progress bar hundreds of times: each step draws the bar, when it shows
// something new, and nothing else.
TEST_F(MainWindowTest, AProgressStepDrawsOnlyTheProgressBar) {
    control<QPushButton>("buttonLog")->click();
    model.ProgressBar1.max = 1000;
    model.ProgressBar1.visible = true;
    window.syncFromModel();
    QApplication::processEvents();
    PaintCounter paints(window);
    model.advanceProgress(1);  // less than a pixel and the same percentage
    EXPECT_EQ(paints.painted(), std::set<std::string>{});
    model.advanceProgress(499);
    const std::set<std::string> painted = paints.painted();
    EXPECT_TRUE(painted.contains("ProgressBar1"));
    for (const char* other :
         {"mainText", "logText", "DriveList", "DriveSize", "Label2", "buttonOK"}) {
        EXPECT_FALSE(painted.contains(other)) << other;
    }
}

// The description wraps; the box may grow, and never shrinks so far that it is cut off.
TEST_F(MainWindowTest, TheAboutBoxIsNeverTooSmallForItsDescription) {
    window.openAbout();
    QDialog* about = window.aboutBox();
    ASSERT_NE(about, nullptr);
    EXPECT_NE(about->minimumSize(), about->maximumSize());
    auto* description = about->findChild<QLabel*>(QStringLiteral("lblDescription"));
    for (const QSize size : {about->minimumSize(), about->size(), about->minimumSize() * 2}) {
        about->resize(size);
        about->layout()->activate();
        EXPECT_GE(description->height(), description->heightForWidth(description->width()))
            << size.width() << "x" << size.height();
        EXPECT_LE(description->geometry().bottom(),
                  about->findChild<QPushButton*>(QStringLiteral("cmdOK"))->geometry().top());
    }
}

}  // namespace
}  // namespace xq::gui
