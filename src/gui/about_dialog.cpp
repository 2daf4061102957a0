#include "gui/about_dialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include "gui/display_text.h"
#include "gui/program_icon.h"
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
    icon->setTextFormat(Qt::PlainText);
    icon->setPixmap(programIcon().pixmap(48, 48));

    // Plain text, every label: nothing here is markup.
    auto makeLabel = [this](const QString& text, const char* name) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(name));
        label->setTextFormat(Qt::PlainText);
        return label;
    };
    QLabel* title = makeLabel(toDisplayText(texts.title), "lblTitle");
    QFont titleFont = title->font();
    titleFont.setPointSize(titleFont.pointSize() + 4);
    titleFont.setBold(true);
    title->setFont(titleFont);
    QLabel* version = makeLabel(toDisplayText(texts.version), "lblVersion");
    QLabel* description = makeLabel(toDisplayText(texts.description).trimmed(), "lblDescription");
    description->setWordWrap(true);
    // Wide enough to read as a paragraph, in the font's own measure, whatever the scale.
    description->setMinimumWidth(description->fontMetrics().averageCharWidth() * 50);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 3, 1, Qt::AlignTop);
    layout->addWidget(title, 0, 1);
    layout->addWidget(version, 1, 1);
    layout->addWidget(description, 2, 1);
    layout->setRowStretch(2, 1);
    layout->addWidget(ok, 3, 1, Qt::AlignRight);

    // The box may be made larger, never so small that the description is cut off: the wrapped
    // description is tallest at the narrowest width, so that width and its height are the least.
    const int narrowest = minimumSizeHint().width();
    setMinimumSize(narrowest, heightForWidth(narrowest));
    adjustSize();
}

}  // namespace xq::gui
