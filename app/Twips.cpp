#include "Twips.h"

#include <QWidget>

namespace tessely
{

int twipsToPixels(int twips, int dotsPerInch)
{
    const long long scaled = static_cast<long long>(twips) * dotsPerInch;
    const long long half = twipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / twipsPerInch : -((-scaled + half) / twipsPerInch));
}

QRect twipsRect(const QWidget& widget, int left, int top, int width, int height)
{
    const int dpiX = widget.logicalDpiX();
    const int dpiY = widget.logicalDpiY();
    return {
        twipsToPixels(left, dpiX), twipsToPixels(top, dpiY), twipsToPixels(width, dpiX), twipsToPixels(height, dpiY)
    };
}

void placeInTwips(QWidget& widget, int left, int top, int width, int height)
{
    widget.setGeometry(twipsRect(widget, left, top, width, height));
}

} // namespace tessely
