#include "ui/MainWindowLogic.h"

#include "recombine/RecombineFiles.h"
#include "tests/support/Cards.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/System.h"
#include "tests/support/TempFolder.h"
#include "ui/frmMainDescription.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <set>

namespace tessely
{
namespace
{

using test::cards;

/// A window as the logic sees it: records what it was asked to do, and runs `onEvents` whenever the logic
/// lets it handle input, as a user's clicks during a job would arrive.
class FakeView final : public MainWindowView
{
public:
    SplitNaming naming() override
    {
        return chosen;
    }
    void showStatus(bool visible) override
    {
        statusVisible = visible;
    }
    void setStatusCaption(const std::string& caption) override
    {
        captions.push_back(caption);
    }
    bool handleEvents() override
    {
        ++eventTurns;
        if (onEvents)
            onEvents();
        return !quit;
    }
    void showAbout() override
    {
        ++abouts;
    }
    void closeWindow() override
    {
        // As a toolkit does: closing the window tells the logic.
        ++closes;
        logic->closing();
    }
    void destroyWindow() override
    {
        ++destroys;
    }

    MainWindowLogic* logic = nullptr;
    SplitNaming chosen = SplitNaming::Numbered;
    bool statusVisible = false;
    std::vector<std::string> captions;
    int eventTurns = 0;
    int abouts = 0;
    int closes = 0;
    int destroys = 0;
    bool quit = false;
    std::function<void()> onEvents;
};

/// A main window's logic with a fake view and scripted dialogs; every yield lets the window catch up.
struct Window {
    explicit Window(std::chrono::milliseconds pacing = std::chrono::milliseconds(0))
        : logic(view, dialogs, localFileSystem(), pacing)
    {
        view.logic = &logic;
    }

    std::vector<std::string> titles() const
    {
        std::vector<std::string> shown;
        for (const Message& message : dialogs.messages)
            shown.push_back(message.title);
        return shown;
    }

