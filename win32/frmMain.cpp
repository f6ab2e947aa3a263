#include "frmMain.h"

#include "frmAbout.h"
#include "ui/frmMainDescription.h"

namespace tessely
{

frmMain::frmMain()
    : m_ownDialog(std::make_unique<Win32SourceDialog>())
    , m_ownMessages(std::make_unique<Win32MessageBoxLayer>())
    , m_cdcSource(m_ownDialog.get())
    , m_messages(m_ownMessages.get())
    , m_fs(&localFileSystem())
    , m_controls(frmMainDescription())
{
    create();
}

frmMain::frmMain(SourceDialog& cdcSource, MessageBoxLayer& messages, FileSystem& fs)
    : m_cdcSource(&cdcSource)
    , m_messages(&messages)
    , m_fs(&fs)
    , m_controls(frmMainDescription())
{
    create();
}

frmMain::~frmMain()
{
    if (m_window != nullptr)
        DestroyWindow(m_window);
}

void frmMain::create()
{
    m_window = createDescribedWindow(frmMainDescription(), nullptr, &frmMain::windowProcedure, this);
    m_controls.create(m_window);
    fraNaming = m_controls.control("fraNaming");
    optNaming[0] = m_controls.control("optNaming_0");
    optNaming[1] = m_controls.control("optNaming_1");
    cmdRun = m_controls.control("cmdRun");
    lblStatus = m_controls.control("lblStatus");
    Form_Load();
}

void frmMain::Form_Load()
{
    // The window is as tall as its menu bar and client area together, whatever height this system gives
    // its title and menu bars, and cannot be resized.
    m_controls.layout(windowDpi(m_window));
    m_controls.centre();
}

void frmMain::show()
{
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    SendMessageW(
        m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_controls.control(frmMainDescription().focus)), TRUE);
}

bool frmMain::isOpen() const
{
    return m_window != nullptr;
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
    frmAbout about(m_window);
    about.showModal();
}

void frmMain::mnuExit_Click()
{
    close();
}

void frmMain::close()
{
    // Ending stops a running job at its next yield; the window goes once the job has returned.
    m_ending = true;
    if (m_busy)
        ShowWindow(m_window, SW_HIDE);
    else
        DestroyWindow(m_window);
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
    if (m_ending)
        DestroyWindow(m_window);
}

bool frmMain::isBusy() const
{
    return m_busy;
}

Selection frmMain::showOpen(const DialogSetup& setup)
{
    return m_cdcSource->showOpen(m_window, setup);
}

void frmMain::showMessage(const Message& message)
{
    m_messages->show(m_window, message);
}

void frmMain::showStatus(bool visible)
{
    ShowWindow(lblStatus, visible ? SW_SHOWNA : SW_HIDE);
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
            SetWindowTextW(lblStatus, wideText(*caption).c_str());
        if (!handleWaitingMessages())
            m_ending = true;
    }
    return !m_ending;
}

bool frmMain::stopRequested()
{
    return m_ending;
}

bool frmMain::nameFromContact()
{
    return SendMessageW(optNaming[1], BM_GETCHECK, 0, 0) == BST_CHECKED;
}

LRESULT CALLBACK frmMain::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<frmMain*>(describedSelf(window, message, lParam));
    if (self == nullptr)
        return defaultHandling(window, message, wParam, lParam);
    return self->handle(window, message, wParam, lParam);
}

void frmMain::command(int id)
{
    if (const MenuItemDescription* item = frmMainDescription().menuItemById(id)) {
        switch (item->command) {
        case MenuCommand::Run:
            mnuRun_Click();
            return;
        case MenuCommand::Exit:
            mnuExit_Click();
            return;
        case MenuCommand::ReCombine:
            mnuReCombine_Click();
            return;
        case MenuCommand::Export:
            mnuExport_Click();
            return;
        case MenuCommand::About:
            mnuAbout_Click();
            return;
        case MenuCommand::OpenMenu:
        case MenuCommand::None:
            return;
        }
    }
    if (id == GetDlgCtrlID(cmdRun))
        cmdRun_Click();
}

LRESULT frmMain::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        // Menu items and the button; Esc (IDCANCEL) does nothing in the main window.
        if (HIWORD(wParam) == BN_CLICKED)
            command(LOWORD(wParam));
        return 0;
    case WM_CLOSE:
        close();
        return 0;
    case WM_DPICHANGED:
        m_controls.moveToDpi(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_NCDESTROY:
        m_window = nullptr;
        break;
    }
    return defaultHandling(window, message, wParam, lParam);
}

} // namespace tessely
