#ifndef TESSELY_PLATFORM_TEXT_H
#define TESSELY_PLATFORM_TEXT_H

#include <string>
#include <string_view>

namespace tessely
{

/// Upper-cases `text` into `out` (replacing its content): ASCII a-z, and in valid UTF-8 every
/// letter with a simple upper-case mapping in Unicode. Bytes that are not valid UTF-8 stay as they are.
void upperCaseInto(std::string_view text, std::string& out);
/// Upper-cases `text` under the rules of `upperCaseInto`.
std::string upperCase(std::string_view text);
/// The text without leading and trailing space characters (code 32 only; tabs stay).
std::string_view trimSpaces(std::string_view text);
/// True when the line, upper-cased and trimmed of spaces, reads "BEGIN:VCARD".
bool isOpeningLine(std::string_view line);
/// Replaces every non-overlapping occurrence of `from`, sweeping once from left to right.
void replaceAll(std::string& text, std::string_view from, std::string_view to);
/// Length in characters: a valid UTF-8 sequence counts as one character, any other byte as one.
std::size_t characterCount(std::string_view text);
/// The number of bytes that the first `characters` characters of `text` take (see `characterCount`).
std::size_t characterPrefixBytes(std::string_view text, std::size_t characters);

} // namespace tessely

#endif
