#include "app/frmMain.h"

#include "FakeDialogs.h"
#include "app/Twips.h"
#include "app/frmAbout.h"
#include "recombine/RecombineFiles.h"
#include "tests/support/TempFolder.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

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

/// Runs `step` from the event loop while the code under test runs, once or on every turn of the loop.
class DuringJob
{
public:
    explicit DuringJob(std::function<void()> step, bool repeat = false)
        : m_step(std::move(step))
    {
        m_timer.setInterval(0);
        m_timer.setSingleShot(!repeat);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { m_step(); });
        m_timer.start();
    }
    void stop()
    {
        m_timer.stop();
    }

private:
    std::function<void()> m_step;
    QTimer m_timer;
};

class frmMainTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void TearDown() override
    {
        // A test that failed half-way may leave a menu open; it must not reach the next test.
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }

    std::vector<std::string> dialogTitles() const
    {
        std::vector<std::string> titles;
        for (const auto& setup : dialog.setups)
            titles.push_back(setup.title);
        return titles;
    }

    test::TempFolder temp;
    test::FakeSourceDialog dialog;
    test::FakeMessageBoxLayer messages;
    frmMain window { dialog, messages, localFileSystem() };
};

TEST_F(frmMainTest, StartsWithNumberedNamingAndHiddenStatus)
{
    EXPECT_TRUE(window.optNaming[0]->isChecked());
    EXPECT_FALSE(window.optNaming[1]->isChecked());
    EXPECT_FALSE(window.nameFromContact());
    EXPECT_FALSE(window.lblStatus->isVisible());
    EXPECT_EQ(window.lblStatus->text(), QStringLiteral("Processing..."));
    EXPECT_EQ(QApplication::focusWidget(), window.cmdRun);
    EXPECT_FALSE(window.isBusy());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(dialogTitles(), (std::vector<std::string> { splitTitle, splitTitle }))
        << "Enter and Space press the focused split button";
}

