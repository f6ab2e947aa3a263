#include "WorkbookTable.h"

#include "platform/FileError.h"
#include "platform/Paths.h"
#include "platform/ScratchFolder.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <xlsxwriter.h>

namespace tessely
{
namespace
{

constexpr const char* writeAction = "cannot write workbook";
/// The name of the finished workbook in the scratch folder.
constexpr const char* packageName = "workbook.xlsx";
/// A character that stands for bytes that are not text and for characters no workbook can hold.
constexpr std::string_view replacement = "\xEF\xBF\xBD";
/// Ends a cell that was cut to fit.
constexpr std::string_view ellipsis = "\xE2\x80\xA6";
/// Room beside a header's name for the filter's button, in characters.
constexpr std::size_t filterButtonWidth = 2;
/// Past this size of the sheet's XML the package needs the large-file form of ZIP (ZIP64), which a
/// smaller workbook is written without, as spreadsheet programs expect.
constexpr std::uint64_t zip64Threshold = std::uint64_t { 0xF0000000 };
/// The longest text the library writes into a cell, in characters.
constexpr std::size_t libraryCellLength = 32767;

class WorkbookCategory final : public std::error_category
{
public:
    const char* name() const noexcept override
    {
        return "tessely-workbook";
    }
    std::string message(int code) const override
    {
        switch (static_cast<WorkbookErrc>(code)) {
        case WorkbookErrc::TooManyColumns:
            return "the table has more columns than the 16,384 a workbook holds; export it as CSV instead";
        case WorkbookErrc::TooManyRows:
            return "the table has more rows than the 1,048,576 a workbook holds; export it as CSV instead";
        }
        return "unknown reason";
    }
};

/// The reasons that the workbook library gives, in its own words.
class LibraryCategory final : public std::error_category
{
public:
    const char* name() const noexcept override
    {
        return "xlsxwriter";
    }
    std::string message(int code) const override
    {
        return lxw_strerror(static_cast<lxw_error>(code));
    }
};

const std::error_category& libraryCategory() noexcept
{
    static const LibraryCategory category;
    return category;
}

/// The reason for a failure of the library: the system's, when a file operation failed and left one.
std::error_code reasonFor(lxw_error error, int systemError)
{
    switch (error) {
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
    case LXW_ERROR_READING_TMPFILE:
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_INTERNAL_ERROR:
        if (systemError != 0)
            return { systemError, std::generic_category() };
        break;
    default:
        break;
    }
    return { static_cast<int>(error), libraryCategory() };
}

/// The length of the UTF-8 sequence that `lead` starts, or 0 for a byte that starts none.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

/// True when `second` may follow `lead` in a sequence: this rules out overlong forms, UTF-16 surrogates and
/// code points past U+10FFFF.
bool validSecond(unsigned char lead, unsigned char second)
{
    switch (lead) {
    case 0xE0:
        return second >= 0xA0 && second <= 0xBF;
    case 0xED:
        return second >= 0x80 && second <= 0x9F;
    case 0xF0:
        return second >= 0x90 && second <= 0xBF;
    case 0xF4:
        return second >= 0x80 && second <= 0x8F;
    default:
        return (second & 0xC0) == 0x80;
    }
}

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

/// The number of bytes of printable ASCII (0x20 to 0x7E) that `bytes` starts with, looked at eight at a time
/// while they are all printable: the many long cells of plain text cost an eighth of the steps.
std::size_t printableRun(const unsigned char* bytes, std::size_t size)
{
    constexpr std::uint64_t ones = 0x0101010101010101;
    std::size_t run = 0;
    for (; run + sizeof(std::uint64_t) <= size; run += sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes + run, sizeof word);
        // A byte below 0x20 borrows, one of 0x7F carries into, and one of 0x80 or more has its top bit: each
        // sets a top bit, which no printable byte does.
        if ((((word - 0x20 * ones) | word | (word + ones)) & (0x80 * ones)) != 0)
            break;
    }
    while (run < size && bytes[run] >= 0x20 && bytes[run] < 0x7F)
        ++run;
    return run;
}

std::size_t countCharacters(std::string_view text)
{
    std::size_t characters = 0;
    for (const char c : text)
        characters += isContinuation(static_cast<unsigned char>(c)) ? 0 : 1;
    return characters;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

/// Spreadsheet programs read "_x0041_" in a cell as the character it names ("A"): a cell's own text of
/// that form keeps its underscore as "_x005F_", so that it reads back as written.
bool escapeUnderscores(const std::string& text, std::string& escaped)
{
    const auto first = text.find("_x");
    if (first == std::string::npos)
        return false;
    escaped.assign(text, 0, first);
    for (std::size_t at = first; at < text.size(); ++at) {
        if (text[at] == '_' && at + 6 < text.size() && text[at + 1] == 'x' && isHexDigit(text[at + 2])
            && isHexDigit(text[at + 3]) && isHexDigit(text[at + 4]) && isHexDigit(text[at + 5]) && text[at + 6] == '_')
            escaped.append("_x005F");
        escaped.push_back(text[at]);
    }
    return escaped.size() != text.size();
}

} // namespace

const std::error_category& workbookCategory() noexcept
{
    static const WorkbookCategory category;
    return category;
}

std::error_code make_error_code(WorkbookErrc code) noexcept
{
    return { static_cast<int>(code), workbookCategory() };
}

void WorkbookTable::checkSize(
    const std::string& target, std::size_t columns, std::uint64_t rows, const WorkbookLimits& limits)
{
    if (columns > limits.columns)
        throw FileError(writeAction, target, WorkbookErrc::TooManyColumns);
    if (rows > limits.rows)
        throw FileError(writeAction, target, WorkbookErrc::TooManyRows);
}

WorkbookTable::WorkbookTable(
    FileSystem& fs, HeldFolder& folder, const std::string& name, std::size_t columns, const WorkbookLimits& limits)
    : m_fs(fs)
    , m_target(folder.pathOf(name))
    , m_columns((checkSize(m_target, columns, 0, limits), columns))
    , m_limits(limits)
    , m_temporary(folder, name)
    , m_scratch(std::make_unique<ScratchFolder>())
    , m_widths(columns, filterButtonWidth)
{
    lxw_workbook_options options {};
    // Constant memory: each row goes to the library's work file as soon as the next one starts, its
    // strings inline rather than in a shared table that would grow with the workbook.
    options.constant_memory = LXW_TRUE;
    std::string workFolder = m_scratch->runtimePath();
    options.tmpdir = workFolder.data();
    const std::string package = joinPath(m_scratch->runtimePath(), packageName);
    errno = 0;
    m_workbook = workbook_new_opt(package.c_str(), &options);
    if (m_workbook) {
        m_sheet = workbook_add_worksheet(m_workbook, workbookSheetName);
        m_bold = workbook_add_format(m_workbook);
    }
    if (!m_sheet || !m_bold) {
        const int systemError = errno;
        discardWorkbook();
        throw FileError(writeAction,
            m_target,
            systemError != 0 ? std::error_code(systemError, std::generic_category())
                             : std::make_error_code(std::errc::not_enough_memory));
    }
    format_set_bold(m_bold);
}

WorkbookTable::~WorkbookTable()
{
    discardWorkbook();
}

void WorkbookTable::discardWorkbook() noexcept
{
    if (!m_workbook)
        return;
    // Freeing a workbook leaves its sheet's work file open; closing it removes it (it was made to vanish
    // when closed), so a stopped or failed job leaves nothing behind.
    if (m_sheet && m_sheet->optimize_tmpfile) {
        std::fclose(m_sheet->optimize_tmpfile);
        m_sheet->optimize_tmpfile = nullptr;
        m_sheet->file = nullptr;
    }
    lxw_workbook_free(m_workbook);
    m_workbook = nullptr;
    m_sheet = nullptr;
}

void WorkbookTable::check(int error)
{
    if (error != LXW_NO_ERROR)
        throw FileError(writeAction, m_target, reasonFor(static_cast<lxw_error>(error), 0));
}

void WorkbookTable::addText(std::string_view text)
{
    assert(m_column < m_columns);
    if (m_cellCut)
        return;
    // A character split between two pieces is put together first.
    std::string joined;
    if (!m_pending.empty()) {
        joined = m_pending;
        joined.append(text);
        m_pending.clear();
        text = joined;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t at = 0;
    while (at < size) {
        // Runs of plain ASCII are copied whole.
        const std::size_t room = m_limits.cellLength - m_cellUnits;
        const std::size_t run = at + printableRun(bytes + at, std::min(size - at, room));
        if (run > at) {
            m_cell.append(text.data() + at, run - at);
            m_cellUnits += run - at;
            at = run;
            continue;
        }
        // One character: its bytes as they stand when they are a valid sequence, U+FFFD otherwise.
        const unsigned char lead = bytes[at];
        std::size_t length = sequenceLength(lead);
        std::size_t valid = length;
        for (std::size_t i = 1; i < length && valid == length; ++i) {
            if (at + i >= size) {
                // The rest of the character comes with the next piece.
                m_pending.assign(text.substr(at));
                return;
            }
            if (!(i == 1 ? validSecond(lead, bytes[at + 1]) : isContinuation(bytes[at + i])))
                valid = i;
        }
        std::string_view character = text.substr(at, length);
        if (length == 0 || valid != length || lead == 0
            || (lead == 0xEF && bytes[at + 1] == 0xBF && (bytes[at + 2] == 0xBE || bytes[at + 2] == 0xBF))) {
            // Not text, or a character that no workbook holds (NUL, U+FFFE, U+FFFF): the bytes read so far
            // stand for one U+FFFD.
            character = replacement;
            length = std::max<std::size_t>(valid, 1);
        }
        const std::size_t units = character.size() == 4 ? 2 : 1;
        if (m_cellUnits + units > m_limits.cellLength) {
            // Too long for a cell: cut it so that "…" still fits, never inside a character.
            while (m_cellUnits + 1 > m_limits.cellLength && !m_cell.empty()) {
                std::size_t start = m_cell.size() - 1;
                while (start > 0 && isContinuation(static_cast<unsigned char>(m_cell[start])))
                    --start;
                m_cellUnits -= m_cell.size() - start == 4 ? 2 : 1;
                m_cell.resize(start);
            }
            m_cell.append(ellipsis);
            ++m_cellUnits;
            m_cellCut = true;
            return;
        }
        m_cell.append(character);
        m_cellUnits += units;
        at += length;
    }
}

void WorkbookTable::endCell()
{
    assert(m_column < m_columns);
    if (!m_pending.empty()) {
        // The text ended inside a character.
        m_pending.clear();
        addText(replacement);
    }
    if (!m_cell.empty()) {
        if (m_row >= m_limits.rows)
            throw FileError(writeAction, m_target, WorkbookErrc::TooManyRows);
        const std::string* text = &m_cell;
        if (escapeUnderscores(m_cell, m_escaped)) {
            fitEscaped();
            text = &m_escaped;
        }
        const lxw_error error = worksheet_write_string(m_sheet,
            static_cast<lxw_row_t>(m_row),
            static_cast<lxw_col_t>(m_column),
            text->c_str(),
            m_row == 0 ? m_bold : nullptr);
        check(error);
        // The cell's XML: its reference and tags, and its text with control characters at 7 bytes each.
        m_sheetBytes += 7 * text->size() + 96;
        std::size_t characters = countCharacters(m_cell);
        if (m_row == 0)
            characters += filterButtonWidth;
        m_widths[m_column] = std::max(m_widths[m_column], std::min(characters, workbookMaxColumnWidth));
    }
    if (m_cellCut)
        ++m_shortenedCells;
    m_cell.clear();
    m_cellUnits = 0;
    m_cellCut = false;
    ++m_column;
}

void WorkbookTable::fitEscaped()
{
    // The library counts a cell's length with its escapes, which can take a cell that fits past its limit:
    // such a cell keeps the longest start that fits with its escapes and "…", found by halving.
    if (countCharacters(m_escaped) <= libraryCellLength)
        return;
    const std::string text = m_cellCut ? m_cell.substr(0, m_cell.size() - ellipsis.size()) : m_cell;
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (!isContinuation(static_cast<unsigned char>(text[at])))
            starts.push_back(at);
    }
    starts.push_back(text.size());
    std::string probe;
    const auto fits = [&](std::size_t end) {
        probe.assign(text, 0, end);
        probe.append(ellipsis);
        return countCharacters(escapeUnderscores(probe, m_escaped) ? m_escaped : probe) <= libraryCellLength;
    };
    std::size_t low = 0;
    std::size_t high = starts.size() - 1;
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (fits(starts[middle]))
            low = middle;
        else
            high = middle - 1;
    }
    m_cell.assign(text, 0, starts[low]);
    m_cell.append(ellipsis);
    m_cellCut = true;
    if (!escapeUnderscores(m_cell, m_escaped))
        m_escaped = m_cell;
}

