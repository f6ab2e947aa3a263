#include "ui/ControlPlacement.h"

#include "ui/frmAboutDescription.h"
#include "ui/frmMainDescription.h"

#include <gtest/gtest.h>

namespace tessely
{
namespace
{

TEST(ControlPlacement, ALabelThatCountsWidensLeftwardsInsideTheWindow)
{
    const WindowDescription& main = frmMainDescription();
    const ControlDescription& status = main.control("lblStatus");
    for (const int dpi : { 96, 144 }) {
        const PixelRect described = twipsToPixels(status.rect, dpi, dpi);
        const int right = described.left + described.width;
        const struct {
            int needed;
            int width;
        } cases[] = {
            { 0, described.width },
            { described.width - 5, described.width },
            { described.width + 40, described.width + 40 },
            { right + 100, right },
        };
        for (const auto& c : cases) {
            const PixelRect placed = controlPlacement(main, status, dpi, { c.needed, 0 });
            EXPECT_EQ(placed.width, c.width) << dpi << " dpi, " << c.needed << " px of caption";
            EXPECT_EQ(placed.left + placed.width, right) << "the right edge stays";
            EXPECT_GE(placed.left, 0) << "never past the window's left edge";
            EXPECT_EQ(placed.top, described.top);
            EXPECT_EQ(placed.height, described.height) << "one line";
        }
    }
}

TEST(ControlPlacement, AListGrowsAroundItsCentreAndDownwards)
{
    const WindowDescription& about = frmAboutDescription();
    const ControlDescription& list = about.control("lstHeader");
    for (const int dpi : { 96, 144 }) {
        const PixelRect described = twipsToPixels(list.rect, dpi, dpi);
        const PixelRect same = controlPlacement(about, list, dpi, { described.width - 10, described.height - 10 });
        EXPECT_EQ(same, described) << "a list never shrinks";
        const PixelRect grown = controlPlacement(about, list, dpi, { described.width + 31, described.height + 7 });
        EXPECT_EQ(grown.width, described.width + 31);
        EXPECT_EQ(grown.height, described.height + 7);
        EXPECT_EQ(grown.top, described.top) << "it grows downwards";
        EXPECT_LE(std::abs((2 * grown.left + grown.width) - (2 * described.left + described.width)), 1)
            << "centred where it was";
    }
}

TEST(ControlPlacement, ARuleIsABandCentredOnItsLineThatGrowsWithTheDensity)
{
    const WindowDescription& about = frmAboutDescription();
    const ControlDescription& rule = about.control("Line1");
    int previous = 0;
    for (const int dpi : { 96, 144, 192 }) {
        const PixelRect placed = controlPlacement(about, rule, dpi);
        const int line = twipsToPixels(rule.rect.top, dpi);
        EXPECT_GE(placed.height, 2) << dpi;
        EXPECT_GE(placed.height, previous) << dpi;
        EXPECT_LE(placed.top, line) << dpi;
        EXPECT_GE(placed.top + placed.height, line + 1) << dpi;
        EXPECT_EQ(placed.width, twipsToPixels(rule.rect, dpi, dpi).width) << dpi;
        previous = placed.height;
    }
}

TEST(ControlPlacement, OtherControlsSitAtTheirRectangleInTheClientArea)
{
    const WindowDescription& main = frmMainDescription();
    for (const ControlDescription& control : main.controls) {
        if (control.fit != ContentFit::None)
            continue;
        for (const int dpi : { 96, 144 })
            EXPECT_EQ(
                controlPlacement(main, control, dpi, { 5000, 5000 }), twipsToPixels(main.clientRect(control), dpi, dpi))
                << control.objectName() << " keeps its place whatever its content";
    }
}

} // namespace
} // namespace tessely
