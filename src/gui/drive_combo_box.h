#pragma once

#include <functional>

#include <QComboBox>

namespace xq::gui {

// The drive list: a combo box that tells, before it drops down, that its entries are wanted, so
// they are read from the machine again (media come and go while the program runs).
class DriveComboBox : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;

    void showPopup() override;

  signals:
    void aboutToShowEntries();
    // Any key went down in the list, before the list itself handles it.
    void keyWentDown();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace xq::gui
