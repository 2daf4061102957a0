#pragma once

#include <QComboBox>

namespace xq::gui {

// The drive list: a combo box that tells, before it drops down, that its entries are wanted, so
// they are read from the machine again (media come and go while the program runs). An entry too
// wide for the box is shortened in the middle ("…"), the whole entry then in its tool tip.
class DriveComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit DriveComboBox(QWidget* parent = nullptr);

    void showPopup() override;

    // The current entry as the box shows it.
    QString shownText() const;

  signals:
    void aboutToShowEntries();
    // Any key went down in the list, before the list itself handles it.
    void keyWentDown();

  protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QRect textRect() const;
};

}  // namespace xq::gui
