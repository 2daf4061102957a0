#include "gui/about_dialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "gui/qt_dialogs.h"
#include "ui/about_box.h"

namespace xq::gui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    const AboutTexts texts = aboutTexts();
    setWindowTitle(toDisplayText(texts.caption));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setPixmap(style()->standardIcon(QStyle::SP_DriveCDIcon).pixmap(48, 48));

    auto* title = new QLabel(toDisplayText(texts.title), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = title->font();
    titleFont.setPointSize(titleFont.pointSize() + 4);
    titleFont.setBold(true);
    title->setFont(titleFont);

    auto* version = new QLabel(toDisplayText(texts.version), this);
    version->setObjectName(QStringLiteral("lblVersion"));

    auto* description = new QLabel(toDisplayText(texts.description).trimmed(), this);
    description->setObjectName(QStringLiteral("lblDescription"));
    description->setWordWrap(true);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(title, 0, 1);
    layout->addWidget(version, 1, 1);
    layout->addWidget(description, 2, 1);
    layout->addWidget(ok, 3, 1, Qt::AlignRight);
    setFixedWidth(420);
}

}  // namespace xq::gui
