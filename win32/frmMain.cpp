#include "frmMain.h"

#include "GroupsDialog.h"
#include "MessageBoxLayer.h"
#include "SourceDialog.h"
#include "frmAbout.h"
#include "platform/WideText.h"
#include "ui/WindowDialogs.h"
#include "ui/frmMainDescription.h"

namespace tessely
{

frmMain::frmMain()
    : m_fs(&localFileSystem())
    , m_controls(frmMainDescription())
{
    create(JobPacing::usualInterval);
}

frmMain::frmMain(OperationUi& dialogs, FileSystem& fs, std::chrono::milliseconds pacing)
    : m_dialogs(&dialogs)
    , m_fs(&fs)
    , m_controls(frmMainDescription())
{
    create(pacing);
}

frmMain::~frmMain()
{
    if (m_window != nullptr)
        DestroyWindow(m_window);
}

void frmMain::create(std::chrono::milliseconds pacing)
{
    m_window = createDescribedWindow(frmMainDescription(), nullptr, &frmMain::windowProcedure, this);
    if (m_dialogs == nullptr) {
        m_ownDialogs
            = std::make_unique<WindowDialogs<HWND, Win32SourceDialog, Win32MessageBoxLayer, Win32GroupsDialog>>(
                m_window);
        m_dialogs = m_ownDialogs.get();
    }
    m_logic = std::make_unique<MainWindowLogic>(*this, *m_dialogs, *m_fs, pacing);
    m_controls.create(m_window);
    fraNaming = m_controls.control("fraNaming");
    optNaming[0] = m_controls.control("optNaming_0");
    optNaming[1] = m_controls.control("optNaming_1");
    cmdRun = m_controls.control("cmdRun");
    lblStatus = m_controls.control("lblStatus");
    DragAcceptFiles(m_window, TRUE);
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

MainWindowLogic& frmMain::logic()
{
    return *m_logic;
}

SplitNaming frmMain::naming()
{
    return SendMessageW(optNaming[1], BM_GETCHECK, 0, 0) == BST_CHECKED ? SplitNaming::FromContact
                                                                        : SplitNaming::Numbered;
}

void frmMain::showStatus(bool visible)
{
    ShowWindow(lblStatus, visible ? SW_SHOWNA : SW_HIDE);
}

void frmMain::setStatusCaption(const std::string& caption)
{
    SetWindowTextW(lblStatus, wideText(caption).c_str());
    m_controls.place(lblStatus);
}

bool frmMain::handleEvents()
{
    return handleWaitingMessages();
}

void frmMain::showAbout()
{
    frmAbout about(m_window);
    about.showModal();
}

void frmMain::closeWindow()
{
    SendMessageW(m_window, WM_CLOSE, 0, 0);
}

void frmMain::destroyWindow()
{
    DestroyWindow(m_window);
}

void frmMain::drop(HDROP files)
{
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(files, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(DragQueryFileW(files, i, nullptr, 0) + 1, L'\0');
        path.resize(DragQueryFileW(files, i, path.data(), static_cast<UINT>(path.size())));
        paths.push_back(toUtf8(path));
    }
    DragFinish(files);
    m_logic->openFiles(paths, FileSource::Drop);
}

LRESULT CALLBACK frmMain::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<frmMain*>(describedSelf(window, message, lParam));
    if (self == nullptr)
        return defaultHandling(window, message, wParam, lParam);
    return self->handle(window, message, wParam, lParam);
}

LRESULT frmMain::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        // Menu items and buttons by their number; Esc comes as IDCANCEL.
        if (HIWORD(wParam) != BN_CLICKED)
            return 0;
        if (LOWORD(wParam) == IDCANCEL)
            m_controls.pressCancelButton();
        else
            m_logic->command(frmMainDescription().commandById(LOWORD(wParam)));
        return 0;
    case WM_MENUSELECT:
        m_controls.showMenuTooltip(reinterpret_cast<HMENU>(lParam), LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_DROPFILES:
        drop(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_CLOSE:
        // A running job ends at its next yield; the window goes once it has returned.
        ShowWindow(m_window, SW_HIDE);
        m_logic->closing();
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
