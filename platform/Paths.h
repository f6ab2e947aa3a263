#ifndef TESSELY_PLATFORM_PATHS_H
#define TESSELY_PLATFORM_PATHS_H

#include <string>
#include <string_view>

namespace tessely
{

/// The separator between folder and name on this platform.
inline constexpr char pathSeparator = '/';

/// The folder part of `path`, without a closing separator; works on the text alone.
std::string GetParentFolderName(std::string_view path);
/// The last component of `path`: the file's name without its folder.
std::string GetFileName(std::string_view path);
/// The last component of `path` without its last extension ("John Jr..vcf" gives "John Jr.").
std::string GetBaseName(std::string_view path);
/// The text after the last "." of the last component, without the dot; empty when there is none.
std::string GetExtensionName(std::string_view path);
/// `folder` in a form the system can open: the folder part of a file in the root is empty, and this gives
/// the root for it.
std::string openableFolder(std::string_view folder);
/// The folder, one separator and the name, without looking at the end of the folder.
std::string joinPath(std::string_view folder, std::string_view name);

} // namespace tessely

#endif
