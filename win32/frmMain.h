#ifndef TESSELY_WIN32_FRMMAIN_H
#define TESSELY_WIN32_FRMMAIN_H

#include "MessageBoxLayer.h"
#include "NativeWindow.h"
#include "SourceDialog.h"
#include "Win32Api.h"
#include "controller/RunOperation.h"
#include "platform/FileSystem.h"
#include "platform/JobHost.h"
#include "ui/JobPacing.h"

#include <cstdint>
#include <memory>

namespace tessely
{

/// The program's main window drawn with the native controls: the naming choice, the split button, the
/// status label and the File, Tools and Help menus. Every job command goes to `RunOperation`; the window is
/// the jobs' host (status label, naming choice, yield to the message loop) and their dialogs (the open
/// dialog `cdcSource` and the message box).
///
/// Each control is a member named as the control; the two naming buttons are `optNaming[0]` and
/// `optNaming[1]`. Each has its number from the window's description as its control ID.
class frmMain : public OperationUi, public JobHost
{
public:
    /// The window with the system's open dialog and message box, working on the local file system.
    frmMain();
    /// The window with the given dialog, message box and file system, which must outlive it.
    frmMain(SourceDialog& cdcSource, MessageBoxLayer& messages, FileSystem& fs);
    ~frmMain() override;
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    /// Shows the window centred on its screen with the focus on the split button.
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

    /// Runs one job between the open dialog and the closing message. A command chosen while a job runs is
    /// ignored, so two jobs never work on the same files at once.
    void RunOperation(OperationKind kind);
    /// True while a job runs.
    bool isBusy() const;

    /// Sizes the window to its client area and menu bar for its screen's density.
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

    Selection showOpen(const DialogSetup& setup) override;
    void showMessage(const Message& message) override;
    void showStatus(bool visible) override;
    void setStatus(std::uint64_t number) override;
    /// Lets the window repaint and handle input, at most every few milliseconds so a job with many short
    /// steps stays fast. False once the program is ending.
    bool yield() override;
    /// True once the program is ending (File > Exit, the close box).
    bool stopRequested() override;
    /// True while " Name vCards from Contact Info" is selected.
    bool nameFromContact();

    HWND fraNaming = nullptr;
    HWND optNaming[2] = { nullptr, nullptr };
    HWND cmdRun = nullptr;
    HWND lblStatus = nullptr;

private:
    void create();
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void command(int id);
    void close();

    std::unique_ptr<SourceDialog> m_ownDialog;
    std::unique_ptr<MessageBoxLayer> m_ownMessages;
    SourceDialog* m_cdcSource = nullptr;
    MessageBoxLayer* m_messages = nullptr;
    FileSystem* m_fs = nullptr;
    HWND m_window = nullptr;
    NativeControls m_controls;

    bool m_busy = false;
    bool m_ending = false;
    JobPacing m_pacing;
};

} // namespace tessely

#endif
