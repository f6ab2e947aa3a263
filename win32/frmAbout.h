#ifndef TESSELY_WIN32_FRMABOUT_H
#define TESSELY_WIN32_FRMABOUT_H

#include "NativeWindow.h"
#include "Win32Api.h"

namespace tessely
{

/// The About window: version, maker, how to reach them and what the program does. Built anew for each
/// opening, shown modally over its owner, and discarded when closed.
class frmAbout
{
public:
    /// Creates the window over `owner`, hidden, and loads it.
    explicit frmAbout(HWND owner);
    ~frmAbout();
    frmAbout(const frmAbout&) = delete;
    frmAbout& operator=(const frmAbout&) = delete;

    /// Shows the window centred over its owner with the focus on its first control, without waiting.
    void show();
    /// Shows the window, and returns when it has closed; its owner takes no input meanwhile.
    void showModal();
    /// True until the window has been closed.
    bool isOpen() const;

    /// Sets the version caption.
    void Form_Load();
    /// Closes the window.
    void cmdOK_Click();

    HWND window() const
    {
        return m_window;
    }
    const NativeControls& controls() const
    {
        return m_controls;
    }

    HWND Image1 = nullptr;
    HWND lblVersion = nullptr;
    HWND Label1 = nullptr;
    HWND Line1 = nullptr;
    HWND lstHeader = nullptr;
    HWND RichTextBox1 = nullptr;
    HWND cmdOK = nullptr;

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_owner = nullptr;
    HWND m_window = nullptr;
    NativeControls m_controls;
    bool m_closed = false;
};

} // namespace tessely

#endif
