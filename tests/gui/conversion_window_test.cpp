// A whole conversion in the real window, its message boxes answered as an operator would.

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/wizard.h"
#include "gui/gui_helpers.h"
#include "gui/main_window.h"
#include "gui/qt_dialogs.h"
#include "support/disk_set_writer.h"
#include "support/test_drives.h"

namespace xq::gui {
namespace {

TEST(ConversionWindow, AThreeDisketteSetIsWrittenOverAnOldDatabaseThroughTheWindow) {
    test::TestDrives drives;
    test::DiskSet description;
    description.capacity = 3000;
    description.files = {{.name = "/keycode.rec", .content = "KEYCODE"},
                         {.name = "/db/main.dat", .content = std::string(7000, 'm')}};
    const test::WrittenSet set = test::writeDiskSet(drives.temp() / "set", description);
    ASSERT_EQ(set.disketteCount(), 3);
    test::writeFile(drives.hostPath("E:\\backup\\single\\old.dat"), "old");

    WindowModel model;
    QtDialogs dialogs;
    Wizard wizard(model, drives.table, drives.files, dialogs);
    MainWindow window(wizard, model);
    dialogs.setParent(&window);
    window.show();
    wizard.startUp();
    window.syncFromModel();

    auto* list = window.findChild<QComboBox*>(QStringLiteral("DriveList"));
    auto* ok = window.findChild<QPushButton*>(QStringLiteral("buttonOK"));
    auto* message = window.findChild<QPlainTextEdit*>(QStringLiteral("mainText"));
    list->setCurrentIndex(0);
    ok->click();

    // OK with the drive still empty: the error box, answered OK.
    QString error;
    test::whenMessageBoxShows([&](QMessageBox& box) {
        error = box.windowTitle() + "|" + box.text();
        box.button(QMessageBox::Ok)->click();
    });
    ok->click();
    EXPECT_EQ(error, QStringLiteral("Error!|\nDrive A: is not ready."));

    // A diskette read can take minutes: the window handles its events meanwhile (here a timer),
    // not only once the action has ended.
    bool handledDuringTheReading = false;
    QTimer::singleShot(0, [&] { handledDuringTheReading = wizard.busy(); });
    for (int n = 1; n <= 3; ++n) {
        drives.insertFloppy(set.diskette(n));
        ok->click();
    }
    EXPECT_TRUE(handledDuringTheReading);
    EXPECT_EQ(message->toPlainText(),
              QStringLiteral("Please select the Compact Flash\ndrive and press the OK button\n"));
    list->setCurrentIndex(2);
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("DriveSize"))->text(),
              QStringLiteral("Removable Drive E: [CARD] - CARD\n Free Space: 1,423 Kbytes"));

    // While the Replace box waits, a stick is plugged in and the window is asked to close: both
    // wait until the action has ended, and each is taken in once. The operator keeps the old
    // database, and the window.
    std::vector<std::string> entriesDuringTheBox;
    std::vector<QString> boxes;
    QTimer answeringNo;
    answeringNo.setInterval(10);
    QObject::connect(&answeringNo, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        boxes.push_back(box->windowTitle());
        if (boxes.size() == 1) {
            drives.table.add(Drive{.letter = 'D',
                                   .type = drive_type::Removable,
                                   .ready = true,
                                   .volumeName = "STICK",
                                   .hostRoot = (drives.temp() / "stick").string()});
            window.drivesChanged();
            window.close();
            entriesDuringTheBox = model.DriveList.entries;
        }
        box->button(QMessageBox::No)->click();
    });
    answeringNo.start();
    ok->click();
    QApplication::processEvents();
    answeringNo.stop();
    EXPECT_EQ(boxes, (std::vector<QString>{QStringLiteral("Replace"), QStringLiteral("warning!")}));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(entriesDuringTheBox, (std::vector<std::string>{"a:", "c: [SYSTEM]", "e: [CARD]"}));
    EXPECT_EQ(model.DriveList.entries,
              (std::vector<std::string>{"a:", "c: [SYSTEM]", "d: [STICK]", "e: [CARD]"}));
    drives.table.remove('D');
    window.drivesChanged();

    list->setCurrentIndex(2);
    QString question;
    test::whenMessageBoxShows([&](QMessageBox& box) {
        question = box.windowTitle() + "|" + box.text();
        box.button(QMessageBox::Yes)->click();
    });
    ok->click();
    EXPECT_EQ(question,
              QStringLiteral(
                  "Replace|Directory E:\\backup\\single\\ already exists\nReplace old database?"));
    EXPECT_EQ(message->toPlainText(),
              QStringLiteral("Successful database convert\nTotal 3 diskettes\n"
                             "Press OK for another copy or Exit\n"));
    EXPECT_EQ(test::readFile(drives.hostPath("E:\\backup\\single\\db\\main.dat")),
              std::string(7000, 'm'));
    EXPECT_FALSE(std::filesystem::exists(drives.hostPath("E:\\backup\\single\\old.dat")));

    // Exit in step 4 ends at once, without a question, and takes the working directories along.
    window.findChild<QPushButton*>(QStringLiteral("buttonExit"))->click();
    EXPECT_TRUE(wizard.ended());
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(std::filesystem::exists(drives.hostPath("C:\\Temp\\XQ3100_flat")));
}

}  // namespace
}  // namespace xq::gui
