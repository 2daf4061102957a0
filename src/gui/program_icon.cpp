#include "gui/program_icon.h"

#include "ui/program_identity.h"

namespace xq::gui {

QIcon programIcon() {
    QIcon builtIn;
    for (const int size : {16, 32, 48, 64, 128}) {
        builtIn.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    }
    return QIcon::fromTheme(QString::fromUtf8(kProgram.applicationId.data()), builtIn);
}

}  // namespace xq::gui
