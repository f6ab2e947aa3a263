#include "win32/frmMain.h"

#include "FakeDialogs.h"
#include "NativeTesting.h"
#include "platform/WideText.h"
#include "recombine/RecombineFiles.h"
#include "tests/support/TempFolder.h"
#include "ui/frmMainDescription.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>

namespace tessely
{
namespace
{

const char* const splitTitle = "Select a multiple-contact vCard file to split";
const char* const exportTitle = "Select a multiple-contact vCard file to export";
const char* const recombineTitle = "Multi-select all the vCard files to recombine (Shift or Ctrl to select multiple)";

std::string cards(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " + std::to_string(i) + "\r\nEND:VCARD\r\n";
    return text;
}

/// Chooses a menu item as the menu does: a command message with the item's number.
void choose(const frmMain& window, const char* item)
{
    for (const MenuItemDescription& described : frmMainDescription().menu)
        if (described.name == item)
            SendMessageW(window.window(), WM_COMMAND, MAKEWPARAM(described.id, 0), 0);
}

class frmMainNative : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.show();
        test::pumpFor(std::chrono::milliseconds(50));
    }

    std::vector<std::string> dialogTitles() const
    {
        std::vector<std::string> titles;
        for (const auto& setup : dialog.setups)
            titles.push_back(setup.title);
        return titles;
    }

    bool labelShown() const
    {
        return IsWindowVisible(window.lblStatus) != FALSE;
    }

    test::TempFolder temp;
    test::FakeSourceDialog dialog;
    test::FakeMessageBoxLayer messages;
    frmMain window { dialog, messages, localFileSystem() };
};

TEST_F(frmMainNative, EveryControlIsFoundByItsNumberAsDescribed)
{
    const WindowDescription& design = frmMainDescription();
    EXPECT_EQ(test::textOf(window.window()), design.caption);
    const struct {
        const char* name;
        HWND member;
        const char* className;
        LONG buttonStyle; // -1 for controls that are not buttons
    } cases[] = {
        { "fraNaming", window.fraNaming, "Button", BS_GROUPBOX },
        { "optNaming_0", window.optNaming[0], "Button", BS_AUTORADIOBUTTON },
        { "optNaming_1", window.optNaming[1], "Button", BS_AUTORADIOBUTTON },
        { "cmdRun", window.cmdRun, "Button", BS_PUSHBUTTON },
        { "lblStatus", window.lblStatus, "Static", -1 },
    };
    for (const auto& c : cases) {
        const ControlDescription& described = design.control(c.name);
        HWND control = GetDlgItem(window.window(), described.id);
        ASSERT_NE(control, nullptr) << c.name;
        EXPECT_EQ(control, c.member) << c.name;
        EXPECT_EQ(test::textOf(control), described.caption) << c.name;
        EXPECT_EQ(CharUpperA(test::classOf(control).data()), std::string(CharUpperA(std::string(c.className).data())));
        if (c.buttonStyle >= 0) {
            // A push button with the focus is the default one meanwhile.
            LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
            EXPECT_EQ(type == BS_DEFPUSHBUTTON ? BS_PUSHBUTTON : type, c.buttonStyle) << c.name;
        }
    }
    EXPECT_EQ(test::textOf(window.optNaming[1]).substr(0, 1), " ") << "the caption keeps its leading space";
    EXPECT_EQ(GetWindowLongW(window.lblStatus, GWL_STYLE) & SS_TYPEMASK, SS_RIGHT);
}

