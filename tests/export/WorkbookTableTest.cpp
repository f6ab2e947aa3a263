#include "export/WorkbookTable.h"

#include "platform/FileError.h"
#include "platform/Paths.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/System.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tessely
{
namespace
{

using Rows = std::vector<std::vector<std::string>>;

/// The system's temporary folder moved to a folder of the test's own while it lives, so that the test sees
/// whatever the writer leaves there.
class TemporaryFolderMoved
{
public:
    TemporaryFolderMoved()
    {
        set(m_folder.path());
    }
    ~TemporaryFolderMoved()
    {
        set(m_earlier);
    }
    const std::string& path() const
    {
        return m_folder.path();
    }

private:
    void set(const std::string& path)
    {
#ifdef _WIN32
        ::SetEnvironmentVariableA("TMP", path.empty() ? nullptr : path.c_str());
        ::SetEnvironmentVariableA("TEMP", path.empty() ? nullptr : path.c_str());
#else
        if (path.empty())
            ::unsetenv("TMPDIR");
        else
            ::setenv("TMPDIR", path.c_str(), 1);
#endif
    }

    std::string m_earlier = earlierValue();
    test::TempFolder m_folder;

    static std::string earlierValue()
    {
#ifdef _WIN32
        const char* value = std::getenv("TMP");
#else
        const char* value = std::getenv("TMPDIR");
#endif
        return value ? value : "";
    }
};

/// The folder of a workbook's path held, as a job holds its output folder, for a writer to write into.
struct HeldTarget {
    HeldTarget(FileSystem& fs, const std::string& target)
        : folder(fs.lockFolder(GetParentFolderName(target)))
        , name(GetFileName(target))
    {
    }
    std::unique_ptr<HeldFolder> folder;
    std::string name;
};

/// `text` as a JSON string; the text is UTF-8 and stays so.
std::string jsonString(std::string_view text)
{
    std::string json = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string expectationJson(const Rows& rows, const std::vector<std::size_t>& widths)
{
    std::string json = "{\"rows\": [";
    for (std::size_t r = 0; r < rows.size(); ++r) {
        json += r ? ", [" : "[";
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            json += (c ? ", " : "") + jsonString(rows[r][c]);
        json += "]";
    }
    json += "], \"widths\": [";
    for (std::size_t c = 0; c < widths.size(); ++c)
        json += (c ? ", " : "") + std::to_string(widths[c]);
    return json + "]}";
}

/// Has an independent reader, openpyxl, read `workbook` back and compare it with `rows` (and each column's
/// width, when given): every cell text, the values, the bold and frozen header, the filter. Under Wine the
/// workbook is left, with what is expected of it, for the reader on Linux that runs after the tests.
void expectReadsBack(const std::string& workbook, const Rows& rows, const std::vector<std::size_t>& widths = {})
{
    static int count = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(info->name()) + "-" + std::to_string(++count);
    const std::string json = expectationJson(rows, widths);
    if (const char* checks = std::getenv("TESSELY_WORKBOOK_CHECKS")) {
        const std::filesystem::path folder = test::systemPath(checks);
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(
            test::systemPath(workbook), folder / (name + ".xlsx"), std::filesystem::copy_options::overwrite_existing);
        std::ofstream(folder / (name + ".json"), std::ios::binary) << json;
        return;
    }
#ifdef TESSELY_WORKBOOK_PYTHON
    test::TempFolder expectations;
    const std::string expected = expectations.write("expected.json", json);
    const std::string command = std::string("'") + TESSELY_WORKBOOK_PYTHON + "' '" + TESSELY_WORKBOOK_CHECKER + "' '"
        + workbook + "' '" + expected + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << "the workbook does not read back as expected: " << name;
#else
    ADD_FAILURE() << "no reader for workbooks: set TESSELY_WORKBOOK_CHECKS to a folder to leave them in";
#endif
}

/// Writes `rows` (the first one the header) as the workbook `target`, each cell whole; gives the number of
/// cells that were shortened.
std::uint64_t writeRows(FileSystem& fs, const std::string& target, const Rows& rows, const WorkbookLimits& limits = {})
{
    HeldTarget held(fs, target);
    WorkbookTable table(fs, *held.folder, held.name, rows.empty() ? 0 : rows.front().size(), limits);
    for (const auto& row : rows) {
        // Runs of empty cells are skipped, as the export skips them.
        for (std::size_t column = 0; column < row.size(); ++column) {
            std::size_t empty = 0;
            while (column + empty < row.size() && row[column + empty].empty())
                ++empty;
            if (empty > 0)
                table.skipCells(empty);
            column += empty;
            if (column < row.size())
                table.writeCell(row[column]);
        }
        table.endRow();
    }
    EXPECT_TRUE(table.complete(0644, [] { return false; }));
    return table.shortenedCells();
}

std::uint64_t writeRows(const std::string& target, const Rows& rows, const WorkbookLimits& limits = {})
{
    return writeRows(localFileSystem(), target, rows, limits);
}

/// A cell given in pieces, and the text it reads back as.
struct PieceCase {
    std::vector<std::string> pieces;
    std::string expected;
};

/// Writes a one-column workbook: a header, then one row for each case's cell, given in its pieces. Gives the
/// rows it should read back as and the number of cells shortened.
std::pair<Rows, std::uint64_t> writePieces(
    const std::string& workbook, const std::vector<PieceCase>& cases, const WorkbookLimits& limits = {})
{
    Rows expected = { { "value" } };
    HeldTarget held(localFileSystem(), workbook);
    WorkbookTable table(localFileSystem(), *held.folder, held.name, 1, limits);
    table.writeCell("value");
    table.endRow();
    for (const auto& test : cases) {
        for (const auto& piece : test.pieces)
            table.addText(piece);
        table.endCell();
        table.endRow();
        expected.push_back({ test.expected });
    }
    EXPECT_TRUE(table.complete(0644, [] { return false; }));
    return { expected, table.shortenedCells() };
}

TEST(WorkbookTable, EveryValueStaysTextAsWritten)
{
    // What spreadsheets turn into numbers, dates, booleans or formulas when they read a CSV, and text that
    // a workbook's XML must carry with care.
    const Rows rows = {
        { "TEL;CELL", "NOTE", "N" },
        { "01701234567", "1/2", "1E5" },
        { "01234", "3.0", "TRUE" },
        { "=SUM(A1:A2)", "+1 555 0100", "-5" },
        { "@home", "2019-04-01", "20190401T120000Z" },
        { "Иван Петров", "王小明", "Zoë 😀" },
        { "  two spaces around  ", "line one\nline two", "tab\there" },
        { "<b>&amp;</b> \"quoted\" 'single'", "carriage\rreturn", "bell\x07" },
        { "_x0041_ stays as written", "_x005F_", "a_x12_b" },
        { "", "middle empty on the left", "" },
        { "", "", "two empty on the left" },
        { "sixteen printable\x01 then a control", "0123456789abcdef~\x7F DEL", "eight by\xC3\xA9 then more" },
        { "short row" },
    };
    test::TempFolder dir;
    const std::string workbook = dir.file(workbookFileName);
    EXPECT_EQ(writeRows(workbook, rows), 0u);
    expectReadsBack(workbook, rows);
}

TEST(WorkbookTable, TextThatIsNotUtf8IsMended)
{
    // Each cell comes in the pieces given; what it reads back as.
    const std::string mark = "\xEF\xBF\xBD";
    const std::vector<PieceCase> cases = {
        { { "Caf\xE9" }, "Caf" + mark },
        { { "\xFF\xFEx" }, mark + mark + "x" },
        { { "a\xE2\x82" }, "a" + mark },
        { { "\xC0\xAF" }, mark + mark },
        { { "\xED\xA0\x80z" }, mark + mark + mark + "z" },
        { { "nul", std::string(1, '\0'), "byte" }, "nul" + mark + "byte" },
        { { "not a character: \xEF\xBF\xBE" }, "not a character: " + mark },
        { { "\xD0", "\x98\xD0\xB2\xD0", "\xB0\xD0\xBD" }, "Иван" },
        { { "\xF0", "\x9F", "\x98", "\x80!" }, "😀!" },
        { { "ends inside \xF0\x9F" }, "ends inside " + mark },
        // Past eight and sixteen printable bytes.
        { { "sixteen printable\xFF, then", std::string("eight by") + '\0' + "te and more" },
            "sixteen printable" + mark + ", theneight by" + mark + "te and more" },
    };
    test::TempFolder dir;
    const std::string workbook = dir.file(workbookFileName);
    const auto [expected, shortened] = writePieces(workbook, cases);
    EXPECT_EQ(shortened, 0u);
    expectReadsBack(workbook, expected);
}

TEST(WorkbookTable, CellsTooLongAreCutToFitWithAnEllipsis)
{
    // Cells of at most five UTF-16 code units; a character outside the basic plane takes two.
    const std::vector<PieceCase> cases = {
        { { "abcde" }, "abcde" },
        { { "abcdef" }, "abcd…" },
        { { "abc", "def", "ghi" }, "abcd…" },
        { { "abc😀" }, "abc😀" },
        { { "abcd😀" }, "abcd…" },
        { { "ab😀cd" }, "ab😀…" },
        { { "😀😀😀" }, "😀😀…" },
        { { "ИванПетров" }, "Иван…" },
    };
    WorkbookLimits limits;
    limits.cellLength = 5;
    test::TempFolder dir;
    const std::string workbook = dir.file(workbookFileName);
    const auto [expected, shortened] = writePieces(workbook, cases, limits);
    std::uint64_t cut = 0;
    for (const auto& test : cases)
        cut += test.expected != test.pieces.front() ? 1 : 0;
    EXPECT_EQ(shortened, cut);
    expectReadsBack(workbook, expected);
}

TEST(WorkbookTable, CellsFitTheRealLimit)
{
    // A photo's base64 text is far longer than a cell holds; text whose underscores must be kept takes more
    // room in the file than it shows.
    const std::string exact(32767, 'a');
    const std::string photo(100000, 'Q');
    std::string escapes;
    while (escapes.size() < 40000)
        escapes += "_x0041_";
    test::TempFolder dir;
    const std::string workbook = dir.file(workbookFileName);
    EXPECT_EQ(writeRows(workbook, { { "PHOTO", "NOTE", "X" }, { photo, exact, escapes } }), 2u);
    // Written, each "_x0041_" takes 13 characters: 2,520 of them and "_x0041" fill 32,766, and "…" the last.
    expectReadsBack(workbook,
        { { "PHOTO", "NOTE", "X" }, { std::string(32766, 'Q') + "…", exact, escapes.substr(0, 2520 * 7 + 6) + "…" } });
}

TEST(WorkbookTable, HeaderIsBoldAndFrozenWithAFilterAndColumnsFitTheirValues)
{
    // Widths count characters, not bytes; a header's name leaves room for the filter's button beside it;
    // no column is wider than 60 characters, nor one without any text narrower than the button.
    const Rows rows = {
        { "N", "NOTE", "A HEADER LONGER THAN ITS VALUES", "" },
        { "Иван Петров", std::string(100, 'x'), "short" },
        { "Ann", "", "", "" },
        { "王小明" },
    };
    test::TempFolder dir;
    const std::string workbook = dir.file(workbookFileName);
    writeRows(workbook, rows);
    expectReadsBack(workbook, rows, { 11, 60, 33, 2 });
}

TEST(WorkbookTable, TableWithoutRowsIsStillAWorkbook)
{
    test::TempFolder dir;
    const std::string workbook = dir.file(workbookFileName);
    writeRows(workbook, { { "FN", "TEL" } });
    expectReadsBack(workbook, { { "FN", "TEL" } });
}

/// Writes rows into a folder that holds an earlier workbook, then checks that the earlier one is all that is
/// left there, unchanged, and that nothing is left in the system's temporary folder either.
class EarlierWorkbook : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_workbook = m_dir.write(workbookFileName, "earlier");
    }
    void expectOnlyTheEarlierWorkbook()
    {
        EXPECT_EQ(test::listFolder(m_dir.path()), std::vector<std::string> { workbookFileName });
        EXPECT_EQ(test::readFile(m_workbook), "earlier");
        EXPECT_EQ(test::listFolder(m_temporary.path()), std::vector<std::string> {});
    }

    test::TempFolder m_dir;
    TemporaryFolderMoved m_temporary;
    std::string m_workbook;
};

TEST_F(EarlierWorkbook, TooManyColumnsAreRefusedBeforeAnythingIsWritten)
{
    for (const std::size_t limit : { std::size_t { 3 }, WorkbookLimits().columns }) {
        WorkbookLimits limits;
        limits.columns = limit;
        try {
            HeldTarget held(localFileSystem(), m_workbook);
            WorkbookTable table(localFileSystem(), *held.folder, held.name, limit + 1, limits);
            ADD_FAILURE() << "a table of " << limit + 1 << " columns was taken";
        } catch (const FileError& error) {
            EXPECT_EQ(error.code(), WorkbookErrc::TooManyColumns);
            EXPECT_EQ(error.path(), m_workbook);
            EXPECT_NE(std::string(error.what()).find("16,384"), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find("CSV"), std::string::npos) << error.what();
        }
        expectOnlyTheEarlierWorkbook();
    }
    WorkbookLimits limits;
    limits.columns = 3;
    HeldTarget held(localFileSystem(), m_workbook);
    WorkbookTable fits(localFileSystem(), *held.folder, held.name, 3, limits);
}

TEST(WorkbookTable, SizeIsCheckedBeforeWriting)
{
    const struct {
        std::size_t columns;
        std::uint64_t rows;
        std::error_code expected;
    } cases[] = {
        { 16384, 1048576, {} },
        { 16385, 1, WorkbookErrc::TooManyColumns },
        { 1, 1048577, WorkbookErrc::TooManyRows },
    };
    for (const auto& test : cases) {
        std::error_code got;
        try {
            WorkbookTable::checkSize("Contacts_Export.xlsx", test.columns, test.rows);
        } catch (const FileError& error) {
            got = error.code();
        }
        EXPECT_EQ(got, test.expected) << test.columns << " columns, " << test.rows << " rows";
    }
}

TEST_F(EarlierWorkbook, TooManyRowsFailAndLeaveNothingBehind)
{
    // Three rows fit, the header included: a fourth fails whether it has text or not.
    for (const bool empty : { false, true }) {
        WorkbookLimits limits;
        limits.rows = 3;
        try {
            HeldTarget held(localFileSystem(), m_workbook);
            WorkbookTable table(localFileSystem(), *held.folder, held.name, 2, limits);
            for (int row = 0; row < 4; ++row) {
                table.writeCell(empty && row == 3 ? "" : "text");
                table.writeCell("");
                table.endRow();
            }
            ADD_FAILURE() << "four rows were taken";
        } catch (const FileError& error) {
            EXPECT_EQ(error.code(), WorkbookErrc::TooManyRows);
            EXPECT_EQ(error.path(), m_workbook);
            EXPECT_NE(std::string(error.what()).find("1,048,576"), std::string::npos) << error.what();
        }
        expectOnlyTheEarlierWorkbook();
    }
}

TEST_F(EarlierWorkbook, StopWhileCopyingKeepsTheEarlierWorkbook)
{
    {
        HeldTarget held(localFileSystem(), m_workbook);
        WorkbookTable table(localFileSystem(), *held.folder, held.name, 1);
        table.writeCell("FN");
        table.endRow();
        EXPECT_FALSE(table.complete(0644, [] { return true; }));
    }
    expectOnlyTheEarlierWorkbook();
}

TEST_F(EarlierWorkbook, AbandonedWorkbookLeavesNothingBehind)
{
    {
        HeldTarget held(localFileSystem(), m_workbook);
        WorkbookTable table(localFileSystem(), *held.folder, held.name, 2);
        for (int row = 0; row < 1000; ++row) {
            table.writeCell("a value");
            table.writeCell("another");
            table.endRow();
        }
        // The library's work files lie in one folder of the system's temporary folder, which nobody else
        // may enter.
        const auto work = test::listFolder(m_temporary.path());
        ASSERT_EQ(work.size(), 1u);
#ifndef _WIN32
        const auto permissions = std::filesystem::status(m_temporary.path() + "/" + work.front()).permissions();
        EXPECT_EQ(permissions, std::filesystem::perms::owner_all);
#endif
    }
    expectOnlyTheEarlierWorkbook();
}

TEST_F(EarlierWorkbook, FailuresNameTheWorkbookAndKeepTheEarlierOne)
{
    // The copy of the finished workbook into its folder, reading or writing, closing or moving it, fails.
    for (const test::FileOp op :
        { test::FileOp::Open, test::FileOp::Read, test::FileOp::Write, test::FileOp::Close, test::FileOp::Move }) {
        test::FaultyFileSystem fs;
        fs.failAt(op, 1);
        try {
            writeRows(fs, m_workbook, { { "FN" }, { "Ann" } });
            ADD_FAILURE() << "no failure to " << test::fileOpName(op);
        } catch (const FileError& error) {
            EXPECT_EQ(error.path(), m_workbook) << test::fileOpName(op);
            EXPECT_EQ(error.code().value(), fs.faultErrno()) << test::fileOpName(op);
        }
        EXPECT_TRUE(fs.faulted()) << test::fileOpName(op);
        EXPECT_EQ(fs.openFiles(), 0) << test::fileOpName(op);
        expectOnlyTheEarlierWorkbook();
    }
}

TEST_F(EarlierWorkbook, CompleteWorkbookReplacesTheEarlierOne)
{
    writeRows(m_workbook, { { "FN" }, { "Ann" } });
    EXPECT_EQ(test::listFolder(m_dir.path()), std::vector<std::string> { workbookFileName });
    EXPECT_EQ(test::listFolder(m_temporary.path()), std::vector<std::string> {});
    expectReadsBack(m_workbook, { { "FN" }, { "Ann" } });
}

} // namespace
} // namespace tessely
