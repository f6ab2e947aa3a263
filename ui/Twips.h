#ifndef TESSELY_UI_TWIPS_H
#define TESSELY_UI_TWIPS_H

namespace tessely
{

/// Twips per inch: the windows are laid out in twips, so they keep their proportions at any screen density.
inline constexpr int twipsPerInch = 1440;

/// A rectangle in twips: its top-left corner relative to the area that holds it, and its size.
struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int right() const
    {
        return left + width;
    }
    int bottom() const
    {
        return top + height;
    }
};

/// A rectangle in pixels, laid out as a `TwipRect`.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const PixelRect& other) const
    {
        return left == other.left && top == other.top && width == other.width && height == other.height;
    }
};

/// `twips` in pixels on a screen of `dotsPerInch`, rounded to the nearest pixel (15 twips are 1 pixel at 96).
int twipsToPixels(int twips, int dotsPerInch);

/// `rect` in pixels on a screen of the given horizontal and vertical density. The edges are converted, not
/// the sizes, so two rectangles that touch in twips still touch in pixels.
PixelRect twipsToPixels(const TwipRect& rect, int dotsPerInchX, int dotsPerInchY);

} // namespace tessely

#endif
