#ifndef TESSELY_EXPORT_WORKBOOKTABLE_H
#define TESSELY_EXPORT_WORKBOOKTABLE_H

#include "platform/FileSystem.h"
#include "platform/TemporaryFile.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace tessely
{

class ScratchFolder;

/// The name of the workbook in the output folder.
inline constexpr const char* workbookFileName = "Contacts_Export.xlsx";
/// The name of the workbook's one sheet.
inline constexpr const char* workbookSheetName = "Contacts";

/// What one sheet of a workbook holds at most. Tests make them small to reach them quickly.
struct WorkbookLimits {
    std::size_t columns = 16384;
    /// Rows, the header row included.
    std::uint64_t rows = 1048576;
    /// Characters in one cell, counted as spreadsheets count them: in UTF-16 code units.
    std::size_t cellLength = 32767;
};

/// The widest a column is made, in characters: wider values are still whole in their cells.
inline constexpr std::size_t workbookMaxColumnWidth = 60;

/// Why a table does not fit in a workbook.
enum class WorkbookErrc {
    TooManyColumns = 1,
    TooManyRows,
};

/// The category of WorkbookErrc: "a workbook holds at most 16,384 columns; ...".
const std::error_category& workbookCategory() noexcept;
std::error_code make_error_code(WorkbookErrc code) noexcept;

/// Writes a table as an Excel workbook: one sheet, "Contacts", with the header row in bold and frozen, an
/// autofilter over the whole table, and each column as wide as its longest value (at most 60 characters; a
/// header's name counts two more, for the filter's button beside it).
/// Every cell is text, written as given (UTF-8), never read as a number, a date or a formula. Cells are
/// given row by row, from the header down, each row from its first column; only the current row is held
/// in memory, so a table of any length takes the same memory.
///
/// The workbook goes to a temporary file in the held folder, beside its name, that is moved over the name
/// when complete; until then, and if the job fails or stops, nothing of it is left: destroying the writer
/// before `complete()` removes every file it made. The library that assembles the workbook writes by file
/// name, so it works in a folder of the process's own in the system's temporary folder, which only this
/// user may enter, and the finished workbook is copied from there into the temporary file.
class WorkbookTable
{
public:
    /// Throws the FileError that a table of `columns` columns and `rows` rows (the header included) meets
    /// in a workbook, if any: the export can call it as soon as it has counted them, before writing.
    static void checkSize(
        const std::string& target, std::size_t columns, std::uint64_t rows, const WorkbookLimits& limits = {});

    /// Starts a workbook of `columns` columns to replace the file `name` of `folder`. A table wider than a
    /// workbook holds, or a folder at `name`, is refused at once with FileError, before anything is written.
    WorkbookTable(FileSystem& fs,
        HeldFolder& folder,
        const std::string& name,
        std::size_t columns,
        const WorkbookLimits& limits = {});
    ~WorkbookTable();
    WorkbookTable(const WorkbookTable&) = delete;
    WorkbookTable& operator=(const WorkbookTable&) = delete;

    /// Appends `text` to the current cell; a cell may come in pieces, split anywhere. Bytes that are not
    /// UTF-8 (and characters that no workbook can hold) become U+FFFD. A cell longer than a workbook holds is
    /// cut to fit, ending with "…".
    void addText(std::string_view text);
    /// Ends the current cell; the next text goes to the next column. Throws FileError when the table has
    /// more rows than a workbook holds.
    void endCell();
    /// Writes `text` as the whole of the next cell.
    void writeCell(std::string_view text)
    {
        addText(text);
        endCell();
    }
    /// Leaves the next `count` cells empty, as `writeCell` with an empty text does for each.
    void skipCells(std::size_t count);
    /// Ends the current row; the columns it did not reach stay empty. The first row is the header.
    void endRow();

    /// Assembles the workbook, gives it `permissions` and moves it over the target. `stopRequested` is
    /// asked between blocks of the copy: when it says yes, nothing is kept and false is returned. Throws
    /// FileError, naming the target, when the workbook cannot be written.
    bool complete(Permissions permissions, const std::function<bool()>& stopRequested);

    /// The number of cells cut to fit so far.
    std::uint64_t shortenedCells() const
    {
        return m_shortenedCells;
    }

private:
    void check(int error);
    void fitEscaped();
    void discardWorkbook() noexcept;

    FileSystem& m_fs;
    std::string m_target;
    std::size_t m_columns;
    WorkbookLimits m_limits;
    TemporaryFile m_temporary;
    std::unique_ptr<ScratchFolder> m_scratch;
    lxw_workbook* m_workbook = nullptr;
    lxw_worksheet* m_sheet = nullptr;
    lxw_format* m_bold = nullptr;

    // The current cell: its text made valid, its length in UTF-16 code units, and the bytes of a character
    // split between two pieces.
    std::string m_cell;
    std::size_t m_cellUnits = 0;
    std::string m_pending;
    std::string m_escaped;
    bool m_cellCut = false;
    std::uint64_t m_row = 0;
    std::size_t m_column = 0;
    std::uint64_t m_shortenedCells = 0;
    // The widest value of each column, in characters, and an upper bound of the sheet's XML so far, which
    // decides whether the package needs the large-file form of ZIP.
    std::vector<std::size_t> m_widths;
    std::uint64_t m_sheetBytes = 0;
};

} // namespace tessely

namespace std
{
template <> struct is_error_code_enum<tessely::WorkbookErrc> : true_type {
};
} // namespace std

#endif
