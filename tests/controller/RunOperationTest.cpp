#include "controller/RunOperation.h"

#include "platform/FileError.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <optional>

namespace tessely
{
namespace
{

const std::string twoCards = "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n";

/// What a split into groups of `count` contacts into `files` files in /d/Split-vCards gives back.
GroupsResult grouped(std::uint64_t files, std::uint64_t overSize = 0, std::uint64_t skippedLines = 0)
{
    GroupsResult result;
    result.count = 1000;
    result.location = "/d/Split-vCards";
    result.skippedLines = skippedLines;
    result.files = files;
    result.overSize = overSize;
    return result;
}

TEST(AskForRequest, SetsUpTheDialogPerKindAndGivesTheChoice)
{
    const struct {
        OperationKind kind;
        const char* title;
        SelectionMode mode;
    } cases[] = {
        { OperationKind::Split, "Select a multiple-contact vCard file to split", SelectionMode::OneFile },
        { OperationKind::Export, "Select a multiple-contact vCard file to export", SelectionMode::OneFile },
        { OperationKind::ExportWorkbook, "Select a multiple-contact vCard file to export", SelectionMode::OneFile },
        { OperationKind::Recombine,
            "Multi-select all the vCard files to recombine (Shift or Ctrl to select multiple)",
            SelectionMode::SeveralFiles },
    };
    for (const auto& c : cases) {
        test::ScriptedUi ui;
        EXPECT_EQ(askForRequest(c.kind, ui), std::nullopt) << "a cancelled dialog asks for nothing";
        ASSERT_EQ(ui.dialogs.size(), 1u);
        EXPECT_EQ(ui.dialogs[0].title, c.title);
        EXPECT_EQ(ui.dialogs[0].mode, c.mode);
        ASSERT_EQ(ui.dialogs[0].filters.size(), 2u);
        EXPECT_EQ(ui.dialogs[0].filters[0].description, "vCard File (*.vcf)");
        EXPECT_EQ(ui.dialogs[0].filters[0].patterns, std::vector<std::string> { "*.vcf" });
        EXPECT_EQ(ui.dialogs[0].filters[1].description, "All Files (*.*)");
        EXPECT_EQ(ui.dialogs[0].filters[1].patterns, std::vector<std::string> { "*.*" });
        EXPECT_TRUE(ui.messages.empty()) << "a cancelled dialog shows nothing";

        const Selection chosen { "/d", { "a.vcf", "b.vcf" } };
        ui.selections = { chosen };
        const auto request = askForRequest(c.kind, ui);
        ASSERT_TRUE(request.has_value());
        EXPECT_EQ(request->kind, c.kind);
        EXPECT_EQ(request->selection, chosen);
        EXPECT_EQ(request->naming, SplitNaming::Numbered);
    }
}

TEST(RunOperation, MessagesReadWordForWord)
{
    const struct {
        Message message;
        const char* title;
        const char* text;
        MessageIcon icon;
    } cases[] = {
        { nothingToProcessMessage(OperationKind::Split),
            "Nothing to Process",
            "The selected vCard does not contain multiple contacts.\r\nPlease choose a multiple-entry vCard file.",
            MessageIcon::Error },
        { nothingToProcessMessage(OperationKind::Recombine),
            "Nothing to Process",
            "The chosen selection does not contain multiple files to process.\r\n"
            "Please choose multiple files for combining into a single vCard file.",
            MessageIcon::Error },
        { successMessage(OperationKind::Split, 12, "/d/Split-vCards"),
            "vCard Split Successfull",
            "vCard has been split successfully.\r\n12 files have been created in...\r\n\r\n/d/Split-vCards",
            MessageIcon::Information },
        { successMessage(OperationKind::Split, 12, "/d/Split-vCards", 1),
            "vCard Split Successfull",
            "vCard has been split successfully.\r\n12 files have been created in...\r\n\r\n/d/Split-vCards\r\n"
            "1 line outside any contact was not copied.",
            MessageIcon::Information },
        { failureMessage(OperationKind::Split),
            "vCard Split Failed",
            "vCard has not been successfully split.",
            MessageIcon::Error },
        { successMessage(OperationKind::Export, 2, "/d/Split-vCards", 3),
            "vCard Export Successfull",
            "vCard has been exported successfully.\r\n2 cards have been exported into...\r\n\r\n/d/Split-vCards\r\n"
            "3 lines outside any contact were not copied.",
            MessageIcon::Information },
        { failureMessage(OperationKind::Export),
            "vCard Processing Failed",
            "vCard has not been successfully exported.",
            MessageIcon::Error },
        { successMessage(OperationKind::ExportWorkbook, 2, "/d/Split-vCards/Contacts_Export.xlsx", 0, 1),
            "vCard Export Successfull",
            "vCard has been exported successfully.\r\n2 cards have been exported into...\r\n\r\n"
            "/d/Split-vCards/Contacts_Export.xlsx\r\n1 cell was too long for a workbook and was shortened.",
            MessageIcon::Information },
        { successMessage(OperationKind::ExportWorkbook, 2, "/d/x.xlsx", 1, 40),
            "vCard Export Successfull",
            "vCard has been exported successfully.\r\n2 cards have been exported into...\r\n\r\n/d/x.xlsx\r\n"
            "1 line outside any contact was not copied.\r\n40 cells were too long for a workbook and were shortened.",
            MessageIcon::Information },
        { failureMessage(OperationKind::ExportWorkbook),
            "vCard Processing Failed",
            "vCard has not been successfully exported.",
            MessageIcon::Error },
        { successMessage(OperationKind::Recombine, 3, "/d/12-06-2026_CONBINED_CONTACTS.vcf"),
            "vCard Recombine Successfull",
            "vCard files have been successfully recombined.\r\n3 total files have been combined into\r\n"
            "\"/d/12-06-2026_CONBINED_CONTACTS.vcf\"",
            MessageIcon::Information },
        { failureMessage(OperationKind::Recombine),
            "vCard Recombine Failed",
            "vCard recombination has not been completed.",
            MessageIcon::Error },
        { groupsSuccessMessage(grouped(4), { 250, 0 }),
            "vCard Split Successfull",
            "vCard has been split successfully.\r\n4 files of at most 250 contacts have been created in...\r\n\r\n"
            "/d/Split-vCards",
            MessageIcon::Information },
        { groupsSuccessMessage(grouped(1), { 1, 0 }),
            "vCard Split Successfull",
            "vCard has been split successfully.\r\n1 file of at most 1 contact has been created in...\r\n\r\n"
            "/d/Split-vCards",
            MessageIcon::Information },
        { groupsSuccessMessage(grouped(3, 1, 2), { 0, 2621440 }),
            "vCard Split Successfull",
            "vCard has been split successfully.\r\n3 files of at most 2.5 MB have been created in...\r\n\r\n"
            "/d/Split-vCards\r\n1 file is larger than 2.5 MB because a single contact is larger than that.\r\n"
            "2 lines outside any contact were not copied.",
            MessageIcon::Information },
        { groupsSuccessMessage(grouped(9, 2), { 100, 1024 }),
            "vCard Split Successfull",
            "vCard has been split successfully.\r\n9 files of at most 100 contacts have been created in...\r\n\r\n"
            "/d/Split-vCards\r\n2 files are larger than 1 KB because a single contact is larger than that.",
            MessageIcon::Information },
        { failureMessage(OperationKind::SplitGroups),
            "vCard Split Failed",
            "vCard has not been successfully split.",
            MessageIcon::Error },
        { failureMessage(OperationKind::Split,
              FileError("cannot open file", "/d/a.vcf", std::make_error_code(std::errc::permission_denied))),
            "vCard Split Failed",
            "vCard has not been successfully split.\r\n\r\ncannot open file '/d/a.vcf': Permission denied",
            MessageIcon::Error },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.message.title, c.title);
        EXPECT_EQ(c.message.text("\r\n"), c.text);
        EXPECT_EQ(c.message.icon, c.icon) << c.title;
    }
}

TEST(Operation, FileNamesMatchTheDialogsFiltersWhateverTheirLetterCase)
{
    const FileFilter& vCards = sourceFilters().at(0);
    const FileFilter& all = sourceFilters().at(1);
    const struct {
        const char* name;
        bool vCard;
    } cases[] = {
        { "a.vcf", true },
        { "Phone Export.VCF", true },
        { ".vcf", true },
        { "a.vcf.txt", false },
        { "a.vcard", false },
        { "vcf", false },
        { "", false },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(matchesFilter(vCards, c.name), c.vCard) << c.name;
        EXPECT_TRUE(matchesFilter(all, c.name)) << c.name;
    }
}

TEST(Operation, RefusedFilesAreNamedAFewAtATime)
{
    const std::vector<std::string> names = { "1.txt", "2.txt", "3.txt", "4.txt", "5.txt", "6.txt", "7.txt" };
    const Message few = notVCardFilesMessage({ names[0], names[1] });
    EXPECT_EQ(std::vector<std::string>(few.lines.end() - 2, few.lines.end()),
        (std::vector<std::string> { "1.txt", "2.txt" }));
    const Message many = notVCardFilesMessage(names);
    EXPECT_EQ(many.lines.back(), "and 2 more");
    EXPECT_EQ(many.lines.at(many.lines.size() - 2), "5.txt");
    EXPECT_EQ(many.icon, MessageIcon::Error);
}

TEST(Operation, SizesAreReadAndShownInUnitsOf1024)
{
    const struct {
        const char* text;
        std::optional<std::uint64_t> bytes;
    } read[] = {
        { "1024", 1024 },
        { "1K", 1024 },
        { "1k", 1024 },
        { "2.5M", 2621440 },
        { "2.5m", 2621440 },
        { "0.5K", 512 },
        { "1.001K", 1025 },
        { "3G", std::uint64_t { 3 } << 30 },
        { "16777216T", std::nullopt },
        { "18446744073709551615", UINT64_MAX },
        { "18446744073709551616", std::nullopt },
        { "17179869184G", std::nullopt },
        { "", std::nullopt },
        { "M", std::nullopt },
        { ".5M", std::nullopt },
        { "5.M", std::nullopt },
        { "1.5", std::nullopt },
        { "-1K", std::nullopt },
        { "+1K", std::nullopt },
        { " 1K", std::nullopt },
        { "1 K", std::nullopt },
        { "1KB", std::nullopt },
        { "1e3", std::nullopt },
        { "1.2.3M", std::nullopt },
    };
    for (const auto& c : read)
        EXPECT_EQ(parseSize(c.text), c.bytes) << c.text;

    const struct {
        std::uint64_t bytes;
        const char* text;
    } shown[] = {
        { 1024, "1 KB" },
        { 1536, "1.5 KB" },
        { 1280, "1.25 KB" },
        { 1034, "1034 bytes" },
        { 2621440, "2.5 MB" },
        { 1310720, "1.25 MB" },
        { 1048576 + 10486, "1059062 bytes" },
        { std::uint64_t { 3 } << 30, "3 GB" },
        { std::uint64_t { 5 } << 40, "5120 GB" },
        { UINT64_MAX, "18446744073709551615 bytes" },
    };
    for (const auto& c : shown)
        EXPECT_EQ(sizeText(c.bytes), c.text) << c.bytes;
}

TEST(AskForRequest, AGroupsSplitAsksHowToGroupFirstAndACancelThereAsksNothingMore)
{
    test::ScriptedUi cancelled;
    EXPECT_EQ(askForRequest(OperationKind::SplitGroups, cancelled), std::nullopt);
    EXPECT_EQ(cancelled.groupsAsked, 1);
    EXPECT_TRUE(cancelled.dialogs.empty());

    test::ScriptedUi ui;
    ui.groups = { ContactGroups { 250, 2621440 } };
    ui.selections = { Selection::ofPath("/d/all.vcf") };
    const std::optional<OperationRequest> request = askForRequest(OperationKind::SplitGroups, ui);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->kind, OperationKind::SplitGroups);
    EXPECT_EQ(request->groups.perFile, 250u);
    EXPECT_EQ(request->groups.largestBytes, 2621440u);
    EXPECT_EQ(request->selection.path(), Selection::ofPath("/d/all.vcf").path());
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].title, dialogSetupFor(OperationKind::Split).title);
}

