// The contact reader against the plain reference of the contact rules on whole lines: whatever the buffer
// size and however the file arrives in pieces, each line comes back whole from its pieces with the part
// the reference gives it, a contact left open gets a closing piece that counts its open cards, and the
// contacts and the lines outside them are counted alike.
#include "FuzzSupport.h"
#include "tests/support/PlainContacts.h"
#include "vcard/ContactReader.h"

#include <memory>

using namespace tessely;
using namespace tessely::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    // Two leading bytes choose the buffer size and the size of the pieces the file arrives in.
    const std::size_t bufferSize = 8 + data[0] % 61;
    const std::size_t chunk = 1 + data[1] % 17;
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

    const std::vector<std::string> lines = referenceLines(text);
    const std::vector<test::PlainLine> expected = test::plainContactLines(lines);
    LineReader reader(std::make_unique<MemorySource>(text, chunk), bufferSize);
    ContactReader contacts(reader);
    std::vector<test::PlainLine> got;
    ContactPiece piece;
    while (contacts.next(piece)) {
        if (piece.first)
            got.push_back({ {}, piece.role, piece.openCards });
        FUZZ_CHECK(!got.empty() && got.back().role == piece.role);
        FUZZ_CHECK(piece.openCards == 0 || (piece.first && piece.last && piece.text.empty()));
        got.back().text.append(piece.text);
    }
    FUZZ_CHECK(got == expected);
    std::uint64_t opened = 0;
    std::uint64_t skipped = 0;
    for (const test::PlainLine& line : expected) {
        opened += line.role == LineRole::Opening ? 1 : 0;
        skipped += line.role == LineRole::Outside
                && line.text.find_first_not_of(' ', line.text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0)
                    != std::string::npos
            ? 1
            : 0;
    }
    FUZZ_CHECK(contacts.contacts() == opened);
    FUZZ_CHECK(contacts.skippedLines() == skipped);
    return 0;
}
