// The window on the screens of the field, 1024x768 and 1366x768, at 100, 125, 150 and 200 %: every
// button lies on the screen, with the log hidden and shown. A screen and a scale are fixed when Qt
// starts, so each runs in a process of its own: this test program again, on an offscreen screen
// of that size.

#include <cstdlib>
#include <filesystem>
#include <string>

#include <QApplication>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

#include "app/wizard.h"
#include "gui/main_window.h"
#include "support/process.h"
#include "support/scripted_dialogs.h"
#include "support/temp_dir.h"
#include "support/test_drives.h"

namespace xq::gui {
namespace {

namespace fs = std::filesystem;

constexpr const char* kChild = "XQ_WINDOW_FIT_CHILD";

TEST(WindowFit, EveryButtonIsOnTheScreenAtEveryScale) {
    if (std::getenv(kChild) != nullptr) {
        GTEST_SKIP() << "the child's own run";
    }
    test::TempDir temp;
    for (const auto& [width, height] : {std::pair{1024, 768}, std::pair{1366, 768}}) {
        for (const char* scale : {"1", "1.25", "1.5", "2"}) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height) + " at " + scale);
            const fs::path config = temp / "screen.json";
            test::writeFile(config,
                            "{\"screens\": [{\"name\": \"fit\", \"x\": 0, \"y\": 0, "
                            "\"width\": " +
                                std::to_string(width) + ", \"height\": " + std::to_string(height) +
                                ", \"logicalDpi\": 96, \"dpr\": 1}]}");
            const test::ProcessOutcome child =
                test::runProgram(fs::read_symlink("/proc/self/exe").string(),
                                 {"--gtest_filter=WindowFit.ChildShowsEveryButtonOnTheScreen"},
                                 {{"QT_QPA_PLATFORM", "offscreen:configfile=" + config.string()},
                                  {"QT_SCALE_FACTOR", scale},
                                  {kChild, "1"}},
                                 temp.path());
            EXPECT_EQ(child.status, 0) << child.out << child.err;
            EXPECT_NE(child.out.find("[  PASSED  ] 1 test"), std::string::npos) << child.out;
        }
    }
}

TEST(WindowFit, ChildShowsEveryButtonOnTheScreen) {
    if (std::getenv(kChild) == nullptr) {
        GTEST_SKIP() << "run by WindowFit.EveryButtonIsOnTheScreenAtEveryScale";
    }
    test::TestDrives drives;
    WindowModel model;
    test::ScriptedDialogs dialogs;
    Wizard wizard{model, drives.table, drives.files, dialogs};
    MainWindow window{wizard, model};
    window.show();
    wizard.startUp();
    window.syncFromModel();
    const QRect screen = window.screen()->availableGeometry();
    for (const bool logShown : {false, true}) {
        if (logShown) {
            window.findChild<QPushButton*>(QStringLiteral("buttonLog"))->click();
        }
        QApplication::processEvents();
        for (const char* name : {"buttonLog", "buttonBack", "buttonOK", "buttonExit"}) {
            const auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name));
            const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
            EXPECT_TRUE(screen.contains(onScreen))
                << name << (logShown ? " with the log" : "") << " at " << onScreen.x() << ","
                << onScreen.y() << " " << onScreen.width() << "x" << onScreen.height()
                << " on a screen of " << screen.width() << "x" << screen.height();
        }
    }
}

}  // namespace
}  // namespace xq::gui
