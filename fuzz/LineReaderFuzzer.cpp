// The line reader against a plain reference split: every buffer size and every way the file arrives in
// pieces gives the same lines, no line holds a terminator, and the end-of-file test agrees with the lines.
#include "FuzzSupport.h"
#include "platform/LineReader.h"

#include <memory>

using namespace tessely;
using namespace tessely::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    // Three leading bytes choose the buffer size, the size of the pieces the file arrives in, and before
    // which lines the end-of-file test is asked.
    const std::size_t bufferSize = 4 + data[0] % 61;
    const std::size_t chunk = 1 + data[1] % 17;
    const unsigned probes = data[2];
    const std::string_view text(reinterpret_cast<const char*>(data) + 3, size - 3);

    const std::vector<std::string> expected = referenceLines(text);
    LineReader reader(std::make_unique<MemorySource>(text, chunk), bufferSize);
    std::string_view line;
    std::size_t count = 0;
    for (;;) {
        if ((probes >> (count % 8)) & 1u)
            FUZZ_CHECK(reader.atEnd() == (count == expected.size()));
        if (!reader.next(line))
            break;
        FUZZ_CHECK(count < expected.size());
        FUZZ_CHECK(line == expected[count]);
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string_view::npos);
        ++count;
    }
    FUZZ_CHECK(count == expected.size());
    FUZZ_CHECK(reader.atEnd());
    FUZZ_CHECK(!reader.next(line));
    return 0;
}
