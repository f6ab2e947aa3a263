#include "frmAbout.h"

#include "Twips.h"
#include "WindowDrawing.h"
#include "ui/frmAboutDescription.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>

namespace tessely
{

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
{
    const WindowDescription& design = frmAboutDescription();
    setUpFixedWindow(*this, Qt::Dialog, design);
    setModal(true);
    createControls(*this, design);
    setFixedSize(twipsRect(*this, TwipRect { 0, 0, design.clientWidth, design.clientHeight }).size());

    Image1 = findChild<QLabel*>(QStringLiteral("Image1"));
    lblVersion = findChild<QLabel*>(QStringLiteral("lblVersion"));
    Label1 = findChild<QLabel*>(QStringLiteral("Label1"));
    Line1 = findChild<QFrame*>(QStringLiteral("Line1"));
    lstHeader = findChild<QListWidget*>(QStringLiteral("lstHeader"));
    RichTextBox1 = findChild<QTextEdit*>(QStringLiteral("RichTextBox1"));
    cmdOK = findChild<QPushButton*>(QStringLiteral("cmdOK"));

    // The list shows its longest line in full: it grows to both sides and stays centred under the rule.
    const QRect list = lstHeader->geometry();
    const int wanted = lstHeader->sizeHintForColumn(0) + 2 * lstHeader->frameWidth() + 4;
    if (wanted > list.width())
        lstHeader->setGeometry(list.center().x() - wanted / 2, list.y(), wanted, list.height());

    applyTabOrder(*this, design);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    Form_Load();
}

void frmAbout::Form_Load()
{
    lblVersion->setText(qtText(versionCaption()));
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    // Esc presses OK, as Enter does (OK is the default button).
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tessely
