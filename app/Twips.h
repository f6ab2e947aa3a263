#ifndef TESSELY_APP_TWIPS_H
#define TESSELY_APP_TWIPS_H

#include <QRect>
#include <Qt>

class QString;
class QWidget;

namespace tessely
{

/// Twips per inch: the windows are laid out in twips, so they keep their proportions at any screen density.
inline constexpr int twipsPerInch = 1440;

/// `twips` in pixels on a screen of `dotsPerInch`, rounded to the nearest pixel (15 twips are 1 pixel at 96).
int twipsToPixels(int twips, int dotsPerInch);

/// A rectangle given in twips, in pixels for the screen that `widget` is on.
QRect twipsRect(const QWidget& widget, int left, int top, int width, int height);

/// Places `widget` inside its parent at a rectangle given in twips.
void placeInTwips(QWidget& widget, int left, int top, int width, int height);

/// Gives a window the fixed look both windows share: a title with the system menu and close box, no minimize
/// or maximize box, the 16 and 32 pixel icons ":/artwork/<icon>-16.png" and "-32.png", and the 8.25 pt
/// interface font that the twip layout was drawn for.
void setUpFixedWindow(QWidget& window, Qt::WindowType kind, const QString& icon);

} // namespace tessely

#endif
