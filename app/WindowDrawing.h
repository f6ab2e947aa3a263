#ifndef TESSELY_APP_WINDOWDRAWING_H
#define TESSELY_APP_WINDOWDRAWING_H

#include "ui/WindowDescription.h"

#include <QIcon>
#include <QSize>
#include <QString>
#include <Qt>

#include <functional>
#include <string>

class QMenuBar;
class QWidget;

namespace tessely
{

/// A text of a window description as Qt keeps it.
QString qtText(const std::string& text);

/// The icon of the artwork `name` in every size it is drawn in.
QIcon artworkIcon(const std::string& name);

/// Gives `window` its caption, name and the fixed look both windows share: a title with the system menu and
/// close box, no minimize or maximize box, the icon of its artwork in every size, and the interface font at
/// the size that the twip layout was drawn for.
void setUpFixedWindow(QWidget& window, Qt::WindowType kind, const WindowDescription& design);

/// The size of the client area of `design` on the screen of `widget`.
QSize clientPixels(const QWidget& widget, const WindowDescription& design);

/// Creates every control of `design` in `client` (a control with a frame inside that frame), each named,
/// captioned, placed and set up as described; the button that Esc presses answers to Esc. The window finds
/// them by their object names.
void createControls(QWidget& client, const WindowDescription& design);

/// Places `control`, the control of `design` named by its object name, where the layout rules put it for
/// its content now, on the screen it is on.
void placeControl(QWidget& control, const WindowDescription& design);

/// Creates the menus of `design` in `bar`: a menu for each item of level 0, and the items of level 1 in it.
void createMenus(QMenuBar& bar, const WindowDescription& design);

/// Hands the command of every menu item and button of `design` in `window` to `forward` when it is chosen.
void forwardCommands(
    QWidget& window, const WindowDescription& design, const std::function<void(WindowCommand)>& forward);

/// Sets the Tab order of the controls in `window` to the order of `design`, and gives the first focus to
/// its control.
void applyTabOrder(QWidget& window, const WindowDescription& design);

} // namespace tessely

#endif