TEST(RunOperation, RefusesSelectionsWithNothingToProcess)
{
    test::TempFolder dir;
    const std::string one = dir.write("one.vcf", "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n");
    const std::string two = dir.write("two.vcf", twoCards);
    const struct {
        OperationKind kind;
        Selection selection;
    } cases[] = {
        { OperationKind::Split, Selection::ofPath(one) },
        { OperationKind::SplitGroups, Selection::ofPath(one) },
        { OperationKind::Split, Selection::ofPath(dir.file("typed-but-missing.vcf")) },
        { OperationKind::Export, Selection::ofPath(one) },
        { OperationKind::Recombine, Selection::ofPath(two) },
    };
    for (const auto& c : cases) {
        test::ScriptedUi ui;
        test::RecordingHost host;
        EXPECT_EQ(RunOperation({ c.kind, c.selection }, ui, localFileSystem(), host), Outcome::NothingToProcess)
            << c.selection.path();
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].title, "Nothing to Process");
        EXPECT_EQ(ui.messages[0].lines, nothingToProcessMessage(c.kind).lines);
        EXPECT_TRUE(host.calls.empty());
    }
    EXPECT_EQ(test::listFolder(dir.path()), (std::vector<std::string> { "one.vcf", "two.vcf" }));
}

TEST(RunOperation, ReportsTheSplitWithTheJobsOwnCount)
{
    test::TempFolder dir;
    // The count before the job stops at two contacts; the message gives the job's own count of all three.
    const std::string source
        = dir.write("all.vcf", "BEGIN:VCARD\r\nend:vcard\r\nBEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\nEND:VCARD\r\n");
    test::ScriptedUi ui;
    test::RecordingHost host;
    EXPECT_EQ(RunOperation({ OperationKind::Split, Selection::ofPath(source) }, ui, localFileSystem(), host),
        Outcome::Succeeded);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, "vCard Split Successfull");
    EXPECT_EQ(ui.messages[0].lines, successMessage(OperationKind::Split, 3, dir.file("Split-vCards")).lines);
}

