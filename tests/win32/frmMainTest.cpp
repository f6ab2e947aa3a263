#include "win32/frmMain.h"

#include "NativeTesting.h"
#include "platform/WideText.h"
#include "tests/support/Cards.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WindowCommands.h"
#include "ui/ControlPlacement.h"
#include "ui/frmMainDescription.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <functional>
#include <shlobj.h>

namespace tessely
{
namespace
{

const WindowDescription& design = frmMainDescription();

class frmMainNative : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.show();
        test::pumpFor(std::chrono::milliseconds(50));
    }

    HWND drawn(const ControlDescription& control) const
    {
        return GetDlgItem(window.window(), control.id);
    }

    /// What the window last asked for in its open dialog.
    std::string lastDialogTitle() const
    {
        return dialogs.dialogs.empty() ? std::string() : dialogs.dialogs.back().title;
    }

    int dpi() const
    {
        return windowDpi(window.window());
    }

    test::TempFolder temp;
    test::ScriptedUi dialogs;
    frmMain window { dialogs, localFileSystem() };
};

/// Checks that every control of the window sits where the layout rules put it at `dpi`, and that the client
/// area has its described size.
void expectDescribedLayout(HWND window, int dpi)
{
    for (const ControlDescription& control : design.controls) {
        if (control.fit == ContentFit::None) {
            EXPECT_EQ(test::placeOf(GetDlgItem(window, control.id)), controlPlacement(design, control, dpi))
                << control.objectName() << " at " << dpi;
        }
    }
    const SIZE client = test::clientSizeOf(window);
    const PixelSize described = clientSize(design, dpi);
    EXPECT_EQ(client.cx, described.width) << dpi;
    EXPECT_EQ(client.cy, described.height) << dpi << ": the menu bar is not taken from the client area";
}

/// Checks that the status label shows `caption` whole on one line inside the window, growing leftwards.
void expectWholeCaption(HWND label, const std::string& caption, int dpi)
{
    EXPECT_EQ(test::textOf(label), caption);
    const PixelRect described = controlPlacement(design, design.control("lblStatus"), dpi);
    const PixelRect placed = test::placeOf(label);
    HDC dc = GetDC(label);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SIZE text {};
    const std::wstring wide = wideText(caption);
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &text);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    EXPECT_GE(placed.width, text.cx) << caption << " at " << dpi;
    EXPECT_EQ(placed.left + placed.width, described.left + described.width) << caption << ": right-aligned";
    EXPECT_GE(placed.left, 0) << caption << ": inside the window";
    EXPECT_TRUE(GetWindowLongW(label, GWL_STYLE) & SS_CENTERIMAGE) << "drawn on one line";
}

