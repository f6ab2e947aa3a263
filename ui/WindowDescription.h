#ifndef TESSELY_UI_WINDOWDESCRIPTION_H
#define TESSELY_UI_WINDOWDESCRIPTION_H

#include "Twips.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessely
{

/// What a control is; each toolkit draws it with its own nearest control.
enum class ControlKind {
    Frame,
    OptionButton,
    CommandButton,
    Label,
    ListBox,
    /// A horizontal rule along the top edge of its rectangle.
    Line,
    Picture,
    RichTextBox,
    /// A one-line box the user types into; its caption is the text it starts with.
    TextBox,
};

enum class TextAlignment { Left, Centre, Right };

/// The sizes, in pixels, in which each window's icon is drawn: every size a desktop asks for, from the title
/// bar at 96 dpi to a large icon view.
inline constexpr int iconSizes[] = { 16, 20, 24, 32, 48, 256 };

/// How a control makes room for its content where its rectangle is too small for it (a longer caption, a
/// larger font, a higher screen density).
enum class ContentFit {
    /// It keeps its rectangle.
    None,
    /// It widens leftwards, keeping its right edge, so its caption shows whole on one line (a right-aligned
    /// label that counts).
    GrowLeft,
    /// It widens to both sides, staying centred, and grows downwards, so every line shows whole (a list).
    GrowAround,
};

/// What a menu item or a button does when chosen.
enum class WindowCommand { OpenMenu, None, Run, Exit, ReCombine, Export, ExportWorkbook, About, SplitGroups };

/// A control's own font. An empty family means the window's font.
struct FontDescription {
    std::string family;
    double points = 0;
    bool bold = false;
};

/// One control of a window: what it is, what it says and where it sits.
struct ControlDescription {
    /// The control's name; the members of a control array share it and differ in `element`.
    std::string name;
    /// The position in a control array (`optNaming` element 0 and 1); -1 for a control of its own.
    int element = -1;
    ControlKind kind = ControlKind::Label;
    /// The caption; for a picture the name of its artwork, for a rich-text box its text.
    std::string caption;
    /// Where it sits, relative to `parent` (or to the window's client area).
    TwipRect rect;
    /// The frame that holds it; empty when the window holds it.
    std::string parent;
    std::string tooltip;
    /// A number unique in the window, by which a toolkit that numbers its controls finds this one.
    int id = 0;
    TextAlignment alignment = TextAlignment::Left;
    ContentFit fit = ContentFit::None;
    FontDescription font;
    /// The lines of a list box, in order.
    std::vector<std::string> items;
    bool visibleAtStart = true;
    /// For an option button: selected when the window opens.
    bool selectedAtStart = false;
    /// Enter presses it.
    bool defaultButton = false;
    /// Esc presses it.
    bool cancelButton = false;
    /// What pressing it does (a command button).
    WindowCommand command = WindowCommand::None;
    /// Drawn on the system's scroll-bar colour instead of the usual window background.
    bool scrollBarBackground = false;

    /// The name that tells the control apart in its window: the name, and for an element of a control array
    /// "_" and its position ("optNaming_1").
    std::string objectName() const;
    /// True for the kinds that take the keyboard focus.
    bool takesFocus() const;
};

/// A control with its name, kind, caption, rectangle and number; every other setting at its default.
ControlDescription describeControl(std::string name, ControlKind kind, std::string caption, TwipRect rect, int id);

/// One item of a window's menu bar or of one of its menus.
struct MenuItemDescription {
    std::string name;
    /// The caption with "&" before the access key; "-" for a separator line.
    std::string caption;
    /// 0 on the menu bar, 1 in the menu of the last item of level 0 before it.
    int level = 0;
    WindowCommand command = WindowCommand::None;
    /// A number unique in the window, the item's command number for a toolkit that numbers commands.
    int id = 0;
    /// What the item does, shown while the pointer rests on it; empty for none.
    std::string tooltip = {};

    bool separator() const
    {
        return caption == "-";
    }
};

/// A window: its caption and client area, its controls from the top down, its menus, and the order in which
/// Tab visits the controls.
struct WindowDescription {
    std::string name;
    std::string caption;
    /// The client area, below the menu bar, in twips.
    int clientWidth = 0;
    int clientHeight = 0;
    /// The name of the window's icon artwork.
    std::string icon;
    /// The size of the interface font the layout was drawn for, in points.
    double fontPoints = 8.25;
    std::vector<ControlDescription> controls;
    std::vector<MenuItemDescription> menu;
    /// Object names of the controls that take the focus, in Tab order.
    std::vector<std::string> tabOrder;
    /// The object name of the control that has the focus when the window opens.
    std::string focus;

    /// The control of the given object name; asserts that there is one.
    const ControlDescription& control(std::string_view objectName) const;
    /// The control of the given object name, or null.
    const ControlDescription* findControl(std::string_view objectName) const;
    /// The control or menu item of the given number, or null.
    const ControlDescription* controlById(int id) const;
    const MenuItemDescription* menuItemById(int id) const;
    /// The command of the control or menu item of the given number; None for any other number.
    WindowCommand commandById(int id) const;
    /// The button that Esc presses, or null when Esc does nothing in this window.
    const ControlDescription* cancelButton() const;
    /// Where `control` sits in the client area: its rectangle moved by its frame's corner.
    TwipRect clientRect(const ControlDescription& control) const;
};

/// The access key of a caption: the character after the first single "&", or 0 without one ("&&" shows an
/// ampersand and marks nothing).
char accessKey(std::string_view caption);

} // namespace tessely

#endif
