// Contact-based names: whatever the contact's lines and however the contact reader gets them in pieces, the
// name found while the contact streams past is the one the plain reference finds on the whole, unfolded
// lines; it is safe as a file-name stem (no path separator, none of the characters cleaning removes or turns
// into spaces, no control character, no bidirectional formatting character, no space at either end, no dot
// or dash at the start, valid UTF-8) and stays inside the output folder once made into a path; cleaning a
// cleaned value changes nothing unless it left a run of spaces, which happens only for runs of 39 or more.
#include "FuzzSupport.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "split/SplitContacts.h"
#include "tests/support/PlainNaming.h"
#include "vcard/ContactReader.h"
#include "vcard/NameFromContact.h"

#include <algorithm>
#include <memory>

using namespace tessely;
using namespace tessely::fuzz;

namespace
{

bool isSafeStem(std::string_view name)
{
    // A name cut to the length kept may end where a space was.
    if (!name.empty() && (name.front() == ' ' || (name.back() == ' ' && name.size() < longestNameKept - 4)))
        return false;
    for (const std::string& formatting : test::formattingCharacters()) {
        if (name.find(formatting) != std::string_view::npos)
            return false;
    }
    return std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20
            || std::string_view("/\\:?\";_,|*<>").find(c) != std::string_view::npos;
    });
}

/// The longest run of spaces in `value` once cleaning has removed and replaced its characters.
std::size_t longestSpaceRun(std::string_view value)
{
    std::size_t run = 0;
    std::size_t longest = 0;
    for (const char c : value) {
        if (std::string_view(":\\/?\"*<>").find(c) != std::string_view::npos)
            continue;
        const bool space = c == ' ' || static_cast<unsigned char>(c) < 0x20
            || std::string_view(";_,|").find(c) != std::string_view::npos;
        run = space ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses how the lines are cut into pieces.
    const std::size_t pieceSize = 1 + data[0] % 13;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    // The whole input as one field value.
    const std::string cleaned = test::CleanFileName(text);
    FUZZ_CHECK(isSafeStem(cleaned));
    const bool doubleSpace = cleaned.find("  ") != std::string::npos;
    // Removing a formatting character can join two runs into one.
    FUZZ_CHECK(!doubleSpace || longestSpaceRun(text) >= 39 || text.find_first_of("\xC2\xE2") != std::string_view::npos);
    const std::string reordered = test::ReorderStructuredName(cleaned);
    FUZZ_CHECK(isSafeStem(reordered));
    if (!doubleSpace) {
        FUZZ_CHECK(test::CleanFileName(cleaned) == cleaned);
        // The words only change places (two spaces in a row would become one).
        FUZZ_CHECK(reordered.size() == cleaned.size());
    }
    const std::string local = test::EmailLocalPart(cleaned);
    FUZZ_CHECK(isSafeStem(local));
    FUZZ_CHECK(local.find('@') == std::string::npos);

    // The input's lines as the lines of one contact (up to the first line that ends it), read by the contact
    // reader with a buffer of `pieceSize` bytes and more.
    const std::string file = "BEGIN:VCARD\r\n" + std::string(text);
    const auto contacts = test::plainContacts(referenceLines(file));
    const std::string expected = test::plainName(contacts.front());
    LineReader lines(std::make_unique<MemorySource>(file, pieceSize), 7 + pieceSize);
    ContactReader reader(lines);
    NameFromContact namer;
    namer.start();
    ContactPiece piece;
    while (reader.next(piece) && piece.role != LineRole::Closing) {
        if (piece.role == LineRole::Property)
            namer.feed(piece.text, piece.first, piece.last);
        else if (piece.role == LineRole::Nested && piece.first)
            namer.skipLine();
    }
    const std::string name = namer.name();
    FUZZ_CHECK(name == expected);

    FUZZ_CHECK(isSafeStem(name));
    FUZZ_CHECK(name.empty() || (name.front() != '.' && name.front() != '-'));
    FUZZ_CHECK(isValidUtf8(name));
    FUZZ_CHECK(name.size() <= longestNameKept);
    const std::string folder = "/data/Split-vCards";
    const std::string path = contactFileName(folder, name);
    FUZZ_CHECK(name.empty() == path.empty());
    if (!path.empty()) {
        FUZZ_CHECK(GetParentFolderName(path) == folder);
        FUZZ_CHECK(GetExtensionName(path) == "vcf");
        FUZZ_CHECK(path.size() - folder.size() - 1 <= 255);
    }
    return 0;
}