TEST_F(frmMainTest, ControlsCarryTheirNamesCaptionsAndTooltips)
{
    EXPECT_EQ(window.objectName(), QStringLiteral("frmMain"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tessely - Main Window"));
    const struct {
        const char* name;
        QString caption;
        QString tooltip;
    } cases[] = {
        { "fraNaming", window.fraNaming->title(), window.fraNaming->toolTip() },
        { "optNaming_0", window.optNaming[0]->text(), window.optNaming[0]->toolTip() },
        { "optNaming_1", window.optNaming[1]->text(), window.optNaming[1]->toolTip() },
        { "cmdRun", window.cmdRun->text(), window.cmdRun->toolTip() },
        { "lblStatus", window.lblStatus->text(), window.lblStatus->toolTip() },
    };
    const std::map<std::string, std::pair<std::string, std::string>> expected = {
        { "fraNaming", { "vCard Naming Options", "" } },
        { "optNaming_0",
            { "Name vCards Numerically", "Every vCard file will be named per its index without reguard to contents" } },
        { "optNaming_1",
            { " Name vCards from Contact Info",
                "vCard files will be named per the first valid field in the following sequence: Formatted Name, "
                "Name, Title, Email" } },
        { "cmdRun", { "Split vCard into Files", "Split a multi-contact vCard into separate vCard files" } },
        { "lblStatus", { "Processing...", "" } },
    };
    for (const auto& c : cases) {
        EXPECT_NE(window.findChild<QWidget*>(QLatin1String(c.name)), nullptr) << c.name;
        EXPECT_EQ(c.caption.toStdString(), expected.at(c.name).first) << c.name;
        EXPECT_EQ(c.tooltip.toStdString(), expected.at(c.name).second) << c.name;
    }
    EXPECT_TRUE(window.optNaming[1]->text().startsWith(QLatin1Char(' ')));
    EXPECT_FALSE(window.optNaming[0]->text().startsWith(QLatin1Char(' ')));
}

TEST_F(frmMainTest, ControlsSitWhereTheLayoutPutsThem)
{
    const struct {
        QWidget* widget;
        int left, top, width, height;
    } cases[] = {
        { window.fraNaming, 473, 240, 3615, 1575 },
        { window.optNaming[0], 360, 480, 3015, 195 },
        { window.optNaming[1], 360, 960, 3015, 195 },
        { window.cmdRun, 1313, 2040, 1935, 495 },
        { window.lblStatus, 3000, 2640, 1410, 195 },
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.widget->geometry(), twipsRect(window, c.left, c.top, c.width, c.height))
            << c.widget->objectName().toStdString();
    EXPECT_EQ(window.optNaming[0]->parentWidget(), window.fraNaming);

    // The client area below the menu bar is 4560 by 2850 twips and shows the label in full.
    const QWidget* client = window.centralWidget();
    EXPECT_EQ(client->size(), twipsRect(window, 0, 0, 4560, 2850).size());
    EXPECT_LE(window.lblStatus->geometry().bottom(), client->height());
    EXPECT_GE(client->y(), window.menuBar()->geometry().bottom());
    EXPECT_EQ(window.lblStatus->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

TEST_F(frmMainTest, WindowHasAFixedSizeWithoutMinimizeOrMaximize)
{
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    const QPoint screenCentre = window.screen()->availableGeometry().center();
    EXPECT_LE((window.geometry().center() - screenCentre).manhattanLength(), 4);
}

TEST_F(frmMainTest, TabOrderRunsFromTheButtonToBothNamingButtons)
{
    std::vector<QWidget*> chain;
    QWidget* widget = window.cmdRun;
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain.push_back(widget);
        widget = widget->nextInFocusChain();
    } while (widget != window.cmdRun);
    EXPECT_EQ(chain, (std::vector<QWidget*> { window.cmdRun, window.optNaming[0], window.optNaming[1] }));
    EXPECT_EQ(window.fraNaming->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(window.lblStatus->focusPolicy(), Qt::NoFocus);

    // As one group the naming buttons are one stop for Tab, at the selected button; the arrow keys move
    // the selection inside the group.
    window.cmdRun->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.optNaming[0]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), window.optNaming[1]);
    EXPECT_TRUE(window.optNaming[1]->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.cmdRun);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.optNaming[1]);
}

TEST_F(frmMainTest, MenusReadAsDesignedWithoutShortcuts)
{
    const auto bar = window.menuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    EXPECT_EQ(bar[0], window.mnuFile->menuAction());
    EXPECT_EQ(bar[1], window.mnuTools->menuAction());
    EXPECT_EQ(bar[2], window.mnuHelp->menuAction());

    const struct {
        QAction* action;
        const char* name;
        const char* caption;
        QMenu* menu;
    } cases[] = {
        { window.mnuFile->menuAction(), "mnuFile", "&File", nullptr },
        { window.mnuRun, "mnuRun", "&Run Now", window.mnuFile },
        { window.mnuSep0, "mnuSep0", "", window.mnuFile },
        { window.mnuExit, "mnuExit", "E&xit", window.mnuFile },
        { window.mnuTools->menuAction(), "mnuTools", "&Tools", nullptr },
        { window.mnuReCombine, "mnuReCombine", "Re&Combine vCards into Single", window.mnuTools },
        { window.mnuExport, "mnuExport", "vCard &Raw Format to CSV", window.mnuTools },
        { window.mnuHelp->menuAction(), "mnuHelp", "&Help", nullptr },
        { window.mnuAbout, "mnuAbout", "&About", window.mnuHelp },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.action->text().toStdString(), c.caption) << c.name;
        EXPECT_TRUE(c.action->shortcut().isEmpty()) << c.name;
        EXPECT_TRUE(c.action->isEnabled() && c.action->isVisible() && !c.action->isChecked()) << c.name;
        if (c.menu != nullptr) {
            EXPECT_EQ(c.action->objectName().toStdString(), c.name);
            EXPECT_TRUE(c.menu->actions().contains(c.action)) << c.name;
        }
    }
    EXPECT_EQ(window.mnuFile->objectName(), QStringLiteral("mnuFile"));
    EXPECT_EQ(window.mnuTools->objectName(), QStringLiteral("mnuTools"));
    EXPECT_EQ(window.mnuHelp->objectName(), QStringLiteral("mnuHelp"));
    EXPECT_TRUE(window.mnuSep0->isSeparator());
    EXPECT_EQ(window.mnuFile->actions(), (QList<QAction*> { window.mnuRun, window.mnuSep0, window.mnuExit }));
    EXPECT_EQ(window.mnuTools->actions(), (QList<QAction*> { window.mnuReCombine, window.mnuExport }));
}

