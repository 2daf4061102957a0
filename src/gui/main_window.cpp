#include "gui/main_window.h"

#include <cmath>

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QTextCursor>

#include "gui/about_dialog.h"
#include "gui/display_text.h"
#include "gui/elided_label.h"
#include "gui/mount_watch.h"
#include "ui/form_design.h"
#include "ui/log_pane.h"

namespace xq::gui {

namespace {

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

MainWindow::MainWindow(WindowController& controller, WindowModel& model, QWidget* parent)
    : QMainWindow(parent), binding_(model, controller, *this) {
    setObjectName(QStringLiteral("Form1"));
    buildControls();
    binding_.sync();
    // Media mounted or unmounted while the program runs show in the drive list by themselves.
    mounts_ = new MountWatch(QStringLiteral("/proc/self/mounts"), this);
    connect(mounts_, &MountWatch::changed, this, &MainWindow::drivesChanged);
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

    WindowBinding& binding = binding_;
    connect(buttonOK_, &QPushButton::clicked, this, [&binding] { binding.okPressed(); });
    connect(buttonBack_, &QPushButton::clicked, this, [&binding] { binding.backPressed(); });
    connect(buttonExit_, &QPushButton::clicked, this, [&binding] { binding.exitPressed(); });
    connect(buttonLog_, &QPushButton::clicked, this, [&binding] { binding.logButtonClicked(); });
    connect(driveList_, &QComboBox::currentIndexChanged, this,
            [&binding](int index) { binding.driveListIndexChanged(index); });
    connect(driveList_, &DriveComboBox::keyWentDown, this,
            [&binding] { binding.driveListKeyDown(); });
    connect(driveList_, &DriveComboBox::aboutToShowEntries, this,
            [&binding] { binding.driveListOpening(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closing_ || binding_.closeRequested()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::closeWindow() {
    closing_ = true;
    close();
    emit programEnded();
}

void MainWindow::setCaption(std::string_view caption) {
    setWindowTitle(toDisplayText(caption));
}

void MainWindow::layOut(const FormControl& form) {
    using form_geometry::kTwipsPerPixel;
    // The form fits the screen's work area: drawn smaller where even its shortest panes would not
    // fit, its panes shortened where the form as designed would not.
    const QRect available = screen()->availableGeometry();
    const QSize frame = frameGeometry().size() - geometry().size();
    const int width = available.width() - frame.width();
    const int height = available.height() - frame.height() - menuBar()->sizeHint().height();
    const double scale = formScaleToFit(width * kTwipsPerPixel, height * kTwipsPerPixel);
    if (scale != scale_) {
        scale_ = scale;
        QFont font = QApplication::font(this);
        font.setPointSizeF(font.pointSizeF() * scale_);
        form_->setFont(font);
        setMainTextFont(mainTextPoints_);
    }
    const FormDesign design = formDesign(form, static_cast<int>(height * kTwipsPerPixel / scale_));
    const auto pixels = [this](const TwipsRect& r) {
        const auto px = [this](int twips) {
            using form_geometry::kTwipsPerPixel;
            return static_cast<int>(std::lround(twips * scale_ / kTwipsPerPixel));
        };
        return QRect(px(r.x), px(r.y), px(r.width), px(r.height));
    };
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
    // A window that grew with its log comes back within the work area.
    if (isVisible()) {
        adjustSize();
        const QRect outer = frameGeometry();
        const int top = std::max(available.top(),
                                 std::min(outer.top(), available.bottom() + 1 - outer.height()));
        const int left = std::max(available.left(),
                                  std::min(outer.left(), available.right() + 1 - outer.width()));
        if (top != outer.top() || left != outer.left()) {
            move(left, top);
        }
    }
}

void MainWindow::setMainText(std::string_view text) {
    mainText_->setPlainText(toDisplayText(text));
}

void MainWindow::setMainTextFont(int points) {
    mainTextPoints_ = points;
    QFont font = mainText_->font();
    font.setPointSizeF(points * scale_);
    mainText_->setFont(font);
}

void MainWindow::setMainTextReadOnly(bool readOnly) {
    mainText_->setReadOnly(readOnly);
}

void MainWindow::appendLog(std::string_view text) {
    QTextCursor end(logText_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(toDisplayText(text));
}

void MainWindow::replaceLog(std::string_view text) {
    logText_->setPlainText(toDisplayText(text));
}

int MainWindow::logLength(std::string_view text) const {
    // UTF-16 units, a line break as one.
    return static_cast<int>(toDisplayText(text).size());
}

void MainWindow::selectLog(int start, int end, bool) {
    QTextCursor selection(logText_->document());
    selection.setPosition(start);
    selection.setPosition(end, QTextCursor::KeepAnchor);
    logText_->setTextCursor(selection);
    logText_->ensureCursorVisible();
}

void MainWindow::setLogBackground(Rgb colour) {
    QPalette palette = logText_->palette();
    palette.setColor(QPalette::Base, QColor(colour.red, colour.green, colour.blue));
    logText_->setPalette(palette);
}

void MainWindow::setDriveEntries(const std::vector<std::string>& entries) {
    const QSignalBlocker blocker(driveList_);
    driveList_->clear();
    for (const std::string& entry : entries) {
        const QString text = toDisplayText(entry);
        driveList_->addItem(text);
        driveList_->setItemData(driveList_->count() - 1, plainToolTip(text), Qt::ToolTipRole);
    }
}

void MainWindow::selectDriveEntry(int index) {
    const QSignalBlocker blocker(driveList_);
    driveList_->setCurrentIndex(index);
}

void MainWindow::setLabel(Control label, std::string_view caption) {
    (label == Control::DriveSize ? driveSize_ : label2_)->setFullText(toDisplayText(caption));
}

void MainWindow::setProgressRange(int min, int max) {
    progressBar_->setRange(min, max);
}

void MainWindow::setProgressValue(int value) {
    // The bar draws itself at once whenever a new value changes what it shows, and only then:
    // most steps of a long pass move it by less than a pixel.
    progressBar_->setValue(value);
}

void MainWindow::setVisible(Control control, bool visible) {
    if (QWidget* widget = widgetOf(control)) {
        widget->setVisible(visible);
    }
}

void MainWindow::setEnabled(Control control, bool enabled) {
    if (QWidget* widget = widgetOf(control)) {
        widget->setEnabled(enabled);
    }
}

void MainWindow::setPicture(Control button, std::string_view picture) {
    // Set only when it changes: the style decodes it from its image each time, and setting it
    // draws the button again.
    if (auto* pushButton = qobject_cast<QPushButton*>(widgetOf(button))) {
        pushButton->setIcon(pictureIcon(style(), std::string(picture)));
    }
}

void MainWindow::setFocus(Control control) {
    if (QWidget* widget = widgetOf(control)) {
        widget->setFocus();
    }
}

void MainWindow::drawNow(Control control) {
    QWidget* widget = widgetOf(control);
    if (control == Control::ProgressBar1 || widget == nullptr || !widget->isVisible()) {
        return;  // the bar has drawn itself with its new value
    }
    widget->repaint();
    if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
        text->viewport()->repaint();
    }
}

void MainWindow::handleWaitingEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
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
        case Control::ShowLog:
            return showLog_;
        case Control::HideLog:
            return hideLog_;
    }
    return nullptr;
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