void WorkbookTable::skipCells(std::size_t count)
{
    // An empty cell writes nothing: only the column moves on.
    assert(m_cell.empty() && m_pending.empty() && m_column + count <= m_columns);
    m_column += count;
}

void WorkbookTable::endRow()
{
    assert(m_cell.empty() && m_pending.empty());
    if (m_row >= m_limits.rows)
        throw FileError(writeAction, m_target, WorkbookErrc::TooManyRows);
    ++m_row;
    m_column = 0;
    m_sheetBytes += 32;
}

bool WorkbookTable::complete(Permissions permissions, const std::function<bool()>& stopRequested)
{
    assert(m_column == 0 && m_workbook);
    for (std::size_t column = 0; column < m_columns; ++column) {
        // The library writes the columns' widths when it assembles the sheet, so they may be set last, once
        // every value has been seen.
        const auto width = static_cast<double>(m_widths[column]);
        const auto at = static_cast<lxw_col_t>(column);
        check(worksheet_set_column(m_sheet, at, at, width, nullptr));
    }
    worksheet_freeze_panes(m_sheet, 1, 0);
    if (m_columns > 0) {
        const lxw_row_t lastRow = m_row > 0 ? static_cast<lxw_row_t>(m_row - 1) : 0;
        check(worksheet_autofilter(m_sheet, 0, 0, lastRow, static_cast<lxw_col_t>(m_columns - 1)));
    }
    m_workbook->options.use_zip64 = m_sheetBytes > zip64Threshold ? LXW_TRUE : LXW_FALSE;

    // The library closes the sheet's work file when it copies the rows into the sheet, which it skips for
    // a sheet without rows and never reaches when it cannot create the workbook: those cases are closed
    // here, or the file would stay open, and on disk, as long as the process runs.
    std::FILE* work = m_sheet->optimize_tmpfile;
    if (m_sheet->dim_rowmin == LXW_ROW_MAX) {
        std::fclose(work);
        m_sheet->optimize_tmpfile = nullptr;
        m_sheet->file = nullptr;
        work = nullptr;
    }
    errno = 0;
    const lxw_error error = workbook_close(m_workbook);
    const int systemError = errno;
    // Closing frees the workbook whatever its outcome.
    m_workbook = nullptr;
    m_sheet = nullptr;
    if (error == LXW_ERROR_CREATING_XLSX_FILE && work)
        std::fclose(work);
    if (error != LXW_NO_ERROR)
        throw FileError(writeAction, m_target, reasonFor(error, systemError));

    // The finished workbook is copied into the temporary file beside the target; a failure on either side
    // is reported under the target's name, the file the user knows.
    try {
        auto package = m_fs.openRead(joinPath(m_scratch->path(), packageName));
        std::vector<char> buffer(std::size_t { 1 } << 18);
        while (const std::size_t size = package->read(buffer.data(), buffer.size())) {
            if (stopRequested())
                return false;
            m_temporary.sink().write(buffer.data(), size);
        }
        m_temporary.setPermissions(permissions);
        m_temporary.sink().close();
        m_temporary.moveIntoPlace();
    } catch (const FileError& error) {
        throw FileError(error.action(), m_target, error.code());
    }
    return true;
}

} // namespace tessely
