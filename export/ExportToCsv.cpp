#include "ExportToCsv.h"

#include "ContactEntryReader.h"
#include "FieldNames.h"
#include "platform/LineReader.h"
#include "platform/LineWriter.h"
#include "platform/Paths.h"
#include "platform/SharedSource.h"
#include "platform/TemporaryFile.h"
#include "vcard/PrepareOutputFolder.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessely
{
namespace
{

/// True when a spreadsheet would read a cell that starts with `c` as a formula (or turn it into a number).
bool startsFormula(char c)
{
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

using Visit = std::function<void(std::string_view)>;

/// True when a cell holding `text` must be quoted: a double quote, and the tab, CR and LF at which a
/// spreadsheet may be told to split cells or rows, which would let what follows start a cell (and a formula)
/// of its own.
bool needsQuotes(std::string_view text)
{
    // One search for each, which the C library does many bytes at a time: cheaper on the many short cells
    // than any single pass of our own.
    return text.find('"') != std::string_view::npos || text.find('\t') != std::string_view::npos
        || text.find('\r') != std::string_view::npos || text.find('\n') != std::string_view::npos;
}

/// Writes one cell, whose text `cell` hands to a visitor, in one piece or in many. A cell holding a double
/// quote, a tab, CR or LF is quoted, its quotes doubled, so that spreadsheet programs keep the table's shape;
/// a cell that would start a formula gets a leading apostrophe, which spreadsheets show as text and never
/// run. Every other cell is written as it stands. The text is read twice, once to see what it needs and once
/// to write it, so it may be of any length.
template <typename Text> void writeCellFrom(LineWriter& table, const Text& cell)
{
    bool started = false;
    bool guard = false;
    bool quoted = false;
    cell([&](std::string_view text) {
        if (!started && !text.empty()) {
            started = true;
            guard = startsFormula(text.front());
        }
        quoted = quoted || needsQuotes(text);
    });
    if (quoted)
        table.write("\"");
    if (guard)
        table.write("'");
    cell([&](std::string_view text) {
        if (!quoted) {
            table.write(text);
            return;
        }
        for (auto quote = text.find('"'); quote != std::string_view::npos; quote = text.find('"')) {
            table.write(text.substr(0, quote + 1));
            table.write("\"");
            text.remove_prefix(quote + 1);
        }
        table.write(text);
    });
    if (quoted)
        table.write("\"");
}

void writeCell(LineWriter& table, std::string_view text)
{
    // A text held whole is handed on without making a function of it for each cell.
    writeCellFrom(table, [text](const auto& visit) { visit(text); });
}

/// Where the export's rows go: the cells of each row in order, the header first, then one row per contact.
class TableSink
{
public:
    virtual ~TableSink() = default;
    /// Writes the next cell of the row, whose text is held whole (empty for a cell the contact lacks).
    virtual void cell(std::string_view text) = 0;
    /// Writes the next cell of the row, whose text `text` hands to a visitor, in one piece or in many.
    virtual void cell(const std::function<void(const Visit&)>& text) = 0;
    /// Writes the next `count` cells of the row empty, as many calls of `cell` with an empty text would.
    virtual void emptyCells(std::size_t count) = 0;
    virtual void endRow() = 0;
    /// Completes the table with `permissions` and moves it into place; false when the user stopped it first.
    virtual bool complete(Permissions permissions, JobHost& host) = 0;
};

/// The table as CSV, "," between cells and a line per row, under a temporary name until complete.
class CsvSink final : public TableSink
{
public:
    explicit CsvSink(HeldFolder& folder)
        : m_temporary(folder, exportFileName)
        , m_table(m_temporary.sink())
    {
    }
    void cell(std::string_view text) override
    {
        separate();
        writeCell(m_table, text);
    }
    void cell(const std::function<void(const Visit&)>& text) override
    {
        separate();
        writeCellFrom(m_table, text);
    }
    void emptyCells(std::size_t count) override
    {
        // An empty cell is its separator alone: a run of them is a run of commas.
        static const std::string commas(256, ',');
        if (count == 0)
            return;
        count -= m_first ? 1 : 0;
        m_first = false;
        for (std::size_t now = 0; count > 0; count -= now) {
            now = std::min(count, commas.size());
            m_table.write(std::string_view(commas).substr(0, now));
        }
    }
    void endRow() override
    {
        m_table.writeLine({});
        m_first = true;
    }
    bool complete(Permissions permissions, JobHost&) override
    {
        m_temporary.setPermissions(permissions);
        m_table.close();
        m_temporary.moveIntoPlace();
        return true;
    }

private:
    void separate()
    {
        if (!m_first)
            m_table.write(",");
        m_first = false;
    }

    TemporaryFile m_temporary;
    LineWriter m_table;
    bool m_first = true;
};

/// The table as a workbook of text cells.
class WorkbookSink final : public TableSink
{
public:
    WorkbookSink(FileSystem& fs, HeldFolder& folder, std::size_t columns, const WorkbookLimits& limits)
        : m_table(fs, folder, workbookFileName, columns, limits)
    {
    }
    void cell(std::string_view text) override
    {
        m_table.writeCell(text);
    }
    void cell(const std::function<void(const Visit&)>& text) override
    {
        text([this](std::string_view piece) { m_table.addText(piece); });
        m_table.endCell();
    }
    void emptyCells(std::size_t count) override
    {
        m_table.skipCells(count);
    }
    void endRow() override
    {
        m_table.endRow();
    }
    bool complete(Permissions permissions, JobHost& host) override
    {
        return m_table.complete(permissions, [&host] { return host.stopRequested(); });
    }
    std::uint64_t shortenedCells() const
    {
        return m_table.shortenedCells();
    }

private:
    WorkbookTable m_table;
};

/// One contact's cells, one per column, reused from contact to contact: a cell counts as filled only when
/// its stamp equals the current contact's generation, so starting a contact clears nothing. A contact holds
/// at most `limit` bytes of cells; a cell beyond that keeps only the line of its entry and is read again
/// from the file when the row is written.
class ContactRow
{
public:
    ContactRow(std::size_t columns, std::size_t limit)
        : m_cells(columns)
        , m_limit(limit)
    {
    }

    /// Stores the value of the entry on `line` in `column`.
    void set(std::size_t column, const HeldText& value, std::uint64_t line)
    {
        Cell& cell = m_cells[column];
        if (cell.stamp == m_generation)
            m_held -= cell.text.size();
        cell.stamp = m_generation;
        cell.line = line;
        cell.text.clear();
        cell.reread = !hold(value);
        if (!cell.reread) {
            cell.text.assign(value.text);
            m_held += value.text.size();
        }
    }
    /// Appends a continuation to the cell of `column`, which this contact has filled.
    void append(std::size_t column, const HeldText& text)
    {
        Cell& cell = m_cells[column];
        if (cell.reread)
            return;
        if (hold(text)) {
            cell.text.append(text.text);
            m_held += text.text.size();
            return;
        }
        m_held -= cell.text.size();
        std::string().swap(cell.text);
        cell.reread = true;
    }
    /// Writes the cells and ends the row; then starts the next contact.
    void writeTo(TableSink& table, const std::function<void(std::uint64_t, const Visit&)>& reread)
    {
        for (std::size_t column = 0; column < m_cells.size(); ++column) {
            Cell& cell = m_cells[column];
            if (cell.stamp != m_generation) {
                // Most of a wide table's cells are empty: a run of them goes in one call.
                std::size_t end = column + 1;
                while (end < m_cells.size() && m_cells[end].stamp != m_generation)
                    ++end;
                table.emptyCells(end - column);
                column = end - 1;
                continue;
            }
            if (cell.reread) {
                table.cell([&](const Visit& visit) { reread(cell.line, visit); });
            } else {
                table.cell(cell.text);
            }
            // A cell that once held a large value gives its memory back.
            if (cell.text.capacity() > keptCapacity)
                std::string().swap(cell.text);
        }
        table.endRow();
        ++m_generation;
        m_held = 0;
    }

private:
    static constexpr std::size_t keptCapacity = std::size_t { 1 } << 16;

    struct Cell {
        std::string text;
        std::uint64_t line = 0;
        std::uint64_t stamp = 0;
        bool reread = false;
    };

    bool hold(const HeldText& text) const
    {
        return text.held && m_held + text.text.size() <= m_limit;
    }

    std::vector<Cell> m_cells;
    std::size_t m_limit;
    std::size_t m_held = 0;
    std::uint64_t m_generation = 1;
};

/// The export in the given format: `workbookLimits` set for a workbook, unset for the CSV.
JobResult exportTable(FileSystem& fs,
    JobHost& host,
    const std::string& source,
    const ExportLimits& limits,
    const WorkbookLimits* workbookLimits)
{
    JobResult result;
    OutputBesideSource job = openOutputBesideSource(fs, source);
    result.location = workbookLimits ? job.folder->pathOf(workbookFileName) : job.location;

    // The columns must all be known before the header row is written, and a table's worth of cells can be
    // far larger than memory allows, so the source is read twice: once for the field names, then once more
    // to write each contact's row as soon as the contact is complete. Every pass, and every name and cell
    // read again, reads the file opened here, so a file replaced or renamed meanwhile changes nothing.
    SharedSource file(std::move(job.source));
    const KeyedHash::Keys keys = KeyedHash::randomKeys();
    FieldNames names(keys, limits.namesBytes);
    std::uint64_t contacts = 0;
    {
        LineReader lines(file.reader(), limits.readBuffer);
        ContactEntryReader entries(lines, host, limits, keys, false);
        CollectFieldNames(entries, names);
        if (entries.contacts().stopped())
            return { 0, result.location, 0, true };
        contacts = entries.contacts().contacts();
    }

    // Names and cells too long to hold are read once more when they are written.
    std::unique_ptr<LineReader> again;
    const auto reread = [&](bool value, std::uint64_t line, const Visit& visit) {
        if (!again)
            again = std::make_unique<LineReader>(file.reader(), limits.readBuffer);
        (value ? streamValue : streamField)(*again, host, line, visit);
    };

    // The table is written under a temporary name and moved into place when complete, so a failure keeps
    // the earlier table. A table too large for a workbook is refused before anything is written.
    std::unique_ptr<TableSink> sink;
    WorkbookSink* workbook = nullptr;
    if (workbookLimits) {
        WorkbookTable::checkSize(job.folder->pathOf(workbookFileName), names.columns(), contacts + 1, *workbookLimits);
        auto made = std::make_unique<WorkbookSink>(fs, *job.folder, names.columns(), *workbookLimits);
        workbook = made.get();
        sink = std::move(made);
    } else {
        sink = std::make_unique<CsvSink>(*job.folder);
    }
    TableSink& table = *sink;
    for (std::size_t column = 0; column < names.columns(); ++column) {
        // A field's second and later occurrences in a contact have columns of their own: "EMAIL (2)".
        const std::size_t field = names.columnField(column).first;
        const std::size_t occurrence = names.columnField(column).second;
        table.cell([&](const Visit& visit) {
            if (names.held(field))
                visit(names[field]);
            else
                reread(false, names.line(field), visit);
            if (occurrence > 1)
                visit(" (" + std::to_string(occurrence) + ")");
        });
    }
    table.endRow();

    LineReader lines(file.reader(), limits.readBuffer);
    ContactEntryReader entries(lines, host, limits, keys, true);
    ContactRow row(names.columns(), limits.rowBytes);
    Occurrences occurrences;
    constexpr std::ptrdiff_t none = -1;
    std::ptrdiff_t lastColumn = none;
    ContactEvent event;
    while (entries.next(event)) {
        switch (event.kind) {
        case ContactEvent::Kind::Entry: {
            const std::ptrdiff_t field = names.find(event.field);
            lastColumn = field == none
                ? none
                : names.column(static_cast<std::size_t>(field), occurrences.next(static_cast<std::size_t>(field)));
            if (lastColumn != none)
                row.set(static_cast<std::size_t>(lastColumn), event.value, event.line);
            break;
        }
        case ContactEvent::Kind::Continuation:
            if (lastColumn != none)
                row.append(static_cast<std::size_t>(lastColumn), event.value);
            break;
        case ContactEvent::Kind::End:
            row.writeTo(table, [&](std::uint64_t line, const Visit& visit) { reread(true, line, visit); });
            lastColumn = none;
            occurrences.nextContact();
            if (host.stopRequested()) {
                result.stopped = true;
                return result;
            }
            break;
        }
    }
    if (entries.contacts().stopped() || !table.complete(filePermissionsFor(job.permissions), host)) {
        result.stopped = true;
        return result;
    }
    result.count = entries.contacts().contacts();
    result.skippedLines = entries.contacts().skippedLines();
    result.shortenedCells = workbook ? workbook->shortenedCells() : 0;
    return result;
}

} // namespace

JobResult ExportToCsv(FileSystem& fs, JobHost& host, const std::string& source)
{
    return ExportToCsv(fs, host, source, ExportLimits {});
}

JobResult ExportToCsv(FileSystem& fs, JobHost& host, const std::string& source, const ExportLimits& limits)
{
    return exportTable(fs, host, source, limits, nullptr);
}

JobResult ExportToWorkbook(FileSystem& fs,
    JobHost& host,
    const std::string& source,
    const ExportLimits& limits,
    const WorkbookLimits& workbookLimits)
{
    return exportTable(fs, host, source, limits, &workbookLimits);
}

} // namespace tessely
