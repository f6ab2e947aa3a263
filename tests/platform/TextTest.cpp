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

TEST(Text, Utf8IsCheckedWholeOrInPiecesAndWindows1252IsReadByteByByte)
{
    const struct {
        std::string text;
        bool valid;
    } cases[] = {
        { "plain ASCII", true },
        { "J\xC3\xBCrgen \xE2\x82\xAC \xF0\x9F\x98\x80", true },
        { "J\xFCrgen", false },
        { "cut \xE2\x82", false },
        { "\xC0\xAF", false }, // overlong
        { "\xED\xA0\x80", false }, // surrogate
        { "\xF4\x90\x80\x80", false }, // beyond U+10FFFF
        { "\xC3 \xBC", false },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(isValidUtf8(c.text), c.valid) << c.text;
        for (std::size_t size = 1; size < 4; ++size) {
            Utf8Check check;
            for (std::size_t at = 0; at < c.text.size(); at += size)
                check.add(std::string_view(c.text).substr(at, size));
            EXPECT_EQ(check.valid(), c.valid) << c.text << " in pieces of " << size;
        }
    }
    // The five bytes the code page leaves undefined give the replacement character.
    EXPECT_EQ(windows1252ToUtf8("J\xFCrgen \x80\x81\x9F"), "J\xC3\xBCrgen \xE2\x82\xAC\xEF\xBF\xBD\xC5\xB8");
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
