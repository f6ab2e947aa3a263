#include "FileError.h"
#include "FileSystem.h"
#include "Paths.h"
#include "WideText.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <system_error>
#include <windows.h>

namespace tessely
{
namespace
{

/// Windows errors that POSIX has no word for keep the system's own text.
class WindowsCategory final : public std::error_category
{
public:
    const char* name() const noexcept override
    {
        return "windows";
    }
    std::string message(int code) const override
    {
        wchar_t* buffer = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr,
            static_cast<DWORD>(code),
            0,
            reinterpret_cast<wchar_t*>(&buffer),
            0,
            nullptr);
        if (length == 0 || buffer == nullptr)
            return "Windows error " + std::to_string(static_cast<unsigned>(code));
        std::string text = toUtf8(std::wstring_view(buffer, length));
        ::LocalFree(buffer);
        // One line, without the closing full stop, like the POSIX reasons it stands beside.
        while (
            !text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
            text.pop_back();
        return text;
    }
};

const std::error_category& windowsCategory()
{
    static const WindowsCategory category;
    return category;
}

/// The reason for a Windows error: the POSIX reason where there is one, so that a message reads the same
/// on both systems, else the system's own text.
std::error_code reasonFor(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ACCESS_DENIED:
        return std::make_error_code(std::errc::permission_denied);
    case ERROR_WRITE_PROTECT:
        return std::make_error_code(std::errc::read_only_file_system);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return std::make_error_code(std::errc::file_exists);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::make_error_code(std::errc::no_space_on_device);
    case ERROR_FILENAME_EXCED_RANGE:
        return std::make_error_code(std::errc::filename_too_long);
    case ERROR_DIR_NOT_EMPTY:
        return std::make_error_code(std::errc::directory_not_empty);
    case ERROR_DIRECTORY:
        return std::make_error_code(std::errc::not_a_directory);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return std::make_error_code(std::errc::not_enough_memory);
    case ERROR_NOT_SAME_DEVICE:
        return std::make_error_code(std::errc::cross_device_link);
    case ERROR_CANT_RESOLVE_FILENAME:
        return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    default:
        return { static_cast<int>(error), windowsCategory() };
    }
}

FileError windowsError(const std::string& action, const std::string& path, DWORD error = ::GetLastError())
{
    return FileError(action, path, reasonFor(error));
}

/// True for the errors that say nothing is at a path.
bool isMissing(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_DRIVE
        || error == ERROR_BAD_NETPATH || error == ERROR_BAD_NET_NAME || error == ERROR_CANT_RESOLVE_FILENAME;
}

/// True for the errors with which the system turns down a name it cannot store.
bool isRefusedName(DWORD error)
{
    return error == ERROR_INVALID_NAME || error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_BAD_PATHNAME
        || error == ERROR_INVALID_PARAMETER || error == ERROR_DIRECTORY || error == ERROR_NO_UNICODE_TRANSLATION;
}

class Handle
{
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE)
        : m_handle(handle)
    {
    }
    ~Handle()
    {
        if (valid())
            ::CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept
        : m_handle(other.release())
    {
    }
    Handle& operator=(Handle&& other) noexcept
    {
        if (this != &other) {
            if (valid())
                ::CloseHandle(m_handle);
            m_handle = other.release();
        }
        return *this;
    }

    bool valid() const
    {
        return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr;
    }
    HANDLE get() const
    {
        return m_handle;
    }
    HANDLE release()
    {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return handle;
    }

private:
    HANDLE m_handle;
};

bool startsWith(std::wstring_view text, std::wstring_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

/// Paths of this length and more get the \\?\ form; CreateDirectoryW already stops 12 characters short of
/// the classic limit of 260.
constexpr std::size_t longPathLimit = MAX_PATH - 12;

/// The path as the Windows calls take it: UTF-16, made absolute the way Windows itself reads a path
/// (either separator, "." and ".."), and in the \\?\ form when it is too long for the plain one. False when
/// `path` is not valid UTF-8.
bool toWindowsPath(const std::string& path, std::wstring& result)
{
    std::wstring wide;
    if (!toWide(path, wide))
        return false;
    if (wide.empty())
        wide = L"\\"; // the folder of "/x.vcf": the root
    else if (wide.size() == 2 && wide[1] == L':')
        wide += L'\\'; // "C:" alone would be the drive's current folder, not its root
    if (startsWith(wide, L"\\\\?\\") || startsWith(wide, L"\\\\.\\")) {
        result = std::move(wide);
        return true;
    }
    const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        result = std::move(wide);
        return true;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    full.resize(length < needed ? length : 0);
    if (full.size() < longPathLimit)
        result = std::move(full);
    else if (startsWith(full, L"\\\\"))
        result = L"\\\\?\\UNC\\" + full.substr(2);
    else
        result = L"\\\\?\\" + full;
    return true;
}

std::wstring windowsPath(const std::string& action, const std::string& path)
{
    std::wstring wide;
    if (!toWindowsPath(path, wide))
        throw FileError(action, path, std::make_error_code(std::errc::illegal_byte_sequence));
    return wide;
}

std::wstring_view lastComponent(std::wstring_view path)
{
    const auto separator = path.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? path : path.substr(separator + 1);
}

std::wstring_view folderOf(std::wstring_view path)
{
    const auto separator = path.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? std::wstring_view() : path.substr(0, separator);
}

/// True for the names of devices (see the rule in Paths.h), which Windows gives to the device wherever they
/// stand in a path.
bool isDeviceName(std::wstring_view name)
{
    return tessely::isDeviceName(toUtf8(name));
}

/// The most UTF-16 units a name may have on NTFS, FAT and exFAT alike.
constexpr std::size_t longestName = 255;

/// True when Windows would refuse `name` for a new file, or store it under another name: names too long,
/// characters that no file name may hold (a colon would even name a stream inside another file), a trailing
/// dot or space, which the system drops, and device names.
bool nameRefused(std::wstring_view name)
{
    if (name.empty() || name == L"." || name == L".." || name.size() > longestName)
        return true;
    for (const wchar_t c : name)
        if (c < 32 || std::wstring_view(L"<>:\"/\\|?*").find(c) != std::wstring_view::npos)
            return true;
    return name.back() == L'.' || name.back() == L' ' || isDeviceName(name);
}

/// True when Windows cannot keep the last component of `path` as the name of a new file. The name is
/// looked at as given: Windows reading the whole path would already have dropped a trailing dot or space.
bool newNameRefused(const std::string& path)
{
    const auto separator = path.find_last_of("\\/");
    std::wstring name;
    return !toWide(separator == std::string::npos ? path : path.substr(separator + 1), name) || nameRefused(name);
}

/// True for paths into the device namespace (\\.\COM1, \\.\pipe\...): never files.
bool isDevicePath(std::wstring_view path)
{
    return startsWith(path, L"\\\\.\\") || isDeviceName(lastComponent(path));
}

PathKind kindOfOpened(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info {};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info))
        return PathKind::Other;
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::File;
}

