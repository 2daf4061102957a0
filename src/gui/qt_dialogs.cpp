#include "gui/qt_dialogs.h"

namespace xq::gui {

QtDialogs::BoxLook QtDialogs::lookOf(int style) {
    // The host numbering: buttons in the low nibble (0 OK, 1 OK/Cancel, 4 Yes/No), the icon in the
    // next one (16 stop, 32 question, 48 exclamation, 64 information).
    BoxLook look;
    switch (style & 0x0F) {
        case 1:
            look.buttons = QMessageBox::Ok | QMessageBox::Cancel;
            look.escapeButton = QMessageBox::Cancel;
            break;
        case 4:
            look.buttons = QMessageBox::Yes | QMessageBox::No;
            look.defaultButton = QMessageBox::Yes;
            look.escapeButton = QMessageBox::No;
            break;
        default:
            break;
    }
    switch (style & 0x70) {
        case 16:
            look.icon = QMessageBox::Critical;
            break;
        case 32:
            look.icon = QMessageBox::Question;
            break;
        case 48:
            look.icon = QMessageBox::Warning;
            break;
        case 64:
            look.icon = QMessageBox::Information;
            break;
        default:
            break;
    }
    return look;
}

Answer QtDialogs::messageBox(std::string_view text, std::string_view title, int style) {
    const BoxLook look = lookOf(style);
    QMessageBox box(look.icon, toDisplayText(title), toDisplayText(text), look.buttons, parent_);
    box.setObjectName(QStringLiteral("messageBox"));
    // Paths and names from the diskettes are shown as they are, never taken for markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(look.defaultButton);
    box.setEscapeButton(look.escapeButton);
    switch (box.exec()) {
        case QMessageBox::Cancel:
            return Answer::Cancel;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Ok;
    }
}

}  // namespace xq::gui