TEST_F(frmMainTest, AccessKeysReachTheirJobCommands)
{
    const struct {
        Qt::Key menu;
        Qt::Key item;
        const char* title;
    } cases[] = {
        { Qt::Key_F, Qt::Key_R, splitTitle },
        { Qt::Key_T, Qt::Key_C, recombineTitle },
        { Qt::Key_T, Qt::Key_R, exportTitle },
    };
    for (const auto& c : cases) {
        dialog.setups.clear();
        QTest::keyClick(&window, c.menu, Qt::AltModifier);
        QWidget* popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr) << c.title;
        QTest::keyClick(popup, c.item);
        EXPECT_EQ(dialogTitles(), std::vector<std::string> { c.title });
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    }
    EXPECT_TRUE(messages.messages.empty()) << "a cancelled dialog shows nothing";
}

TEST_F(frmMainTest, AccessKeysOpenAboutAndExit)
{
    QPointer<frmAbout> about;
    bool aboutSeen = false;
    QTimer::singleShot(0, [&] {
        about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
        aboutSeen = about != nullptr;
        if (about)
            about->close();
    });
    QTest::keyClick(&window, Qt::Key_H, Qt::AltModifier);
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_A);
    EXPECT_TRUE(aboutSeen);
    EXPECT_EQ(about, nullptr) << "the About window is discarded when closed";

    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
    ASSERT_NE(QApplication::activePopupWidget(), nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_X);
    EXPECT_FALSE(window.isVisible()) << "File > Exit closes the main window, which ends the program";
    window.cmdRun_Click();
    EXPECT_TRUE(dialog.setups.empty()) << "no command runs once the program is ending";
}

TEST_F(frmMainTest, EachCommandSetsUpItsDialogAndCancelShowsNothing)
{
    const struct {
        std::function<void()> command;
        const char* title;
        SelectionMode mode;
    } cases[] = {
        { [&] { window.cmdRun->click(); }, splitTitle, SelectionMode::OneFile },
        { [&] { window.mnuRun->trigger(); }, splitTitle, SelectionMode::OneFile },
        { [&] { window.mnuExport->trigger(); }, exportTitle, SelectionMode::OneFile },
        { [&] { window.mnuReCombine->trigger(); }, recombineTitle, SelectionMode::SeveralFiles },
    };
    int labelShown = 0;
    for (const auto& c : cases) {
        dialog.setups.clear();
        DuringJob watch([&] { labelShown += window.lblStatus->isVisible() ? 1 : 0; }, true);
        c.command();
        watch.stop();
        ASSERT_EQ(dialog.setups.size(), 1u) << c.title;
        EXPECT_EQ(dialog.setups[0].title, c.title);
        EXPECT_EQ(dialog.setups[0].mode, c.mode);
        EXPECT_EQ(dialog.setups[0].filters.size(), 2u);
    }
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(labelShown, 0);
    EXPECT_FALSE(window.lblStatus->isVisible());
}

TEST_F(frmMainTest, SelectionsThatHoldNothingToProcessSayWhy)
{
    const std::string contactsText
        = "The selected vCard does not contain multiple contacts.\r\nPlease choose a multiple-entry vCard file.";
    const std::string filesText = "The chosen selection does not contain multiple files to process.\r\n"
                                  "Please choose multiple files for combining into a single vCard file.";
    const std::string one = temp.write("one.vcf", cards(1));
    const std::string many = temp.write("many.vcf", cards(5));
    const struct {
        QAction* command;
        std::string selection;
        std::string text;
    } cases[] = {
        { window.mnuRun, one, contactsText },
        { window.mnuRun, temp.file("typed-but-missing.vcf"), contactsText },
        { window.mnuRun, temp.write("none.vcf", "FN:Nobody\r\n"), contactsText },
        { window.mnuExport, one, contactsText },
        { window.mnuExport, temp.file("typed-but-missing.vcf"), contactsText },
        { window.mnuReCombine, many, filesText },
    };
    for (const auto& c : cases) {
        messages.messages.clear();
        dialog.selections = { Selection::ofPath(c.selection) };
        c.command->trigger();
        ASSERT_EQ(messages.messages.size(), 1u) << c.selection;
        EXPECT_EQ(messages.messages[0].title, "Nothing to Process");
        EXPECT_EQ(messages.messages[0].text("\r\n"), c.text);
        EXPECT_EQ(messages.messages[0].icon, MessageIcon::Error);
        EXPECT_EQ(messages.parents.back(), &window);
    }
    EXPECT_FALSE(std::filesystem::exists(temp.file("Split-vCards"))) << "no job was started";
}