PathKind kindOfPath(const std::wstring& path)
{
    if (isDevicePath(path))
        return PathKind::Other;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return PathKind::None;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::File;
    // A symbolic link or a junction: what it leads to decides.
    const Handle target(::CreateFileW(path.c_str(),
        FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr,
        OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS,
        nullptr));
    if (target.valid())
        return kindOfOpened(target.get());
    if (isMissing(::GetLastError()))
        return PathKind::BrokenLink;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::File;
}

/// Opens a new file for writing, only when nothing at all has the name: CREATE_NEW never opens what is
/// there, and with FILE_FLAG_OPEN_REPARSE_POINT a link at the name is the name, not the way to its target.
/// Others may read the file, or delete it, while it is written, as on POSIX systems.
Handle createExclusive(const std::wstring& path)
{
    return Handle(::CreateFileW(path.c_str(),
        GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_DELETE,
        nullptr,
        CREATE_NEW,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
        nullptr));
}

/// True when a failed exclusive creation means that something has the name: a folder gives "access
/// denied" rather than "exists".
bool nameTaken(const std::wstring& path, DWORD error)
{
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return true;
    return error == ERROR_ACCESS_DENIED && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool isPlainFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
        && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

/// Makes way for a file that is to replace `path`: a read-only file loses that attribute, which would
/// stop the replacement, and a link or junction to a folder is removed, since only a folder can replace
/// one. Neither touches what a link leads to.
void prepareReplacement(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            ::RemoveDirectoryW(path.c_str());
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
        ::SetFileAttributesW(path.c_str(), attributes & ~DWORD { FILE_ATTRIBUTE_READONLY });
}

std::wstring temporaryName()
{
    static std::atomic<unsigned> sequence { 0 };
    return L".tessely-" + std::to_wstring(::GetCurrentProcessId()) + L"-"
        + std::to_wstring((::GetTickCount() + sequence++) % 1000000007u) + L".tmp";
}

std::wstring inFolder(std::wstring_view folder, std::wstring_view name)
{
    std::wstring path(folder);
    if (!path.empty() && path.back() != L'\\')
        path += L'\\';
    path += name;
    return path;
}

class HandleSource final : public ByteSource
{
public:
    HandleSource(Handle handle, std::string path, Permissions permissions)
        : m_handle(std::move(handle))
        , m_path(std::move(path))
        , m_permissions(permissions)
    {
    }

    std::size_t read(char* buffer, std::size_t size) override
    {
        DWORD got = 0;
        const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!::ReadFile(m_handle.get(), buffer, wanted, &got, nullptr))
            throw windowsError("cannot read file", m_path);
        return got;
    }

    void seek(std::uint64_t offset) override
    {
        LARGE_INTEGER position {};
        position.QuadPart = static_cast<LONGLONG>(offset);
        if (!::SetFilePointerEx(m_handle.get(), position, nullptr, FILE_BEGIN))
            throw windowsError("cannot read file", m_path);
    }

    Permissions permissions() const override
    {
        return m_permissions;
    }

private:
    Handle m_handle;
    std::string m_path;
    Permissions m_permissions;
};

