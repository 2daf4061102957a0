#include "gui/display_check.h"

#include <cstdlib>
#include <iostream>

#include <QString>
#include <QtGlobal>

#include "app/exit_status.h"

namespace xq::gui {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

QtMessageHandler qtHandler = nullptr;

void onQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg && (message.contains(QStringLiteral("platform plugin")) ||
                               message.contains(QStringLiteral("connect to display")))) {
        std::cerr << missingDisplayMessage();
        std::_Exit(exit_status::BadArguments);
    }
    if (qtHandler != nullptr) {
        qtHandler(type, context, message);
    }
}

}  // namespace

std::string missingDisplayMessage() {
    return "xq3100: no display was found (DISPLAY and WAYLAND_DISPLAY are not set, or it cannot "
           "be reached).\nThe terminal program xq3100-convert converts without one: see "
           "xq3100-convert --help.\n";
}

bool displayIsThere(const std::vector<std::string>& toolkitArguments) {
    for (const std::string& argument : toolkitArguments) {
        if (argument == "-platform") {
            return true;  // a window system of the operator's choice: Qt finds out
        }
    }
#ifdef Q_OS_LINUX
    return isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

void explainAMissingDisplay() {
    qtHandler = qInstallMessageHandler(onQtMessage);
}

}  // namespace xq::gui
