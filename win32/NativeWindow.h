#ifndef TESSELY_WIN32_NATIVEWINDOW_H
#define TESSELY_WIN32_NATIVEWINDOW_H

#include "Win32Api.h"
#include "ui/WindowDescription.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessely
{

/// UTF-8 text of a window description as Windows takes it.
std::wstring wideText(std::string_view text);

/// The density a window is drawn at, in dots per inch; 96 where the system cannot tell.
int windowDpi(HWND window);

/// The window style of both windows: a fixed single border, a title with the system menu and the close box,
/// and no minimize or maximize box.
inline constexpr DWORD fixedWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

/// Creates a top-level window for `design`: its caption, its icons, its menu bar if it has one, hidden and
/// not yet placed. Its window class, registered once per design, has `procedure`, which hands the messages
/// it leaves to `defaultHandling`: so the window handles the keyboard as a dialog box does (Tab, the arrow
/// keys in a group, Enter for the default button, Esc) and has the dialog background. `owner` is the window
/// it stays above (none for the main window); `self` is what `describedSelf` gives for it.
HWND createDescribedWindow(const WindowDescription& design, HWND owner, WNDPROC procedure, void* self);

/// The `self` given to `createDescribedWindow`, taken from the creation message when it arrives; null for
/// the few messages before it.
void* describedSelf(HWND window, UINT message, LPARAM lParam);

/// The menu bar of `design`: a menu for each item of level 0, holding the items of level 1 after it, each
/// with its number as its command.
HMENU createMenuBar(const WindowDescription& design);

/// Hands a message on to the dialog procedure's default handling.
LRESULT defaultHandling(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

/// Handles one message the way the described windows need: keyboard navigation for them, then the usual
/// translation and dispatch.
void dispatchMessage(MSG& message);

/// Runs `window` modally over `owner`: shows it with `show`, handles messages until `closed` turns true (or
/// the program is asked to quit), then gives the owner its input back and destroys the window. The owner
/// takes no input meanwhile.
void runModal(HWND window, HWND owner, const bool& closed, const std::function<void()>& show);

/// Handles every message that waits, without waiting for more. False when the program was asked to quit
/// (the request is posted again for the loop that owns it).
bool handleWaitingMessages();

/// The controls of one described window, drawn with the native controls: created once, laid out for the
/// window's density, and laid out again when the window moves to a screen of another density.
class NativeControls
{
public:
    explicit NativeControls(const WindowDescription& design);
    ~NativeControls();
    NativeControls(const NativeControls&) = delete;
    NativeControls& operator=(const NativeControls&) = delete;

    /// Creates every control in `window`, in Tab order, with its number as its control ID, its tooltip, and
    /// the option buttons of one frame as one group. Then lays them out for the window's density.
    void create(HWND window);
    /// Sizes the window and places every control for `dpi`, with fonts and pictures for it: the client area
    /// in twips, each control where the layout rules put it, the system's message font for captions and
    /// each named font at its size.
    void layout(int dpi);
    /// Places `control` again where the layout rules put it for its content now (a new caption).
    void place(HWND control);
    /// Shows the tooltip of the window's menu item `id`, one of `menu`'s, beside the item while it is
    /// selected; hides it for an item without one, for a menu rather than an item, and when no item is.
    /// Windows' menus show no tooltips of their own: the window forwards its WM_MENUSELECT here.
    void showMenuTooltip(HMENU menu, UINT id, UINT flags);
    /// The tool of `tooltip()` that shows the menu items' tooltips.
    static constexpr UINT_PTR menuTooltipTool = 1;
    /// Presses the button that Esc presses in this window, if it has one.
    void pressCancelButton() const;
    /// Lays the window out again for a screen of another density, at the place the system suggests.
    void moveToDpi(int dpi, const RECT& suggested);
    /// Centres the window on the work area of its screen, or over `over` when given.
    void centre(HWND over = nullptr) const;

    /// The control of the given object name ("cmdRun", "optNaming_1"), or null.
    HWND control(std::string_view objectName) const;
    /// The described control of a native one, or null.
    const ControlDescription* describe(HWND control) const;
    HWND tooltip() const
    {
        return m_tooltip;
    }
    /// The brush for a control that asks for its colours, or null for the usual ones.
    HBRUSH background(HWND control, HDC dc) const;

private:
    HFONT fontFor(const ControlDescription& control) const;
    void place(std::size_t index);

    const WindowDescription& m_design;
    HWND m_window = nullptr;
    std::vector<HWND> m_controls;
    HWND m_tooltip = nullptr;
    bool m_menuTooltipAdded = false;
    HFONT m_messageFont = nullptr;
    std::vector<HFONT> m_namedFonts;
    /// The pictures, loaded at the size they are drawn at.
    std::vector<HBITMAP> m_pictures;
    int m_dpi = 96;
};

} // namespace tessely

#endif
