// The line reader against a plain reference split: every buffer size and every way the file arrives in
// pieces gives the same lines, a line that fits the buffer comes whole, no piece holds a terminator, the
// end-of-file test agrees with the lines, and going back to a line start read before gives the same lines
// again.
#include "FuzzSupport.h"
#include "platform/LineReader.h"

#include <memory>

using namespace tessely;
using namespace tessely::fuzz;

namespace
{

/// Reads the next line from its pieces, checking how they are cut. False at end of file.
bool nextLine(LineReader& reader, std::string& line, std::size_t& pieces)
{
    LinePiece piece;
    if (!reader.next(piece))
        return false;
    pieces = 1;
    FUZZ_CHECK(piece.first);
    line.assign(piece.text);
    FUZZ_CHECK(piece.text.find_first_of("\r\n") == std::string_view::npos);
    while (!piece.last) {
        FUZZ_CHECK(reader.next(piece));
        FUZZ_CHECK(!piece.first);
        FUZZ_CHECK(piece.text.find_first_of("\r\n") == std::string_view::npos);
        line.append(piece.text);
        ++pieces;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    // Four leading bytes choose the buffer size, the size of the pieces the file arrives in, before which
    // lines the end-of-file test is asked, and the line to go back to.
    const std::size_t bufferSize = 8 + data[0] % 61;
    const std::size_t chunk = 1 + data[1] % 17;
    const unsigned probes = data[2];
    const std::size_t revisit = data[3];
    const std::string_view text(reinterpret_cast<const char*>(data) + 4, size - 4);

    const std::vector<std::string> expected = referenceLines(text);
    // Undecoded text keeps its length, so a line that fits the buffer must come in one piece.
    const bool decoded = text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF";
    LineReader reader(std::make_unique<MemorySource>(text, chunk), bufferSize);
    std::string line;
    std::size_t pieces = 0;
    std::size_t count = 0;
    std::uint64_t revisitPosition = 0;
    for (;;) {
        if ((probes >> (count % 8)) & 1u)
            FUZZ_CHECK(reader.atEnd() == (count == expected.size()));
        if (count == revisit % (expected.size() + 1))
            revisitPosition = reader.linePosition();
        if (!nextLine(reader, line, pieces))
            break;
        FUZZ_CHECK(count < expected.size());
        FUZZ_CHECK(line == expected[count]);
        FUZZ_CHECK(decoded || line.size() > reader.wholeLineLimit() || pieces == 1);
        ++count;
    }
    FUZZ_CHECK(count == expected.size());
    FUZZ_CHECK(reader.atEnd());

    reader.seekLine(revisitPosition);
    for (std::size_t again = revisit % (expected.size() + 1); again < expected.size(); ++again) {
        FUZZ_CHECK(nextLine(reader, line, pieces));
        FUZZ_CHECK(line == expected[again]);
    }
    FUZZ_CHECK(!nextLine(reader, line, pieces));
    return 0;
}