TEST(RunOperation, TheSplitNamesItsFilesAsTheRequestSays)
{
    const struct {
        SplitNaming naming;
        std::vector<std::string> files;
    } cases[] = {
        { SplitNaming::Numbered, { "contact0001.vcf", "contact0002.vcf" } },
        { SplitNaming::FromContact, { "A.vcf", "B.vcf" } },
    };
    for (const auto& c : cases) {
        test::TempFolder dir;
        test::ScriptedUi ui;
        test::RecordingHost host;
        const OperationRequest request {
            OperationKind::Split, Selection::ofPath(dir.write("all.vcf", twoCards)), c.naming
        };
        EXPECT_EQ(RunOperation(request, ui, localFileSystem(), host), Outcome::Succeeded);
        EXPECT_EQ(test::listFolder(dir.file("Split-vCards")), c.files);
    }
}

/// Fails every opening of a file for reading with the error it was given.
class FailingOpen final : public test::ForwardingFileSystem
{
public:
    explicit FailingOpen(std::function<void()> fail)
        : m_fail(std::move(fail))
    {
    }
    std::unique_ptr<ByteSource> openRead(const std::string& path) override
    {
        if (++m_opens > 1) // the count of contacts before the job reads the file once
            m_fail();
        return ForwardingFileSystem::openRead(path);
    }

private:
    std::function<void()> m_fail;
    int m_opens = 0;
};

