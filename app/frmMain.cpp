#include "frmMain.h"

#include "MessageBoxLayer.h"
#include "SourceDialog.h"
#include "Twips.h"
#include "frmAbout.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace tessely
{

namespace
{

/// The client area below the menu bar, in twips.
constexpr int clientWidth = 4560;
constexpr int clientHeight = 2850;

/// How often a running job lets the window repaint and handle input, in milliseconds.
constexpr qint64 eventInterval = 15;

QAction* menuAction(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent)
    , m_ownDialog(std::make_unique<QtSourceDialog>())
    , m_ownMessages(std::make_unique<QtMessageBoxLayer>())
    , m_cdcSource(m_ownDialog.get())
    , m_messages(m_ownMessages.get())
    , m_fs(&localFileSystem())
{
    createControls();
    createMenus();
    connectHandlers();
    Form_Load();
}

frmMain::frmMain(SourceDialog& cdcSource, MessageBoxLayer& messages, FileSystem& fs, QWidget* parent)
    : QMainWindow(parent)
    , m_cdcSource(&cdcSource)
    , m_messages(&messages)
    , m_fs(&fs)
{
    createControls();
    createMenus();
    connectHandlers();
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::createControls()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tessely - Main Window"));
    setUpFixedWindow(*this, Qt::Window, QStringLiteral("main"));

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    fraNaming = new QGroupBox(QStringLiteral("vCard Naming Options"), client);
    fraNaming->setObjectName(QStringLiteral("fraNaming"));

    const char* const captions[2] = { "Name vCards Numerically", " Name vCards from Contact Info" };
    const char* const tips[2] = { "Every vCard file will be named per its index without reguard to contents",
        "vCard files will be named per the first valid field in the following sequence: Formatted Name, Name, "
        "Title, Email" };
    for (int i = 0; i < 2; ++i) {
        // Both buttons share the frame as parent, which makes them one group: checking one clears the other.
        optNaming[i] = new QRadioButton(QString::fromLatin1(captions[i]), fraNaming);
        optNaming[i]->setObjectName(QStringLiteral("optNaming_%1").arg(i));
        optNaming[i]->setToolTip(QString::fromLatin1(tips[i]));
    }
    optNaming[0]->setChecked(true);

    cmdRun = new QPushButton(QStringLiteral("Split vCard into Files"), client);
    cmdRun->setObjectName(QStringLiteral("cmdRun"));
    cmdRun->setToolTip(QStringLiteral("Split a multi-contact vCard into separate vCard files"));
    // The button has the focus at start; Enter presses it as Space does.
    cmdRun->setAutoDefault(true);

    lblStatus = new QLabel(QStringLiteral("Processing..."), client);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblStatus->setVisible(false);

    placeInTwips(*fraNaming, 473, 240, 3615, 1575);
    placeInTwips(*optNaming[0], 360, 480, 3015, 195);
    placeInTwips(*optNaming[1], 360, 960, 3015, 195);
    placeInTwips(*cmdRun, 1313, 2040, 1935, 495);
    placeInTwips(*lblStatus, 3000, 2640, 1410, 195);
    client->setFixedSize(twipsRect(*client, 0, 0, clientWidth, clientHeight).size());

    setTabOrder(cmdRun, optNaming[0]);
    setTabOrder(optNaming[0], optNaming[1]);
    cmdRun->setFocus();
}

void frmMain::createMenus()
{
    mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuRun = menuAction(mnuFile, "mnuRun", QStringLiteral("&Run Now"));
    mnuSep0 = mnuFile->addSeparator();
    mnuSep0->setObjectName(QStringLiteral("mnuSep0"));
    mnuExit = menuAction(mnuFile, "mnuExit", QStringLiteral("E&xit"));

    mnuTools = menuBar()->addMenu(QStringLiteral("&Tools"));
    mnuTools->setObjectName(QStringLiteral("mnuTools"));
    mnuReCombine = menuAction(mnuTools, "mnuReCombine", QStringLiteral("Re&Combine vCards into Single"));
    mnuExport = menuAction(mnuTools, "mnuExport", QStringLiteral("vCard &Raw Format to CSV"));

    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout = menuAction(mnuHelp, "mnuAbout", QStringLiteral("&About"));
}

void frmMain::connectHandlers()
{
    connect(cmdRun, &QPushButton::clicked, this, &frmMain::cmdRun_Click);
    connect(mnuRun, &QAction::triggered, this, &frmMain::mnuRun_Click);
    connect(mnuReCombine, &QAction::triggered, this, &frmMain::mnuReCombine_Click);
    connect(mnuExport, &QAction::triggered, this, &frmMain::mnuExport_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
    connect(mnuExit, &QAction::triggered, this, &frmMain::mnuExit_Click);
}

void frmMain::Form_Load()
{
    // The window is as tall as the menu bar and the client area together, whatever height this desktop
    // gives its menu bar, and cannot be resized.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    adjustSize();
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

void frmMain::cmdRun_Click()
{
    RunOperation(OperationKind::Split);
}

void frmMain::mnuRun_Click()
{
    RunOperation(OperationKind::Split);
}

void frmMain::mnuReCombine_Click()
{
    RunOperation(OperationKind::Recombine);
}

void frmMain::mnuExport_Click()
{
    RunOperation(OperationKind::Export);
}

void frmMain::mnuAbout_Click()
{
    if (m_ending)
        return;
    frmAbout about(this);
    about.exec();
}

void frmMain::mnuExit_Click()
{
    close();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    // Ending stops a running job at its next yield; the files it has written stay as they are.
    m_ending = true;
    event->accept();
}

void frmMain::RunOperation(OperationKind kind)
{
    if (m_busy || m_ending)
        return;
    m_busy = true;
    m_sinceEvents.invalidate();
    tessely::RunOperation(kind, *this, *m_fs, *this);
    m_busy = false;
}

bool frmMain::isBusy() const
{
    return m_busy;
}

Selection frmMain::showOpen(const DialogSetup& setup)
{
    return m_cdcSource->showOpen(this, setup);
}

void frmMain::showMessage(const Message& message)
{
    m_messages->show(this, message);
}

void frmMain::showStatus(bool visible)
{
    lblStatus->setVisible(visible);
}

void frmMain::setStatus(std::uint64_t number)
{
    // The caption itself is set just before the window repaints; setting it for every step would cost
    // more than the step.
    m_statusNumber = number;
    m_statusShown = false;
}

void frmMain::showStatusCaption()
{
    if (m_statusShown)
        return;
    lblStatus->setText(QString::fromStdString(statusCaption(m_statusNumber)));
    m_statusShown = true;
}

bool frmMain::yield()
{
    if (m_ending)
        return false;
    if (!m_sinceEvents.isValid() || m_sinceEvents.elapsed() >= eventInterval) {
        showStatusCaption();
        QCoreApplication::processEvents();
        m_sinceEvents.start();
    }
    return !m_ending;
}

bool frmMain::stopRequested()
{
    return m_ending;
}

bool frmMain::nameFromContact()
{
    return optNaming[1]->isChecked();
}

Date frmMain::today()
{
    return localToday();
}

} // namespace tessely
