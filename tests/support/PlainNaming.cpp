#include "PlainNaming.h"

#include "platform/Text.h"
#include "vcard/NameFromContact.h"

namespace tessely::test
{
namespace
{

void removeAll(std::string& text, std::string_view what)
{
    replaceAll(text, what, "");
}

} // namespace

const std::vector<std::string>& formattingCharacters()
{
    static const std::vector<std::string> characters = [] {
        std::vector<std::string> list = {
            "\u200E", "\u200F", "\u202A", "\u202B", "\u202C", "\u202D", "\u202E", "\u2066", "\u2067", "\u2068", "\u2069"
        };
        for (unsigned c = 0x80; c <= 0x9F; ++c)
            list.push_back(std::string("\xC2") + static_cast<char>(c));
        return list;
    }();
    return characters;
}

std::string CleanFileName(std::string_view value)
{
    std::string text(trimSpaces(value));
    for (const char* c : { ":", "\\", "/", "?", "*", "<", ">", "\"" })
        removeAll(text, c);
    // Removing one can make another of the bytes around it: they go until none is left.
    for (std::string before; before != text;) {
        before = text;
        for (unsigned c = 0x80; c <= 0x9F; ++c)
            removeAll(text, std::string("\xC2") + static_cast<char>(c));
        for (const char* c : { "\u200E",
                 "\u200F",
                 "\u202A",
                 "\u202B",
                 "\u202C",
                 "\u202D",
                 "\u202E",
                 "\u2066",
                 "\u2067",
                 "\u2068",
                 "\u2069" })
            removeAll(text, c);
    }
    for (char& byte : text) {
        if (static_cast<unsigned char>(byte) < 32 || std::string_view(";_,|").find(byte) != std::string_view::npos)
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

std::string plainName(const std::vector<PlainLine>& contact)
{
    // Unfolded property lines; a line that continues no property is dropped.
    std::vector<std::string> logical;
    bool open = false;
    for (const PlainLine& line : contact) {
        if (line.role != LineRole::Property) {
            open = false;
            continue;
        }
        const bool folded = !line.text.empty() && (line.text.front() == ' ' || line.text.front() == '\t');
        if (folded && open)
            logical.back() += line.text.substr(1);
        else if (!folded)
            logical.push_back(line.text);
        open = open || !folded;
    }
    const char* const prefixes[] = { "FN:", "N:", "TITLE:", "EMAIL" };
    for (int pass = 0; pass < 4; ++pass) {
        const std::string prefix = prefixes[pass];
        for (const std::string& line : logical) {
            if (upperCase(line.substr(0, characterPrefixBytes(line, prefix.size()))) != prefix)
                continue;
            const auto colon = line.find(':');
            const std::string cleaned = CleanFileName(colon == std::string::npos ? line : line.substr(colon + 1));
            if (cleaned.empty())
                continue;
            std::string name = pass == 1 ? ReorderStructuredName(cleaned)
                : pass == 3              ? EmailLocalPart(cleaned)
                                         : cleaned;
            name.erase(0, name.find_first_not_of(". -"));
            if (!isValidUtf8(name))
                name = windows1252ToUtf8(name);
            name.resize(utf8PrefixBytes(name, longestNameKept));
            return name;
        }
    }
    return {};
}

std::string plainName(const std::vector<std::string>& lines)
{
    std::vector<PlainLine> contact;
    for (const std::string& line : lines)
        contact.push_back({ line, LineRole::Property });
    return plainName(contact);
}

} // namespace tessely::test