TEST_F(frmMainNative, DrawsEveryControlAsDescribed)
{
    EXPECT_EQ(test::textOf(window.window()), design.caption);
    HWND tooltip = window.controls().tooltip();
    for (const ControlDescription& control : design.controls) {
        HWND native = drawn(control);
        ASSERT_NE(native, nullptr) << control.objectName();
        EXPECT_EQ(native, window.controls().control(control.objectName()));
        EXPECT_EQ(test::textOf(native), control.caption) << control.objectName();
        EXPECT_EQ(test::tooltipText(tooltip, window.window(), native), control.tooltip) << control.objectName();
        EXPECT_EQ(IsWindowVisible(native) != FALSE, control.visibleAtStart) << control.objectName();
        if (control.kind == ControlKind::OptionButton) {
            EXPECT_EQ(SendMessageW(native, BM_GETCHECK, 0, 0) == BST_CHECKED, control.selectedAtStart)
                << control.objectName();
        }
    }
    EXPECT_EQ(test::classOf(tooltip), "tooltips_class32");
    EXPECT_EQ(GetWindowLongW(window.lblStatus, GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);
    EXPECT_EQ(GetFocus(), drawn(design.control(design.focus)));
    expectDescribedLayout(window.window(), dpi());

    const LONG style = GetWindowLongW(window.window(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) << "fixed, without minimize or maximize";
    EXPECT_TRUE(GetWindowLongW(window.window(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) << "files may be dropped on it";
}

TEST_F(frmMainNative, MovingToAScreenOfAnotherDensityLaysItOutAgainAndTheCountStaysWhole)
{
    MainWindowView& view = window;
    view.showStatus(true);
    for (const int dpi : { 144, 192, 96 }) {
        RECT suggested { 40, 30, 40 + 600, 30 + 500 };
        SendMessageW(window.window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        expectDescribedLayout(window.window(), dpi);
        RECT frame {};
        GetWindowRect(window.window(), &frame);
        EXPECT_EQ(frame.left, suggested.left) << "placed where the system suggests";
        for (const std::uint64_t number : { std::uint64_t(7), std::uint64_t(12000), std::uint64_t(9999999999) }) {
            view.setStatusCaption(statusCaption(number));
            expectWholeCaption(window.lblStatus, statusCaption(number), dpi);
        }
    }
}

TEST_F(frmMainNative, MenusAreDrawnAsDescribed)
{
    HMENU bar = GetMenu(window.window());
    ASSERT_NE(bar, nullptr);
    std::vector<std::pair<std::string, UINT>> shown; // caption and number, separators as "-"
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(bar, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        HMENU menu = GetSubMenu(bar, i);
        ASSERT_NE(menu, nullptr);
        shown.emplace_back(toUtf8(text), 0u);
        for (int j = 0; j < GetMenuItemCount(menu); ++j) {
            const UINT state = GetMenuState(menu, static_cast<UINT>(j), MF_BYPOSITION);
            if (!(state & MF_SEPARATOR)) {
                EXPECT_FALSE(state & (MF_CHECKED | MF_GRAYED | MF_DISABLED)) << i << "." << j;
            }
            GetMenuStringW(menu, static_cast<UINT>(j), text, 128, MF_BYPOSITION);
            shown.emplace_back(state & MF_SEPARATOR ? "-" : toUtf8(text), GetMenuItemID(menu, j));
        }
    }
    std::vector<std::pair<std::string, UINT>> described;
    for (const MenuItemDescription& item : design.menu)
        described.emplace_back(item.caption, item.level == 0 ? 0u : static_cast<UINT>(item.id));
    EXPECT_EQ(shown, described);
}

TEST_F(frmMainNative, AMenuItemShowsItsTooltipWhileSelected)
{
    HMENU bar = GetMenu(window.window());
    HWND tooltip = window.controls().tooltip();
    const auto menuTip = [&] {
        return test::tooltipText(
            tooltip, window.window(), reinterpret_cast<HWND>(NativeControls::menuTooltipTool)); // NOLINT
    };
    std::size_t shown = 0;
    int menu = -1;
    for (const MenuItemDescription& item : design.menu) {
        if (item.level == 0) {
            ++menu;
            continue;
        }
        HMENU popup = GetSubMenu(bar, menu);
        const WPARAM selected = MAKEWPARAM(item.id, item.separator() ? MF_SEPARATOR : MF_HILITE);
        SendMessageW(window.window(), WM_MENUSELECT, selected, reinterpret_cast<LPARAM>(popup));
        const bool visible = IsWindowVisible(tooltip) != FALSE;
        EXPECT_EQ(visible, !item.tooltip.empty()) << item.name;
        if (visible) {
            EXPECT_EQ(menuTip(), item.tooltip) << item.name;
            ++shown;
        }
    }
    // The menu closes: the tooltip goes with it.
    SendMessageW(window.window(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    EXPECT_FALSE(IsWindowVisible(tooltip));
    EXPECT_GE(shown, 1u);
}

TEST_F(frmMainNative, EveryCommandIsForwarded)
{
    for (const test::DescribedCommand& described : test::describedCommands(design)) {
        dialogs.dialogs.clear();
        dialogs.groups = { ContactGroups { 100, 0 } };
        bool aboutOpened = false;
        test::WhileRunning closeAbout([&] {
            if (HWND about = test::findThreadWindow(L"Tessely.frmAbout")) {
                aboutOpened = true;
                PostMessageW(about, WM_CLOSE, 0, 0);
            }
        });
        // Chosen as the system reports it: a menu item's number in a command message, a button clicked.
        if (described.item != nullptr)
            SendMessageW(window.window(), WM_COMMAND, MAKEWPARAM(described.item->id, 0), 0);
        else
            SendMessageW(drawn(*described.control), BM_CLICK, 0, 0);
        closeAbout.stop();
        test::expectCommandDone(described.command, dialogs, aboutOpened, window.isOpen());
    }
}

TEST_F(frmMainNative, AccessKeysAndTheFocusedButtonReachTheirCommands)
{
    const auto virtualKey = [](char key) { return static_cast<WORD>(std::toupper(static_cast<unsigned char>(key))); };
    for (const test::AccessKeyPath& path : test::jobAccessKeys(design)) {
        dialogs.dialogs.clear();
        dialogs.groups = { ContactGroups { 100, 0 } };
        test::typeKeys(window.window(), { { virtualKey(path.menuKey), true }, { virtualKey(path.itemKey) } });
        test::pumpUntil([&] { return !dialogs.dialogs.empty(); }, std::chrono::seconds(3));
        EXPECT_EQ(lastDialogTitle(), dialogSetupFor(path.job).title) << path.item;
    }
    // Enter presses the button that has the focus; Esc does nothing in a window without a cancel button.
    dialogs.dialogs.clear();
    dialogs.groups = { ContactGroups { 100, 0 } };
    test::typeKeys(window.window(), { { VK_RETURN }, { VK_ESCAPE } });
    test::expectCommandDone(design.control(design.focus).command, dialogs, false, window.isOpen());
}

TEST_F(frmMainNative, TabAndArrowKeysMoveThroughTheButtonAndTheNamingGroup)
{
    // As one group the naming buttons are one stop for Tab, at the selected button; the arrow keys move the
    // selection inside the group, and the window's naming choice follows it.
    HWND main = window.window();
    test::typeKeys(main, { { VK_TAB } });
    EXPECT_EQ(GetFocus(), window.optNaming[0]);
    MainWindowView& view = window;
    EXPECT_EQ(view.naming(), SplitNaming::Numbered);
    test::typeKeys(main, { { VK_DOWN } });
    EXPECT_EQ(GetFocus(), window.optNaming[1]);
    EXPECT_EQ(view.naming(), SplitNaming::FromContact);
    EXPECT_EQ(SendMessageW(window.optNaming[0], BM_GETCHECK, 0, 0), BST_UNCHECKED) << "selecting one clears the other";
    test::typeKeys(main, { { VK_TAB } });
    EXPECT_EQ(GetFocus(), window.cmdRun);
    test::typeKeys(main, { { VK_TAB } });
    EXPECT_EQ(GetFocus(), window.optNaming[1]);
}

/// Drops `paths` on `window` as Explorer does: a WM_DROPFILES message with the files in an HDROP.
void dropFiles(HWND window, const std::vector<std::string>& paths)
{
    std::wstring names;
    for (const std::string& path : paths)
        names += wideText(path) + L'\0';
    names += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    // The window frees the memory when it is done with it, as a drop's receiver does.
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

TEST_F(frmMainNative, DroppedFilesGoToTheWindowsLogic)
{
    const std::string a = temp.write("a.vcf", test::cards(2));
    const std::string b = temp.write("b.vcf", test::cards(3));
    dropFiles(window.window(), { a, b });
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].title, successMessage(OperationKind::Recombine, 2, "").title);
    dropFiles(window.window(), { temp.write("notes.txt", "x") });
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].lines, notVCardFilesMessage({ "notes.txt" }).lines);
    EXPECT_TRUE(dialogs.dialogs.empty()) << "no dialog asks for dropped files";
}

TEST(frmMainNativeJob, ATwelveThousandContactSplitShowsItsCountWhole)
{
    std::string last;
    int checked = 0;
    test::TempFolder temp;
    test::ScriptedUi dialogs;
    dialogs.selections = { Selection::ofPath(temp.write("phone.vcf", test::cards(12000))) };
    // Every yield lets the window catch up, so every number is drawn.
    frmMain window(dialogs, localFileSystem(), std::chrono::milliseconds(0));
    MainWindowView& view = window;
    window.show();
    test::WhileRunning watch([&] {
        const std::string caption = test::textOf(window.lblStatus);
        if (!IsWindowVisible(window.lblStatus) || caption == last || caption.size() < statusCaption(10000).size())
            return;
        last = caption;
        ++checked;
        expectWholeCaption(window.lblStatus, caption, windowDpi(window.window()));
    });
    SendMessageW(window.cmdRun, BM_CLICK, 0, 0);
    watch.stop();
    EXPECT_GT(checked, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].lines.at(1).substr(0, 5), "12000");
    view.setStatusCaption(statusCaption(12000));
    expectWholeCaption(window.lblStatus, statusCaption(12000), windowDpi(window.window()));
}

TEST_F(frmMainNative, ClosingTheWindowDuringAJobEndsTheJob)
{
    dialogs.selections = { Selection::ofPath(temp.write("phone.vcf", test::cards(3000))) };
    test::WhileRunning closeLater([&] {
        if (window.logic().isBusy() && IsWindowVisible(window.lblStatus)
            && test::textOf(window.lblStatus) != statusCaption(1))
            SendMessageW(window.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    SendMessageW(window.cmdRun, BM_CLICK, 0, 0);
    closeLater.stop();
    EXPECT_FALSE(window.isOpen());
    EXPECT_TRUE(dialogs.messages.empty()) << "a stopped job shows no message";
    EXPECT_LT(test::listFolder(temp.file("Split-vCards")).size(), 3000u);
}

} // namespace
} // namespace tessely
