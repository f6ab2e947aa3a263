#ifndef TESSELY_PLATFORM_TEXT_H
#define TESSELY_PLATFORM_TEXT_H

#include <cstdint>
#include <string>
#include <string_view>

namespace tessely
{

/// `c` upper-cased when it is an ASCII letter a-z, as it is otherwise.
inline char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
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
/// Replaces every non-overlapping occurrence of `from`, sweeping once from left to right.
void replaceAll(std::string& text, std::string_view from, std::string_view to);
/// Length in characters: a valid UTF-8 sequence counts as one character, any other byte as one.
std::size_t characterCount(std::string_view text);
/// Where a UTF-8 sequence that bytes after `text` may still complete starts at its end, or the end of `text`
/// when none does.
std::size_t incompleteUtf8Tail(std::string_view text);
/// The longest start of `text` of at most `bytes` bytes that cuts no valid UTF-8 sequence in two.
std::size_t utf8PrefixBytes(std::string_view text, std::size_t bytes);
/// True when `text` is valid UTF-8 throughout.
bool isValidUtf8(std::string_view text);
/// Tells whether bytes given one by one, or in pieces, are valid UTF-8 as a whole.
class Utf8Check
{
public:
    void add(char c);
    void add(std::string_view bytes)
    {
        for (const char c : bytes)
            add(c);
    }
    /// True when every byte so far belongs to a valid sequence and none is left half-way.
    bool valid() const
    {
        return m_valid && m_pending == 0;
    }

private:
    /// Continuation bytes the current character still needs, and the range of the next one.
    unsigned m_pending = 0;
    unsigned char m_low = 0x80;
    unsigned char m_high = 0xBF;
    bool m_valid = true;
};
/// `text` read as Windows-1252, byte by byte, in UTF-8. The five bytes that code page leaves undefined
/// become the replacement character U+FFFD.
std::string windows1252ToUtf8(std::string_view text);
/// The number of bytes that the first `characters` characters of `text` take (see `characterCount`).
std::size_t characterPrefixBytes(std::string_view text, std::size_t characters);

} // namespace tessely

#endif
