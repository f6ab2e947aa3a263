#include "win32/frmAbout.h"

#include "NativeTesting.h"
#include "platform/WideText.h"
#include "ui/frmAboutDescription.h"
#include "win32/Win32Api.h"

#include <gtest/gtest.h>

#include <functional>

namespace tessely
{
namespace
{

/// The font a control draws its text in.
LOGFONTW fontOf(HWND control)
{
    LOGFONTW font {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
}

TEST(frmAboutNative, EveryControlIsFoundByItsNumberWithItsContent)
{
    frmAbout about(nullptr);
    const WindowDescription& design = frmAboutDescription();
    EXPECT_EQ(test::textOf(about.window()), design.caption);
    for (const ControlDescription& control : design.controls)
        EXPECT_NE(GetDlgItem(about.window(), control.id), nullptr) << control.objectName();
    EXPECT_EQ(GetDlgItem(about.window(), design.control("cmdOK").id), about.cmdOK);

    EXPECT_EQ(test::textOf(about.lblVersion), "Version 3.2.2") << "never the bare design text";
    EXPECT_EQ(test::textOf(about.Label1), design.control("Label1").caption);
    EXPECT_EQ(test::textOf(about.cmdOK), "&OK");
    std::vector<std::string> lines;
    for (int i = 0; i < SendMessageW(about.lstHeader, LB_GETCOUNT, 0, 0); ++i) {
        std::wstring line(static_cast<std::size_t>(SendMessageW(about.lstHeader, LB_GETTEXTLEN, i, 0)), L'\0');
        SendMessageW(about.lstHeader, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        lines.push_back(toUtf8(line));
    }
    EXPECT_EQ(lines, design.control("lstHeader").items);

    // The description: its exact text in one paragraph, read-only, in 8.5 pt MS Sans Serif.
    const std::string text = test::textOf(about.RichTextBox1);
    EXPECT_EQ(text, design.control("RichTextBox1").caption);
    EXPECT_EQ(text.find('\r'), std::string::npos) << "one paragraph";
    EXPECT_NE(text.find("application  includes"), std::string::npos) << "the two spaces are kept";
    EXPECT_TRUE(GetWindowLongW(about.RichTextBox1, GWL_STYLE) & ES_READONLY);
    CHARFORMAT2W format {};
    format.cbSize = sizeof(format);
    SendMessageW(about.RichTextBox1, EM_GETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.yHeight, 170) << "8.5 pt in twips";
    EXPECT_EQ(toUtf8(format.szFaceName), "MS Sans Serif");

    EXPECT_EQ(fontOf(about.lblVersion).lfWeight, FW_BOLD);
    EXPECT_EQ(toUtf8(fontOf(about.Label1).lfFaceName), "Arial");
    EXPECT_EQ(fontOf(about.Label1).lfHeight, -MulDiv(12, static_cast<int>(GetDpiForWindow(about.window())), 72));

    BITMAP picture {};
    auto* image = reinterpret_cast<HBITMAP>(SendMessageW(about.Image1, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(image, nullptr);
    GetObjectW(image, sizeof(picture), &picture);
    EXPECT_EQ(picture.bmWidth, 101);
    EXPECT_EQ(picture.bmHeight, 75);

    // The list is drawn on the scroll-bar colour.
    HDC dc = GetDC(about.lstHeader);
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        about.window(), WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(about.lstHeader)));
    ReleaseDC(about.lstHeader, dc);
    EXPECT_EQ(brush, GetSysColorBrush(COLOR_SCROLLBAR));
}

TEST(frmAboutNative, LayoutFollowsTheTwipsAndShowsEveryContactLine)
{
    frmAbout about(nullptr);
    const WindowDescription& design = frmAboutDescription();
    const int dpi = static_cast<int>(GetDpiForWindow(about.window()));
    const SIZE client = test::clientSizeOf(about.window());
    EXPECT_EQ(client.cx, twipsToPixels(design.clientWidth, dpi));
    EXPECT_EQ(client.cy, twipsToPixels(design.clientHeight, dpi));
    for (const char* name : { "lblVersion", "Label1", "RichTextBox1", "cmdOK" })
        EXPECT_EQ(test::placeOf(GetDlgItem(about.window(), design.control(name).id)),
            twipsToPixels(design.control(name).rect, dpi, dpi))
            << name;
    EXPECT_FALSE(GetWindowLongW(about.window(), GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));

    // The list keeps its place under the rule and grows only as far as its lines need.
    const PixelRect described = twipsToPixels(design.control("lstHeader").rect, dpi, dpi);
    const PixelRect list = test::placeOf(about.lstHeader);
    EXPECT_EQ(list.top, described.top);
    EXPECT_LE(std::abs((2 * list.left + list.width) - (2 * described.left + described.width)), 1);
    EXPECT_GE(list.width, described.width);
    SCROLLBARINFO bar {};
    bar.cbSize = sizeof(bar);
    GetScrollBarInfo(about.lstHeader, OBJID_VSCROLL, &bar);
    EXPECT_TRUE(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE) << "all three lines fit without a scroll bar";
    const PixelRect rule = test::placeOf(about.Line1);
    EXPECT_LE(rule.top + rule.height, list.top) << "the list stays under the rule";
    EXPECT_LE(list.top + list.height, test::placeOf(about.RichTextBox1).top);
}

TEST(frmAboutNative, TabVisitsListThenOkThenDescription)
{
    frmAbout about(nullptr);
    about.show();
    test::pumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(GetFocus(), about.lstHeader);
    for (HWND next : { about.cmdOK, about.RichTextBox1, about.lstHeader }) {
        test::typeKeys(about.window(), { { VK_TAB } });
        EXPECT_EQ(GetFocus(), next) << test::classOf(next);
    }
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