TEST(RunOperation, EveryErrorThatEndsAJobBecomesItsFailureMessageOnce)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", twoCards);
    const std::string fifo = dir.makeNonRegularFile();
    const struct {
        const char* name;
        Selection selection;
        std::function<void()> fail;
        Outcome outcome;
        std::string reason;
    } cases[] = {
        { "file error",
            Selection::ofPath(source),
            [&] { throw FileError("cannot open file", source, std::make_error_code(std::errc::io_error)); },
            Outcome::FileFailed,
            "cannot open file '" + source + "': Input/output error" },
        { "no memory",
            Selection::ofPath(source),
            [] { throw std::bad_alloc(); },
            Outcome::Failed,
            "There is not enough memory." },
        { "anything else",
            Selection::ofPath(source),
            [] { throw std::length_error("too long"); },
            Outcome::Failed,
            "too long" },
        { "not a regular file",
            Selection::ofPath(fifo),
            [] {},
            Outcome::FileFailed,
            "cannot open file '" + fifo + "': not a regular file" },
    };
    for (const auto& c : cases) {
        for (const OperationKind kind : { OperationKind::Split, OperationKind::Export }) {
            FailingOpen fs(c.fail);
            test::ScriptedUi ui;
            test::RecordingHost host;
            EXPECT_EQ(RunOperation({ kind, c.selection }, ui, fs, host), c.outcome) << c.name;
            ASSERT_EQ(ui.messages.size(), 1u) << c.name;
            Message expected = failureMessage(kind);
            expected.lines.emplace_back();
            expected.lines.push_back(c.reason);
            EXPECT_EQ(ui.messages[0].title, expected.title) << c.name;
            EXPECT_EQ(ui.messages[0].lines, expected.lines) << c.name;
            EXPECT_FALSE(host.visible) << "the status is hidden again";
        }
    }
}

} // namespace
} // namespace tessely
