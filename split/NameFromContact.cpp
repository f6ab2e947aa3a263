#include "NameFromContact.h"

#include "platform/Text.h"

namespace tessely
{
namespace
{

enum class NameStep { None, Reorder, LocalPart };

struct NamingPass {
    std::string_view prefix;
    NameStep step;
};

// The passes in order of precedence; a usable line of an earlier pass beats every line of a later one.
// The "EMAIL" prefix has no colon, so the line may carry parameters ("EMAIL;TYPE=INTERNET:").
constexpr NamingPass namingPasses[] = {
    { "FN:", NameStep::None },
    { "N:", NameStep::Reorder },
    { "TITLE:", NameStep::None },
    { "EMAIL", NameStep::LocalPart },
};

/// True when the line, upper-cased, begins with `prefix`. Upper-casing maps each character to one character,
/// so only as many characters as the prefix has need to be upper-cased; a non-ASCII letter can still
/// upper-case to an ASCII one (the dotless i gives "I").
bool beginsWithUpperCased(std::string_view line, std::string_view prefix, std::string& scratch)
{
    const std::size_t bytes = characterPrefixBytes(line, prefix.size());
    upperCaseInto(line.substr(0, bytes), scratch);
    return scratch == prefix;
}

/// The text after the line's first ":", or the whole line when it has none.
std::string_view valueOf(std::string_view line)
{
    const auto colon = line.find(':');
    return colon == std::string_view::npos ? line : line.substr(colon + 1);
}

void removeAll(std::string& text, char c)
{
    std::string::size_type out = 0;
    for (const char byte : text) {
        if (byte != c)
            text[out++] = byte;
    }
    text.resize(out);
}

void replaceEach(std::string& text, char from, char to)
{
    for (char& byte : text) {
        if (byte == from)
            byte = to;
    }
}

} // namespace

std::string NameFromContact(const ContactLines& contact)
{
    std::string scratch;
    for (const NamingPass& pass : namingPasses) {
        for (std::size_t position = 1; position < contact.size(); ++position) {
            const std::string_view line = contact[position];
            if (!beginsWithUpperCased(line, pass.prefix, scratch))
                continue;
            std::string cleaned = CleanFileName(valueOf(line));
            if (cleaned.empty())
                continue;
            // The first usable value decides, even when the pass's own step leaves nothing of it.
            switch (pass.step) {
            case NameStep::None:
                return cleaned;
            case NameStep::Reorder:
                return ReorderStructuredName(cleaned);
            case NameStep::LocalPart:
                return EmailLocalPart(cleaned);
            }
        }
    }
    return {};
}

std::string CleanFileName(std::string_view value)
{
    std::string text(trimSpaces(value));
    // Characters that cannot stand in a file name go; separators between name parts become spaces.
    for (const char c : { ':', '\\', '/', '?' })
        removeAll(text, c);
    for (const char c : { ';', '_', ',', '|' })
        replaceEach(text, c, ' ');
    removeAll(text, '"');
    for (char& byte : text) {
        if (static_cast<unsigned char>(byte) < 32)
            byte = ' ';
    }
    // Each sweep runs once, so a run of 2 to 38 spaces ends as one space and longer runs may keep two.
    for (const std::string_view run : { "     ", "    ", "   ", "  " })
        replaceAll(text, run, " ");
    return std::string(trimSpaces(text));
}

std::string ReorderStructuredName(std::string_view value)
{
    const auto space = value.find(' ');
    if (space == std::string_view::npos)
        return std::string(value);
    std::string reordered(trimSpaces(value.substr(space + 1)));
    reordered.push_back(' ');
    reordered.append(value.substr(0, space));
    return reordered;
}

std::string EmailLocalPart(std::string_view value)
{
    const auto at = value.find('@');
    if (at == std::string_view::npos)
        return std::string(value);
    return std::string(trimSpaces(value.substr(0, at)));
}

} // namespace tessely
