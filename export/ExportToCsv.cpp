#include "ExportToCsv.h"

#include "ContactEntryReader.h"
#include "FieldNames.h"
#include "platform/LineReader.h"
#include "platform/LineWriter.h"
#include "platform/Paths.h"
#include "platform/TemporaryFile.h"
#include "split/PrepareOutputFolder.h"

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

/// Writes one cell. A cell holding a double quote is quoted with its quotes doubled, so that spreadsheet
/// programs keep the table's shape; a cell that would start a formula gets a leading apostrophe, which
/// spreadsheets show as text and never run. Every other cell is written as it stands.
void writeCell(LineWriter& table, std::string_view cell)
{
    const bool guard = !cell.empty() && startsFormula(cell.front());
    auto quote = cell.find('"');
    if (quote == std::string_view::npos) {
        if (guard)
            table.write("'");
        table.write(cell);
        return;
    }
    table.write(guard ? "\"'" : "\"");
    for (; quote != std::string_view::npos; quote = cell.find('"')) {
        table.write(cell.substr(0, quote + 1));
        table.write("\"");
        cell.remove_prefix(quote + 1);
    }
    table.write(cell);
    table.write("\"");
}

/// One contact's cells, one per column, reused from contact to contact: a cell counts as filled only when
/// its stamp equals the current contact's generation, so starting a contact clears nothing.
class ContactRow
{
public:
    explicit ContactRow(std::size_t columns)
        : m_cells(columns)
        , m_stamps(columns, 0)
    {
    }

    /// Stores `value` in `column`, replacing what an earlier entry of this contact stored there.
    void set(std::size_t column, std::string_view value)
    {
        m_cells[column].assign(value.data(), value.size());
        m_stamps[column] = m_generation;
    }
    /// Appends `text` to the cell of `column`, which this contact has filled.
    void append(std::size_t column, std::string_view text)
    {
        m_cells[column].append(text.data(), text.size());
    }
    /// Writes the cells, "," between them, and the row's end; then starts the next contact.
    void writeTo(LineWriter& table)
    {
        for (std::size_t column = 0; column < m_cells.size(); ++column) {
            if (column > 0)
                table.write(",");
            if (m_stamps[column] == m_generation)
                writeCell(table, m_cells[column]);
        }
        table.writeLine({});
        ++m_generation;
    }

private:
    std::vector<std::string> m_cells;
    std::vector<std::uint64_t> m_stamps;
    std::uint64_t m_generation = 1;
};

} // namespace

JobResult ExportToCsv(FileSystem& fs, JobHost& host, const std::string& source)
{
    JobResult result;
    auto input = fs.openRead(source);
    const Permissions permissions = input->permissions();
    result.location = PrepareOutputFolder(fs, source, permissions);
    const auto lock = fs.lockFolder(result.location);

    // The columns must all be known before the header row is written, and a table's worth of cells can be
    // far larger than memory allows, so the source is read twice: once for the field names, then once more
    // to write each contact's row as soon as the contact is complete.
    FieldNames names;
    {
        LineReader reader(std::move(input));
        ContactEntryReader entries(reader);
        CollectFieldNames(entries, names);
    }

    // The table is written under a temporary name and moved into place when complete, so a failure keeps
    // the earlier table.
    TemporaryFile temporary(fs, joinPath(result.location, exportFileName));
    LineWriter table(temporary.sink());
    for (std::size_t column = 0; column < names.size(); ++column) {
        if (column > 0)
            table.write(",");
        writeCell(table, names[column]);
    }
    table.writeLine({});

    LineReader reader(fs.openRead(source));
    ContactEntryReader entries(reader);
    ContactRow row(names.size());
    constexpr std::ptrdiff_t none = -1;
    std::ptrdiff_t lastColumn = none;
    ContactEvent event;
    while (entries.next(event)) {
        switch (event.kind) {
        case ContactEvent::Kind::Entry:
            lastColumn = FindFieldIndex(event.field, names);
            if (lastColumn != none)
                row.set(static_cast<std::size_t>(lastColumn), event.value);
            break;
        case ContactEvent::Kind::Continuation:
            if (lastColumn != none)
                row.append(static_cast<std::size_t>(lastColumn), event.value);
            break;
        case ContactEvent::Kind::End:
            row.writeTo(table);
            lastColumn = none;
            if (host.stopRequested()) {
                result.stopped = true;
                return result;
            }
            break;
        }
    }
    temporary.setPermissions(filePermissionsFor(permissions));
    table.close();
    temporary.moveIntoPlace();
    result.count = entries.contacts();
    result.skippedLines = entries.skippedLines();
    return result;
}

} // namespace tessely
