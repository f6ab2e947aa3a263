#include "ParseMultiSelection.h"

#include "platform/Text.h"

#include <string_view>

namespace tessely
{

std::string ParseMultiSelection(const std::string& selection, std::vector<std::string>& names)
{
    names.clear();
    const std::string_view text = selection;
    const auto firstNul = text.find('\0');
    // A selection without any NUL names one file, not a folder with files: there is nothing to give.
    if (firstNul == std::string_view::npos)
        return {};
    std::string folder(text.substr(0, firstNul));

    std::string_view rest = trimSpaces(text.substr(firstNul + 1));
    if (rest.find('\0') == std::string_view::npos)
        return folder;
    for (;;) {
        const auto nul = rest.find('\0');
        if (nul == std::string_view::npos) {
            names.emplace_back(rest);
            break;
        }
        names.emplace_back(rest.substr(0, nul));
        rest = trimSpaces(rest.substr(nul + 1));
    }
    return folder;
}

} // namespace tessely