    FakeView view;
    test::ScriptedUi dialogs;
    MainWindowLogic logic;
};

/// The commands of the main window's description that start a job: its menu items and buttons.
std::vector<WindowCommand> jobCommands()
{
    std::vector<WindowCommand> commands;
    for (const MenuItemDescription& item : frmMainDescription().menu)
        if (jobFor(item.command))
            commands.push_back(item.command);
    for (const ControlDescription& control : frmMainDescription().controls)
        if (jobFor(control.command))
            commands.push_back(control.command);
    return commands;
}

TEST(MainWindowLogic, EveryJobCommandAsksWithItsJobsDialogAndACancelDoesNothing)
{
    std::set<OperationKind> offered;
    for (const WindowCommand command : jobCommands()) {
        Window window;
        // A split into groups asks how to group first; once answered it asks for the file like the others.
        window.dialogs.groups = { ContactGroups { 100, 0 } };
        window.logic.command(command);
        ASSERT_EQ(window.dialogs.dialogs.size(), 1u);
        EXPECT_EQ(window.dialogs.dialogs[0].title, dialogSetupFor(*jobFor(command)).title);
        EXPECT_TRUE(window.dialogs.messages.empty());
        EXPECT_TRUE(window.view.captions.empty()) << "no job ran";
        EXPECT_FALSE(window.logic.isBusy());
        offered.insert(*jobFor(command));
    }
    EXPECT_EQ(offered,
        (std::set<OperationKind> { OperationKind::Split,
            OperationKind::Export,
            OperationKind::Recombine,
            OperationKind::ExportWorkbook,
            OperationKind::SplitGroups }))
        << "every job has a command in the window";
}

TEST(MainWindowLogic, TheGroupsCommandAsksHowToGroupBeforeTheFileAndACancelAsksNothingMore)
{
    const struct {
        const char* name;
        std::optional<ContactGroups> answer;
        bool fileChosen;
        std::vector<std::string> outputs; // in Split-vCards
    } cases[] = {
        { "groups dialog cancelled", std::nullopt, true, {} },
        { "file dialog cancelled", ContactGroups { 2, 0 }, false, {} },
        { "two a file", ContactGroups { 2, 0 }, true, { "contacts0001-0002.vcf", "contacts0003-0003.vcf" } },
        { "one megabyte a file", ContactGroups { 100, 1 << 20 }, true, { "contacts0001-0003.vcf" } },
    };
    for (const auto& c : cases) {
        test::TempFolder dir;
        Window window;
        window.dialogs.groups = { c.answer };
        if (c.fileChosen)
            window.dialogs.selections = { Selection::ofPath(dir.write("a.vcf", cards(3))) };
        window.logic.command(WindowCommand::SplitGroups);
        EXPECT_EQ(window.dialogs.groupsAsked, 1) << c.name;
        EXPECT_EQ(window.dialogs.dialogs.size(), c.answer ? 1u : 0u) << c.name;
        if (c.outputs.empty()) {
            EXPECT_TRUE(window.dialogs.messages.empty()) << c.name;
            EXPECT_FALSE(std::filesystem::exists(dir.file("Split-vCards"))) << c.name;
            continue;
        }
        ASSERT_EQ(window.dialogs.messages.size(), 1u) << c.name;
        EXPECT_EQ(window.dialogs.messages[0].icon, MessageIcon::Information) << c.name;
        EXPECT_EQ(test::listFolder(dir.file("Split-vCards")), c.outputs) << c.name;
    }
}

TEST(MainWindowLogic, CommandsRunTheirJobsWithTheNamingChosenWhenTheJobStarts)
{
    const struct {
        WindowCommand command;
        SplitNaming naming;
        bool twoFiles;
        std::vector<std::string> outputs; // in Split-vCards
    } cases[] = {
        { WindowCommand::Run, SplitNaming::Numbered, false, { "contact0001.vcf", "contact0002.vcf" } },
        { WindowCommand::Run, SplitNaming::FromContact, false, { "Person 1.vcf", "Person 2.vcf" } },
        { WindowCommand::Export, SplitNaming::FromContact, false, { "Contacts_Export.csv" } },
        { WindowCommand::ExportWorkbook, SplitNaming::FromContact, false, { "Contacts_Export.xlsx" } },
        { WindowCommand::ReCombine, SplitNaming::Numbered, true, {} },
    };
    for (const auto& c : cases) {
        test::TempFolder dir;
        Window window;
        const std::string first = dir.write("a.vcf", cards(2));
        dir.write("b.vcf", cards(3));
        window.dialogs.selections
            = { c.twoFiles ? Selection { dir.path(), { "a.vcf", "b.vcf" } } : Selection::ofPath(first) };
        window.view.chosen = c.naming;
        // Changing the choice while the job runs is for the next split.
        window.view.onEvents = [&] { window.view.chosen = SplitNaming::FromContact; };
        window.logic.command(c.command);
        const OperationKind kind = *jobFor(c.command);
        ASSERT_EQ(window.dialogs.messages.size(), 1u);
        EXPECT_EQ(window.dialogs.messages[0].title, successMessage(kind, 1, "").title);
        if (kind == OperationKind::Recombine)
            EXPECT_NE(window.dialogs.messages[0].lines.at(1).find("2 total files"), std::string::npos);
        else
            EXPECT_EQ(test::listFolder(dir.file("Split-vCards")), c.outputs);
    }
}

TEST(MainWindowLogic, TheStatusCountsWhileASplitOrRecombineRunsAndIsHiddenAfter)
{
    for (const WindowCommand command :
        { WindowCommand::Run, WindowCommand::ReCombine, WindowCommand::Export, WindowCommand::SplitGroups }) {
        test::TempFolder dir;
        Window window;
        window.dialogs.groups = { ContactGroups { 7, 0 } };
        dir.write("a.vcf", cards(40));
        dir.write("b.vcf", cards(2));
        window.dialogs.selections
            = { command == WindowCommand::ReCombine ? Selection { dir.path(), { "a.vcf", "b.vcf" } }
                                                    : Selection::ofPath(dir.file("a.vcf")) };
        int shownTurns = 0;
        window.view.onEvents = [&] { shownTurns += window.view.statusVisible ? 1 : 0; };
        window.logic.command(command);
        EXPECT_FALSE(window.view.statusVisible);
        if (command == WindowCommand::Export) {
            EXPECT_EQ(shownTurns, 0) << "the export shows no count";
            continue;
        }
        EXPECT_GT(shownTurns, 0);
        ASSERT_FALSE(window.view.captions.empty());
        for (std::size_t i = 0; i < window.view.captions.size(); ++i)
            EXPECT_EQ(window.view.captions[i], statusCaption(i + 1)) << "every number, in order";
    }
}

TEST(MainWindowLogic, AJobLetsTheWindowCatchUpOncePerInterval)
{
    test::TempFolder dir;
    Window window(std::chrono::hours(1));
    window.dialogs.selections = { Selection::ofPath(dir.write("a.vcf", cards(50))) };
    window.logic.command(WindowCommand::Run);
    EXPECT_EQ(window.view.eventTurns, 1) << "the first yield, then none within the interval";
    EXPECT_EQ(window.view.captions, std::vector<std::string> { statusCaption(1) });
    EXPECT_EQ(test::listFolder(dir.file("Split-vCards")).size(), 50u);
}

TEST(MainWindowLogic, OneJobAtATimeWhileAboutStillOpens)
{
    test::TempFolder dir;
    Window window;
    const std::string source = dir.write("a.vcf", cards(30));
    window.dialogs.selections = { Selection::ofPath(source), Selection::ofPath(source) };
    bool tried = false;
    window.view.onEvents = [&] {
        if (tried)
            return;
        tried = true;
        EXPECT_TRUE(window.logic.isBusy());
        EXPECT_FALSE(window.logic.takesFiles());
        for (const WindowCommand command : jobCommands())
            window.logic.command(command);
        window.logic.openFiles({ source }, FileSource::Drop);
        window.logic.command(WindowCommand::About);
    };
    window.logic.command(WindowCommand::Run);
    EXPECT_TRUE(tried);
    EXPECT_EQ(window.dialogs.dialogs.size(), 1u) << "the commands during the job were ignored";
    EXPECT_EQ(window.titles(), std::vector<std::string> { successMessage(OperationKind::Split, 1, "").title });
    EXPECT_EQ(window.view.abouts, 1);
    EXPECT_TRUE(window.logic.takesFiles());
}

TEST(MainWindowLogic, ClosingTheWindowDuringAJobStopsItAndKeepsOnlyWholeFiles)
{
    const struct {
        const char* name;
        std::function<void(Window&)> end;
    } cases[] = {
        { "File > Exit", [](Window& window) { window.logic.command(WindowCommand::Exit); } },
        { "close box", [](Window& window) { window.logic.closing(); } },
        { "the system quits", [](Window& window) { window.view.quit = true; } },
    };
    for (const auto& c : cases) {
        test::TempFolder dir;
        Window window;
        const int total = 300;
        window.dialogs.selections = { Selection::ofPath(dir.write("a.vcf", cards(total))) };
        window.view.onEvents = [&] {
            if (window.view.captions.size() == 5)
                c.end(window);
        };
        window.logic.command(WindowCommand::Run);
        EXPECT_TRUE(window.dialogs.messages.empty()) << c.name << ": a stopped job shows no message";
        EXPECT_FALSE(window.view.statusVisible) << c.name;
        const auto written = test::listFolder(dir.file("Split-vCards"));
        EXPECT_GE(written.size(), 4u) << c.name;
        EXPECT_LT(written.size(), static_cast<std::size_t>(total)) << c.name;
        for (const std::string& name : written) {
            const std::string content = test::readFile(dir.file("Split-vCards/" + name));
            EXPECT_EQ(content.substr(content.size() - 11), "END:VCARD\r\n") << c.name << ": " << name << " is whole";
        }
        if (window.view.quit)
            continue;
        EXPECT_EQ(window.view.destroys, 1) << c.name << ": the window goes once the job has returned";
        window.logic.command(WindowCommand::Run);
        window.logic.command(WindowCommand::About);
        window.logic.openFiles({ dir.file("a.vcf") }, FileSource::CommandLine);
        EXPECT_EQ(window.dialogs.dialogs.size(), 1u) << c.name << ": nothing runs once the window is closing";
        EXPECT_EQ(window.view.abouts, 0) << c.name;
    }
}

TEST(MainWindowLogic, ClosingAnIdleWindowLetsItGoAtOnce)
{
    Window window;
    window.logic.command(WindowCommand::Exit);
    EXPECT_EQ(window.view.closes, 1);
    EXPECT_EQ(window.view.destroys, 1);
    window.logic.closing();
    EXPECT_EQ(window.view.destroys, 1) << "a window goes once";
}

TEST(MainWindowLogic, FilesHandedToTheWindowStartTheirJob)
{
    test::TempFolder dir;
    test::TempFolder other;
    const std::string a = dir.write("a.vcf", cards(2));
    const std::string b = dir.write("B.VCF", cards(3));
    const std::string notes = dir.write("notes.txt", cards(2));
    const std::string elsewhere = other.write("c.vcf", cards(2));
    const std::string split = successMessage(OperationKind::Split, 1, "").title;
    const std::string recombine = successMessage(OperationKind::Recombine, 1, "").title;
    const struct {
        const char* name;
        std::vector<std::string> paths;
        FileSource source;
        Message expected; // title and first lines
        std::vector<std::string> splitFiles;
    } cases[] = {
        { "one file named", { a }, FileSource::CommandLine, { split, {} }, { "Person 1.vcf", "Person 2.vcf" } },
        { "one file of any name named",
            { notes },
            FileSource::CommandLine,
            { split, {} },
            { "Person 1.vcf", "Person 2.vcf" } },
        { "one file dropped",
            { b },
            FileSource::Drop,
            { split, {} },
            { "Person 1.vcf", "Person 2.vcf", "Person 3.vcf" } },
        { "two files dropped", { b, a }, FileSource::Drop, { recombine, {} }, {} },
        { "two files named", { a, b }, FileSource::CommandLine, { recombine, {} }, {} },
        { "something else dropped", { a, notes }, FileSource::Drop, notVCardFilesMessage({ "notes.txt" }), {} },
        { "two folders", { a, elsewhere }, FileSource::Drop, severalFoldersMessage(), {} },
    };
    for (const auto& c : cases) {
        Window window;
        window.view.chosen = SplitNaming::FromContact;
        window.logic.openFiles(c.paths, c.source);
        EXPECT_TRUE(window.dialogs.dialogs.empty()) << c.name << ": no dialog asks for the files";
        ASSERT_EQ(window.dialogs.messages.size(), 1u) << c.name;
        const Message& shown = window.dialogs.messages[0];
        EXPECT_EQ(shown.title, c.expected.title) << c.name;
        if (!c.expected.lines.empty()) {
            EXPECT_EQ(shown.lines, c.expected.lines) << c.name;
        }
        if (shown.title == recombine) {
            const std::string combined = shown.lines.back();
            EXPECT_EQ(test::readFile(combined.substr(1, combined.size() - 2)),
                c.paths[0] == a ? cards(2) + "\r\n" + cards(3) : cards(3) + "\r\n" + cards(2))
                << c.name << ": joined in the order given";
            std::filesystem::remove(test::systemPath(combined.substr(1, combined.size() - 2)));
        }
        if (!c.splitFiles.empty()) {
            EXPECT_EQ(test::listFolder(dir.file("Split-vCards")), c.splitFiles) << c.name;
        } else if (shown.title != recombine) {
            EXPECT_FALSE(std::filesystem::exists(test::systemPath(dir.file("Split-vCards")))) << c.name;
        }
        std::filesystem::remove_all(test::systemPath(dir.file("Split-vCards")));
    }

    Window window;
    window.logic.openFiles({}, FileSource::Drop);
    EXPECT_TRUE(window.dialogs.messages.empty()) << "no files, nothing to say";
}

} // namespace
} // namespace tessely
