// Writes the rows of a CSV table made by the export into a workbook with the workbook writer, and prints
// how long each phase took: reading the CSV, handing the rows to the writer, and completing the workbook
// (assembling and compressing it, then copying it into place).
// Usage: bench_workbook TABLE.csv FOLDER [--parse-only]
// The workbook goes to FOLDER/Contacts_Export.xlsx; --parse-only reads the table and writes nothing, to
// tell the reading's share apart.

#include "export/WorkbookTable.h"
#include "platform/Paths.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

/// The cells of one row of the export's CSV: a cell is quoted only when it holds a double quote, and a cell
/// that a spreadsheet would take for a formula starts with a guarding apostrophe; both are undone here.
void splitRow(const std::string& line, std::vector<std::string>& cells)
{
    cells.clear();
    std::string cell;
    bool quoted = false;
    bool started = false;
    for (std::size_t at = 0; at < line.size(); ++at) {
        const char c = line[at];
        if (quoted) {
            if (c == '"' && at + 1 < line.size() && line[at + 1] == '"') {
                cell += '"';
                ++at;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"' && !started) {
            quoted = true;
            started = true;
        } else if (c == ',') {
            cells.push_back(cell);
            cell.clear();
            started = false;
        } else {
            cell += c;
            started = true;
        }
    }
    cells.push_back(cell);
    for (auto& text : cells) {
        if (text.size() > 1 && text[0] == '\'' && std::string_view("=+-@\t\r").find(text[1]) != std::string_view::npos)
            text.erase(0, 1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_workbook TABLE.csv FOLDER [--parse-only]\n");
        return 2;
    }
    const bool parseOnly = argc > 3 && std::string(argv[3]) == "--parse-only";
    std::ifstream table(argv[1], std::ios::binary);
    std::string line;
    std::vector<std::string> cells;
    const auto start = Clock::now();
    if (!std::getline(table, line)) {
        std::fprintf(stderr, "empty table\n");
        return 1;
    }
    const auto withoutCr = [](std::string& text) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
    };
    withoutCr(line);
    splitRow(line, cells);
    const std::size_t columns = cells.size();
    std::uint64_t rows = 0;
    std::uint64_t cellCount = 0;
    try {
        std::unique_ptr<tessely::HeldFolder> folder;
        std::unique_ptr<tessely::WorkbookTable> workbook;
        if (!parseOnly) {
            folder = tessely::localFileSystem().lockFolder(argv[2]);
            workbook = std::make_unique<tessely::WorkbookTable>(
                tessely::localFileSystem(), *folder, tessely::workbookFileName, columns);
        }
        do {
            ++rows;
            cellCount += cells.size();
            if (workbook) {
                for (std::size_t column = 0; column < std::min(columns, cells.size()); ++column)
                    workbook->writeCell(cells[column]);
                workbook->endRow();
            }
            if (!std::getline(table, line))
                break;
            withoutCr(line);
            splitRow(line, cells);
        } while (true);
        const auto rowsDone = Clock::now();
        std::uint64_t shortened = 0;
        if (workbook) {
            workbook->complete(0644, [] { return false; });
            shortened = workbook->shortenedCells();
        }
        const auto done = Clock::now();
        std::printf("rows %llu cells %llu shortened %llu rows_s %.3f complete_s %.3f\n",
            static_cast<unsigned long long>(rows),
            static_cast<unsigned long long>(cellCount),
            static_cast<unsigned long long>(shortened),
            seconds(start, rowsDone),
            seconds(rowsDone, done));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
