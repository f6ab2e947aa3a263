#include "Paths.h"

namespace tessely
{
namespace
{

/// True when `path` starts with a drive letter and a colon, which only Windows reads as a drive.
bool hasDrive(std::string_view path)
{
    if (pathSeparator != '\\' || path.size() < 2 || path[1] != ':')
        return false;
    const char letter = path[0];
    return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}

/// Where the folder part of `path` ends: at its last separator, or on Windows after a drive without one
/// ("C:x.vcf"); npos when there is no folder part.
std::size_t folderEnd(std::string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i) {
        if (isPathSeparator(path[i - 1]))
            return i - 1;
    }
    return hasDrive(path) ? 2 : std::string_view::npos;
}

std::string_view fileNameOf(std::string_view path)
{
    const std::size_t end = folderEnd(path);
    if (end == std::string_view::npos)
        return path;
    return path.substr(end < path.size() && isPathSeparator(path[end]) ? end + 1 : end);
}

} // namespace

bool isRelativePath(std::string_view path)
{
    return path.empty() || (!isPathSeparator(path[0]) && !hasDrive(path));
}

std::string GetParentFolderName(std::string_view path)
{
    const std::size_t end = folderEnd(path);
    if (end == std::string_view::npos)
        return std::string();
    // "C:x.vcf" is in the drive's current folder, "C:.", not in its root.
    if (end == path.size() || !isPathSeparator(path[end]))
        return std::string(path.substr(0, end)) + '.';
    return std::string(path.substr(0, end));
}

std::string GetFileName(std::string_view path)
{
    return std::string(fileNameOf(path));
}

std::string GetBaseName(std::string_view path)
{
    const std::string_view name = fileNameOf(path);
    const auto dot = name.rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string GetExtensionName(std::string_view path)
{
    const std::string_view name = fileNameOf(path);
    const auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}

bool isDeviceName(std::string_view name)
{
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ')
        name.remove_suffix(1);
    std::string upper(name);
    for (char& c : upper)
        c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" || upper == "CONOUT$")
        return true;
    if (upper.size() < 4 || (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0))
        return false;
    // Windows counts the superscript digits one, two and three as digits here.
    const std::string_view digit = std::string_view(upper).substr(3);
    return (digit.size() == 1 && digit[0] >= '0' && digit[0] <= '9') || digit == "\xC2\xB9" || digit == "\xC2\xB2"
        || digit == "\xC2\xB3";
}

std::string openableFolder(std::string_view folder)
{
    if (folder.empty())
        return std::string(1, pathSeparator);
    if (folder.size() == 2 && hasDrive(folder))
        return std::string(folder) + pathSeparator;
    return std::string(folder);
}

std::string joinPath(std::string_view folder, std::string_view name)
{
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    path.push_back(pathSeparator);
    path.append(name);
    return path;
}

} // namespace tessely
