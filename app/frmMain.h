#ifndef TESSELY_APP_FRMMAIN_H
#define TESSELY_APP_FRMMAIN_H

#include "controller/RunOperation.h"
#include "platform/FileSystem.h"
#include "platform/JobHost.h"
#include "ui/JobPacing.h"

#include <QMainWindow>

#include <cstdint>
#include <memory>
#include <string>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;

namespace tessely
{

class MessageBoxLayer;
class SourceDialog;

/// The program's main window: the naming choice, the split button, the status label and the File, Tools
/// and Help menus. Every job command goes to `RunOperation`; the window is the jobs' host (status label,
/// naming choice, yield to the event loop) and their dialogs (the open dialog `cdcSource` and the message
/// box).
///
/// Each control is a member whose name is also its objectName (`cmdRun`, `lblStatus`, ...); the two
/// naming buttons are `optNaming[0]` and `optNaming[1]`, objectNames "optNaming_0" and "optNaming_1".
class frmMain : public QMainWindow, public OperationUi, public JobHost
{
    Q_OBJECT

public:
    /// The window with the real open dialog and message box, working on the local file system.
    explicit frmMain(QWidget* parent = nullptr);
    /// The window with the given dialog, message box and file system, which must outlive it.
    frmMain(SourceDialog& cdcSource, MessageBoxLayer& messages, FileSystem& fs, QWidget* parent = nullptr);
    ~frmMain() override;

    /// Runs one job between the open dialog and the closing message. A command chosen while a job runs
    /// is ignored, so two jobs never work on the same files at once.
    void RunOperation(OperationKind kind);
    /// True while a job runs.
    bool isBusy() const;

    /// Shows `cdcSource` set up for a job and gives its selection.
    Selection showOpen(const DialogSetup& setup) override;
    /// Shows a message box over the window.
    void showMessage(const Message& message) override;

    /// Shows or hides `lblStatus`.
    void showStatus(bool visible) override;
    /// Takes the number for `lblStatus`'s caption, shown when the window next repaints.
    void setStatus(std::uint64_t number) override;
    /// Lets the window repaint and handle input, at most every few milliseconds so a job with many short
    /// steps stays fast. False once the program is ending.
    bool yield() override;
    /// True once the program is ending (File > Exit, the close box).
    bool stopRequested() override;
    /// True while " Name vCards from Contact Info" is selected.
    bool nameFromContact();

    QGroupBox* fraNaming = nullptr;
    QRadioButton* optNaming[2] = { nullptr, nullptr };
    QPushButton* cmdRun = nullptr;
    QLabel* lblStatus = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuRun = nullptr;
    QAction* mnuSep0 = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuTools = nullptr;
    QAction* mnuReCombine = nullptr;
    QAction* mnuExport = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuAbout = nullptr;

public slots:
    /// Fixes the window's size to the menu bar and the client area and centres it on the screen.
    void Form_Load();
    /// The split button and File > Run Now: the split.
    void cmdRun_Click();
    void mnuRun_Click();
    /// Tools > ReCombine vCards into Single: the recombine.
    void mnuReCombine_Click();
    /// Tools > vCard Raw Format to CSV: the CSV export.
    void mnuExport_Click();
    /// Help > About: shows a new About window modally and returns when it has closed.
    void mnuAbout_Click();
    /// File > Exit: closes the window, which ends the program and stops a running job.
    void mnuExit_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createMenus();
    void connectHandlers();

    std::unique_ptr<SourceDialog> m_ownDialog;
    std::unique_ptr<MessageBoxLayer> m_ownMessages;
    SourceDialog* m_cdcSource = nullptr;
    MessageBoxLayer* m_messages = nullptr;
    FileSystem* m_fs = nullptr;

    bool m_busy = false;
    bool m_ending = false;
    JobPacing m_pacing;
};

} // namespace tessely

#endif
