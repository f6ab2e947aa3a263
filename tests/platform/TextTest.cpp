#include "platform/Text.h"

#include <gtest/gtest.h>

namespace tessely
{
namespace
{

TEST(Text, UpperCaseMapsAsciiAndUnicodeLettersAndKeepsInvalidBytes)
{
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        { "begin:vcard", "BEGIN:VCARD" },
        { "MiXeD 123 ;,", "MIXED 123 ;," },
        { "stra\xC3\x9F"
          "e",
            "STRA\xC3\x9F"
            "E" }, // sharp s has no single upper-case letter
        { "\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89" }, // étés
        { "\xD0\xB8\xD0\xB2\xD0\xB0\xD0\xBD", "\xD0\x98\xD0\x92\xD0\x90\xD0\x9D" }, // иван
        { "\xCF\x89", "\xCE\xA9" }, // omega
        { "\xC4\xB1", "I" }, // dotless i
        { "\xE2\xB1\xA5", "\xC8\xBA" }, // a with stroke shrinks to two bytes
        { "caf\xE9", "CAF\xE9" }, // Latin-1 byte stays
        { "\xC0\xAF", "\xC0\xAF" }, // overlong form stays
        { "\xED\xA0\x80x", "\xED\xA0\x80X" }, // surrogate stays
        { "\xE6\x9D\xB1\xE4\xBA\xAC", "\xE6\x9D\xB1\xE4\xBA\xAC" }, // CJK has no case
        { "\xF0\x90\x90\xA8", "\xF0\x90\x90\x80" }, // Deseret, four bytes
        { "truncated \xC3", "TRUNCATED \xC3" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(upperCase(c.in), c.out) << c.in;
}

TEST(Text, OpeningLineIgnoresCaseAndSurroundingSpacesOnly)
{
    const struct {
        const char* line;
        bool opening;
    } cases[] = {
        { "BEGIN:VCARD", true },
        { "begin:vcard", true },
        { "  Begin:VCard   ", true },
        { "beg\xC4\xB1n:vcard", true },
        { "\tBEGIN:VCARD", false },
        { "BEGIN:VCARD;", false },
        { "BEGIN: VCARD", false },
        { "BEGIN:VCARDS", false },
        { "END:VCARD", false },
        { "", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(isOpeningLine(c.line), c.opening) << '"' << c.line << '"';
}

TEST(Text, TrimAndReplaceFollowTheTextRules)
{
    EXPECT_EQ(trimSpaces("  a b  "), "a b");
    EXPECT_EQ(trimSpaces("\ta\t"), "\ta\t");
    EXPECT_EQ(trimSpaces("    "), "");

    std::string text = "aaaaa";
    replaceAll(text, "aa", "b");
    EXPECT_EQ(text, "bba");
    text = "x,y,,z";
    replaceAll(text, ",", "");
    EXPECT_EQ(text, "xyz");
}

TEST(Text, CharactersCountUtf8SequencesOnceAndStrayBytesEach)
{
    EXPECT_EQ(characterCount("abc"), 3u);
    EXPECT_EQ(characterCount("\xC3\xA9\xE6\x9D\xB1\xF0\x90\x90\xA8"), 3u);
    EXPECT_EQ(characterCount("\xE9\xFF"), 2u);
    EXPECT_EQ(characterPrefixBytes("\xC3\xA9\xE6\x9D\xB1x", 2), 5u);
    EXPECT_EQ(characterPrefixBytes("ab", 5), 2u);
}

} // namespace
} // namespace tessely
