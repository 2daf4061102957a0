#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

#include "gui/drive_combo_box.h"
#include "ui/about_box.h"
#include "ui/window_binding.h"
#include "ui/window_model.h"

namespace xq::gui {

class AboutDialog;
class ElidedLabel;
class MountWatch;

// The converter's main window (`Form1`): its widgets, carrying the model's names as object names.
// The window binding shows the model in them and hands them the operator's actions.
class MainWindow : public QMainWindow, private WindowSurface {
    Q_OBJECT
  public:
    MainWindow(WindowController& controller, WindowModel& model, QWidget* parent = nullptr);

    // Shows the model's current state in the widgets.
    void syncFromModel() { binding_.sync(); }
    WindowBinding& binding() { return binding_; }

    // The About box, if it is open.
    QDialog* aboutBox() const;
    void openAbout();

    // The machine's drives changed: the wizard reads them again.
    void drivesChanged() { binding_.drivesChanged(); }

  signals:
    // The program has ended (Exit, a confirmed close, or a quit chosen during the work).
    void programEnded();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    QWidget* widgetOf(Control control) const;

    void setCaption(std::string_view caption) override;
    void layOut(const FormControl& form) override;
    void setMainText(std::string_view text) override;
    void setMainTextFont(int points) override;
    void setMainTextReadOnly(bool readOnly) override;
    void appendLog(std::string_view text) override;
    void replaceLog(std::string_view text) override;
    int logLength(std::string_view text) const override;
    void selectLog(int start, int end, bool opened) override;
    void setLogBackground(Rgb colour) override;
    void setDriveEntries(const std::vector<std::string>& entries) override;
    void selectDriveEntry(int index) override;
    void setLabel(Control label, std::string_view caption) override;
    void setProgressRange(int min, int max) override;
    void setProgressValue(int value) override;
    void setVisible(Control control, bool visible) override;
    void setEnabled(Control control, bool enabled) override;
    void setPicture(Control button, std::string_view picture) override;
    void setFocus(Control control) override;
    void drawNow(Control control) override;
    void handleWaitingEvents() override;
    void closeWindow() override;

    bool closing_ = false;
    // The form's scale on this screen (below 1 where the screen is too small for it), and the
    // message pane's font size as the model sets it.
    double scale_ = 1.0;
    int mainTextPoints_ = 0;

    QWidget* form_ = nullptr;
    QPlainTextEdit* mainText_ = nullptr;
    QPlainTextEdit* logText_ = nullptr;
    DriveComboBox* driveList_ = nullptr;
    ElidedLabel* driveSize_ = nullptr;
    ElidedLabel* label2_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPushButton* buttonOK_ = nullptr;
    QPushButton* buttonBack_ = nullptr;
    QPushButton* buttonExit_ = nullptr;
    QPushButton* buttonLog_ = nullptr;
    QPushButton* showLog_ = nullptr;
    QPushButton* hideLog_ = nullptr;
    std::array<QFrame*, 3> lines_{};
    MountWatch* mounts_ = nullptr;

    AboutBoxState aboutState_;
    QPointer<AboutDialog> about_;
    // Last: it shows the model in the widgets above from its first pass on.
    WindowBinding binding_;
};

}  // namespace xq::gui
