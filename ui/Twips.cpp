#include "Twips.h"

namespace tessely
{

int twipsToPixels(int twips, int dotsPerInch)
{
    const long long scaled = static_cast<long long>(twips) * dotsPerInch;
    const long long half = twipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / twipsPerInch : -((-scaled + half) / twipsPerInch));
}

PixelRect twipsToPixels(const TwipRect& rect, int dotsPerInchX, int dotsPerInchY)
{
    const int left = twipsToPixels(rect.left, dotsPerInchX);
    const int top = twipsToPixels(rect.top, dotsPerInchY);
    return {
        left, top, twipsToPixels(rect.right(), dotsPerInchX) - left, twipsToPixels(rect.bottom(), dotsPerInchY) - top
    };
}

} // namespace tessely
