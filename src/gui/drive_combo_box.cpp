#include "gui/drive_combo_box.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QToolTip>

#include "gui/display_text.h"

namespace xq::gui {

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) {
    view()->setTextElideMode(Qt::ElideMiddle);
}

void DriveComboBox::showPopup() {
    emit aboutToShowEntries();
    QComboBox::showPopup();
}

void DriveComboBox::keyPressEvent(QKeyEvent* event) {
    emit keyWentDown();
    QComboBox::keyPressEvent(event);
}

QRect DriveComboBox::textRect() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                   this);
}

QString DriveComboBox::shownText() const {
    return fontMetrics().elidedText(currentText(), Qt::ElideMiddle, textRect().width());
}

void DriveComboBox::paintEvent(QPaintEvent* /*event*/) {
    // As the combo box paints itself, with the current entry elided rather than cut off.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = shownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

bool DriveComboBox::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        if (shownText() != currentText()) {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                               plainToolTip(currentText()), this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QComboBox::event(event);
}

}  // namespace xq::gui
