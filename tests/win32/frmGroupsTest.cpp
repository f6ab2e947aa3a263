#include "NativeTesting.h"
#include "platform/WideText.h"
#include "ui/frmGroupsDescription.h"
#include "win32/GroupsDialog.h"
#include "win32/NativeWindow.h"
#include "win32/Win32Api.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace tessely
{
namespace
{

const WindowDescription& design = frmGroupsDescription();

void setText(HWND box, const char* text)
{
    SetWindowTextW(box, wideText(text).c_str());
}

TEST(frmGroupsNative, DrawsEveryControlWithItsDescribedContent)
{
    frmGroups dialog(nullptr);
    EXPECT_EQ(test::textOf(dialog.window()), design.caption);
    for (const ControlDescription& control : design.controls) {
        HWND native = GetDlgItem(dialog.window(), control.id);
        ASSERT_EQ(native, dialog.controls().control(control.objectName())) << control.objectName();
        EXPECT_EQ(test::textOf(native), control.caption) << control.objectName();
        EXPECT_EQ(test::tooltipText(dialog.controls().tooltip(), dialog.window(), native), control.tooltip)
            << control.objectName();
    }
    for (HWND box : { dialog.txtPerFile, dialog.txtMaxSize }) {
        std::string kind = test::classOf(box);
        std::transform(kind.begin(), kind.end(), kind.begin(), [](unsigned char c) { return std::toupper(c); });
        EXPECT_EQ(kind, "EDIT");
        EXPECT_NE(GetWindowLongW(box, GWL_STYLE) & WS_TABSTOP, 0);
    }
}

TEST(frmGroupsNative, OkTakesTheBoxesWhileCancelEscAndTheCloseBoxTakeNothing)
{
    const struct {
        const char* name;
        std::function<void(frmGroups&)> act;
        std::optional<ContactGroups> expected;
    } cases[] = {
        { "OK as it opens", [](frmGroups& d) { SendMessageW(d.cmdOK, BM_CLICK, 0, 0); }, ContactGroups { 100, 0 } },
        { "typed, then Enter",
            [](frmGroups& d) {
                setText(d.txtPerFile, "250");
                setText(d.txtMaxSize, "2.5");
                test::typeKeys(d.window(), { { VK_RETURN } });
            },
            ContactGroups { 250, 2621440 } },
        { "Cancel", [](frmGroups& d) { SendMessageW(d.cmdCancel, BM_CLICK, 0, 0); }, std::nullopt },
        { "Esc", [](frmGroups& d) { test::typeKeys(d.window(), { { VK_ESCAPE } }); }, std::nullopt },
        { "close box", [](frmGroups& d) { SendMessageW(d.window(), WM_SYSCOMMAND, SC_CLOSE, 0); }, std::nullopt },
    };
    for (const auto& c : cases) {
        frmGroups dialog(nullptr);
        dialog.show();
        test::pumpFor(std::chrono::milliseconds(50));
        c.act(dialog);
        test::pumpUntil([&] { return !dialog.isOpen(); }, std::chrono::seconds(2));
        EXPECT_FALSE(dialog.isOpen()) << c.name;
        ASSERT_EQ(dialog.groups().has_value(), c.expected.has_value()) << c.name;
        if (c.expected) {
            EXPECT_EQ(dialog.groups()->perFile, c.expected->perFile) << c.name;
            EXPECT_EQ(dialog.groups()->largestBytes, c.expected->largestBytes) << c.name;
        }
    }
}

TEST(frmGroupsNative, OkOnABoxItCannotTakeSaysWhyAndStaysOpenOnThatBox)
{
    frmGroups dialog(nullptr);
    dialog.show();
    test::pumpFor(std::chrono::milliseconds(50));
    setText(dialog.txtMaxSize, "lots");
    const Message problem = readGroupsDialog("100", "lots").problem;
    std::vector<std::string> texts;
    test::WhileRunning reader([&] {
        HWND box = test::findThreadWindow(L"#32770", problem.title);
        if (box == nullptr)
            return;
        for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
            texts.push_back(test::textOf(child));
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    SendMessageW(dialog.cmdOK, BM_CLICK, 0, 0);
    reader.stop();
    EXPECT_NE(std::find(texts.begin(), texts.end(), problem.text("\r\n")), texts.end());
    EXPECT_TRUE(dialog.isOpen());
    EXPECT_FALSE(dialog.groups());
    EXPECT_EQ(GetFocus(), dialog.txtMaxSize);
}

} // namespace
} // namespace tessely
