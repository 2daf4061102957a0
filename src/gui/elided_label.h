#pragma once

#include <QLabel>

namespace xq::gui {

// A label of plain text whose lines are shortened in the middle ("…") where they are wider than the
// label, the whole text then in its tool tip: a long volume name or folder must neither run past
// the window's edge nor be cut off unseen.
class ElidedLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void elide();

    QString full_;
};

}  // namespace xq::gui