TEST_F(frmMainTest, SplitShowsTheStatusWhileItRunsAndReportsSuccess)
{
    const std::string source = temp.write("phone.vcf", cards(40));
    dialog.selections = { Selection::ofPath(source) };
    std::vector<std::string> captions;
    DuringJob watch(
        [&] {
            if (window.isBusy() && window.lblStatus->isVisible())
                captions.push_back(window.lblStatus->text().toStdString());
        },
        true);
    bool labelHiddenAtMessage = false;
    messages.onShow = [&](const Message&) { labelHiddenAtMessage = !window.lblStatus->isVisible(); };
    window.cmdRun->click();
    watch.stop();

    ASSERT_FALSE(captions.empty()) << "the label is shown and counts while the split runs";
    for (const auto& caption : captions)
        EXPECT_TRUE(std::regex_match(caption, std::regex("Processing [1-9][0-9]*"))) << caption;
    EXPECT_TRUE(labelHiddenAtMessage);
    EXPECT_FALSE(window.lblStatus->isVisible());
    ASSERT_EQ(messages.messages.size(), 1u);
    const std::string folder = temp.file("Split-vCards");
    EXPECT_EQ(messages.messages[0].title, "vCard Split Successfull");
    EXPECT_EQ(messages.messages[0].text("\r\n"),
        "vCard has been split successfully.\r\n40 files have been created in...\r\n\r\n" + folder);
    EXPECT_EQ(messages.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(test::listFolder(folder).size(), 40u);
}

TEST_F(frmMainTest, ToolsCommandsRunTheirJobsEndToEnd)
{
    const std::string many = temp.write("many.vcf", cards(3));
    temp.write("other.vcf", cards(2));
    const std::string folder = temp.file("Split-vCards");

    // Tools > vCard Raw Format to CSV: the table beside the input, and the label never shown.
    dialog.selections = { Selection::ofPath(many) };
    int shown = 0;
    DuringJob watchExport([&] { shown += window.lblStatus->isVisible() ? 1 : 0; }, true);
    window.mnuExport->trigger();
    watchExport.stop();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, "vCard Export Successfull");
    EXPECT_EQ(messages.messages[0].text("\r\n"),
        "vCard has been exported successfully.\r\n3 cards have been exported into...\r\n\r\n" + folder);
    EXPECT_EQ(test::readFile(folder + "/Contacts_Export.csv"),
        "VERSION,FN\r\n3.0,PERSON 1\r\n3.0,PERSON 2\r\n3.0,PERSON 3\r\n");
    EXPECT_EQ(shown, 0);

    // Tools > ReCombine vCards into Single: today's combined file in the selection's folder.
    messages.messages.clear();
    dialog.selections = { { temp.path(), { "many.vcf", "other.vcf" } } };
    const std::string before = recombinedFileName(localToday());
    window.mnuReCombine->trigger();
    const std::string after = recombinedFileName(localToday());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, "vCard Recombine Successfull");
    const std::string combined = temp.file(std::filesystem::exists(temp.file(after)) ? after : before);
    EXPECT_EQ(messages.messages[0].text("\r\n"),
        "vCard files have been successfully recombined.\r\n2 total files have been combined into\r\n\"" + combined
            + "\"");
    EXPECT_EQ(test::readFile(combined), cards(3) + "\r\n" + cards(2));
    EXPECT_FALSE(window.lblStatus->isVisible());

    // The split named from the contacts, chosen with the second naming button.
    messages.messages.clear();
    window.optNaming[1]->click();
    dialog.selections = { Selection::ofPath(many) };
    window.cmdRun->click();
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, "vCard Split Successfull");
    EXPECT_EQ(test::listFolder(folder),
        (std::vector<std::string> { "Contacts_Export.csv", "Person 1.vcf", "Person 2.vcf", "Person 3.vcf" }));
}

