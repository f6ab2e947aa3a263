#include "Paths.h"

namespace tessely
{
namespace
{

std::string_view fileNameOf(std::string_view path)
{
    const auto slash = path.rfind(pathSeparator);
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string GetParentFolderName(std::string_view path)
{
    const auto slash = path.rfind(pathSeparator);
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
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

std::string openableFolder(std::string_view folder)
{
    return folder.empty() ? std::string(1, pathSeparator) : std::string(folder);
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
