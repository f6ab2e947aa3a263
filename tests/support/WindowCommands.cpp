#include "WindowCommands.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessely::test
{

std::vector<DescribedCommand> describedCommands(const WindowDescription& window)
{
    std::vector<DescribedCommand> commands;
    for (const MenuItemDescription& item : window.menu)
        if (item.command != WindowCommand::OpenMenu && item.command != WindowCommand::None)
            commands.push_back({ item.command, &item, nullptr });
    for (const ControlDescription& control : window.controls)
        if (control.command != WindowCommand::None)
            commands.push_back({ control.command, nullptr, &control });
    std::stable_partition(commands.begin(), commands.end(), [](const DescribedCommand& described) {
        return described.command != WindowCommand::Exit;
    });
    return commands;
}

void expectCommandDone(WindowCommand command, const ScriptedUi& dialogs, bool aboutOpened, bool windowOpen)
{
    const auto job = jobFor(command);
    if (job) {
        ASSERT_EQ(dialogs.dialogs.size(), 1u) << static_cast<int>(command);
        EXPECT_EQ(dialogs.dialogs[0].title, dialogSetupFor(*job).title);
    } else {
        EXPECT_TRUE(dialogs.dialogs.empty()) << static_cast<int>(command);
    }
    EXPECT_EQ(dialogs.groups.empty(), job == OperationKind::SplitGroups)
        << static_cast<int>(command) << ": only a split into groups asks how to group";
    EXPECT_EQ(aboutOpened, command == WindowCommand::About) << static_cast<int>(command);
    EXPECT_EQ(windowOpen, command != WindowCommand::Exit) << static_cast<int>(command);
}

std::vector<AccessKeyPath> jobAccessKeys(const WindowDescription& window)
{
    std::vector<AccessKeyPath> paths;
    const MenuItemDescription* menu = nullptr;
    for (const MenuItemDescription& item : window.menu) {
        if (item.level == 0)
            menu = &item;
        else if (const auto job = jobFor(item.command); job && menu != nullptr)
            paths.push_back({ accessKey(menu->caption), accessKey(item.caption), *job, item.name });
    }
    return paths;
}

} // namespace tessely::test
