#ifndef TESSELY_UI_CONTROLPLACEMENT_H
#define TESSELY_UI_CONTROLPLACEMENT_H

#include "Twips.h"
#include "WindowDescription.h"

namespace tessely
{

/// The room a control's content needs, in pixels, as the toolkit that draws it measures it in the control's
/// own font: for a label, its caption on one line with the label's margins; for a list, its widest line and
/// all its lines, borders included. Zero where nothing was measured.
struct PixelSize {
    int width = 0;
    int height = 0;
};

/// Where `control` of `window` sits in the client area at `dpi`, in pixels. It starts from the control's
/// rectangle in twips, then:
/// - a rule is a band two pixels high at 96 dpi (and as much more as the density asks), centred on its line;
/// - a control that fits its content (`ContentFit`) makes room for `content`: a label widens leftwards up to
///   the window's left edge, keeping its right edge; a list widens to both sides, staying centred, and
///   grows downwards. Neither ever shrinks below its rectangle.
PixelRect controlPlacement(
    const WindowDescription& window, const ControlDescription& control, int dpi, PixelSize content = {});

/// The client area of `window` at `dpi`, in pixels.
PixelSize clientSize(const WindowDescription& window, int dpi);

} // namespace tessely

#endif
