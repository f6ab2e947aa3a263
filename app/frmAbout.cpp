#include "frmAbout.h"

#include "WindowDrawing.h"
#include "ui/frmAboutDescription.h"

#include <QFrame>
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
    setFixedSize(clientPixels(*this, design));

    Image1 = findChild<QLabel*>(QStringLiteral("Image1"));
    lblVersion = findChild<QLabel*>(QStringLiteral("lblVersion"));
    Label1 = findChild<QLabel*>(QStringLiteral("Label1"));
    Line1 = findChild<QFrame*>(QStringLiteral("Line1"));
    lstHeader = findChild<QListWidget*>(QStringLiteral("lstHeader"));
    RichTextBox1 = findChild<QTextEdit*>(QStringLiteral("RichTextBox1"));
    cmdOK = findChild<QPushButton*>(QStringLiteral("cmdOK"));

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

} // namespace tessely
