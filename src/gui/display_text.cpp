#include "gui/display_text.h"

#include <QTextDocument>

namespace xq::gui {

QString toDisplayText(std::string_view text) {
    QString display = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return display;
}

QString plainToolTip(const QString& text) {
    return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

}  // namespace xq::gui
