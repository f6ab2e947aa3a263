#ifndef TESSELY_WIN32_GROUPSDIALOG_H
#define TESSELY_WIN32_GROUPSDIALOG_H

#include "NativeWindow.h"
#include "Win32Api.h"
#include "split/SplitIntoGroups.h"

#include <optional>

namespace tessely
{

/// The dialog that asks how a split into groups fills its files, drawn with the native controls from its
/// description: the contacts per file and the largest size in MB, with OK and Cancel. OK takes the boxes
/// only when they read as a number of contacts and a size; otherwise it says what is allowed and puts the
/// focus on the box to fix. Built anew for each opening and discarded when closed.
class frmGroups
{
public:
    /// Creates the window over `owner`, hidden.
    explicit frmGroups(HWND owner);
    ~frmGroups();
    frmGroups(const frmGroups&) = delete;
    frmGroups& operator=(const frmGroups&) = delete;

    /// Shows the window centred over its owner with the focus on its first box, without waiting.
    void show();
    /// Shows the window and returns when it has closed: the groups, or nothing when cancelled.
    std::optional<ContactGroups> showModal();
    /// True until the window has been closed.
    bool isOpen() const;
    /// What OK took; nothing before OK or after Cancel.
    const std::optional<ContactGroups>& groups() const
    {
        return m_groups;
    }

    void cmdOK_Click();
    void cmdCancel_Click();

    HWND window() const
    {
        return m_window;
    }
    const NativeControls& controls() const
    {
        return m_controls;
    }

    HWND lblPerFile = nullptr;
    HWND txtPerFile = nullptr;
    HWND lblMaxSize = nullptr;
    HWND txtMaxSize = nullptr;
    HWND cmdOK = nullptr;
    HWND cmdCancel = nullptr;

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_owner = nullptr;
    HWND m_window = nullptr;
    NativeControls m_controls;
    bool m_closed = false;
    std::optional<ContactGroups> m_groups;
};

/// The main window's groups dialog, as the window's dialogs show it.
class Win32GroupsDialog
{
public:
    /// Shows `frmGroups` modally over `owner`; the groups, or nothing when the user cancelled.
    std::optional<ContactGroups> ask(HWND owner);
};

} // namespace tessely

#endif
