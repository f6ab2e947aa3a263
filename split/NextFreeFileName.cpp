#include "NextFreeFileName.h"

#include "platform/Paths.h"
#include "platform/Text.h"

#include <algorithm>
#include <charconv>
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
    return advanceName(fileName, 1);
}

std::string advanceName(std::string_view fileName, std::uint64_t steps)
{
    std::string name(fileName);
    while (steps > 0) {
        const std::string base = GetBaseName(name);
        std::size_t mark = 0;
        const std::int64_t number = suffixNumber(base, mark);
        // A suffix counts up by one a step, a positive one many steps at once; one at the top of the number
        // range has no successor, so such a name, like one without a suffix, starts a suffix of its own.
        constexpr std::int64_t top = std::numeric_limits<std::int64_t>::max();
        const bool counts = number != 0 && number != top;
        const std::uint64_t jump = number > 0 && counts ? std::min(steps, static_cast<std::uint64_t>(top - number)) : 1;
        name = withSuffix(base,
            counts ? mark : base.size(),
            counts ? number + static_cast<std::int64_t>(jump) : 1,
            GetExtensionName(name));
        steps -= jump;
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
