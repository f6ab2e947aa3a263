#ifndef TESSELY_TESTS_PLAINCONTACTS_H
#define TESSELY_TESTS_PLAINCONTACTS_H

#include "vcard/ContactReader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessely::test
{

/// A whole line and the part it plays; a closing line that the file leaves out has no text and counts the
/// cards it closes.
struct PlainLine {
    std::string text;
    LineRole role = LineRole::Outside;
    std::uint64_t openCards = 0;

    bool operator==(const PlainLine& other) const
    {
        return text == other.text && role == other.role && openCards == other.openCards;
    }
};

/// The contact rules the plain way, on whole lines: the reference that the streaming contact reader must
/// agree with. Each line gets its part; a contact that the lines leave open gets a closing line without text.
std::vector<PlainLine> plainContactLines(const std::vector<std::string>& lines);
/// The contacts of the lines: for each one the lines after its opening line, up to and with its closing one.
std::vector<std::vector<PlainLine>> plainContacts(const std::vector<std::string>& lines);

} // namespace tessely::test

#endif
