#include "frmMain.h"

#include "GroupsDialog.h"
#include "MessageBoxLayer.h"
#include "SourceDialog.h"
#include "WindowDrawing.h"
#include "frmAbout.h"
#include "ui/WindowDialogs.h"
#include "ui/frmMainDescription.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>

namespace tessely
{

namespace
{

/// The local files a drag carries, in the bytes of the file system; empty when it carries anything else.
std::vector<std::string> draggedFiles(const QMimeData& data)
{
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile())
            return {};
        paths.push_back(fileSystemPath(url.toLocalFile()));
    }
    return paths;
}

} // namespace

frmMain::frmMain(QWidget* parent)
    : QMainWindow(parent)
    , m_ownDialogs(std::make_unique<WindowDialogs<QWidget*, QtSourceDialog, QtMessageBoxLayer, QtGroupsDialog>>(this))
    , m_dialogs(m_ownDialogs.get())
    , m_fs(&localFileSystem())
{
    create(JobPacing::usualInterval);
}

frmMain::frmMain(OperationUi& dialogs, FileSystem& fs, std::chrono::milliseconds pacing, QWidget* parent)
    : QMainWindow(parent)
    , m_dialogs(&dialogs)
    , m_fs(&fs)
{
    create(pacing);
}

frmMain::~frmMain() = default;

void frmMain::create(std::chrono::milliseconds pacing)
{
    const WindowDescription& design = frmMainDescription();
    m_logic = std::make_unique<MainWindowLogic>(*this, *m_dialogs, *m_fs, pacing);
    setUpFixedWindow(*this, Qt::Window, design);

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);
    createControls(*client, design);
    client->setFixedSize(clientPixels(*client, design));
    createMenus(*menuBar(), design);

    fraNaming = findChild<QGroupBox*>(QStringLiteral("fraNaming"));
    optNaming[0] = findChild<QRadioButton*>(QStringLiteral("optNaming_0"));
    optNaming[1] = findChild<QRadioButton*>(QStringLiteral("optNaming_1"));
    cmdRun = findChild<QPushButton*>(QStringLiteral("cmdRun"));
    lblStatus = findChild<QLabel*>(QStringLiteral("lblStatus"));
    mnuFile = findChild<QMenu*>(QStringLiteral("mnuFile"));
    mnuRun = findChild<QAction*>(QStringLiteral("mnuRun"));
    mnuSep0 = findChild<QAction*>(QStringLiteral("mnuSep0"));
    mnuExit = findChild<QAction*>(QStringLiteral("mnuExit"));
    mnuTools = findChild<QMenu*>(QStringLiteral("mnuTools"));
    mnuReCombine = findChild<QAction*>(QStringLiteral("mnuReCombine"));
    mnuExport = findChild<QAction*>(QStringLiteral("mnuExport"));
    mnuExportWorkbook = findChild<QAction*>(QStringLiteral("mnuExportWorkbook"));
    mnuSplitGroups = findChild<QAction*>(QStringLiteral("mnuSplitGroups"));
    mnuHelp = findChild<QMenu*>(QStringLiteral("mnuHelp"));
    mnuAbout = findChild<QAction*>(QStringLiteral("mnuAbout"));

    // The button has the focus at start; Enter presses it as Space does.
    cmdRun->setAutoDefault(true);
    applyTabOrder(*this, design);
    forwardCommands(*this, design, [this](WindowCommand command) { m_logic->command(command); });
    setAcceptDrops(true);
    Form_Load();
}

MainWindowLogic& frmMain::logic()
{
    return *m_logic;
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

SplitNaming frmMain::naming()
{
    return optNaming[1]->isChecked() ? SplitNaming::FromContact : SplitNaming::Numbered;
}

void frmMain::showStatus(bool visible)
{
    lblStatus->setVisible(visible);
}

void frmMain::setStatusCaption(const std::string& caption)
{
    lblStatus->setText(qtText(caption));
    placeControl(*lblStatus, frmMainDescription());
}

bool frmMain::handleEvents()
{
    QCoreApplication::processEvents();
    return true;
}

void frmMain::showAbout()
{
    frmAbout about(this);
    about.exec();
}

void frmMain::closeWindow()
{
    close();
}

void frmMain::destroyWindow()
{
}

void frmMain::closeEvent(QCloseEvent* event)
{
    m_logic->closing();
    event->accept();
}

void frmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (m_logic->takesFiles() && !draggedFiles(*event->mimeData()).empty())
        event->acceptProposedAction();
}

void frmMain::dragMoveEvent(QDragMoveEvent* event)
{
    if (m_logic->takesFiles() && !draggedFiles(*event->mimeData()).empty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event)
{
    const std::vector<std::string> paths = draggedFiles(*event->mimeData());
    if (paths.empty())
        return;
    event->acceptProposedAction();
    // The job runs once the drop has ended, so the program the files came from is not kept waiting.
    QTimer::singleShot(0, this, [this, paths] { m_logic->openFiles(paths, FileSource::Drop); });
}

} // namespace tessely
