// The converter's window.

#include <iostream>
#include <string>
#include <vector>

#include <QApplication>
#include <QIcon>

#include "app/converter_setup.h"
#include "app/exit_status.h"
#include "command_line/window_options.h"
#include "gui/display_check.h"
#include "gui/interruption_watch.h"
#include "gui/main_window.h"
#include "gui/program_icon.h"
#include "gui/qt_dialogs.h"
#include "platform/interruption.h"
#include "platform/shown_text.h"
#include "ui/program_identity.h"
#include "ui/version_text.h"

int main(int argc, char* argv[]) {
    // Read before Qt starts, so --help and --version need no display. Qt's own options
    // (-platform, -style) are passed on to it.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const xq::WindowOptionsResult parsed = xq::parseWindowOptions(arguments);
    if (parsed.options.help) {
        std::cout << xq::windowUsage();
        return xq::exit_status::Success;
    }
    if (parsed.options.version) {
        std::cout << xq::versionText("xq3100");
        return xq::exit_status::Success;
    }
    if (!parsed.error.empty()) {
        std::cerr << "xq3100: " << xq::shownText(parsed.error)
                  << "\nTry 'xq3100 --help' for more information.\n";
        return xq::exit_status::BadArguments;
    }
    const xq::WindowOptions& options = parsed.options;
    if (!xq::gui::displayIsThere(options.toolkitArguments)) {
        std::cerr << xq::gui::missingDisplayMessage();
        return xq::exit_status::BadArguments;
    }
    xq::gui::explainAMissingDisplay();

    // Qt sees the program's name and its own options only.
    std::vector<std::string> toolkit = {argv[0]};
    toolkit.insert(toolkit.end(), options.toolkitArguments.begin(), options.toolkitArguments.end());
    std::vector<char*> toolkitArgv;
    for (std::string& argument : toolkit) {
        toolkitArgv.push_back(argument.data());
    }
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = static_cast<int>(toolkit.size());
    QApplication application(toolkitArgc, toolkitArgv.data());
    QApplication::setApplicationName(QString::fromUtf8(xq::kProgram.title.data()));
    QApplication::setApplicationVersion(QString::fromUtf8(xq::kProgram.version.data()));
    // The installed menu entry and icon: the desktop matches the window to them.
    const QString applicationId = QString::fromUtf8(xq::kProgram.applicationId.data());
    QApplication::setDesktopFileName(applicationId);
    QApplication::setWindowIcon(xq::gui::programIcon());

    xq::installInterruptHandlers();
    xq::ConverterSetup setup(options.drives);
    xq::gui::QtDialogs dialogs;
    xq::Wizard& wizard = setup.makeWizard(dialogs);
    if (const std::optional<std::string> refusal = setup.lock()) {
        xq::passOver(dialogs.messageBox(*refusal, xq::kErrorTitle, xq::box_style::OkStop));
        return xq::exit_status::Failed;
    }
    xq::gui::MainWindow window(wizard, setup.model());
    xq::gui::InterruptionWatch interruptions(window.binding());
    dialogs.setParent(&window);
    QObject::connect(&window, &xq::gui::MainWindow::programEnded, &application, &QApplication::quit,
                     Qt::QueuedConnection);

    window.show();
    wizard.startUp();
    window.syncFromModel();
    const int status = QApplication::exec();
    if (xq::interruptRequested()) {
        // The work in progress has stopped and the working directories are gone.
        setup.releaseLock();
        xq::endAsInterrupted();
    }
    return status;
}
