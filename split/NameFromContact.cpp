#include "NameFromContact.h"

#include "ContactNamer.h"
#include "platform/Text.h"

namespace tessely
{
namespace
{

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
    ContactNamer namer;
    namer.start();
    for (std::size_t position = 1; position < contact.size(); ++position)
        namer.feed(contact[position], true, true);
    return namer.name();
}

std::string CleanFileName(std::string_view value)
{
    std::string text(trimSpaces(value));
    // Characters that cannot stand in a file name on common file systems go; separators between name
    // parts become spaces.
    for (const char c : { ':', '\\', '/', '?', '*', '<', '>' })
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
