#include "gui/qt_dialogs.h"

namespace xq::gui {

QtDialogs::BoxLook QtDialogs::lookOf(BoxStyle style) {
    BoxLook look;
    switch (style.buttons) {
        case BoxButtons::Ok:
            break;
        case BoxButtons::OkCancel:
            look.buttons = QMessageBox::Ok | QMessageBox::Cancel;
            look.escapeButton = QMessageBox::Cancel;
            break;
        case BoxButtons::YesNo:
            look.buttons = QMessageBox::Yes | QMessageBox::No;
            look.defaultButton = QMessageBox::Yes;
            look.escapeButton = QMessageBox::No;
            break;
    }
    switch (style.icon) {
        case BoxIcon::None:
            break;
        case BoxIcon::Stop:
            look.icon = QMessageBox::Critical;
            break;
        case BoxIcon::Question:
            look.icon = QMessageBox::Question;
            break;
        case BoxIcon::Exclamation:
            look.icon = QMessageBox::Warning;
            break;
        case BoxIcon::Information:
            look.icon = QMessageBox::Information;
            break;
    }
    return look;
}

Answer QtDialogs::messageBox(std::string_view text, std::string_view title, BoxStyle style) {
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