class HandleSink final : public ByteSink
{
public:
    HandleSink(Handle handle, std::string path)
        : m_handle(std::move(handle))
        , m_path(std::move(path))
    {
    }

    void write(const char* data, std::size_t size) override
    {
        while (size > 0) {
            DWORD done = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
            if (!::WriteFile(m_handle.get(), data, chunk, &done, nullptr))
                throw windowsError("cannot write file", m_path);
            data += done;
            size -= done;
        }
    }

    void close() override
    {
        const HANDLE handle = m_handle.release();
        if (handle != INVALID_HANDLE_VALUE && !::CloseHandle(handle))
            throw windowsError("cannot write file", m_path);
    }

    void setPermissions(Permissions /*permissions*/) override
    {
        // New files take the access rules of their folder on Windows; the POSIX bits have no meaning here.
    }

private:
    Handle m_handle;
    std::string m_path;
};

/// The folder itself, open for adding files and shared with everyone but another lock: a second handle that
/// asks for the same access is refused by the system's sharing rules, while reading the folder, creating,
/// renaming and deleting files in it, and even renaming the folder go on as usual. The system closes the
/// handle when the process ends, however it ends.
class LockedFolder final : public FolderLock
{
public:
    explicit LockedFolder(Handle handle)
        : m_handle(std::move(handle))
    {
    }

private:
    Handle m_handle;
};

class WindowsFileSystem final : public FileSystem
{
public:
    PathKind kindOf(const std::string& path) override
    {
        std::wstring wide;
        // Bytes that are not UTF-8 name nothing Windows can hold.
        return toWindowsPath(path, wide) ? kindOfPath(wide) : PathKind::None;
    }

    void createFolder(const std::string& path, Permissions /*permissions*/) override
    {
        const std::wstring wide = windowsPath("cannot create folder", path);
        if (newNameRefused(path))
            throw FileError("cannot create folder", path, std::make_error_code(std::errc::invalid_argument));
        if (!::CreateDirectoryW(wide.c_str(), nullptr))
            throw windowsError("cannot create folder", path);
    }

