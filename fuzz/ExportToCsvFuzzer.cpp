// The CSV export on a real folder: the table has one row per contact counted and a header, each ended by
// CR LF, and under the quoting rule (a cell holding a double quote is quoted, its quotes doubled) every row
// has as many cells as the header. The input stays as it was.
#include "FuzzSupport.h"
#include "export/ExportToCsv.h"
#include "platform/Paths.h"

using namespace tessely;
using namespace tessely::fuzz;

namespace
{

/// The cells of one row; -1 when the row breaks the quoting rule.
long cellCount(std::string_view row)
{
    long cells = 1;
    std::size_t i = 0;
    for (;;) {
        if (i < row.size() && row[i] == '"') {
            // A quoted cell runs to a quote that is not doubled and must end there.
            ++i;
            for (;;) {
                if (i >= row.size())
                    return -1;
                if (row[i] == '"') {
                    if (i + 1 < row.size() && row[i + 1] == '"') {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            if (i < row.size() && row[i] != ',')
                return -1;
        } else {
            while (i < row.size() && row[i] != ',') {
                if (row[i] == '"')
                    return -1; // a quote in a cell that is not quoted
                ++i;
            }
        }
        if (i == row.size())
            return cells;
        ++i; // the comma
        ++cells;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 16384)
        return 0;
    static const fuzz::ScratchFolder folder;
    folder.clear();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string source = folder.write("input.vcf", text);

    QuietHost host;
    const JobResult result = ExportToCsv(localFileSystem(), host, source);
    FUZZ_CHECK(result.location == joinPath(folder.path(), "Split-vCards"));
    const std::string table = readWhole(result.location + "/Contacts_Export.csv");
    FUZZ_CHECK(table.size() >= 2 && table.compare(table.size() - 2, 2, "\r\n") == 0);

    std::vector<std::string_view> rows;
    for (std::string_view rest = table; !rest.empty();) {
        const auto end = rest.find("\r\n");
        FUZZ_CHECK(end != std::string_view::npos);
        rows.push_back(rest.substr(0, end));
        rest.remove_prefix(end + 2);
    }
    FUZZ_CHECK(rows.size() == result.count + 1);
    const long header = cellCount(rows[0]);
    FUZZ_CHECK(header >= 1);
    for (const std::string_view row : rows) {
        FUZZ_CHECK(row.find_first_of("\r\n") == std::string_view::npos);
        FUZZ_CHECK(cellCount(row) == header);
    }
    FUZZ_CHECK(readWhole(source) == text);
    return 0;
}
