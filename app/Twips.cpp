#include "Twips.h"

#include <QWidget>

namespace tessely
{

QRect twipsRect(const QWidget& widget, const TwipRect& rect)
{
    const PixelRect pixels = twipsToPixels(rect, widget.logicalDpiX(), widget.logicalDpiY());
    return { pixels.left, pixels.top, pixels.width, pixels.height };
}

QRect twipsRect(const QWidget& widget, int left, int top, int width, int height)
{
    return twipsRect(widget, TwipRect { left, top, width, height });
}

void placeInTwips(QWidget& widget, const TwipRect& rect)
{
    widget.setGeometry(twipsRect(widget, rect));
}

} // namespace tessely
