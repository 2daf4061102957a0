#include "gui/main_window.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>
#include <QStyle>
#include <QTextCursor>

#include "gui/about_dialog.h"
#include "gui/display_text.h"
#include "gui/elided_label.h"
#include "gui/mount_watch.h"
#include "platform/text.h"
#include "ui/form_design.h"
#include "ui/log_pane.h"

namespace xq::gui {

namespace {

// A rectangle of the form's design in logical pixels.
QRect pixels(const TwipsRect& r) {
    using form_geometry::kTwipsPerPixel;
    return {r.x / kTwipsPerPixel, r.y / kTwipsPerPixel, r.width / kTwipsPerPixel,
            r.height / kTwipsPerPixel};
}

QIcon pictureIcon(const QStyle* style, const std::string& picture) {
    if (picture == kHideLogPicture) {
        return style->standardIcon(QStyle::SP_ArrowUp);
    }
    if (picture == kShowLogPicture) {
        return style->standardIcon(QStyle::SP_ArrowDown);
    }
    return {};
}

}  // namespace

MainWindow::MainWindow(Wizard& wizard, WindowModel& model, QWidget* parent)
    : QMainWindow(parent), wizard_(wizard), model_(model) {
    setObjectName(QStringLiteral("Form1"));
    buildControls();
    model_.observer = this;
    syncFromModel();
    // Media mounted or unmounted while the program runs show in the drive list by themselves.
    mounts_ = new MountWatch(QStringLiteral("/proc/self/mounts"), this);
    connect(mounts_, &MountWatch::changed, this, &MainWindow::drivesChanged);
}

MainWindow::~MainWindow() {
    if (model_.observer == this) {
        model_.observer = nullptr;
    }
}

void MainWindow::buildControls() {
    auto* aboutAction = menuBar()->addAction(tr("&About"));
    aboutAction->setObjectName(QStringLiteral("About"));
    connect(aboutAction, &QAction::triggered, this, &MainWindow::openAbout);

    form_ = new QWidget(this);
    form_->setObjectName(QStringLiteral("form"));
    setCentralWidget(form_);
    // The window follows the form's size, which the log pane's button changes.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    mainText_ = new QPlainTextEdit(form_);
    mainText_->setObjectName(QStringLiteral("mainText"));
    mainText_->setFocusPolicy(Qt::ClickFocus);

    driveList_ = new DriveComboBox(form_);
    driveList_->setObjectName(QStringLiteral("DriveList"));

    driveSize_ = new ElidedLabel(form_);
    driveSize_->setObjectName(QStringLiteral("DriveSize"));

    label2_ = new ElidedLabel(form_);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    progressBar_ = new QProgressBar(form_);
    progressBar_->setObjectName(QStringLiteral("ProgressBar1"));

    logText_ = new QPlainTextEdit(form_);
    logText_->setObjectName(QStringLiteral("logText"));
    // The log is the record of the run: it can be read, selected and copied, not edited.
    logText_->setReadOnly(true);

    auto makeButton = [this](const char* name, const QString& text) {
        auto* button = new QPushButton(text, form_);
        button->setObjectName(QString::fromLatin1(name));
        return button;
    };
    buttonLog_ = makeButton("buttonLog", QString());
    buttonLog_->setToolTip(tr("Show or hide the log"));
    buttonBack_ = makeButton("buttonBack", tr("< &Back"));
    buttonOK_ = makeButton("buttonOK", tr("&OK"));
    buttonExit_ = makeButton("buttonExit", tr("E&xit"));
    buttonOK_->setDefault(true);
    buttonOK_->setAutoDefault(true);
    showLog_ = makeButton("showLog", QString());
    hideLog_ = makeButton("hideLog", QString());

    for (std::size_t i = 0; i < lines_.size(); ++i) {
        lines_[i] = new QFrame(form_);
        lines_[i]->setObjectName(QStringLiteral("Line%1").arg(i + 1));
        lines_[i]->setFrameShape(i == 0 ? QFrame::HLine : QFrame::VLine);
        lines_[i]->setFrameShadow(QFrame::Sunken);
    }

    connect(buttonOK_, &QPushButton::clicked, this,
            [this] { act([this] { wizard_.okPressed(); }); });
    connect(buttonBack_, &QPushButton::clicked, this,
            [this] { act([this] { wizard_.backPressed(); }); });
    connect(buttonExit_, &QPushButton::clicked, this,
            [this] { act([this] { wizard_.exitPressed(); }); });
    connect(buttonLog_, &QPushButton::clicked, this,
            [this] { act([this] { wizard_.logButtonClicked(); }); });
    connect(driveList_, &QComboBox::currentIndexChanged, this,
            [this](int index) { act([this, index] { wizard_.driveListIndexChanged(index); }); });
    connect(driveList_, &DriveComboBox::keyWentDown, this,
            [this] { act([this] { wizard_.driveListKeyDown(); }); });
    connect(driveList_, &DriveComboBox::aboutToShowEntries, this,
            [this] { act([this] { wizard_.driveListOpening(); }); });
}

template <typename Action>
void MainWindow::act(Action&& action) {
    if (closing_) {
        return;
    }
    action();
    syncFromModel();
    if (wizard_.ended()) {
        closing_ = true;
        close();
        emit programEnded();
    }
}

void MainWindow::drivesChanged() {
    act([this] { wizard_.drivesChanged(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    act([this] { wizard_.closeRequested(); });
    if (wizard_.ended()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::syncFromModel() {
    setWindowTitle(toDisplayText(model_.form.caption));
    syncForm();
    syncMainText();
    syncLog();
    syncDriveList();
    syncLabels();
    syncProgressBar();
    syncButtons();
    if (model_.form.focus != shownFocus_) {
        if (QWidget* focus = widgetOf(model_.form.focus)) {
            focus->setFocus();
        }
        shownFocus_ = model_.form.focus;
    }
}

void MainWindow::syncForm() {
    const FormControl& form = model_.form;
    if (form.heightTwips == shownHeightTwips_) {
        return;
    }
    shownHeightTwips_ = form.heightTwips;
    const FormDesign design = formDesign(form);
    form_->setFixedSize(pixels({0, 0, design.width, design.height}).size());
    mainText_->setGeometry(pixels(design.mainText));
    QRect list = pixels(design.DriveList);
    list.setHeight(std::max(list.height(), driveList_->sizeHint().height()));
    driveList_->setGeometry(list);
    driveSize_->setGeometry(pixels(design.DriveSize));
    label2_->setGeometry(pixels(design.Label2));
    progressBar_->setGeometry(pixels(design.ProgressBar1));
    logText_->setGeometry(pixels(design.logText));
    buttonLog_->setGeometry(pixels(design.buttonLog));
    buttonBack_->setGeometry(pixels(design.buttonBack));
    buttonOK_->setGeometry(pixels(design.buttonOK));
    buttonExit_->setGeometry(pixels(design.buttonExit));
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        lines_[i]->setGeometry(pixels(design.lines[i]));
    }
}

void MainWindow::syncMainText() {
    const TextBoxControl& text = model_.mainText;
    if (text.text != shownMainText_) {
        mainText_->setPlainText(toDisplayText(text.text));
        shownMainText_ = text.text;
    }
    mainText_->setReadOnly(text.readOnly);
    if (mainText_->font().pointSize() != text.fontPointSize && text.fontPointSize > 0) {
        QFont font = mainText_->font();
        font.setPointSize(text.fontPointSize);
        mainText_->setFont(font);
    }
    mainText_->setVisible(text.visible);
}

void MainWindow::syncLog() {
    const TextBoxControl& log = model_.logText;
    if (log.text.size() < shownLogBytes_) {
        // Never so far: the log is only appended to. Shown again from its start.
        logText_->clear();
        shownLogBytes_ = 0;
        shownLogCharacters_ = 0;
        shownLogWidgetLength_ = 0;
    }
    const bool grew = log.text.size() != shownLogBytes_;
    if (grew) {
        const std::string_view added = std::string_view(log.text).substr(shownLogBytes_);
        const QString display = toDisplayText(added);
        QTextCursor end(logText_->document());
        end.movePosition(QTextCursor::End);
        end.insertText(display);
        shownLogBytes_ = log.text.size();
        shownLogCharacters_ += characterCount(added);
        shownLogWidgetLength_ += static_cast<int>(display.size());
    }
    if (log.background != shownLogBackground_) {
        QPalette palette = logText_->palette();
        palette.setColor(QPalette::Base,
                         QColor(log.background.red, log.background.green, log.background.blue));
        logText_->setPalette(palette);
        shownLogBackground_ = log.background;
    }
    const bool opened = log.visible && !shownLogVisible_;
    logText_->setVisible(log.visible);
    shownLogVisible_ = log.visible;
    syncLogSelection(grew || opened);
}

void MainWindow::syncLogSelection(bool force) {
    const TextBoxControl& log = model_.logText;
    if (!log.visible || (!force && log.selectionStart == shownSelectionStart_ &&
                         log.selectionLength == shownSelectionLength_)) {
        return;
    }
    QTextCursor selection(logText_->document());
    selection.setPosition(logWidgetPosition(log.selectionStart));
    selection.setPosition(logWidgetPosition(log.selectionStart + log.selectionLength),
                          QTextCursor::KeepAnchor);
    logText_->setTextCursor(selection);
    logText_->ensureCursorVisible();
    shownSelectionStart_ = log.selectionStart;
    shownSelectionLength_ = log.selectionLength;
}

int MainWindow::logWidgetPosition(int position) const {
    // The model counts characters with CR LF as two, the widget UTF-16 units with a line break as
    // one. The selection lies at the log's end, so the text after the position is measured, never
    // the whole log.
    const std::size_t wanted =
        std::min(static_cast<std::size_t>(std::max(position, 0)), shownLogCharacters_);
    const std::string_view after =
        lastCharacters(std::string_view(model_.logText.text).substr(0, shownLogBytes_),
                       shownLogCharacters_ - wanted);
    return shownLogWidgetLength_ - static_cast<int>(toDisplayText(after).size());
}

void MainWindow::syncDriveList() {
    const DriveListControl& list = model_.DriveList;
    if (list.entries != shownEntries_) {
        const QSignalBlocker blocker(driveList_);
        driveList_->clear();
        for (const std::string& entry : list.entries) {
            const QString text = toDisplayText(entry);
            driveList_->addItem(text);
            driveList_->setItemData(driveList_->count() - 1, plainToolTip(text), Qt::ToolTipRole);
        }
        shownEntries_ = list.entries;
    }
    if (driveList_->currentIndex() != list.listIndex) {
        const QSignalBlocker blocker(driveList_);
        driveList_->setCurrentIndex(list.listIndex);
    }
    driveList_->setVisible(list.visible);
    driveList_->setEnabled(list.enabled);
}

void MainWindow::syncLabels() {
    driveSize_->setFullText(toDisplayText(model_.DriveSize.caption));
    driveSize_->setVisible(model_.DriveSize.visible);
    label2_->setFullText(toDisplayText(model_.Label2.caption));
    label2_->setVisible(model_.Label2.visible);
}

void MainWindow::syncProgressBar() {
    const ProgressBarControl& bar = model_.ProgressBar1;
    progressBar_->setRange(bar.min, std::max(bar.min, bar.max));
    progressBar_->setValue(bar.value);
    progressBar_->setVisible(bar.visible);
}

void MainWindow::syncButtons() {
    const std::array<std::pair<QPushButton*, const ButtonControl*>, kButtons> buttons = {{
        {buttonOK_, &model_.buttonOK},
        {buttonBack_, &model_.buttonBack},
        {buttonExit_, &model_.buttonExit},
        {buttonLog_, &model_.buttonLog},
        {showLog_, &model_.showLog},
        {hideLog_, &model_.hideLog},
    }};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const auto [button, control] = buttons[i];
        button->setEnabled(control->enabled);
        button->setVisible(control->visible);
        // A picture is set only when it changes: the style decodes it from its image each time,
        // and setting it draws the button again.
        if (control->picture != shownPictures_[i]) {
            button->setIcon(pictureIcon(style(), control->picture));
            shownPictures_[i] = control->picture;
        }
    }
}

QWidget* MainWindow::widgetOf(Control control) const {
    switch (control) {
        case Control::Form:
            return form_;
        case Control::MainText:
            return mainText_;
        case Control::LogText:
            return logText_;
        case Control::DriveList:
            return driveList_;
        case Control::DriveSize:
            return driveSize_;
        case Control::Label2:
            return label2_;
        case Control::ProgressBar1:
            return progressBar_;
        case Control::ButtonOK:
            return buttonOK_;
        case Control::ButtonBack:
            return buttonBack_;
        case Control::ButtonExit:
            return buttonExit_;
        case Control::ButtonLog:
            return buttonLog_;
    }
    return nullptr;
}

void MainWindow::repaintNow(Control control) {
    QWidget* widget = widgetOf(control);
    switch (control) {
        case Control::MainText:
            syncMainText();
            break;
        case Control::ProgressBar1:
            if (progressBar_->isVisible()) {
                // The bar draws itself at once whenever a new value changes what it shows, and
                // only then: most steps of a long pass move it by less than a pixel.
                syncProgressBar();
                return;
            }
            syncProgressBar();
            break;
        case Control::DriveSize:
        case Control::Label2:
            syncLabels();
            break;
        case Control::LogText:
            syncLog();
            break;
        default:
            syncFromModel();
            break;
    }
    if (widget != nullptr && widget->isVisible()) {
        widget->repaint();
        if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            text->viewport()->repaint();
        }
    }
}

QDialog* MainWindow::aboutBox() const {
    return about_.data();
}

void MainWindow::openAbout() {
    if (!aboutState_.open() && about_) {
        about_->raise();
        about_->activateWindow();
        return;
    }
    about_ = new AboutDialog(this);
    connect(about_, &QObject::destroyed, this, [this] { aboutState_.closed(); });
    about_->show();
}

}  // namespace xq::gui
