#include "controller/RunOperation.h"

#include "platform/FileError.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace tessely
{
namespace
{

const std::string twoCards = "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n";

TEST(RunOperation, SetsUpTheDialogPerKind)
{
    const struct {
        OperationKind kind;
        const char* title;
        unsigned flags;
        bool multi;
    } cases[] = {
        { OperationKind::Split, "Select a multiple-contact vCard file to split", 1024, false },
        { OperationKind::Export, "Select a multiple-contact vCard file to export", 1024, false },
        { OperationKind::Recombine,
            "Multi-select all the vCard files to recombine (Shift or Ctrl to select multiple)",
            524800,
            true },
    };
    for (const auto& c : cases) {
        test::ScriptedUi ui;
        test::RecordingHost host;
        EXPECT_EQ(RunOperation(c.kind, ui, localFileSystem(), host), Outcome::Cancelled);
        ASSERT_EQ(ui.dialogs.size(), 1u);
        EXPECT_EQ(ui.dialogs[0].title, c.title);
        EXPECT_EQ(ui.dialogs[0].flags, c.flags);
        EXPECT_EQ(ui.dialogs[0].multiSelect(), c.multi);
        EXPECT_EQ(ui.dialogs[0].filter, "vCard File (*.vcf)|*.vcf|All Files (*.*)|*.*");
        EXPECT_TRUE(ui.messages.empty()) << "a cancelled dialog shows nothing";
        EXPECT_TRUE(host.calls.empty()) << "a cancelled dialog starts no job";
    }
}

TEST(RunOperation, MessagesReadWordForWord)
{
    const struct {
        Message message;
        const char* title;
        const char* text;
        MessageStyle style;
    } cases[] = {
        { nothingToProcessMessage(OperationKind::Split),
            "Nothing to Process",
            "The selected vCard does not contain multiple contacts.\r\nPlease choose a multiple-entry vCard file.",
            MessageStyle::Error },
        { nothingToProcessMessage(OperationKind::Recombine),
            "Nothing to Process",
            "The chosen selection does not contain multiple files to process.\r\n"
            "Please choose multiple files for combining into a single vCard file.",
            MessageStyle::Error },
        { successMessage(OperationKind::Split, 12, "/d/Split-vCards"),
            "vCard Split Successfull",
            "vCard has been split successfully.\r\n12 files have been created in...\r\n\r\n/d/Split-vCards",
            MessageStyle::Information },
        { failureMessage(OperationKind::Split),
            "vCard Split Failed",
            "vCard has not been successfully split.",
            MessageStyle::Error },
        { successMessage(OperationKind::Export, 2, "/d/Split-vCards"),
            "vCard Export Successfull",
            "vCard has been exported successfully.\r\n2 cards have been exported into...\r\n\r\n/d/Split-vCards",
            MessageStyle::Information },
        { failureMessage(OperationKind::Export),
            "vCard Processing Failed",
            "vCard has not been successfully exported.",
            MessageStyle::Error },
        { successMessage(OperationKind::Recombine, 3, "/d/12-06-2026_CONBINED_CONTACTS.vcf"),
            "vCard Recombine Successfull",
            "vCard files have been successfully recombined.\r\n3 total files have been combined into\r\n"
            "\"/d/12-06-2026_CONBINED_CONTACTS.vcf\"",
            MessageStyle::Information },
        { failureMessage(OperationKind::Recombine),
            "vCard Recombine Failed",
            "vCard recombination has not been completed.",
            MessageStyle::Error },
        { failureMessage(OperationKind::Split,
              FileError("cannot open file", "/d/a.vcf", std::make_error_code(std::errc::permission_denied))),
            "vCard Split Failed",
            "vCard has not been successfully split.\r\n\r\ncannot open file '/d/a.vcf': Permission denied",
            MessageStyle::Error },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.message.title, c.title);
        EXPECT_EQ(c.message.text, c.text);
        EXPECT_EQ(c.message.style, c.style) << c.title;
    }
}

TEST(RunOperation, RefusesSelectionsWithNothingToProcess)
{
    test::TempFolder dir;
    const std::string one = dir.write("one.vcf", "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n");
    const std::string two = dir.write("two.vcf", twoCards);
    const struct {
        OperationKind kind;
        std::string selection;
    } cases[] = {
        { OperationKind::Split, one },
        { OperationKind::Split, dir.file("typed-but-missing.vcf") },
        { OperationKind::Export, one },
        { OperationKind::Recombine, two },
    };
    for (const auto& c : cases) {
        test::ScriptedUi ui;
        ui.selections = { c.selection };
        test::RecordingHost host;
        EXPECT_EQ(RunOperation(c.kind, ui, localFileSystem(), host), Outcome::NothingToProcess) << c.selection;
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].title, "Nothing to Process");
        EXPECT_EQ(ui.messages[0].text, nothingToProcessMessage(c.kind).text);
        EXPECT_TRUE(host.calls.empty());
    }
    EXPECT_EQ(test::listFolder(dir.path()), (std::vector<std::string> { "one.vcf", "two.vcf" }));
}

TEST(RunOperation, ReportsTheSplitWithTheJobsOwnCount)
{
    test::TempFolder dir;
    // Three opening lines, but the lower-case closing line swallows the second contact into the first.
    const std::string source
        = dir.write("all.vcf", "BEGIN:VCARD\r\nend:vcard\r\nBEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\nEND:VCARD\r\n");
    test::ScriptedUi ui;
    ui.selections = { source };
    test::RecordingHost host;
    EXPECT_EQ(RunOperation(OperationKind::Split, ui, localFileSystem(), host), Outcome::Succeeded);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "vCard Split Successfull");
    EXPECT_EQ(ui.messages[0].text, successMessage(OperationKind::Split, 2, dir.file("Split-vCards")).text);
}

} // namespace
} // namespace tessely
