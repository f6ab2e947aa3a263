#include "frmAbout.h"

#include "Twips.h"
#include "platform/Version.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTextEdit>

namespace tessely
{

namespace
{

const char* const company = "Quorvane";
const char* const webAddress = "https://quorvane.example/tessely";
const char* const supportAddress = "support@quorvane.example";

// What the program does, as the About window tells it.
const char* const description
    = "The Tessely is a small, inexpensive application created to circumvent the issue of incompatibility when "
      "importing vCard files that contain multiple contacts (such as by many cell phones).  This application will "
      "create individual files for each contact in a multiple vCard file, and save them independently using either "
      "the contact information or named sequentially.  There is also an added tool that will recombine multiple "
      "vCard files back into a single, large vCard file.  Additionally, the application  includes an export "
      "utility to allow a user to easily see all the available fields present in a multi-contact vCard file.  If "
      "any assistance or additional functionality is desired, feel free to contact us at the email address "
      "listed above.";

/// A font of the given family, or the nearest sans-serif font where this system lacks it.
QFont namedFont(const char* family, qreal pointSize, bool bold)
{
    QFont font(QString::fromLatin1(family));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace

QString versionCaption()
{
    return QStringLiteral("Version %1.%2.%3").arg(versionMajor).arg(versionMinor).arg(versionRevision);
}

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Tessely"));
    setUpFixedWindow(*this, Qt::Dialog, QStringLiteral("about"));
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(QPixmap(QStringLiteral(":/artwork/picture.png")));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblVersion = new QLabel(QStringLiteral("Version"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setFont(namedFont("MS Sans Serif", 8.25, true));
    lblVersion->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    Label1 = new QLabel(QString::fromLatin1(company), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(namedFont("Arial", 12, false));

    Line1 = new QFrame(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);

    lstHeader = new QListWidget(this);
    lstHeader->setObjectName(QStringLiteral("lstHeader"));
    lstHeader->addItems(
        { QString::fromLatin1(company), QString::fromLatin1(webAddress), QString::fromLatin1(supportAddress) });
    lstHeader->setUniformItemSizes(true);
    lstHeader->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette listColours = lstHeader->palette();
    listColours.setColor(QPalette::Base, listColours.color(QPalette::Button));
    lstHeader->setPalette(listColours);

    RichTextBox1 = new QTextEdit(this);
    RichTextBox1->setObjectName(QStringLiteral("RichTextBox1"));
    RichTextBox1->setFont(namedFont("MS Sans Serif", 8.5, false));
    RichTextBox1->setAcceptRichText(false);
    RichTextBox1->setPlainText(QString::fromLatin1(description));
    RichTextBox1->setReadOnly(true);
    RichTextBox1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    RichTextBox1->setTabChangesFocus(true);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);

    placeInTwips(*Image1, 0, 0, 1515, 1125);
    placeInTwips(*lblVersion, 3840, 120, 1935, 255);
    placeInTwips(*Label1, 1800, 480, 3630, 345);
    placeInTwips(*Line1, 120, 1200 - 15, 5520, 30);
    placeInTwips(*lstHeader, 1620, 1320, 2655, 615);
    placeInTwips(*RichTextBox1, 180, 2040, 5535, 3015);
    placeInTwips(*cmdOK, 2340, 5160, 1215, 495);
    setFixedSize(twipsRect(*this, 0, 0, 5895, 5850).size());

    // The list shows its longest line in full: it grows to both sides and stays centred under the rule.
    const QRect list = lstHeader->geometry();
    const int wanted = lstHeader->sizeHintForColumn(0) + 2 * lstHeader->frameWidth() + 4;
    if (wanted > list.width())
        lstHeader->setGeometry(list.center().x() - wanted / 2, list.y(), wanted, list.height());

    setTabOrder(lstHeader, cmdOK);
    setTabOrder(cmdOK, RichTextBox1);
    lstHeader->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    Form_Load();
}

void frmAbout::Form_Load()
{
    lblVersion->setText(versionCaption());
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
