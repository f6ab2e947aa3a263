#include "NextFreeFileName.h"

#include "platform/Paths.h"
#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>

namespace tessely
{
namespace
{

constexpr std::string_view suffixMark = "-#";

/// Reads an optionally signed decimal integer that fills the whole text. Text that is empty, holds anything
/// else, or does not fit a 64-bit integer is not a number.
bool parseSuffixNumber(std::string_view text, std::int64_t& number)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() == '-')
            return false;
    }
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    return error == std::errc() && stop == end;
}

std::string withSuffix(const std::string& base, std::size_t mark, std::int64_t number, const std::string& extension)
{
    std::string name(base, 0, mark);
    name.append(suffixMark);
    name.append(std::to_string(number));
    name.push_back('.');
    name.append(extension);
    return name;
}

} // namespace

std::int64_t suffixNumber(std::string_view base, std::size_t& mark)
{
    std::int64_t number = 0;
    mark = base.rfind(suffixMark);
    if (mark != std::string_view::npos) {
        const std::string_view suffix = trimSpaces(base.substr(mark + suffixMark.size()));
        if (!parseSuffixNumber(suffix, number))
            number = 0;
    }
    return number;
}

std::string nextFreeName(std::string_view fileName)
{
    const std::string base = GetBaseName(fileName);
    const std::string extension = GetExtensionName(fileName);
    std::size_t mark = 0;
    const std::int64_t number = suffixNumber(base, mark);
    // A suffix at the top of the number range has no successor; such a name starts a suffix of its own.
    if (number != 0 && number != std::numeric_limits<std::int64_t>::max())
        return withSuffix(base, mark, number + 1, extension);
    std::string name = base;
    name.append(suffixMark);
    name.append("1.");
    name.append(extension);
    return name;
}

std::string advanceName(std::string_view fileName, std::uint64_t steps)
{
    std::string name(fileName);
    while (steps > 0) {
        const std::string base = GetBaseName(name);
        std::size_t mark = 0;
        const std::int64_t number = suffixNumber(base, mark);
        // A positive suffix counts up by one a step: many steps at once, short of the top of the range.
        constexpr std::int64_t top = std::numeric_limits<std::int64_t>::max();
        const std::uint64_t room = number > 0 && number < top ? static_cast<std::uint64_t>(top - 1 - number) : 0;
        if (room > 0) {
            const std::uint64_t jump = std::min(steps, room);
            name = withSuffix(base, mark, number + static_cast<std::int64_t>(jump), GetExtensionName(name));
            steps -= jump;
        } else {
            name = nextFreeName(name);
            --steps;
        }
    }
    return name;
}

std::string NextFreeFileName(std::string_view path)
{
    if (path.empty())
        return {};
    return joinPath(GetParentFolderName(path), nextFreeName(GetFileName(path)));
}

} // namespace tessely
