#include "frmMain.h"

#include "MessageBoxLayer.h"
#include "SourceDialog.h"
#include "Twips.h"
#include "WindowDrawing.h"
#include "frmAbout.h"
#include "ui/frmMainDescription.h"

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
    const WindowDescription& design = frmMainDescription();
    setUpFixedWindow(*this, Qt::Window, design);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    tessely::createControls(*client, design);
    client->setFixedSize(twipsRect(*client, TwipRect { 0, 0, design.clientWidth, design.clientHeight }).size());

    fraNaming = findChild<QGroupBox*>(QStringLiteral("fraNaming"));
    optNaming[0] = findChild<QRadioButton*>(QStringLiteral("optNaming_0"));
    optNaming[1] = findChild<QRadioButton*>(QStringLiteral("optNaming_1"));
    cmdRun = findChild<QPushButton*>(QStringLiteral("cmdRun"));
    lblStatus = findChild<QLabel*>(QStringLiteral("lblStatus"));
    // The button has the focus at start; Enter presses it as Space does.
    cmdRun->setAutoDefault(true);
    applyTabOrder(*this, design);
}

void frmMain::createMenus()
{
    tessely::createMenus(*menuBar(), frmMainDescription());
    mnuFile = findChild<QMenu*>(QStringLiteral("mnuFile"));
    mnuRun = findChild<QAction*>(QStringLiteral("mnuRun"));
    mnuSep0 = findChild<QAction*>(QStringLiteral("mnuSep0"));
    mnuExit = findChild<QAction*>(QStringLiteral("mnuExit"));
    mnuTools = findChild<QMenu*>(QStringLiteral("mnuTools"));
    mnuReCombine = findChild<QAction*>(QStringLiteral("mnuReCombine"));
    mnuExport = findChild<QAction*>(QStringLiteral("mnuExport"));
    mnuHelp = findChild<QMenu*>(QStringLiteral("mnuHelp"));
    mnuAbout = findChild<QAction*>(QStringLiteral("mnuAbout"));
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
    m_pacing.start();
    if (auto request = askForRequest(kind, *this)) {
        request->naming = nameFromContact() ? SplitNaming::FromContact : SplitNaming::Numbered;
        tessely::RunOperation(*request, *this, *m_fs, *this);
    }
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
    m_pacing.setStatus(number);
}

bool frmMain::yield()
{
    if (m_ending)
        return false;
    if (m_pacing.due()) {
        if (const auto caption = m_pacing.takeCaption())
            lblStatus->setText(qtText(*caption));
        QCoreApplication::processEvents();
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

} // namespace tessely
