#ifndef TESSELY_APP_TWIPS_H
#define TESSELY_APP_TWIPS_H

#include "ui/Twips.h"

#include <QRect>

class QWidget;

namespace tessely
{

/// A rectangle given in twips, in pixels for the screen that `widget` is on.
QRect twipsRect(const QWidget& widget, const TwipRect& rect);
QRect twipsRect(const QWidget& widget, int left, int top, int width, int height);

/// Places `widget` inside its parent at a rectangle given in twips.
void placeInTwips(QWidget& widget, const TwipRect& rect);

} // namespace tessely

#endif
