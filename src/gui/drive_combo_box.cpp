#include "gui/drive_combo_box.h"

#include <QKeyEvent>

namespace xq::gui {

void DriveComboBox::showPopup() {
    emit aboutToShowEntries();
    QComboBox::showPopup();
}

void DriveComboBox::keyPressEvent(QKeyEvent* event) {
    emit keyWentDown();
    QComboBox::keyPressEvent(event);
}

}  // namespace xq::gui
