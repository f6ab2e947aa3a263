#ifndef TESSELY_WIN32_FRMMAIN_H
#define TESSELY_WIN32_FRMMAIN_H

#include "NativeWindow.h"
#include "Win32Api.h"
#include "controller/RunOperation.h"
#include "platform/FileSystem.h"
#include "ui/MainWindowLogic.h"

#include <chrono>
#include <memory>

namespace tessely
{

/// The program's main window drawn with the native controls from its description: the naming choice, the
/// split button, the status label and the File, Tools and Help menus. It only draws and forwards: its
/// commands, the files dropped on it and its closing go to its `MainWindowLogic`, which does what the
/// window does.
///
/// Each control is a member named as the control; the two naming buttons are `optNaming[0]` and
/// `optNaming[1]`. Each has its number from the window's description as its control ID.
class frmMain : public MainWindowView
{
public:
    /// The window with the system's open dialog and message box, working on the local file system.
    frmMain();
    /// The window with the given dialogs and file system, which must outlive it; a running job lets the
    /// window catch up once per `pacing`.
    frmMain(OperationUi& dialogs, FileSystem& fs, std::chrono::milliseconds pacing = JobPacing::usualInterval);
    ~frmMain() override;
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    /// Shows the window centred on its screen with the focus where the description puts it.
    void show();
    /// True until the window has been closed.
    bool isOpen() const;
    HWND window() const
    {
        return m_window;
    }
    const NativeControls& controls() const
    {
        return m_controls;
    }
    /// What the window does: its commands, jobs on files handed to it.
    MainWindowLogic& logic();

    /// Sizes the window to its client area and menu bar for its screen's density.
    void Form_Load();

    HWND fraNaming = nullptr;
    HWND optNaming[2] = { nullptr, nullptr };
    HWND cmdRun = nullptr;
    HWND lblStatus = nullptr;

private:
    // What the logic asks of the window. The window's life first: it goes only when the logic says so.
    /// Sends the window WM_CLOSE, as its close box does.
    void closeWindow() override;
    void destroyWindow() override;
    void showAbout() override;
    /// Handles the messages that wait; false once the program was asked to quit.
    bool handleEvents() override;
    // The status label and the naming buttons.
    void showStatus(bool visible) override;
    void setStatusCaption(const std::string& caption) override;
    SplitNaming naming() override;

    void create(std::chrono::milliseconds pacing);
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void drop(HDROP files);

    std::unique_ptr<OperationUi> m_ownDialogs;
    OperationUi* m_dialogs = nullptr;
    FileSystem* m_fs = nullptr;
    HWND m_window = nullptr;
    NativeControls m_controls;
    std::unique_ptr<MainWindowLogic> m_logic;
};

} // namespace tessely

#endif
