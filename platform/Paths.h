#ifndef TESSELY_PLATFORM_PATHS_H
#define TESSELY_PLATFORM_PATHS_H

#include <string>
#include <string_view>

namespace tessely
{

/// The separator between folder and name that this platform writes: "\" on Windows, "/" elsewhere.
#ifdef _WIN32
inline constexpr char pathSeparator = '\\';
#else
inline constexpr char pathSeparator = '/';
#endif
/// True for a character that ends a folder's name in a path: "/", and on Windows "\" as well.
constexpr bool isPathSeparator(char c)
{
    return c == '/' || c == pathSeparator;
}

/// True when `path` is taken from the current folder. A path from a root ("/x", and on Windows "\x") is
/// not, nor on Windows one that names a drive ("C:\x", "C:x") or a server ("\\server\share\x").
bool isRelativePath(std::string_view path);

/// The folder part of `path`, without a closing separator; works on the text alone. On Windows the folder
/// part of a file in a drive's root is the drive ("C:").
std::string GetParentFolderName(std::string_view path);
/// The last component of `path`: the file's name without its folder.
std::string GetFileName(std::string_view path);
/// The last component of `path` without its last extension ("John Jr..vcf" gives "John Jr.").
std::string GetBaseName(std::string_view path);
/// The text after the last "." of the last component, without the dot; empty when there is none.
std::string GetExtensionName(std::string_view path);
/// True when Windows takes a file of this name for a device, whatever folder it is in: the part before the
/// first dot, spaces at its end left out, is in any letter case CON, PRN, AUX, NUL, CONIN$, CONOUT$, or COM
/// or LPT and one digit, 0 to 9 or a superscript one, two or three ("COM¹"). The same rule on every system,
/// so that every build writes the same names for the same input.
bool isDeviceName(std::string_view name);
/// `folder` in a form the system can open: the folder part of a file in the root is empty, and this gives
/// the root for it; on Windows a drive alone ("C:") gives its root ("C:\"), not the drive's current folder.
std::string openableFolder(std::string_view folder);
/// The folder, one separator and the name, without looking at the end of the folder.
std::string joinPath(std::string_view folder, std::string_view name);

} // namespace tessely

#endif
