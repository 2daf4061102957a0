#include "gui/main_window.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>
#include <QStyle>
#include <QTextCursor>

#include "gui/about_dialog.h"
#include "gui/qt_dialogs.h"

namespace xq::gui {

namespace {

// The design-time layout of the working area, in pixels; the form's height and the separator lines
// come from the model.
constexpr int kFormWidth = 544;
constexpr int kMargin = 20;
constexpr int kInnerWidth = kFormWidth - 2 * kMargin;
constexpr int kButtonHeight = 30;
constexpr int kButtonWidth = 80;
constexpr int kButtonsFromBottom = 40;

// Position in the widget's text of a position in the model's CR LF text.
int displayPosition(const std::string& text, int position) {
    int crs = 0;
    for (int i = 0; i < position && i < static_cast<int>(text.size()); ++i) {
        if (text[static_cast<std::size_t>(i)] == '\r' && i + 1 < static_cast<int>(text.size()) &&
            text[static_cast<std::size_t>(i) + 1] == '\n') {
            ++crs;
        }
    }
    return position - crs;
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
    mainText_->setGeometry(kMargin, kMargin, kInnerWidth, 210);
    mainText_->setFocusPolicy(Qt::ClickFocus);

    driveList_ = new DriveComboBox(form_);
    driveList_->setObjectName(QStringLiteral("DriveList"));
    driveList_->setGeometry(kMargin, 244, 240, 26);

    driveSize_ = new QLabel(form_);
    driveSize_->setObjectName(QStringLiteral("DriveSize"));
    driveSize_->setGeometry(kMargin + 256, 238, kInnerWidth - 256, 40);

    label2_ = new QLabel(form_);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setGeometry(kMargin, 282, kInnerWidth, 60);
    label2_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    progressBar_ = new QProgressBar(form_);
    progressBar_->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar_->setGeometry(kMargin, 354, kInnerWidth, 22);

    logText_ = new QPlainTextEdit(form_);
    logText_->setObjectName(QStringLiteral("logText"));
    // The log is the record of the run: it can be read, selected and copied, not edited.
    logText_->setReadOnly(true);
    logText_->setGeometry(kMargin, 424, kInnerWidth, 172);

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
    const WindowModel& m = model_;
    setWindowTitle(toDisplayText(m.form.caption));
    form_->setFixedSize(kFormWidth, pixelsOf(m.form.heightTwips));
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const LineControl& line = m.form.lines[i];
        const int x = pixelsOf(std::min(line.x1, line.x2));
        const int y = pixelsOf(std::min(line.y1, line.y2));
        const int width = std::max(2, pixelsOf(std::abs(line.x2 - line.x1)));
        const int height = std::max(2, pixelsOf(std::abs(line.y2 - line.y1)));
        lines_[i]->setGeometry(x, y, width, height);
    }
    const int buttonsTop = pixelsOf(m.form.heightTwips) - kButtonsFromBottom;
    buttonLog_->setGeometry(kMargin, buttonsTop, 40, kButtonHeight);
    buttonBack_->setGeometry(kFormWidth - kMargin - 3 * kButtonWidth - 16, buttonsTop, kButtonWidth,
                             kButtonHeight);
    buttonOK_->setGeometry(kFormWidth - kMargin - 2 * kButtonWidth - 8, buttonsTop, kButtonWidth,
                           kButtonHeight);
    buttonExit_->setGeometry(kFormWidth - kMargin - kButtonWidth, buttonsTop, kButtonWidth,
                             kButtonHeight);

    if (m.mainText.text != shownMainText_) {
        mainText_->setPlainText(toDisplayText(m.mainText.text));
        shownMainText_ = m.mainText.text;
    }
    mainText_->setReadOnly(m.mainText.readOnly);
    if (mainText_->font().pointSize() != m.mainText.fontPointSize && m.mainText.fontPointSize > 0) {
        QFont font = mainText_->font();
        font.setPointSize(m.mainText.fontPointSize);
        mainText_->setFont(font);
    }
    mainText_->setVisible(m.mainText.visible);

    syncLog();

    if (m.DriveList.entries != shownEntries_) {
        const QSignalBlocker blocker(driveList_);
        driveList_->clear();
        for (const std::string& entry : m.DriveList.entries) {
            driveList_->addItem(toDisplayText(entry));
        }
        shownEntries_ = m.DriveList.entries;
    }
    if (driveList_->currentIndex() != m.DriveList.listIndex) {
        const QSignalBlocker blocker(driveList_);
        driveList_->setCurrentIndex(m.DriveList.listIndex);
    }
    driveList_->setVisible(m.DriveList.visible);
    driveList_->setEnabled(m.DriveList.enabled);

    driveSize_->setText(toDisplayText(m.DriveSize.caption));
    driveSize_->setVisible(m.DriveSize.visible);
    label2_->setText(toDisplayText(m.Label2.caption));
    label2_->setVisible(m.Label2.visible);

    progressBar_->setRange(m.ProgressBar1.min, std::max(m.ProgressBar1.min, m.ProgressBar1.max));
    progressBar_->setValue(m.ProgressBar1.value);
    progressBar_->setVisible(m.ProgressBar1.visible);

    const auto syncButton = [this](QPushButton* button, const ButtonControl& control) {
        button->setEnabled(control.enabled);
        button->setVisible(control.visible);
        button->setIcon(pictureIcon(style(), control.picture));
    };
    syncButton(buttonOK_, m.buttonOK);
    syncButton(buttonBack_, m.buttonBack);
    syncButton(buttonExit_, m.buttonExit);
    syncButton(buttonLog_, m.buttonLog);
    syncButton(showLog_, m.showLog);
    syncButton(hideLog_, m.hideLog);

    if (m.form.focus != shownFocus_) {
        if (QWidget* focus = widgetOf(m.form.focus)) {
            focus->setFocus();
        }
        shownFocus_ = m.form.focus;
    }
}

void MainWindow::syncLog() {
    const TextBoxControl& log = model_.logText;
    if (log.text != shownLog_) {
        // The log only grows: append what is new rather than setting the whole text again.
        if (log.text.starts_with(shownLog_)) {
            QTextCursor end(logText_->document());
            end.movePosition(QTextCursor::End);
            end.insertText(toDisplayText(std::string_view(log.text).substr(shownLog_.size())));
        } else {
            logText_->setPlainText(toDisplayText(log.text));
        }
        shownLog_ = log.text;
    }
    QPalette palette = logText_->palette();
    palette.setColor(QPalette::Base,
                     QColor(log.background.red, log.background.green, log.background.blue));
    logText_->setPalette(palette);
    logText_->setVisible(log.visible);
    if (log.visible) {
        const int start = displayPosition(log.text, log.selectionStart);
        const int end = displayPosition(log.text, log.selectionStart + log.selectionLength);
        QTextCursor selection(logText_->document());
        selection.setPosition(start);
        selection.setPosition(end, QTextCursor::KeepAnchor);
        logText_->setTextCursor(selection);
        logText_->ensureCursorVisible();
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
    syncFromModel();
    if (QWidget* widget = widgetOf(control); widget != nullptr && widget->isVisible()) {
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