TEST_F(frmMainNative, StartsWithNumberedNamingHiddenStatusAndFocusOnTheButton)
{
    EXPECT_EQ(SendMessageW(window.optNaming[0], BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(window.optNaming[1], BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(window.nameFromContact());
    EXPECT_FALSE(labelShown());
    EXPECT_EQ(test::textOf(window.lblStatus), "Processing...");
    EXPECT_EQ(GetFocus(), window.cmdRun);
    EXPECT_FALSE(window.isBusy());

    test::typeKeys(window.window(), { { VK_RETURN }, { VK_SPACE } });
    EXPECT_EQ(dialogTitles(), (std::vector<std::string> { splitTitle, splitTitle }))
        << "Enter and Space press the focused split button";
}

TEST_F(frmMainNative, LayoutFollowsTheTwipsAtTheWindowsDensity)
{
    const WindowDescription& design = frmMainDescription();
    const int dpi = static_cast<int>(GetDpiForWindow(window.window()));
    ASSERT_GT(dpi, 0);
    for (const ControlDescription& control : design.controls) {
        HWND native = GetDlgItem(window.window(), control.id);
        EXPECT_EQ(test::placeOf(native), twipsToPixels(design.clientRect(control), dpi, dpi)) << control.objectName();
    }
    const SIZE client = test::clientSizeOf(window.window());
    EXPECT_EQ(client.cx, twipsToPixels(design.clientWidth, dpi));
    EXPECT_EQ(client.cy, twipsToPixels(design.clientHeight, dpi)) << "the menu bar is not taken from the client area";

    const LONG style = GetWindowLongW(window.window(), GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) << "fixed, without minimize or maximize";

    RECT frame {};
    GetWindowRect(window.window(), &frame);
    MONITORINFO monitor {};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window.window(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_LE(std::abs((frame.left + frame.right) - (monitor.rcWork.left + monitor.rcWork.right)), 2);
    EXPECT_LE(std::abs((frame.top + frame.bottom) - (monitor.rcWork.top + monitor.rcWork.bottom)), 2);
}

TEST_F(frmMainNative, MovingToAScreenOfAnotherDensityLaysItOutAgain)
{
    const WindowDescription& design = frmMainDescription();
    for (const int dpi : { 144, 192, 96 }) {
        RECT suggested { 40, 30, 40 + 600, 30 + 500 };
        SendMessageW(window.window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        for (const ControlDescription& control : design.controls)
            EXPECT_EQ(test::placeOf(GetDlgItem(window.window(), control.id)),
                twipsToPixels(design.clientRect(control), dpi, dpi))
                << control.objectName() << " at " << dpi;
        const SIZE client = test::clientSizeOf(window.window());
        EXPECT_EQ(client.cx, twipsToPixels(design.clientWidth, dpi)) << dpi;
        EXPECT_EQ(client.cy, twipsToPixels(design.clientHeight, dpi)) << dpi;
        RECT frame {};
        GetWindowRect(window.window(), &frame);
        EXPECT_EQ(frame.left, suggested.left) << "placed where the system suggests";
        // Captions grow with the density.
        LOGFONTW font {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(window.cmdRun, WM_GETFONT, 0, 0)), sizeof(font), &font);
        EXPECT_GE(std::abs(font.lfHeight), 11 * dpi / 96 - 1) << dpi;
    }
}

TEST_F(frmMainNative, TooltipsComeFromTheCommonControls)
{
    const WindowDescription& design = frmMainDescription();
    HWND tooltip = window.controls().tooltip();
    ASSERT_NE(tooltip, nullptr);
    EXPECT_EQ(test::classOf(tooltip), "tooltips_class32");
    for (const ControlDescription& control : design.controls)
        EXPECT_EQ(test::tooltipText(tooltip, window.window(), GetDlgItem(window.window(), control.id)), control.tooltip)
            << control.objectName();
    EXPECT_EQ(test::tooltipText(tooltip, window.window(), window.optNaming[0]),
        "Every vCard file will be named per its index without reguard to contents");
}

TEST_F(frmMainNative, TabAndArrowKeysMoveThroughTheButtonAndTheNamingGroup)
{
    HWND main = window.window();
    EXPECT_EQ(GetNextDlgGroupItem(main, window.optNaming[0], FALSE), window.optNaming[1]);
    EXPECT_EQ(GetNextDlgGroupItem(main, window.optNaming[1], FALSE), window.optNaming[0]) << "one group of two";
    EXPECT_EQ(GetNextDlgGroupItem(main, window.cmdRun, FALSE), window.cmdRun) << "the button is a group of its own";

    // As one group the naming buttons are one stop for Tab, at the selected button; the arrow keys move the
    // selection inside the group.
    test::typeKeys(main, { { VK_TAB } });
    EXPECT_EQ(GetFocus(), window.optNaming[0]);
    test::typeKeys(main, { { VK_DOWN } });
    EXPECT_EQ(GetFocus(), window.optNaming[1]);
    EXPECT_TRUE(window.nameFromContact());
    EXPECT_EQ(SendMessageW(window.optNaming[0], BM_GETCHECK, 0, 0), BST_UNCHECKED) << "selecting one clears the other";
    test::typeKeys(main, { { VK_TAB } });
    EXPECT_EQ(GetFocus(), window.cmdRun);
    test::typeKeys(main, { { VK_TAB } });
    EXPECT_EQ(GetFocus(), window.optNaming[1]);

    SendMessageW(window.optNaming[0], BM_CLICK, 0, 0);
    EXPECT_FALSE(window.nameFromContact());
    EXPECT_EQ(SendMessageW(window.optNaming[1], BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(frmMainNative, MenusReadAsDescribedWithoutShortcutsOrMarks)
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
    for (const MenuItemDescription& item : frmMainDescription().menu)
        described.emplace_back(item.caption, item.level == 0 ? 0u : static_cast<UINT>(item.id));
    EXPECT_EQ(shown, described);
    for (const auto& [caption, id] : shown)
        EXPECT_EQ(caption.find('\t'), std::string::npos) << caption << " shows no shortcut key";
}

TEST_F(frmMainNative, AccessKeysReachTheirCommands)
{
    const struct {
        WORD menu;
        WORD item;
        const char* title;
    } cases[] = {
        { 'F', 'R', splitTitle },
        { 'T', 'C', recombineTitle },
        { 'T', 'R', exportTitle },
    };
    for (const auto& c : cases) {
        dialog.setups.clear();
        test::typeKeys(window.window(), { { c.menu, true }, { c.item } });
        test::pumpUntil([&] { return !dialog.setups.empty(); }, std::chrono::seconds(3));
        EXPECT_EQ(dialogTitles(), std::vector<std::string> { c.title });
    }
    EXPECT_TRUE(messages.messages.empty()) << "a cancelled dialog shows nothing";

    bool aboutSeen = false;
    test::WhileRunning closeAbout([&] {
        if (HWND about = test::findThreadWindow(L"Tessely.frmAbout")) {
            aboutSeen = true;
            PostMessageW(about, WM_CLOSE, 0, 0);
        }
    });
    test::typeKeys(window.window(), { { 'H', true }, { 'A' } });
    test::pumpUntil([&] { return aboutSeen; }, std::chrono::seconds(3));
    closeAbout.stop();
    EXPECT_TRUE(aboutSeen) << "Alt+H, A opens the About window";

    test::typeKeys(window.window(), { { 'F', true }, { 'X' } });
    test::pumpUntil([&] { return !window.isOpen(); }, std::chrono::seconds(3));
    EXPECT_FALSE(window.isOpen()) << "Alt+F, X ends the program";
}

TEST_F(frmMainNative, EachCommandSetsUpItsDialogAndCancelShowsNothing)
{
    const struct {
        std::function<void()> command;
        const char* title;
        SelectionMode mode;
    } cases[] = {
        { [&] { SendMessageW(window.cmdRun, BM_CLICK, 0, 0); }, splitTitle, SelectionMode::OneFile },
        { [&] { choose(window, "mnuRun"); }, splitTitle, SelectionMode::OneFile },
        { [&] { choose(window, "mnuExport"); }, exportTitle, SelectionMode::OneFile },
        { [&] { choose(window, "mnuReCombine"); }, recombineTitle, SelectionMode::SeveralFiles },
    };
    for (const auto& c : cases) {
        dialog.setups.clear();
        c.command();
        ASSERT_EQ(dialog.setups.size(), 1u) << c.title;
        EXPECT_EQ(dialog.setups[0].title, c.title);
        EXPECT_EQ(dialog.setups[0].mode, c.mode);
        EXPECT_EQ(dialog.owners.back(), window.window()) << "the dialog belongs to the main window";
    }
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_FALSE(labelShown());
}

TEST_F(frmMainNative, SelectionsThatHoldNothingToProcessSayWhy)
{
    const std::string one = temp.write("one.vcf", cards(1));
    const std::string many = temp.write("many.vcf", cards(5));
    const struct {
        const char* command;
        std::string selection;
        const char* firstLine;
    } cases[] = {
        { "mnuRun", one, "The selected vCard does not contain multiple contacts." },
        { "mnuRun", temp.file("typed-but-missing.vcf"), "The selected vCard does not contain multiple contacts." },
        { "mnuExport", one, "The selected vCard does not contain multiple contacts." },
        { "mnuReCombine", many, "The chosen selection does not contain multiple files to process." },
    };
    for (const auto& c : cases) {
        messages.messages.clear();
        dialog.selections = { Selection::ofPath(c.selection) };
        choose(window, c.command);
        ASSERT_EQ(messages.messages.size(), 1u) << c.selection;
        EXPECT_EQ(messages.messages[0].title, "Nothing to Process");
        EXPECT_EQ(messages.messages[0].lines.at(0), c.firstLine);
        EXPECT_EQ(messages.messages[0].icon, MessageIcon::Error);
        EXPECT_EQ(messages.owners.back(), window.window());
    }
    EXPECT_FALSE(std::filesystem::exists(temp.file("Split-vCards"))) << "no job was started";
}

TEST_F(frmMainNative, SplitShowsTheStatusWhileItRunsAndReportsSuccess)
{
    const std::string source = temp.write("phone.vcf", cards(300));
    dialog.selections = { Selection::ofPath(source) };
    std::vector<std::string> captions;
    test::WhileRunning watch([&] {
        if (window.isBusy() && labelShown())
            captions.push_back(test::textOf(window.lblStatus));
    });
    bool labelHiddenAtMessage = false;
    messages.onShow = [&](const Message&) { labelHiddenAtMessage = !labelShown(); };
    SendMessageW(window.cmdRun, BM_CLICK, 0, 0);
    watch.stop();

    ASSERT_FALSE(captions.empty()) << "the label is shown and counts while the split runs";
    for (const auto& caption : captions)
        EXPECT_TRUE(std::regex_match(caption, std::regex("Processing [1-9][0-9]*"))) << caption;
    EXPECT_TRUE(labelHiddenAtMessage);
    EXPECT_FALSE(labelShown());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, "vCard Split Successfull");
    EXPECT_EQ(messages.messages[0].lines.at(1), "300 files have been created in...");
    EXPECT_EQ(messages.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(test::listFolder(temp.file("Split-vCards")).size(), 300u);
}

TEST_F(frmMainNative, ToolsCommandsAndTheContactNamedSplitRunEndToEnd)
{
    const std::string many = temp.write("many.vcf", cards(3));
    temp.write("other.vcf", cards(2));
    const std::string folder = temp.file("Split-vCards");

    dialog.selections = { Selection::ofPath(many) };
    int shown = 0;
    test::WhileRunning watchExport([&] { shown += labelShown() ? 1 : 0; });
    choose(window, "mnuExport");
    watchExport.stop();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, "vCard Export Successfull");
    EXPECT_EQ(test::readFile(folder + "/Contacts_Export.csv"),
        "VERSION,FN\r\n3.0,PERSON 1\r\n3.0,PERSON 2\r\n3.0,PERSON 3\r\n");
    EXPECT_EQ(shown, 0) << "the export never shows the label";

    messages.messages.clear();
    dialog.selections = { { temp.path(), { "many.vcf", "other.vcf" } } };
    const std::string before = recombinedFileName(localToday());
    choose(window, "mnuReCombine");
    const std::string after = recombinedFileName(localToday());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, "vCard Recombine Successfull");
    const std::string combined = temp.file(std::filesystem::exists(temp.file(after)) ? after : before);
    EXPECT_EQ(test::readFile(combined), cards(3) + "\r\n" + cards(2));
    EXPECT_FALSE(labelShown());

    messages.messages.clear();
    SendMessageW(window.optNaming[1], BM_CLICK, 0, 0);
    dialog.selections = { Selection::ofPath(many) };
    SendMessageW(window.cmdRun, BM_CLICK, 0, 0);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, "vCard Split Successfull");
    EXPECT_EQ(test::listFolder(folder),
        (std::vector<std::string> { "Contacts_Export.csv", "Person 1.vcf", "Person 2.vcf", "Person 3.vcf" }));
}

TEST_F(frmMainNative, CommandsDuringAJobAreIgnoredWhileTheNamingChoiceStaysLive)
{
    const std::string source = temp.write("phone.vcf", cards(200));
    dialog.selections = { Selection::ofPath(source), Selection::ofPath(source), Selection::ofPath(source) };
    bool tried = false;
    bool namingDuringJob = false;
    test::WhileRunning during([&] {
        if (!window.isBusy() || tried)
            return;
        tried = true;
        SendMessageW(window.cmdRun, BM_CLICK, 0, 0);
        choose(window, "mnuExport");
        choose(window, "mnuReCombine");
        SendMessageW(window.optNaming[1], BM_CLICK, 0, 0);
        namingDuringJob = window.nameFromContact();
    });
    choose(window, "mnuRun");
    during.stop();

    EXPECT_TRUE(tried);
    EXPECT_EQ(dialogTitles(), std::vector<std::string> { splitTitle }) << "only the first command ran";
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, "vCard Split Successfull");
    EXPECT_TRUE(namingDuringJob);
}

TEST(frmMainNativeEnding, ExitOrCloseBoxDuringASplitEndsItAndKeepsOnlyWholeFiles)
{
    const struct {
        const char* name;
        std::function<void(frmMain&)> end;
    } cases[] = {
        { "File > Exit", [](frmMain& window) { choose(window, "mnuExit"); } },
        { "close box", [](frmMain& window) { SendMessageW(window.window(), WM_SYSCOMMAND, SC_CLOSE, 0); } },
    };
    for (const auto& c : cases) {
        test::TempFolder temp;
        test::FakeSourceDialog dialog;
        test::FakeMessageBoxLayer messages;
        frmMain window(dialog, messages, localFileSystem());
        window.show();
        const int total = 3000;
        dialog.selections = { Selection::ofPath(temp.write("phone.vcf", cards(total))) };
        // End once the split has got past its first contacts, so some files are there to keep.
        test::WhileRunning endLater([&] {
            if (window.isBusy() && test::textOf(window.lblStatus) != "Processing..."
                && test::textOf(window.lblStatus) != "Processing 1")
                c.end(window);
        });
        SendMessageW(window.cmdRun, BM_CLICK, 0, 0);
        endLater.stop();

        EXPECT_FALSE(window.isOpen()) << c.name;
        EXPECT_FALSE(window.isBusy()) << c.name;
        EXPECT_TRUE(messages.messages.empty()) << c.name << ": ending shows no message";
        const auto written = test::listFolder(temp.file("Split-vCards"));
        EXPECT_GT(written.size(), 0u) << c.name;
        EXPECT_LT(written.size(), static_cast<std::size_t>(total)) << c.name;
        for (const auto& name : written) {
            const std::string content = test::readFile(temp.file("Split-vCards/" + name));
            EXPECT_EQ(content.substr(0, 13), "BEGIN:VCARD\r\n") << name;
            EXPECT_EQ(content.substr(content.size() - 11), "END:VCARD\r\n") << name << " is whole";
        }
    }
}

TEST_F(frmMainNative, AboutIsModalAndLeavesTheMainWindowAsItWas)
{
    SendMessageW(window.optNaming[1], BM_CLICK, 0, 0);
    std::vector<HWND> opened;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        bool mainDisabled = false;
        HWND seen = nullptr;
        test::WhileRunning closeAbout([&] {
            HWND about = test::findThreadWindow(L"Tessely.frmAbout");
            if (about == nullptr || seen != nullptr)
                return;
            seen = about;
            opened.push_back(about);
            mainDisabled = !IsWindowEnabled(window.window());
            EXPECT_EQ(GetWindow(about, GW_OWNER), window.window());
            RECT main {}, box {};
            GetWindowRect(window.window(), &main);
            GetWindowRect(about, &box);
            EXPECT_LE(std::abs((main.left + main.right) - (box.left + box.right)), 4) << "centred over the main window";
            PostMessageW(about, WM_CLOSE, 0, 0);
        });
        choose(window, "mnuAbout");
        closeAbout.stop();
        EXPECT_TRUE(mainDisabled) << "the main window takes no input while About is open";
    }
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_FALSE(IsWindow(opened[0])) << "each About window is discarded when it closes";
    EXPECT_FALSE(IsWindow(opened[1]));
    EXPECT_TRUE(IsWindowEnabled(window.window()));
    EXPECT_TRUE(window.nameFromContact());
    EXPECT_FALSE(labelShown());
    EXPECT_TRUE(window.isOpen());
}

} // namespace
} // namespace tessely
