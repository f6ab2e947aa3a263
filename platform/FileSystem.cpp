#include "FileSystem.h"

#include "FileError.h"
#include "Paths.h"
#include "Selection.h"

#include <vector>

namespace tessely
{
namespace
{

bool allDigits(std::string_view text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace

Permissions filePermissionsFor(Permissions input)
{
    return input & 0666u;
}

Permissions folderPermissionsFor(Permissions input)
{
    // Each read bit brings the matching search bit, so the folder opens to exactly those who may read.
    return (input & 0666u) | ((input & 0444u) >> 2);
}

HeldFolder::HeldFolder(std::string path)
    : m_path(std::move(path))
{
}

std::string HeldFolder::pathOf(std::string_view name) const
{
    // A root ("/", "C:\") already ends with its separator.
    if (!m_path.empty() && isPathSeparator(m_path.back()))
        return m_path + std::string(name);
    return joinPath(m_path, name);
}

void HeldFolder::removeLeftTemporaries()
{
    std::vector<std::string> left;
    try {
        listFolder([&left](std::string_view name) {
            if (isTemporaryName(name))
                left.emplace_back(name);
        });
    } catch (const FileError&) {
        return; // a folder that cannot be listed, as a write-only one: the job itself may still write there
    }
    for (const std::string& name : left) {
        try {
            deleteFile(name);
        } catch (const FileError&) {
            // Still open somewhere, as on Windows a file may be: the next job tries again.
        }
    }
}

std::string HeldFolder::folderHolding(const std::string& path)
{
    return openableFolder(Selection::ofPath(path).folder);
}

bool isTemporaryName(std::string_view name)
{
    constexpr std::string_view prefix = ".tessely-";
    constexpr std::string_view extension = ".tmp";
    if (name.size() <= prefix.size() + extension.size() || name.substr(0, prefix.size()) != prefix
        || name.substr(name.size() - extension.size()) != extension)
        return false;
    const std::string_view middle = name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
    const auto dash = middle.find('-');
    return dash != std::string_view::npos && allDigits(middle.substr(0, dash)) && allDigits(middle.substr(dash + 1));
}

} // namespace tessely
