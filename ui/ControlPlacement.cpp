#include "ControlPlacement.h"

#include <algorithm>

namespace tessely
{

namespace
{

/// A rule's band: two pixels at 96 dpi, one either side of the line.
constexpr int ruleTwips = 30;

} // namespace

PixelRect controlPlacement(
    const WindowDescription& window, const ControlDescription& control, int dpi, PixelSize content)
{
    PixelRect rect = twipsToPixels(window.clientRect(control), dpi, dpi);
    if (control.kind == ControlKind::Line) {
        rect.height = std::max(2, twipsToPixels(ruleTwips, dpi));
        rect.top -= rect.height / 2;
    }
    switch (control.fit) {
    case ContentFit::None:
        break;
    case ContentFit::GrowLeft: {
        const int right = rect.left + rect.width;
        rect.width = std::min(std::max(rect.width, content.width), right);
        rect.left = right - rect.width;
        break;
    }
    case ContentFit::GrowAround:
        if (content.width > rect.width) {
            rect.left -= (content.width - rect.width) / 2;
            rect.width = content.width;
        }
        rect.height = std::max(rect.height, content.height);
        break;
    }
    return rect;
}

PixelSize clientSize(const WindowDescription& window, int dpi)
{
    return { twipsToPixels(window.clientWidth, dpi), twipsToPixels(window.clientHeight, dpi) };
}

} // namespace tessely
