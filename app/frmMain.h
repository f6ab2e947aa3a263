#ifndef TESSELY_APP_FRMMAIN_H
#define TESSELY_APP_FRMMAIN_H

#include "controller/RunOperation.h"
#include "platform/FileSystem.h"
#include "ui/MainWindowLogic.h"

#include <QMainWindow>

#include <chrono>
#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QRadioButton;

namespace tessely
{

/// The program's main window drawn by Qt from its description: the naming choice, the split button, the
/// status label and the File, Tools and Help menus. It only draws and forwards: its commands, the files
/// dropped on it and its closing go to its `MainWindowLogic`, which does what the window does.
///
/// Each control is a member whose name is also its objectName (`cmdRun`, `lblStatus`, ...); the two
/// naming buttons are `optNaming[0]` and `optNaming[1]`, objectNames "optNaming_0" and "optNaming_1".
class frmMain : public QMainWindow, public MainWindowView
{
    Q_OBJECT

public:
    /// The window with the real open dialog and message box, working on the local file system.
    explicit frmMain(QWidget* parent = nullptr);
    /// The window with the given dialogs and file system, which must outlive it; a running job lets the
    /// window catch up once per `pacing`.
    frmMain(OperationUi& dialogs,
        FileSystem& fs,
        std::chrono::milliseconds pacing = JobPacing::usualInterval,
        QWidget* parent = nullptr);
    ~frmMain() override;

    /// What the window does: its commands, jobs on files handed to it.
    MainWindowLogic& logic();

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
    QAction* mnuExportWorkbook = nullptr;
    QAction* mnuSplitGroups = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuAbout = nullptr;

public slots:
    /// Fixes the window's size to the menu bar and the client area and centres it on the screen.
    void Form_Load();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // What the logic asks of the window: the naming buttons and the status label first.
    SplitNaming naming() override;
    void showStatus(bool visible) override;
    void setStatusCaption(const std::string& caption) override;
    /// Lets Qt handle the events that wait.
    bool handleEvents() override;
    void showAbout() override;
    /// Closes the window; its close event tells the logic.
    void closeWindow() override;
    /// Nothing to do: Qt hid the window when its close was accepted, and the program ends with it.
    void destroyWindow() override;

    void create(std::chrono::milliseconds pacing);

    std::unique_ptr<OperationUi> m_ownDialogs;
    OperationUi* m_dialogs = nullptr;
    FileSystem* m_fs = nullptr;
    std::unique_ptr<MainWindowLogic> m_logic;
};

} // namespace tessely

#endif
