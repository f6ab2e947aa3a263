#include "frmAbout.h"

#include "ui/frmAboutDescription.h"

namespace tessely
{

frmAbout::frmAbout(HWND owner)
    : m_owner(owner)
    , m_controls(frmAboutDescription())
{
    m_window = createDescribedWindow(frmAboutDescription(), owner, &frmAbout::windowProcedure, this);
    m_controls.create(m_window);
    Image1 = m_controls.control("Image1");
    lblVersion = m_controls.control("lblVersion");
    Label1 = m_controls.control("Label1");
    Line1 = m_controls.control("Line1");
    lstHeader = m_controls.control("lstHeader");
    RichTextBox1 = m_controls.control("RichTextBox1");
    cmdOK = m_controls.control("cmdOK");
    Form_Load();
}

frmAbout::~frmAbout()
{
    if (m_window != nullptr)
        DestroyWindow(m_window);
}

void frmAbout::Form_Load()
{
    SetWindowTextW(lblVersion, wideText(versionCaption()).c_str());
}

void frmAbout::cmdOK_Click()
{
    m_closed = true;
}

bool frmAbout::isOpen() const
{
    return !m_closed;
}

void frmAbout::show()
{
    m_controls.centre(m_owner);
    ShowWindow(m_window, SW_SHOW);
    SendMessageW(
        m_window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_controls.control(frmAboutDescription().focus)), TRUE);
}

void frmAbout::showModal()
{
    runModal(m_window, m_owner, m_closed, [this] { show(); });
}

LRESULT CALLBACK frmAbout::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<frmAbout*>(describedSelf(window, message, lParam));
    if (self == nullptr)
        return defaultHandling(window, message, wParam, lParam);
    return self->handle(window, message, wParam, lParam);
}

LRESULT frmAbout::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        // OK clicked or Enter (OK is the default button); Esc comes as IDCANCEL and presses the button the
        // description gives it.
        if (HIWORD(wParam) != BN_CLICKED)
            break;
        if (LOWORD(wParam) == IDCANCEL)
            m_controls.pressCancelButton();
        else if (LOWORD(wParam) == GetDlgCtrlID(cmdOK))
            cmdOK_Click();
        return 0;
    case WM_CLOSE:
        cmdOK_Click();
        return 0;
    case WM_CTLCOLORLISTBOX:
        if (HBRUSH brush = m_controls.background(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)))
            return reinterpret_cast<LRESULT>(brush);
        break;
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
