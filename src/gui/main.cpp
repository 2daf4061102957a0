// The converter's window.

#include <QApplication>

#include "app/wizard.h"
#include "gui/main_window.h"
#include "gui/qt_dialogs.h"
#include "gui/single_instance.h"
#include "platform/host_file_service.h"
#include "ui/program_identity.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(xq::kProgram.title.data()));
    QApplication::setApplicationVersion(QStringLiteral("1.4.1"));

    xq::gui::QtDialogs dialogs;
    xq::gui::SingleInstance instance;
    if (!instance.acquire()) {
        dialogs.messageBox(xq::singleInstanceRefusal(), xq::kErrorTitle, xq::box_style::OkStop);
        return 1;
    }

    const std::unique_ptr<xq::DriveTable> drives = xq::makeHostDriveTable();
    xq::HostFileService files(*drives, xq::hostTemporaryFolder());
    xq::WindowModel model;
    xq::Wizard wizard(model, *drives, files, dialogs);
    xq::gui::MainWindow window(wizard, model);
    dialogs.setParent(&window);
    QObject::connect(&window, &xq::gui::MainWindow::programEnded, &application,
                     &QApplication::quit, Qt::QueuedConnection);

    window.show();
    wizard.startUp();
    window.syncFromModel();
    return QApplication::exec();
}
