#ifndef TESSELY_TESTS_SUPPORT_WINDOWCOMMANDS_H
#define TESSELY_TESTS_SUPPORT_WINDOWCOMMANDS_H

#include "RecordingHost.h"
#include "ui/MainWindowLogic.h"
#include "ui/WindowDescription.h"

#include <string>
#include <vector>

namespace tessely::test
{

/// A command of a window's description and where the user chooses it: a menu item or a button.
struct DescribedCommand {
    WindowCommand command = WindowCommand::None;
    /// The menu item that gives it, or null.
    const MenuItemDescription* item = nullptr;
    /// The button that gives it, or null.
    const ControlDescription* control = nullptr;
};

/// Every command that a menu item or a button of `window` gives, the one that closes the window last.
std::vector<DescribedCommand> describedCommands(const WindowDescription& window);

/// Checks that a window did what choosing `command` asks of it: a job command showed its job's open dialog
/// (the only dialog shown), after the groups dialog for a split into groups (scripted with one answer
/// before the command), About opened the About window, Exit closed the window, and nothing else did.
void expectCommandDone(WindowCommand command, const ScriptedUi& dialogs, bool aboutOpened, bool windowOpen);

/// A job command of a menu reached with the keyboard: Alt and the access key of its menu, then its own.
struct AccessKeyPath {
    char menuKey = 0;
    char itemKey = 0;
    OperationKind job = OperationKind::Split;
    std::string item;
};

/// The keyboard's way to every job command in the menus of `window`.
std::vector<AccessKeyPath> jobAccessKeys(const WindowDescription& window);

} // namespace tessely::test

#endif
