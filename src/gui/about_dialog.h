#pragma once

#include <QDialog>

namespace xq::gui {

// The About box (`frmAbout`): the program's title, version and purpose. Not modal.
class AboutDialog : public QDialog {
    Q_OBJECT
  public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace xq::gui
