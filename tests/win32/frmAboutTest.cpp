#include "win32/frmAbout.h"

#include "NativeTesting.h"
#include "platform/WideText.h"
#include "ui/ControlPlacement.h"
#include "ui/frmAboutDescription.h"
#include "win32/Win32Api.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace tessely
{
namespace
{

const WindowDescription& design = frmAboutDescription();

/// The font a control draws its text in.
LOGFONTW fontOf(HWND control)
{
    LOGFONTW font {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
}

/// The size of the picture a picture control shows.
SIZE pictureSize(HWND control)
{
    BITMAP picture {};
    auto* image = reinterpret_cast<HBITMAP>(SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
    GetObjectW(image, sizeof(picture), &picture);
    return { picture.bmWidth, picture.bmHeight };
}

TEST(frmAboutNative, DrawsEveryControlWithItsDescribedContent)
{
    frmAbout about(nullptr);
    EXPECT_EQ(test::textOf(about.window()), design.caption);
    for (const ControlDescription& control : design.controls)
        EXPECT_EQ(GetDlgItem(about.window(), control.id), about.controls().control(control.objectName()))
            << control.objectName();

    EXPECT_EQ(test::textOf(about.lblVersion), versionCaption()) << "never the bare design text";
    EXPECT_EQ(test::textOf(about.Label1), design.control("Label1").caption);
    EXPECT_EQ(test::textOf(about.cmdOK), design.control("cmdOK").caption);
    std::vector<std::string> lines;
    for (int i = 0; i < SendMessageW(about.lstHeader, LB_GETCOUNT, 0, 0); ++i) {
        std::wstring line(static_cast<std::size_t>(SendMessageW(about.lstHeader, LB_GETTEXTLEN, i, 0)), L'\0');
        SendMessageW(about.lstHeader, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        lines.push_back(toUtf8(line));
    }
    EXPECT_EQ(lines, design.control("lstHeader").items);

    // The description: its text in one paragraph, read-only, in its described font.
    const ControlDescription& box = design.control("RichTextBox1");
    const std::string text = test::textOf(about.RichTextBox1);
    EXPECT_EQ(text, box.caption);
    EXPECT_EQ(text.find('\r'), std::string::npos) << "one paragraph";
    EXPECT_TRUE(GetWindowLongW(about.RichTextBox1, GWL_STYLE) & ES_READONLY);
    CHARFORMAT2W format {};
    format.cbSize = sizeof(format);
    SendMessageW(about.RichTextBox1, EM_GETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.yHeight, std::lround(box.font.points * 20)) << "the size in twips";
    EXPECT_EQ(toUtf8(format.szFaceName), box.font.family);

    const int dpi = windowDpi(about.window());
    for (const char* name : { "lblVersion", "Label1" }) {
        const FontDescription& font = design.control(name).font;
        const LOGFONTW drawn = fontOf(GetDlgItem(about.window(), design.control(name).id));
        EXPECT_EQ(toUtf8(drawn.lfFaceName), font.family) << name;
        EXPECT_EQ(drawn.lfWeight, font.bold ? FW_BOLD : FW_NORMAL) << name;
        EXPECT_EQ(drawn.lfHeight, -std::lround(font.points * dpi / 72.0)) << name;
    }

    // The list is drawn on the scroll-bar colour.
    HDC dc = GetDC(about.lstHeader);
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        about.window(), WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(about.lstHeader)));
    ReleaseDC(about.lstHeader, dc);
    EXPECT_EQ(brush, GetSysColorBrush(COLOR_SCROLLBAR));
}

TEST(frmAboutNative, LayoutFollowsTheDescriptionAtEveryDensityAndShowsEveryContactLine)
{
    frmAbout about(nullptr);
    for (const int dpi : { 144, 96 }) {
        RECT suggested { 20, 20, 600, 600 };
        SendMessageW(about.window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        const SIZE client = test::clientSizeOf(about.window());
        EXPECT_EQ(client.cx, clientSize(design, dpi).width) << dpi;
        EXPECT_EQ(client.cy, clientSize(design, dpi).height) << dpi;
        for (const ControlDescription& control : design.controls) {
            if (control.fit == ContentFit::None) {
                EXPECT_EQ(test::placeOf(GetDlgItem(about.window(), control.id)), controlPlacement(design, control, dpi))
                    << control.objectName() << " at " << dpi;
            }
        }
        // The picture is drawn at its rectangle's size: larger on a denser screen.
        const PixelRect picture = controlPlacement(design, design.control("Image1"), dpi);
        const SIZE shown = pictureSize(about.Image1);
        EXPECT_EQ(shown.cx, picture.width) << dpi;
        EXPECT_EQ(shown.cy, picture.height) << dpi;
    }
    EXPECT_FALSE(GetWindowLongW(about.window(), GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

    // The list keeps its place under the rule and grows only as far as its lines need.
    const int dpi = windowDpi(about.window());
    const PixelRect described = controlPlacement(design, design.control("lstHeader"), dpi);
    const PixelRect list = test::placeOf(about.lstHeader);
    EXPECT_EQ(list.top, described.top);
    EXPECT_LE(std::abs((2 * list.left + list.width) - (2 * described.left + described.width)), 1);
    EXPECT_GE(list.width, described.width);
    SCROLLBARINFO bar {};
    bar.cbSize = sizeof(bar);
    GetScrollBarInfo(about.lstHeader, OBJID_VSCROLL, &bar);
    EXPECT_TRUE(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE) << "every line fits without a scroll bar";
    const PixelRect rule = test::placeOf(about.Line1);
    EXPECT_LE(rule.top + rule.height, list.top) << "the list stays under the rule";
    EXPECT_LE(list.top + list.height, test::placeOf(about.RichTextBox1).top);
}

TEST(frmAboutNative, TabVisitsTheControlsInTheDescribedOrder)
{
    frmAbout about(nullptr);
    about.show();
    test::pumpFor(std::chrono::milliseconds(50));
    std::vector<std::string> visited;
    for (std::size_t i = 0; i < design.tabOrder.size(); ++i) {
        if (i > 0)
            test::typeKeys(about.window(), { { VK_TAB } });
        const ControlDescription* focused = about.controls().describe(GetFocus());
        visited.push_back(focused != nullptr ? focused->objectName() : "?");
    }
    EXPECT_EQ(visited, design.tabOrder);
}

TEST(frmAboutNative, OkEnterEscAndTheCloseBoxCloseIt)
{
    const struct {
        const char* name;
        std::function<void(frmAbout&)> press;
    } cases[] = {
        { "OK clicked", [](frmAbout& about) { SendMessageW(about.cmdOK, BM_CLICK, 0, 0); } },
        { "Enter on the list", [](frmAbout& about) { test::typeKeys(about.window(), { { VK_RETURN } }); } },
        { "Enter on the description",
            [](frmAbout& about) {
                SetFocus(about.RichTextBox1);
                test::typeKeys(about.window(), { { VK_RETURN } });
            } },
        { "Esc", [](frmAbout& about) { test::typeKeys(about.window(), { { VK_ESCAPE } }); } },
        { "Alt+O",
            [](frmAbout& about) {
                test::typeKeys(about.window(), { { 'O', true } });
            } },
        { "close box", [](frmAbout& about) { SendMessageW(about.window(), WM_SYSCOMMAND, SC_CLOSE, 0); } },
    };
    for (const auto& c : cases) {
        frmAbout about(nullptr);
        about.show();
        test::pumpFor(std::chrono::milliseconds(50));
        c.press(about);
        test::pumpUntil([&] { return !about.isOpen(); }, std::chrono::seconds(2));
        EXPECT_FALSE(about.isOpen()) << c.name;
    }
}

} // namespace
} // namespace tessely
