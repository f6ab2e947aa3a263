#ifndef TESSELY_APP_WINDOWDRAWING_H
#define TESSELY_APP_WINDOWDRAWING_H

#include "ui/WindowDescription.h"

#include <QString>
#include <Qt>

#include <string>

class QMenuBar;
class QWidget;

namespace tessely
{

/// A text of a window description as Qt keeps it.
QString qtText(const std::string& text);

/// Gives `window` its caption, name and the fixed look both windows share: a title with the system menu and
/// close box, no minimize or maximize box, the 16 and 32 pixel icons of its artwork, and the interface font
/// at the size that the twip layout was drawn for.
void setUpFixedWindow(QWidget& window, Qt::WindowType kind, const WindowDescription& design);

/// Creates every control of `design` in `client` (a control with a frame inside that frame), each named,
/// captioned, placed and set up as described. The window finds them by their object names.
void createControls(QWidget& client, const WindowDescription& design);

/// Creates the menus of `design` in `bar`: a menu for each item of level 0, and the items of level 1 in it.
void createMenus(QMenuBar& bar, const WindowDescription& design);

/// Sets the Tab order of the controls in `window` to the order of `design`, and gives the first focus to
/// its control.
void applyTabOrder(QWidget& window, const WindowDescription& design);

} // namespace tessely

#endif
