#pragma once

#include <array>
#include <cstddef>
#include <optional>
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
#include "ui/about_box.h"
#include "ui/window_model.h"

namespace xq::gui {

class AboutDialog;
class ElidedLabel;
class MountWatch;

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

    // The machine's drives changed: the wizard reads them again.
    void drivesChanged();

  signals:
    // The program has ended (Exit, a confirmed close, or a quit chosen during the work).
    void programEnded();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Brings one control up to date and draws it at once; the rest of the window follows when the
    // action ends.
    void repaintNow(Control control) override;
    void buildControls();
    // Runs one operator action, then shows its outcome.
    template <typename Action>
    void act(Action&& action);

    void syncForm();
    void syncMainText();
    void syncLog();
    void syncLogSelection(bool force);
    void syncDriveList();
    void syncLabels();
    void syncProgressBar();
    void syncButtons();
    // The log widget's position for a position in the model's log, counted in characters.
    int logWidgetPosition(int position) const;
    QWidget* widgetOf(Control control) const;

    Wizard& wizard_;
    WindowModel& model_;
    bool closing_ = false;

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

    // What the widgets show now, so only changes are applied. The log only grows: what is new is
    // appended, and positions are mapped from its end, where the selection is.
    std::string shownMainText_;
    std::size_t shownLogBytes_ = 0;
    std::size_t shownLogCharacters_ = 0;  // of the model's text, CR LF as two
    int shownLogWidgetLength_ = 0;        // of the widget's text, a line break as one
    int shownSelectionStart_ = -1;
    int shownSelectionLength_ = -1;
    bool shownLogVisible_ = false;
    std::optional<Rgb> shownLogBackground_;
    int shownHeightTwips_ = -1;
    std::vector<std::string> shownEntries_;
    static constexpr std::size_t kButtons = 6;
    std::array<std::string, kButtons> shownPictures_;
    Control shownFocus_ = Control::Form;

    AboutBoxState aboutState_;
    QPointer<AboutDialog> about_;
};

}  // namespace xq::gui
