#ifndef TESSELY_PLATFORM_TEXT_H
#define TESSELY_PLATFORM_TEXT_H

#include <cstdint>
#include <string>
#include <string_view>

namespace tessely
{

/// Appends the code point `codePoint` to `out` in UTF-8.
void appendUtf8(std::string& out, std::uint32_t codePoint);
/// Upper-cases `text` into `out` (replacing its content): ASCII a-z, and in valid UTF-8 every
/// letter with a simple upper-case mapping in Unicode. Bytes that are not valid UTF-8 stay as they are.
void upperCaseInto(std::string_view text, std::string& out);
/// Upper-cases, in place, the letters of `text` that lie outside ASCII (as `upperCaseInto` does), leaving
/// ASCII bytes as they are: for text whose ASCII letters are upper-cased already.
void upperCaseBeyondAscii(std::string& text);
/// Upper-cases `text` under the rules of `upperCaseInto`.
std::string upperCase(std::string_view text);
/// The text without leading and trailing space characters (code 32 only; tabs stay).
std::string_view trimSpaces(std::string_view text);
/// The UTF-8 byte-order mark. Exports joined with `cat` carry one at the start of a later contact.
inline constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
/// The line without a byte-order mark at its start.
std::string_view withoutByteOrderMark(std::string_view line);
/// True when the line, upper-cased and trimmed of spaces, reads "BEGIN:VCARD"; a byte-order mark at its
/// start is ignored.
bool isOpeningLine(std::string_view line);
/// True when the line, upper-cased and trimmed of spaces, reads `word`; a byte-order mark at its start is
/// ignored.
bool readsAs(std::string_view line, std::string_view word);
/// True when the line, upper-cased and trimmed of spaces, reads "END:VCARD", as vCard readers take it;
/// a byte-order mark at its start is ignored.
bool readsAsClosingLine(std::string_view line);
/// True when the line is exactly "END:VCARD"; a byte-order mark at its start is ignored.
bool isClosingLine(std::string_view line);
/// True when the line holds nothing but spaces; a byte-order mark at its start is ignored.
bool isBlankLine(std::string_view line);

/// Tells, piece by piece, whether a line too long to be held whole is an opening line, a closing line or a
/// blank one, under the rules of `isOpeningLine`, `readsAsClosingLine` and `isBlankLine`.
class LongLineTest
{
public:
    /// Starts a new line.
    void reset();
    /// Takes the next piece of the line; the first piece may start with a byte-order mark.
    void feed(std::string_view piece, bool first);
    bool opening() const;
    /// True when the line reads "END:VCARD" once upper-cased and trimmed (see `readsAsClosingLine`).
    bool closing() const;
    bool blank() const
    {
        return m_phase == Phase::Leading;
    }

private:
    enum class Phase { Leading, Core, Trailing, Other };
    Phase m_phase = Phase::Leading;
    /// The text between the leading and the trailing spaces, while it is short enough to be "BEGIN:VCARD".
    std::string m_core;
};
/// Replaces every non-overlapping occurrence of `from`, sweeping once from left to right.
void replaceAll(std::string& text, std::string_view from, std::string_view to);
/// Length in characters: a valid UTF-8 sequence counts as one character, any other byte as one.
std::size_t characterCount(std::string_view text);
/// The longest start of `text` of at most `bytes` bytes that cuts no valid UTF-8 sequence in two.
std::size_t utf8PrefixBytes(std::string_view text, std::size_t bytes);
/// True when `text` is valid UTF-8 throughout.
bool isValidUtf8(std::string_view text);
/// `text` read as Windows-1252, byte by byte, in UTF-8. The five bytes that code page leaves undefined
/// become the control characters of the same number, as Windows maps them.
std::string windows1252ToUtf8(std::string_view text);
/// The number of bytes that the first `characters` characters of `text` take (see `characterCount`).
std::size_t characterPrefixBytes(std::string_view text, std::size_t characters);

} // namespace tessely

#endif
