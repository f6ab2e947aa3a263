#include "NextFreeFileName.h"

#include "platform/Paths.h"
#include "platform/Text.h"

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

} // namespace

std::string NextFreeFileName(std::string_view path)
{
    if (path.empty())
        return {};
    const std::string base = GetBaseName(path);
    const std::string extension = GetExtensionName(path);

    std::int64_t number = 0;
    const auto mark = base.rfind(suffixMark);
    if (mark != std::string::npos) {
        const std::string_view suffix = trimSpaces(std::string_view(base).substr(mark + suffixMark.size()));
        if (!parseSuffixNumber(suffix, number))
            number = 0;
    }

    // A suffix at the top of the number range has no successor; such a name starts a suffix of its own.
    std::string name;
    if (number != 0 && number != std::numeric_limits<std::int64_t>::max()) {
        name.assign(base, 0, mark);
        name.append(suffixMark);
        name.append(std::to_string(number + 1));
    } else {
        name = base;
        name.append(suffixMark);
        name.push_back('1');
    }
    name.push_back('.');
    name.append(extension);
    return joinPath(GetParentFolderName(path), name);
}

} // namespace tessely
