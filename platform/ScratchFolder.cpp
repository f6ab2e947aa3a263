#include "ScratchFolder.h"

#include "FileError.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include "WideText.h"

#include <random>
#include <windows.h>
#else
#include <cstdlib>
#include <vector>
#endif

namespace tessely
{
namespace
{

constexpr const char* createAction = "cannot create temporary folder";

#ifdef _WIN32

FileError windowsError(const std::string& path)
{
    return FileError(createAction, path, std::error_code(static_cast<int>(::GetLastError()), std::system_category()));
}

/// `wide` in the code page of the C runtime's narrow functions; false when a character has no place in it.
bool toRuntimeText(const std::wstring& wide, std::string& narrow)
{
    if (::GetACP() == CP_UTF8) {
        narrow = toUtf8(wide);
        return true;
    }
    BOOL lossy = FALSE;
    const int size = ::WideCharToMultiByte(
        CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy)
        return false;
    narrow.assign(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(
        CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), narrow.data(), size, nullptr, &lossy);
    return !lossy;
}

#endif

} // namespace

#ifdef _WIN32

ScratchFolder::ScratchFolder()
{
    wchar_t base[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, base);
    if (length == 0 || length > MAX_PATH)
        throw windowsError("%TEMP%");
    std::random_device random;
    std::wstring wide;
    for (int attempt = 0;; ++attempt) {
        wide = std::wstring(base, length) + L"tessely-" + std::to_wstring(random() % 1000000007U);
        if (::CreateDirectoryW(wide.c_str(), nullptr))
            break;
        if (::GetLastError() != ERROR_ALREADY_EXISTS || attempt > 100)
            throw windowsError(toUtf8(std::wstring(base, length)));
    }
    m_path = toUtf8(wide);
    if (toRuntimeText(wide, m_runtimePath))
        return;
    // A folder whose name the code page cannot spell may still have a short name that it can.
    wchar_t shortName[MAX_PATH + 1];
    const DWORD shortLength = ::GetShortPathNameW(wide.c_str(), shortName, MAX_PATH + 1);
    if (shortLength == 0 || shortLength > MAX_PATH
        || !toRuntimeText(std::wstring(shortName, shortLength), m_runtimePath)) {
        ::RemoveDirectoryW(wide.c_str());
        throw FileError(createAction, m_path, std::make_error_code(std::errc::illegal_byte_sequence));
    }
}

#else

ScratchFolder::ScratchFolder()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = base && *base ? base : "/tmp";
    pattern += "/tessely-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkdtemp makes the folder with mode 0700: nobody else may enter it.
    if (!::mkdtemp(name.data()))
        throw FileError::fromErrno(createAction, pattern);
    m_path = name.data();
    m_runtimePath = m_path;
}

#endif

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(m_path), ignored);
}

} // namespace tessely
