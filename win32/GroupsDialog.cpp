#include "GroupsDialog.h"

#include "MessageBoxLayer.h"
#include "platform/WideText.h"
#include "ui/frmGroupsDescription.h"

#include <string>

namespace tessely
{
namespace
{

/// The text of a box, as UTF-8.
std::string boxText(HWND box)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
    return toUtf8(text);
}

} // namespace

frmGroups::frmGroups(HWND owner)
    : m_owner(owner)
    , m_controls(frmGroupsDescription())
{
    m_window = createDescribedWindow(frmGroupsDescription(), owner, &frmGroups::windowProcedure, this);
    m_controls.create(m_window);
    lblPerFile = m_controls.control("lblPerFile");
    txtPerFile = m_controls.control("txtPerFile");
    lblMaxSize = m_controls.control("lblMaxSize");
    txtMaxSize = m_controls.control("txtMaxSize");
    cmdOK = m_controls.control("cmdOK");
    cmdCancel = m_controls.control("cmdCancel");
}

frmGroups::~frmGroups()
{
    if (m_window != nullptr)
        DestroyWindow(m_window);
}

void frmGroups::show()
{
    m_controls.centre(m_owner);
    ShowWindow(m_window, SW_SHOW);
    // The focus moved to a box selects its text, so typing replaces the 100 shown at start.
    SendMessageW(
        m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_controls.control(frmGroupsDescription().focus)), TRUE);
}

std::optional<ContactGroups> frmGroups::showModal()
{
    runModal(m_window, m_owner, m_closed, [this] { show(); });
    return m_groups;
}

bool frmGroups::isOpen() const
{
    return !m_closed;
}

void frmGroups::cmdOK_Click()
{
    const GroupsAnswer answer = readGroupsDialog(boxText(txtPerFile), boxText(txtMaxSize));
    if (!answer.groups) {
        Win32MessageBoxLayer().show(m_window, answer.problem);
        SendMessageW(m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_controls.control(answer.field)), TRUE);
        return;
    }
    m_groups = answer.groups;
    m_closed = true;
}

void frmGroups::cmdCancel_Click()
{
    m_groups.reset();
    m_closed = true;
}

LRESULT CALLBACK frmGroups::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<frmGroups*>(describedSelf(window, message, lParam));
    if (self == nullptr)
        return defaultHandling(window, message, wParam, lParam);
    return self->handle(window, message, wParam, lParam);
}

LRESULT frmGroups::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        // OK clicked or Enter (OK is the default button); Esc comes as IDCANCEL and presses Cancel.
        if (HIWORD(wParam) != BN_CLICKED)
            break;
        if (LOWORD(wParam) == IDCANCEL)
            m_controls.pressCancelButton();
        else if (LOWORD(wParam) == GetDlgCtrlID(cmdOK))
            cmdOK_Click();
        else if (LOWORD(wParam) == GetDlgCtrlID(cmdCancel))
            cmdCancel_Click();
        return 0;
    case WM_CLOSE:
        cmdCancel_Click();
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

std::optional<ContactGroups> Win32GroupsDialog::ask(HWND owner)
{
    frmGroups dialog(owner);
    return dialog.showModal();
}

} // namespace tessely
