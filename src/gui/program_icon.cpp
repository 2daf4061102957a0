#include "gui/program_icon.h"

#include "ui/program_identity.h"

// The icon's resources live in a static library, whose registration the linker would drop unless
// something refers to it.
static void registerProgramIcon() {
    Q_INIT_RESOURCE(program_icon);
}

namespace xq::gui {

QIcon programIcon() {
    static const bool registered = (registerProgramIcon(), true);
    (void)registered;
    QIcon builtIn;
    for (const int size : {16, 32, 48, 64, 128}) {
        builtIn.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    }
    return QIcon::fromTheme(QString::fromUtf8(kProgram.applicationId.data()), builtIn);
}

}  // namespace xq::gui
