#include "PlainContacts.h"

#include "platform/Text.h"

namespace tessely::test
{
namespace
{

std::string withoutMark(const std::string& line)
{
    return line.rfind("\xEF\xBB\xBF", 0) == 0 ? line.substr(3) : line;
}

/// "AGENT", spaces, parameters after a ";" up to the first colon, and nothing but spaces after it.
bool isAgentLine(std::string line)
{
    line.erase(0, std::min(line.size(), line.find_first_not_of(' ')));
    if (upperCase(line.substr(0, 5)) != "AGENT")
        return false;
    std::string rest = line.substr(5);
    rest.erase(0, std::min(rest.size(), rest.find_first_not_of(' ')));
    if (rest.empty() || (rest[0] != ';' && rest[0] != ':'))
        return false;
    const auto colon = rest.find(':');
    return colon != std::string::npos && rest.find_first_not_of(' ', colon + 1) == std::string::npos;
}

} // namespace

std::vector<PlainLine> plainContactLines(const std::vector<std::string>& lines)
{
    std::vector<PlainLine> parts;
    bool inside = false;
    bool afterAgent = false;
    std::uint64_t depth = 0;
    for (const std::string& line : lines) {
        const std::string word = upperCase(trimSpaces(withoutMark(line)));
        const bool opening = word == "BEGIN:VCARD";
        const bool closing = word == "END:VCARD";
        LineRole role = LineRole::Property;
        if (!inside) {
            role = opening ? LineRole::Opening : LineRole::Outside;
            depth = 0;
        } else if (opening && afterAgent) {
            role = LineRole::Nested;
            ++depth;
        } else if (opening) {
            parts.push_back({ {}, LineRole::Closing, depth + 1 });
            role = LineRole::Opening;
            depth = 0;
        } else if (closing) {
            role = depth > 0 ? LineRole::Nested : LineRole::Closing;
            depth -= depth > 0 ? 1 : 0;
        } else if (depth > 0) {
            role = LineRole::Nested;
        }
        inside = role != LineRole::Closing && role != LineRole::Outside;
        afterAgent = (role == LineRole::Property || role == LineRole::Nested) && isAgentLine(withoutMark(line));
        parts.push_back({ line, role });
    }
    if (inside)
        parts.push_back({ {}, LineRole::Closing, depth + 1 });
    return parts;
}

std::vector<std::vector<PlainLine>> plainContacts(const std::vector<std::string>& lines)
{
    std::vector<std::vector<PlainLine>> contacts;
    for (const PlainLine& line : plainContactLines(lines)) {
        if (line.role == LineRole::Opening)
            contacts.emplace_back();
        else if (line.role != LineRole::Outside)
            contacts.back().push_back(line);
    }
    return contacts;
}

} // namespace tessely::test
