#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include "gui/display_text.h"
#include "ui/dialogs.h"

namespace xq::gui {

// Modal message boxes on the real window: the style number picks the icon and the buttons.
class QtDialogs : public Dialogs {
  public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    Answer messageBox(std::string_view text, std::string_view title, BoxStyle style) override;

    // The icon and the buttons a style number stands for.
    struct BoxLook {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        QMessageBox::StandardButton defaultButton = QMessageBox::Ok;
        QMessageBox::StandardButton escapeButton = QMessageBox::Ok;
    };
    static BoxLook lookOf(BoxStyle style);

  private:
    QPointer<QWidget> parent_;
};

}  // namespace xq::gui
