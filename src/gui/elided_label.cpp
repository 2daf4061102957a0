#include "gui/elided_label.h"

#include <QEvent>
#include <QStringList>

#include "gui/display_text.h"

namespace xq::gui {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::setFullText(const QString& text) {
    if (text != full_) {
        full_ = text;
        elide();
    }
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        elide();
    }
}

void ElidedLabel::elide() {
    const int width = contentsRect().width();
    QStringList lines = full_.split(QLatin1Char('\n'));
    bool elided = false;
    for (QString& line : lines) {
        const QString shown = fontMetrics().elidedText(line, Qt::ElideMiddle, width);
        elided = elided || shown != line;
        line = shown;
    }
    setText(lines.join(QLatin1Char('\n')));
    setToolTip(elided ? plainToolTip(full_) : QString());
}

}  // namespace xq::gui
