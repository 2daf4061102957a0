// The converter's window.

#include <iostream>
#include <string>
#include <vector>

#include <QApplication>
#include <QIcon>

#include "app/virtual_drives.h"
#include "app/window_options.h"
#include "app/wizard.h"
#include "gui/interruption_watch.h"
#include "gui/main_window.h"
#include "gui/qt_dialogs.h"
#include "platform/host_file_service.h"
#include "platform/interruption.h"
#include "ui/program_identity.h"
#include "ui/version_text.h"

int main(int argc, char* argv[]) {
    // Read before Qt starts, so --help and --version need no display. Qt's own options
    // (-platform, -style) are not taken: its environment variables do the same.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const xq::WindowOptionsResult parsed = xq::parseWindowOptions(arguments);
    if (parsed.options.help) {
        std::cout << xq::windowUsage();
        return 0;
    }
    if (parsed.options.version) {
        std::cout << xq::versionText("xq3100");
        return 0;
    }
    if (!parsed.error.empty()) {
        std::cerr << "xq3100: " << parsed.error << "\n\n" << xq::windowUsage();
        return 2;
    }
    const xq::WindowOptions& options = parsed.options;

    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(xq::kProgram.title.data()));
    QApplication::setApplicationVersion(QString::fromUtf8(xq::kProgram.version.data()));
    // The installed menu entry and icon: the desktop matches the window to them.
    const QString applicationId = QString::fromUtf8(xq::kProgram.applicationId.data());
    QApplication::setDesktopFileName(applicationId);
    QApplication::setWindowIcon(QIcon::fromTheme(applicationId));

    xq::installInterruptHandlers();
    xq::gui::QtDialogs dialogs;
    const std::unique_ptr<xq::DriveTable> machine = xq::makeHostDriveTable();
    xq::VirtualDrives drives(*machine, options.drives);
    xq::HostFileService files(drives.table(), xq::hostTemporaryFolder());

    // One copy at a time: every copy works in the same working directories of the temporary
    // folder, so the lock covers them, and is taken before any of them is touched.
    xq::InstanceLock instance;
    if (const xq::LockResult locked = xq::lockWorkingDirectories(instance, files);
        locked.outcome != xq::LockOutcome::Acquired) {
        const std::string refusal = locked.outcome == xq::LockOutcome::HeldByAnotherCopy
                                        ? xq::singleInstanceRefusal()
                                        : locked.message;
        xq::passOver(dialogs.messageBox(refusal, xq::kErrorTitle, xq::box_style::OkStop));
        return 1;
    }
    xq::WindowModel model;
    xq::Wizard wizard(model, drives.table(), files, dialogs);
    wizard.onDisketteRequested([&drives](int n) { drives.disketteRequested(n); });
    xq::gui::InterruptionWatch interruptions(wizard, instance);
    xq::gui::MainWindow window(wizard, model);
    dialogs.setParent(&window);
    QObject::connect(&window, &xq::gui::MainWindow::programEnded, &application, &QApplication::quit,
                     Qt::QueuedConnection);

    window.show();
    wizard.startUp();
    window.syncFromModel();
    return QApplication::exec();
}
