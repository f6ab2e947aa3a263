#include "System.h"

#ifdef _WIN32
#include "platform/WideText.h"

#include <cstring>
#include <vector>
#include <windows.h>
#include <winioctl.h>
#endif

namespace tessely::test
{

#ifdef _WIN32

std::filesystem::path systemPath(const std::string& path)
{
    std::filesystem::path result = std::filesystem::u8path(path);
    if (path.size() < 240 || path.rfind("\\\\?\\", 0) == 0)
        return result;
    // The \\?\ form takes the path as it is: it must be whole, with "\" only and no "." or "..".
    result = std::filesystem::absolute(result).lexically_normal();
    result.make_preferred();
    const std::wstring& full = result.native();
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// std::filesystem cannot list a folder in the \\?\ form, which long paths need, nor remove read-only
// files: the system is asked directly.

std::vector<std::string> folderEntries(const std::string& path)
{
    std::vector<std::string> names;
    const std::wstring pattern = systemPath(path).native() + L"\\*";
    WIN32_FIND_DATAW entry {};
    const HANDLE search = ::FindFirstFileW(pattern.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring_view name = entry.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(toUtf8(name));
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
    return names;
}

namespace
{

void removeTreeAt(const std::wstring& path)
{
    WIN32_FIND_DATAW entry {};
    const HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring_view name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + std::wstring(name);
            const DWORD attributes = entry.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
                removeTreeAt(child);
            } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                ::RemoveDirectoryW(child.c_str());
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(search, &entry));
        ::FindClose(search);
    }
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(path.c_str());
}

std::wstring longForm(const std::string& path)
{
    std::filesystem::path full = std::filesystem::absolute(std::filesystem::u8path(path)).lexically_normal();
    const std::wstring wide = full.make_preferred().native();
    if (wide.rfind(L"\\\\?\\", 0) == 0)
        return wide;
    if (wide.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + wide.substr(2);
    return L"\\\\?\\" + wide;
}

} // namespace

void removeTree(const std::string& path)
{
    if (!path.empty())
        removeTreeAt(longForm(path));
}

bool makeFolderLink(const std::string& target, const std::string& link)
{
    std::wstring linkPath;
    std::wstring targetPath;
    if (!toWide(link, linkPath) || !toWide(std::filesystem::absolute(systemPath(target)).u8string(), targetPath))
        return false;
    if (!::CreateDirectoryW(linkPath.c_str(), nullptr))
        return false;
    const HANDLE handle = ::CreateFileW(linkPath.c_str(),
        GENERIC_WRITE,
        0,
        nullptr,
        OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
        nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        ::RemoveDirectoryW(linkPath.c_str());
        return false;
    }
    // A junction's reparse data: tag, data length, a reserved word, then where in the path buffer the
    // substitute name (in the system's own form, \??\C:\...) and the name to print stand, then both names,
    // each closed by a zero.
    const std::wstring substitute = L"\\??\\" + targetPath;
    const std::size_t substituteBytes = substitute.size() * sizeof(wchar_t);
    const std::size_t printBytes = targetPath.size() * sizeof(wchar_t);
    std::vector<char> data(16 + substituteBytes + printBytes + 2 * sizeof(wchar_t));
    const auto put = [&data](std::size_t at, auto value) { std::memcpy(data.data() + at, &value, sizeof value); };
    put(0, DWORD { IO_REPARSE_TAG_MOUNT_POINT });
    put(4, static_cast<WORD>(data.size() - 8));
    put(8, WORD { 0 });
    put(10, static_cast<WORD>(substituteBytes));
    put(12, static_cast<WORD>(substituteBytes + sizeof(wchar_t)));
    put(14, static_cast<WORD>(printBytes));
    std::memcpy(data.data() + 16, substitute.c_str(), substituteBytes);
    std::memcpy(data.data() + 16 + substituteBytes + sizeof(wchar_t), targetPath.c_str(), printBytes);
    DWORD returned = 0;
    const bool made = ::DeviceIoControl(
        handle, FSCTL_SET_REPARSE_POINT, data.data(), static_cast<DWORD>(data.size()), nullptr, 0, &returned, nullptr);
    ::CloseHandle(handle);
    const DWORD attributes = ::GetFileAttributesW(linkPath.c_str());
    if (made && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return true;
    ::RemoveDirectoryW(linkPath.c_str());
    return false;
}

bool runningUnderWine()
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

#else

std::filesystem::path systemPath(const std::string& path)
{
    return path;
}

std::vector<std::string> folderEntries(const std::string& path)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    return names;
}

void removeTree(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path, ignored);
}

bool makeFolderLink(const std::string& target, const std::string& link)
{
    std::error_code error;
    std::filesystem::create_directory_symlink(target, link, error);
    return !error;
}

bool runningUnderWine()
{
    return false;
}

#endif

} // namespace tessely::test