TEST_F(frmMainTest, FileErrorShowsTheJobsFailureAndLeavesTheWindowUsable)
{
    // A file named like the output folder stands where the folder has to be made.
    test::TempFolder blocked;
    const std::string source = blocked.write("phone.vcf", cards(2));
    blocked.write("Split-vCards", "not a folder");
    dialog.selections = { Selection::ofPath(source) };
    window.cmdRun->click();
    ASSERT_EQ(messages.messages.size(), 1u);
    const Message& failure = messages.messages[0];
    EXPECT_EQ(failure.title, "vCard Split Failed");
    EXPECT_EQ(failure.text("\r\n").rfind("vCard has not been successfully split.\r\n\r\n", 0), 0u);
    EXPECT_NE(failure.text().find(blocked.file("Split-vCards")), std::string::npos) << failure.text();
    EXPECT_EQ(failure.icon, MessageIcon::Error);
    EXPECT_FALSE(window.lblStatus->isVisible());
    EXPECT_FALSE(window.isBusy());

    dialog.selections = { Selection::ofPath(temp.write("phone.vcf", cards(2))) };
    window.mnuRun->trigger();
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[1].title, "vCard Split Successfull");
}

TEST_F(frmMainTest, CommandsDuringAJobAreIgnoredWhileTheNamingChoiceStaysLive)
{
    const std::string source = temp.write("phone.vcf", cards(200));
    dialog.selections = { Selection::ofPath(source), Selection::ofPath(source), Selection::ofPath(source) };
    bool namingDuringJob = false;
    DuringJob during([&] {
        window.cmdRun->click();
        window.mnuExport->trigger();
        window.mnuReCombine->trigger();
        QTest::mouseClick(window.optNaming[1], Qt::LeftButton);
        namingDuringJob = window.nameFromContact();
    });
    window.mnuRun->trigger();

    EXPECT_EQ(dialogTitles(), std::vector<std::string> { splitTitle }) << "only the first command ran";
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].title, "vCard Split Successfull");
    EXPECT_EQ(test::listFolder(temp.file("Split-vCards")).size(), 200u);
    EXPECT_TRUE(namingDuringJob);
    EXPECT_TRUE(window.optNaming[1]->isChecked());
    EXPECT_FALSE(window.optNaming[0]->isChecked()) << "the two naming buttons form one group";
}

TEST(frmMainEnding, ExitOrCloseBoxDuringASplitEndsItAndKeepsTheFilesWritten)
{
    const struct {
        const char* name;
        std::function<void(frmMain&)> end;
    } cases[] = {
        { "File > Exit", [](frmMain& window) { window.mnuExit->trigger(); } },
        { "close box", [](frmMain& window) { window.close(); } },
    };
    for (const auto& c : cases) {
        test::TempFolder temp;
        test::FakeSourceDialog dialog;
        test::FakeMessageBoxLayer messages;
        frmMain window(dialog, messages, localFileSystem());
        window.show();
        const int total = 5000;
        dialog.selections = { Selection::ofPath(temp.write("phone.vcf", cards(total))) };
        // End once the split has got past its first contact, so some files are there to keep.
        DuringJob endLater(
            [&] {
                if (window.lblStatus->text() != QStringLiteral("Processing 1") && window.isBusy())
                    c.end(window);
            },
            true);
        window.cmdRun->click();
        endLater.stop();

        EXPECT_FALSE(window.isVisible()) << c.name;
        EXPECT_FALSE(window.isBusy()) << c.name;
        EXPECT_TRUE(messages.messages.empty()) << c.name << ": ending shows no message";
        const auto written = test::listFolder(temp.file("Split-vCards"));
        EXPECT_GT(written.size(), 0u) << c.name;
        EXPECT_LT(written.size(), static_cast<std::size_t>(total)) << c.name;
        for (const auto& name : written)
            EXPECT_EQ(test::readFile(temp.file("Split-vCards/" + name)).substr(0, 13), "BEGIN:VCARD\r\n") << name;
    }
}

TEST_F(frmMainTest, AboutLeavesTheMainWindowAsItWas)
{
    QTest::mouseClick(window.optNaming[1], Qt::LeftButton);
    std::vector<QPointer<frmAbout>> opened;
    for (int round = 0; round < 2; ++round) {
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            opened.emplace_back(about);
            EXPECT_EQ(about->parentWidget(), &window);
            EXPECT_EQ(about->lblVersion->text(), QStringLiteral("Version 3.2.2"));
            EXPECT_LE((about->geometry().center() - window.geometry().center()).manhattanLength(), 40)
                << "centred over the main window";
            about->cmdOK->click();
        });
        window.mnuAbout->trigger();
    }
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], nullptr) << "each About window is discarded when it closes";
    EXPECT_EQ(opened[1], nullptr);
    EXPECT_TRUE(window.optNaming[1]->isChecked());
    EXPECT_FALSE(window.lblStatus->isVisible());
    EXPECT_TRUE(window.isVisible());
}

} // namespace
} // namespace tessely
