#ifndef TESSELY_TESTS_SYSTEM_H
#define TESSELY_TESTS_SYSTEM_H

#include <filesystem>
#include <string>
#include <vector>

namespace tessely::test
{

/// A device that reads as empty: neither a regular file nor a folder.
#ifdef _WIN32
inline constexpr const char* nullDevice = "\\\\.\\NUL";
#else
inline constexpr const char* nullDevice = "/dev/null";
#endif

/// `path`, UTF-8 as the program's paths are, for std::filesystem and the file streams; on Windows in the
/// \\?\ form when it is too long for the plain one, which std::filesystem does not add by itself.
std::filesystem::path systemPath(const std::string& path);

/// The names in the folder at `path`, in the system's order.
std::vector<std::string> folderEntries(const std::string& path);
/// Removes the folder at `path` with everything in it, read-only files included; links are removed, never
/// followed. Failures are ignored.
void removeTree(const std::string& path);

/// Makes `link` a link to the folder `target`: a symbolic link, or on Windows a junction, which needs no
/// special right. False when the system makes none (Wine).
bool makeFolderLink(const std::string& target, const std::string& link);

/// True when the tests run under Wine rather than on Windows itself.
bool runningUnderWine();

} // namespace tessely::test

#endif