    std::unique_ptr<ByteSource> openRead(const std::string& path) override
    {
        const std::wstring wide = windowsPath("cannot open file", path);
        // A device is refused before it is opened, since opening one may act on it; the name alone tells.
        if (isDevicePath(wide))
            throw FileError("cannot open file", path, FileErrc::NotRegularFile);
        // Others may read the file too, but nobody may change it while it is read.
        Handle file(::CreateFileW(
            wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file.valid()) {
            const DWORD error = ::GetLastError();
            // A folder cannot be opened as a file at all: the system calls that "access denied".
            if (error == ERROR_ACCESS_DENIED && isFolder(::GetFileAttributesW(wide.c_str())))
                throw FileError("cannot open file", path, FileErrc::NotRegularFile);
            throw windowsError("cannot open file", path, error);
        }
        BY_HANDLE_FILE_INFORMATION info {};
        if (::GetFileType(file.get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file.get(), &info)
            || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            throw FileError("cannot open file", path, FileErrc::NotRegularFile);
        const Permissions permissions = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
        return std::make_unique<HandleSource>(std::move(file), path, permissions);
    }

    std::unique_ptr<ByteSink> createFile(const std::string& path, Permissions /*permissions*/) override
    {
        const std::wstring wide = windowsPath("cannot create file", path);
        if (newNameRefused(path))
            throw FileError("cannot create file", path, std::make_error_code(std::errc::invalid_argument));
        Handle file = createExclusive(wide);
        if (file.valid())
            return std::make_unique<HandleSink>(std::move(file), path);
        const DWORD error = ::GetLastError();
        if (!nameTaken(wide, error))
            throw windowsError("cannot create file", path, error);
        if (isPlainFolder(::GetFileAttributesW(wide.c_str())))
            throw FileError("cannot create file", path, FileErrc::IsFolder);
        // Something has the name. The new file is made under a temporary name and renamed over it, which
        // replaces the name itself: whatever a link or a hard link there leads to keeps its content.
        std::wstring temporary;
        file = createTemporaryIn(folderOf(wide), temporary);
        if (!file.valid())
            throw windowsError("cannot create file", path);
        prepareReplacement(wide);
        if (!::MoveFileExW(temporary.c_str(), wide.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            const DWORD moveError = ::GetLastError();
            file = Handle();
            ::DeleteFileW(temporary.c_str());
            throw windowsError("cannot create file", path, moveError);
        }
        return std::make_unique<HandleSink>(std::move(file), path);
    }

    NewName createNewFile(
        const std::string& path, Permissions /*permissions*/, std::unique_ptr<ByteSink>& sink) override
    {
        std::wstring wide;
        if (newNameRefused(path) || !toWindowsPath(path, wide))
            return NewName::Refused;
        Handle file = createExclusive(wide);
        if (file.valid()) {
            sink = std::make_unique<HandleSink>(std::move(file), path);
            return NewName::Done;
        }
        const DWORD error = ::GetLastError();
        if (nameTaken(wide, error))
            return NewName::Taken;
        if (isRefusedName(error))
            return NewName::Refused;
        throw windowsError("cannot create file", path, error);
    }

    std::unique_ptr<ByteSink> createTemporary(
        const std::string& folder, Permissions /*permissions*/, std::string& path) override
    {
        const std::wstring wide = windowsPath("cannot create file", folder);
        std::wstring temporary;
        Handle file = createTemporaryIn(wide, temporary);
        const DWORD error = ::GetLastError();
        path = joinPath(folder, toUtf8(lastComponent(temporary)));
        if (!file.valid())
            throw windowsError("cannot create file", path, error);
        return std::make_unique<HandleSink>(std::move(file), path);
    }

    void moveFile(const std::string& from, const std::string& to) override
    {
        const std::wstring source = windowsPath("cannot create file", from);
        const std::wstring target = windowsPath("cannot create file", to);
        if (isPlainFolder(::GetFileAttributesW(target.c_str())))
            throw FileError("cannot create file", to, FileErrc::IsFolder);
        // A rename replaces the name itself: a link at `to` is replaced, its target stays as it was.
        prepareReplacement(target);
        if (!::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
            throw windowsError("cannot create file", to);
    }

    NewName moveToNewName(const std::string& from, const std::string& to) override
    {
        const std::wstring source = windowsPath("cannot create file", from);
        std::wstring target;
        if (newNameRefused(to) || !toWindowsPath(to, target))
            return NewName::Refused;
        if (::MoveFileExW(source.c_str(), target.c_str(), 0))
            return NewName::Done;
        const DWORD error = ::GetLastError();
        if (nameTaken(target, error))
            return NewName::Taken;
        if (isRefusedName(error))
            return NewName::Refused;
        throw windowsError("cannot create file", to, error);
    }

    void deleteFile(const std::string& path) override
    {
        const std::wstring wide = windowsPath("cannot delete file", path);
        const DWORD attributes = ::GetFileAttributesW(wide.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0
            && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            // A link or junction to a folder goes the way of a folder; the folder it leads to stays.
            if (!::RemoveDirectoryW(wide.c_str()))
                throw windowsError("cannot delete file", path);
            return;
        }
        // A read-only file can be deleted on POSIX systems when its folder allows it; on Windows the
        // attribute must go first.
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0
            && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
            ::SetFileAttributesW(wide.c_str(), attributes & ~DWORD { FILE_ATTRIBUTE_READONLY });
        if (!::DeleteFileW(wide.c_str())) {
            const DWORD error = ::GetLastError();
            if (isPlainFolder(attributes))
                throw FileError("cannot delete file", path, FileErrc::IsFolder);
            throw windowsError("cannot delete file", path, error);
        }
    }

    std::unique_ptr<FolderLock> lockFolder(const std::string& folder) override
    {
        const std::wstring wide = windowsPath("cannot lock folder", folder);
        if (kindOfPath(wide) != PathKind::Folder) {
            const DWORD attributes = ::GetFileAttributesW(wide.c_str());
            throw windowsError("cannot lock folder",
                folder,
                attributes == INVALID_FILE_ATTRIBUTES ? ::GetLastError() : ERROR_DIRECTORY);
        }
        Handle lock(::CreateFileW(wide.c_str(),
            FILE_ADD_FILE,
            FILE_SHARE_READ | FILE_SHARE_DELETE,
            nullptr,
            OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS,
            nullptr));
        if (lock.valid() && kindOfOpened(lock.get()) == PathKind::Folder)
            return std::make_unique<LockedFolder>(std::move(lock));
        if (lock.valid())
            throw windowsError("cannot lock folder", folder, ERROR_DIRECTORY);
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            throw FileError("cannot lock folder", folder, FileErrc::FolderLocked);
        throw windowsError("cannot lock folder", folder, error);
    }

    void listFolder(const std::string& folder, const std::function<void(std::string_view)>& visit) override
    {
        const std::wstring pattern = inFolder(windowsPath("cannot read folder", folder), L"*");
        WIN32_FIND_DATAW entry {};
        const HANDLE search = ::FindFirstFileExW(
            pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (search == INVALID_HANDLE_VALUE) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND) // a drive's root may hold nothing at all
                return;
            throw windowsError("cannot read folder", folder, error);
        }
        struct Closer {
            HANDLE search;
            ~Closer()
            {
                ::FindClose(search);
            }
        } closer { search };
        do {
            const std::wstring_view name = entry.cFileName;
            if (name != L"." && name != L"..")
                visit(toUtf8(name));
        } while (::FindNextFileW(search, &entry));
        const DWORD error = ::GetLastError();
        if (error != ERROR_NO_MORE_FILES)
            throw windowsError("cannot read folder", folder, error);
    }

    std::string realFolder(const std::string& folder) override
    {
        const std::wstring wide = windowsPath("cannot open folder", folder);
        const Handle handle(::CreateFileW(wide.c_str(),
            FILE_READ_ATTRIBUTES,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr,
            OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS,
            nullptr));
        if (!handle.valid())
            throw windowsError("cannot open folder", folder);
        // Room for the longest path there is.
        std::wstring real(32768, L'\0');
        const DWORD length = ::GetFinalPathNameByHandleW(
            handle.get(), real.data(), static_cast<DWORD>(real.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0 && ::GetLastError() == ERROR_MORE_DATA) {
            // Wine cannot name a folder beyond the classic path limit this way. The folder's full path, which
            // was opened just now, is the best answer then; it resolves "." and ".." but not links.
            real = wide;
        } else if (length == 0 || length >= real.size()) {
            throw windowsError("cannot open folder", folder);
        } else {
            real.resize(length);
        }
        // The system answers in the \\?\ form; users know the plain one.
        if (startsWith(real, L"\\\\?\\UNC\\"))
            real = L"\\\\" + real.substr(8);
        else if (startsWith(real, L"\\\\?\\"))
            real = real.substr(4);
        return toUtf8(real);
    }

private:
    /// Creates a new, uniquely named file in `folder` and stores its path in `path`.
    static Handle createTemporaryIn(std::wstring_view folder, std::wstring& path)
    {
        for (int attempt = 0;; ++attempt) {
            path = inFolder(folder, temporaryName());
            Handle file = createExclusive(path);
            if (file.valid() || ::GetLastError() != ERROR_FILE_EXISTS || attempt > 100)
                return file;
        }
    }
};

} // namespace

FileSystem& localFileSystem()
{
    static WindowsFileSystem instance;
    return instance;
}

} // namespace tessely
