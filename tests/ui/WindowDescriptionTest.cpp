#include "platform/Version.h"
#include "ui/frmAboutDescription.h"
#include "ui/frmGroupsDescription.h"
#include "ui/frmMainDescription.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

namespace tessely
{
namespace
{

const WindowDescription* const windows[] = { &frmMainDescription(), &frmAboutDescription(), &frmGroupsDescription() };

TEST(Twips, ConvertToPixelsAtTheScreensDensity)
{
    const struct {
        int twips, dpi, pixels;
    } cases[] = {
        { 15, 96, 1 },
        { 4560, 96, 304 },
        { 2850, 96, 190 },
        { 473, 96, 32 }, // 31.53 rounds up
        { 7, 96, 0 },
        { 8, 96, 1 },
        { 1440, 120, 120 },
        { 15, 192, 2 },
        { 0, 96, 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
}

TEST(Twips, RectanglesThatTouchInTwipsTouchInPixels)
{
    const TwipRect first { 473, 240, 3615, 1575 };
    const TwipRect below { 473, first.bottom(), 1313, 495 };
    const TwipRect beside { first.right(), 240, 472, 1575 };
    for (const int dpi : { 96, 120, 144, 168, 192 }) {
        const PixelRect a = twipsToPixels(first, dpi, dpi);
        const PixelRect b = twipsToPixels(below, dpi, dpi);
        const PixelRect c = twipsToPixels(beside, dpi, dpi);
        EXPECT_EQ(a.top + a.height, b.top) << dpi;
        EXPECT_EQ(a.left + a.width, c.left) << dpi;
        // Each edge is within half a pixel of where the density puts it.
        EXPECT_LE(std::abs(a.width * 1440 - first.width * dpi), 1440) << dpi;
    }
    EXPECT_EQ(twipsToPixels(first, 96, 192), (PixelRect { 32, 32, 241, 210 })) << "each axis has its own density";
}

TEST(AccessKey, IsTheCharacterAfterTheFirstSingleAmpersand)
{
    const struct {
        const char* caption;
        char key;
    } cases[] = {
        { "&File", 'F' },
        { "E&xit", 'x' },
        { "Re&Combine vCards into Single", 'C' },
        { "Split vCard into Files", 0 },
        { "Tom && Jerry", 0 },
        { "Tom && &Jerry", 'J' },
        { "Trailing&", 0 },
        { "", 0 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(accessKey(c.caption), c.key) << c.caption;
}

TEST(WindowDescription, NamesAndNumbersAreUniqueAndFramesComeFirst)
{
    for (const WindowDescription* window : windows) {
        std::set<std::string> names;
        std::set<int> ids;
        for (const ControlDescription& control : window->controls) {
            EXPECT_TRUE(names.insert(control.objectName()).second) << window->name << ": " << control.objectName();
            EXPECT_GT(control.id, 0) << control.objectName();
            EXPECT_TRUE(ids.insert(control.id).second) << window->name << ": number of " << control.objectName();
            if (!control.parent.empty()) {
                // The toolkits create the controls in order, so a frame must exist before what it holds.
                ASSERT_EQ(names.count(control.parent), 1u) << control.objectName() << " before its frame";
                EXPECT_EQ(window->control(control.parent).kind, ControlKind::Frame) << control.objectName();
            }
        }
        for (const MenuItemDescription& item : window->menu) {
            EXPECT_TRUE(names.insert(item.name).second) << window->name << ": " << item.name;
            EXPECT_TRUE(ids.insert(item.id).second) << window->name << ": number of " << item.name;
        }
        EXPECT_EQ(window->findControl("noSuchControl"), nullptr);
    }
}

TEST(WindowDescription, EveryControlFitsItsFrameAndTheClientArea)
{
    for (const WindowDescription* window : windows) {
        for (const ControlDescription& control : window->controls) {
            const TwipRect rect = window->clientRect(control);
            const std::string what = window->name + "." + control.objectName();
            EXPECT_GE(rect.left, 0) << what;
            EXPECT_GE(rect.top, 0) << what;
            EXPECT_LE(rect.right(), window->clientWidth) << what;
            EXPECT_LE(rect.bottom(), window->clientHeight) << what;
            EXPECT_GT(rect.width, 0) << what;
            EXPECT_TRUE(rect.height > 0 || control.kind == ControlKind::Line) << what;
            if (!control.parent.empty()) {
                const TwipRect frame = window->control(control.parent).rect;
                EXPECT_LE(control.rect.right(), frame.width) << what;
                EXPECT_LE(control.rect.bottom(), frame.height) << what;
            }
        }
    }
    // The main window must show its status label in full, down to 2835 twips into the client area.
    const WindowDescription& main = frmMainDescription();
    EXPECT_LE(main.clientRect(main.control("lblStatus")).bottom(), 2835);
}

TEST(WindowDescription, FrameAndButtonsAreCentredInTheirWindows)
{
    const struct {
        const WindowDescription& window;
        const char* control;
    } cases[] = {
        { frmMainDescription(), "fraNaming" },
        { frmMainDescription(), "cmdRun" },
        { frmAboutDescription(), "cmdOK" },
    };
    for (const auto& c : cases) {
        const TwipRect rect = c.window.control(c.control).rect;
        EXPECT_LE(std::abs(rect.left - (c.window.clientWidth - rect.right())), 1) << c.control;
    }
}

TEST(WindowDescription, TabOrderVisitsEveryFocusableControlOnce)
{
    for (const WindowDescription* window : windows) {
        std::vector<std::string> focusable;
        for (const ControlDescription& control : window->controls)
            if (control.takesFocus())
                focusable.push_back(control.objectName());
        std::vector<std::string> order = window->tabOrder;
        std::sort(order.begin(), order.end());
        std::sort(focusable.begin(), focusable.end());
        EXPECT_EQ(order, focusable) << window->name;
        EXPECT_NE(std::find(window->tabOrder.begin(), window->tabOrder.end(), window->focus), window->tabOrder.end())
            << window->name << " opens with the focus on " << window->focus;
    }
}

TEST(WindowDescription, EachGroupOfOptionButtonsStartsWithOneSelected)
{
    for (const WindowDescription* window : windows) {
        std::map<std::string, int> selected;
        for (const ControlDescription& control : window->controls)
            if (control.kind == ControlKind::OptionButton)
                selected[control.parent] += control.selectedAtStart ? 1 : 0;
            else
                EXPECT_FALSE(control.selectedAtStart) << control.objectName();
        for (const auto& [frame, count] : selected)
            EXPECT_EQ(count, 1) << window->name << ": group in '" << frame << "'";
    }
    EXPECT_TRUE(frmMainDescription().control("optNaming_0").selectedAtStart) << "numbered names at every start";
}

TEST(WindowDescription, MenusAreWellFormedAndAccessKeysUniquePerMenu)
{
    std::map<WindowCommand, int> commands;
    for (const WindowDescription* window : windows) {
        if (window->menu.empty())
            continue;
        EXPECT_EQ(window->menu.front().level, 0) << window->name;
        std::map<int, std::set<char>> keys; // per menu: -1 for the bar, else the position of its menu item
        int menu = -1;
        for (std::size_t i = 0; i < window->menu.size(); ++i) {
            const MenuItemDescription& item = window->menu[i];
            ++commands[item.command];
            if (item.level == 0)
                menu = static_cast<int>(i);
            EXPECT_EQ(item.level == 0, item.command == WindowCommand::OpenMenu) << item.name;
            if (item.separator()) {
                EXPECT_EQ(item.command, WindowCommand::None) << item.name;
                continue;
            }
            const char key = static_cast<char>(std::toupper(static_cast<unsigned char>(accessKey(item.caption))));
            EXPECT_NE(key, 0) << item.name << " has an access key";
            EXPECT_TRUE(keys[item.level == 0 ? -1 : menu].insert(key).second)
                << item.name << ": access key " << key << " is taken in its menu";
        }
    }
    for (const WindowCommand command : { WindowCommand::Run,
             WindowCommand::Exit,
             WindowCommand::ReCombine,
             WindowCommand::Export,
             WindowCommand::About,
             WindowCommand::SplitGroups })
        EXPECT_EQ(commands[command], 1) << "command " << static_cast<int>(command) << " is offered once";
}

TEST(frmAboutDescription, VersionCaptionAndContactLines)
{
    EXPECT_EQ(versionCaption(), std::string("Version ") + versionText);
    const WindowDescription& about = frmAboutDescription();
    const ControlDescription& list = about.control("lstHeader");
    ASSERT_EQ(list.items.size(), 3u);
    EXPECT_EQ(list.items[0], about.control("Label1").caption) << "the list starts with the maker's name";
    EXPECT_NE(list.items[1].find("://"), std::string::npos) << "a web address";
    EXPECT_NE(list.items[2].find('@'), std::string::npos) << "an e-mail address";
    const ControlDescription& ok = about.control("cmdOK");
    EXPECT_TRUE(ok.defaultButton && ok.cancelButton) << "Enter and Esc both press OK";
    EXPECT_NE(frmMainDescription().icon, about.icon) << "the windows have different icons";
}

} // namespace
} // namespace tessely
