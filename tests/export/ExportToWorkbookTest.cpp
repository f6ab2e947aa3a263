#include "export/ExportToCsv.h"
#include "platform/FileError.h"
#include "platform/Paths.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/System.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tessely
{
namespace
{

/// `count` contacts, each with a name and a note of `noteLength` characters.
std::string contacts(int count, std::size_t noteLength = 4)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += "BEGIN:VCARD\r\nFN:Person " + std::to_string(i) + "\r\nNOTE:" + std::string(noteLength, 'n')
            + "\r\nEND:VCARD\r\n";
    return text;
}

TEST(ExportToWorkbook, TablesBeyondAWorkbookFailBeforeAnythingIsWritten)
{
    // Three contacts make four rows of two columns, the header included.
    const struct {
        std::size_t columns;
        std::uint64_t rows;
        std::error_code expected;
    } cases[] = {
        { 2, 4, {} },
        { 1, 4, WorkbookErrc::TooManyColumns },
        { 2, 3, WorkbookErrc::TooManyRows },
    };
    for (const auto& c : cases) {
        test::TempFolder dir;
        const std::string source = dir.write("all.vcf", contacts(3));
        std::filesystem::create_directory(test::systemPath(dir.file("Split-vCards")));
        dir.write("Split-vCards/Contacts_Export.xlsx", "earlier");
        WorkbookLimits limits;
        limits.columns = c.columns;
        limits.rows = c.rows;
        test::RecordingHost host;
        std::error_code got;
        try {
            const JobResult result = ExportToWorkbook(localFileSystem(), host, source, {}, limits);
            EXPECT_EQ(result.count, 3u);
            EXPECT_EQ(result.location, dir.file("Split-vCards") + pathSeparator + "Contacts_Export.xlsx");
        } catch (const FileError& error) {
            got = error.code();
            EXPECT_EQ(error.path(), dir.file("Split-vCards") + pathSeparator + "Contacts_Export.xlsx");
            EXPECT_EQ(test::readFile(dir.file("Split-vCards/Contacts_Export.xlsx")), "earlier");
        }
        EXPECT_EQ(got, c.expected) << c.columns << " columns, " << c.rows << " rows";
        EXPECT_EQ(test::listFolder(dir.file("Split-vCards")), std::vector<std::string> { "Contacts_Export.xlsx" })
            << "no temporary is left";
    }
}

TEST(ExportToWorkbook, CountsTheCellsItShortens)
{
    const struct {
        int contacts;
        std::size_t noteLength;
        std::uint64_t shortened;
    } cases[] = {
        { 2, 10, 0 },
        { 2, 11, 2 },
        { 3, 40, 3 },
    };
    for (const auto& c : cases) {
        test::TempFolder dir;
        const std::string source = dir.write("all.vcf", contacts(c.contacts, c.noteLength));
        WorkbookLimits limits;
        limits.cellLength = 10;
        test::RecordingHost host;
        const JobResult result = ExportToWorkbook(localFileSystem(), host, source, {}, limits);
        EXPECT_EQ(result.count, static_cast<std::uint64_t>(c.contacts));
        EXPECT_EQ(result.shortenedCells, c.shortened) << c.noteLength << " characters";
    }
}

TEST(ExportToWorkbook, AStopLeavesNoWorkbook)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", contacts(50));
    test::RecordingHost host;
    host.stopNow = true;
    const JobResult result = ExportToWorkbook(localFileSystem(), host, source);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(test::listFolder(dir.file("Split-vCards")), std::vector<std::string> {});
}

} // namespace
} // namespace tessely
