// The converter's window.

#include <iostream>
#include <string>
#include <vector>

#include <QApplication>

#include "app/drive_options.h"
#include "app/virtual_drives.h"
#include "app/wizard.h"
#include "gui/main_window.h"
#include "gui/qt_dialogs.h"
#include "gui/single_instance.h"
#include "platform/host_file_service.h"
#include "ui/program_identity.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(xq::kProgram.title.data()));
    QApplication::setApplicationVersion(QString::fromUtf8(xq::kProgram.version.data()));

    // The window takes the terminal front end's drive options: --diskettes DIR... --card DIR.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const xq::DriveOptionsResult options = xq::parseDriveOptions(arguments);
    if (!options.error.empty() || !options.rest.empty()) {
        std::cerr << "xq3100: "
                  << (options.error.empty() ? "unknown argument " + options.rest.front()
                                            : options.error)
                  << "\nUsage: xq3100 [--diskettes DIR...] [--card DIR]\n";
        return 2;
    }

    xq::gui::QtDialogs dialogs;
    xq::gui::SingleInstance instance;
    if (!instance.acquire()) {
        dialogs.messageBox(xq::singleInstanceRefusal(), xq::kErrorTitle, xq::box_style::OkStop);
        return 1;
    }

    const std::unique_ptr<xq::DriveTable> machine = xq::makeHostDriveTable();
    xq::VirtualDrives drives(*machine, options.drives);
    xq::HostFileService files(drives.table(), xq::hostTemporaryFolder());
    xq::WindowModel model;
    xq::Wizard wizard(model, drives.table(), files, dialogs);
    wizard.onDisketteRequested([&drives](int n) { drives.disketteRequested(n); });
    xq::gui::MainWindow window(wizard, model);
    dialogs.setParent(&window);
    QObject::connect(&window, &xq::gui::MainWindow::programEnded, &application, &QApplication::quit,
                     Qt::QueuedConnection);

    window.show();
    wizard.startUp();
    window.syncFromModel();
    return QApplication::exec();
}
