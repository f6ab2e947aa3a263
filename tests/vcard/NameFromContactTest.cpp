#include "vcard/NameFromContact.h"

#include "platform/Text.h"
#include "tests/support/PlainNaming.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessely
{
namespace
{

using test::CleanFileName;
using test::EmailLocalPart;
using test::ReorderStructuredName;

/// The name of a contact of these property lines, fed whole and in pieces of every size up to 9 bytes;
/// every way must give the same name, and so must the plain reference.
std::string nameOf(const std::vector<std::string>& lines)
{
    NameFromContact namer;
    namer.start();
    for (const auto& line : lines)
        namer.feed(line, true, true);
    const std::string name = namer.name();
    for (std::size_t size = 1; size < 10; ++size) {
        namer.start();
        for (const std::string& line : lines) {
            for (std::size_t at = 0; at == 0 || at < line.size(); at += size)
                namer.feed(std::string_view(line).substr(at, size), at == 0, at + size >= line.size());
        }
        EXPECT_EQ(namer.name(), name) << "in pieces of " << size;
    }
    EXPECT_EQ(test::plainName(lines), name) << "the plain reference";
    return name;
}

struct NamingCase {
    std::vector<std::string> lines;
    std::string name;
};

TEST(NameFromContact, TakesTheFirstUsableFieldInOrderOfPrecedence)
{
    const std::vector<NamingCase> cases = {
        { { "N:Doe;John;;;" }, "John Doe" },
        { { "N:Doe;John;;;", "FN:Johnny D" }, "Johnny D" },
        { { "fn:Jane Roe" }, "Jane Roe" },
        { { "FN;CHARSET=UTF-8:Jane Roe", "TITLE:Boss" }, "Boss" },
        { { "FN:", "FN:???", "TITLE:Sales Director" }, "Sales Director" },
        { { "N:Doe;John;Q.;Dr.;Jr." }, "John Q. Dr. Jr. Doe" },
        { { "N:;John;;;" }, "John" },
        { { "N:Doe;;;;" }, "Doe" },
        { { "N:van der Berg;Jan;;;" }, "der Berg Jan van" },
        { { "FN:Dr: Who?" }, "Dr Who" },
        { { "TITLE:CEO/Founder" }, "CEOFounder" },
        { { "EMAIL;TYPE=INTERNET:jdoe@example.com" }, "jdoe" },
        { { "EMAIL:j_doe@example.com" }, "j doe" },
        { { "EMAILX" }, "EMAILX" },
        { { "item1.EMAIL;type=INTERNET:jdoe@example.com" }, "" },
        { { "TEL:123" }, "" },
        // A folded continuation line never starts a field of its own.
        { { " FN:Jane Roe", "TITLE:Boss" }, "Boss" },
        // A field with parameters matches only for "EMAIL".
        { { "N;CHARSET=UTF-8:Doe;John", "TITLE;X=1:Boss", "EMAIL;HOME:a@b" }, "a" },
        // An address that begins with "@" ends the search with no name, even before a full address.
        { { "EMAIL: @example.com", "EMAIL:jdoe@example.com" }, "" },
        { { "FN:;;;", "N:;;;;", "TITLE:?", "EMAIL:" }, "" },
        { { "email:first@example.com", "email:second@example.com" }, "first" },
        { {}, "" },
        // The value is everything after the first colon, case and later colons kept (colons are removed).
        { { "FN:ab:Cd" }, "abCd" },
        // Upper-casing for the prefix covers letters outside ASCII: the dotless i upper-cases to "I".
        { { "t\xC4\xB1tle:Boss" }, "Boss" },
        // UTF-8 text passes through unchanged.
        { { "FN:J\xC3\xBCrgen M\xC3\xBCller-L\xC3\xBC"
            "denscheidt" },
            "J\xC3\xBCrgen M\xC3\xBCller-L\xC3\xBC"
            "denscheidt" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(nameOf(c.lines), c.name) << (c.lines.empty() ? "(no lines)" : c.lines.front());
}

TEST(NameFromContact, GivesNamesThatReadersAndFileSystemsCanUse)
{
    const std::vector<NamingCase> cases = {
        // Leading dots would hide the file; dots and spaces at the start go, and nothing left means no name.
        { { "FN:.hidden" }, "hidden" },
        { { "FN:../../x" }, "x" },
        { { "FN:. . John.Doe." }, "John.Doe." },
        { { "FN:..", "TITLE:Boss" }, "" },
        { { "N:.Doe;John" }, "John .Doe" },
        { { "N:Doe;...;" }, "Doe" },
        { { "EMAIL:.jane@example.org" }, "jane" },
        { { "EMAIL:...@example.org" }, "" },
        // Characters that FAT and NTFS refuse go.
        { { "FN:Star*Man" }, "StarMan" },
        { { "EMAIL:<admin@example.com>" }, "admin" },
        { { "FN:a<b>c" }, "abc" },
        // A name line is read with its folded continuation lines, as vCard readers unfold it.
        { { "FN:Jane", " Roe" }, "JaneRoe" },
        { { "FN:Jane ", "\tRoe" }, "Jane Roe" },
        { { "FN:", " Jane Roe" }, "Jane Roe" },
        { { "F", " N:Jane" }, "Jane" },
        { { "FN:M\xC3", " \xBCller" }, "M\xC3\xBCller" },
        { { "N:Doe", " ;John", "FN:", "" }, "John Doe" },
        { { "EMAIL", "  x@y", "TEL:1" }, "EMAIL x" },
        { { "", " FN:Jane" }, "Jane" },
        // Text that is not UTF-8 is Windows-1252, written as UTF-8; its five undefined bytes give U+FFFD.
        { { "FN:J\xFCrgen M\xFCller" }, "J\xC3\xBCrgen M\xC3\xBCller" },
        { { "FN:\x80 \x9F \x81" }, "\xE2\x82\xAC \xC5\xB8 \xEF\xBF\xBD" },
        { { "N:M\xFCller;J\xC3\xBCrgen" }, "J\xC3\x83\xC2\xBCrgen M\xC3\xBCller" },
        // A leading dash would make the file an option to every tool given "*.vcf".
        { { "FN:-rf" }, "rf" },
        { { "FN:- .-John" }, "John" },
        { { "N:;-John" }, "John" },
        { { "EMAIL:--x@example.org" }, "x" },
        // C1 controls and bidirectional formatting characters go, also those that removing another one
        // makes, so no name shows as another ("John", right-to-left override, "gpj").
        { { "FN:John\u202Egpj" }, "Johngpj" },
        { { "FN:\u2066a\u200Fb\u2069\xC2\x85"
            "c\u200E" },
            "abc" },
        { { "FN:x\xE2\xC2\x85\x80\xAEy" }, "xy" },
        { { "FN:x\xE2:\x80\xAEy" }, "xy" },
        { { "FN:\xC2\xC2\x85\x85z" }, "z" },
        { { "FN:\u202E", "TITLE:Boss" }, "Boss" },
        // Lines of a nested card are skipped, and so are the lines folded after them (see skipLine).
    };
    for (const auto& c : cases)
        EXPECT_EQ(nameOf(c.lines), c.name) << (c.lines.empty() ? "(no lines)" : c.lines.front());
}

TEST(NameFromContact, SkippedLinesEndTheLineBeforeThem)
{
    NameFromContact namer;
    namer.start();
    namer.feed("FN:", true, true);
    namer.skipLine();
    namer.feed(" Agent Name", true, true);
    namer.feed("TITLE:Boss", true, true);
    EXPECT_EQ(namer.name(), "Boss");
}

TEST(CleanFileName, RemovesAndReplacesCharactersInOrder)
{
    const std::string run38(38, ' ');
    const std::string run39(39, ' ');
    const struct {
        std::string value;
        std::string cleaned;
    } cases[] = {
        { "Doe;John;;;", "Doe John" },
        { "Dr: Who?", "Dr Who" },
        { "A/B\\C", "ABC" },
        { "D_E,F", "D E F" },
        { "O'Neil, Mary", "O'Neil Mary" },
        { "x*y>z.w", "xyz.w" },
        { "???", "" },
        { ";;;", "" },
        { "a|b", "a b" },
        { "\"Bob\" <b>", "Bob b" },
        { "John\tDoe", "John Doe" },
        { "  John    Doe  ", "John Doe" },
        { "x" + run38 + "y", "x y" },
        { "x" + run39 + "y", "x  y" },
        { "", "" },
        { std::string("a\0b", 3), "a b" },
        { "\x01\x1F a \x7F", "a \x7F" },
        { "\tJohn", "John" },
        { "Ren\xE9@\xC3\xA9t\xC3\xA9", "Ren\xE9@\xC3\xA9t\xC3\xA9" },
        { "unchanged name", "unchanged name" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CleanFileName(c.value), c.cleaned) << "value: " << c.value;
        if (c.cleaned.find_first_of(".-") != 0 && isValidUtf8(c.cleaned)) {
            EXPECT_EQ(nameOf({ "FN:" + c.value }), c.cleaned) << "value: " << c.value;
        }
    }
}

TEST(ReorderStructuredName, MovesTheFirstWordToTheEnd)
{
    EXPECT_EQ(ReorderStructuredName("Doe John"), "John Doe");
    EXPECT_EQ(ReorderStructuredName("Doe John Q"), "John Q Doe");
    EXPECT_EQ(ReorderStructuredName("John"), "John");
    EXPECT_EQ(ReorderStructuredName(""), "");
}

TEST(EmailLocalPart, CutsAtTheFirstAt)
{
    EXPECT_EQ(EmailLocalPart("no at sign "), "no at sign ");
    EXPECT_EQ(EmailLocalPart("a@b@c"), "a");
    EXPECT_EQ(EmailLocalPart("j doe @example.com"), "j doe");
    EXPECT_EQ(EmailLocalPart("@example.com"), "");
}

} // namespace
} // namespace tessely
