#ifndef TESSELY_APP_TWIPS_H
#define TESSELY_APP_TWIPS_H

#include <QRect>

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

} // namespace tessely

#endif
