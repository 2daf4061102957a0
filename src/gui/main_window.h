#pragma once

#include <array>
#include <string>
#include <vector>

#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include "app/wizard.h"
#include "gui/drive_combo_box.h"
#include "platform/window_model.h"
#include "ui/about_box.h"

namespace xq::gui {

class AboutDialog;

// The converter's main window (`Form1`). It shows the window model and hands every operator action
// to the wizard; the controls carry the model's names as object names.
class MainWindow : public QMainWindow, private WindowObserver {
    Q_OBJECT
  public:
    MainWindow(Wizard& wizard, WindowModel& model, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Shows the model's current state in the widgets.
    void syncFromModel();

    // The About box, if it is open.
    QDialog* aboutBox() const;
    void openAbout();

  signals:
    // The program has ended (Exit, a confirmed close, or a quit chosen during the work).
    void programEnded();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void repaintNow(Control control) override;
    void buildControls();
    // Runs one operator action, then shows its outcome.
    template <typename Action>
    void act(Action&& action);
    void syncLog();
    QWidget* widgetOf(Control control) const;

    Wizard& wizard_;
    WindowModel& model_;
    bool closing_ = false;

    QWidget* form_ = nullptr;
    QPlainTextEdit* mainText_ = nullptr;
    QPlainTextEdit* logText_ = nullptr;
    DriveComboBox* driveList_ = nullptr;
    QLabel* driveSize_ = nullptr;
    QLabel* label2_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPushButton* buttonOK_ = nullptr;
    QPushButton* buttonBack_ = nullptr;
    QPushButton* buttonExit_ = nullptr;
    QPushButton* buttonLog_ = nullptr;
    QPushButton* showLog_ = nullptr;
    QPushButton* hideLog_ = nullptr;
    std::array<QFrame*, 3> lines_{};

    // What the widgets show now, so only changes are applied.
    std::string shownMainText_;
    std::string shownLog_;
    std::vector<std::string> shownEntries_;
    Control shownFocus_ = Control::Form;

    AboutBoxState aboutState_;
    QPointer<AboutDialog> about_;
};

// Twips, the unit of the form's geometry, in logical pixels.
constexpr int pixelsOf(int twips) {
    return twips / 15;
}

}  // namespace xq::gui
