#include "FileError.h"
#include "FileSystem.h"
#include "Paths.h"
#include "UnfinishedFiles.h"
#include "WideText.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <system_error>
#include <vector>
#include <windows.h>
#include <winternl.h>

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
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return make_error_code(FileErrc::OpenElsewhere);
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

/// Opens what is at `path`, a folder too, links followed, only to look at it; shared with everyone.
Handle openToLookAt(const std::wstring& path)
{
    return Handle(::CreateFileW(path.c_str(),
        FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr,
        OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS,
        nullptr));
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
    const Handle target = openToLookAt(path);
    if (target.valid())
        return kindOfOpened(target.get());
    if (isMissing(::GetLastError()))
        return PathKind::BrokenLink;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::File;
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

/// The identity of an open file or folder: the volume's serial number and the file's index on it.
FileIdentity identityOf(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info {};
    FileIdentity identity;
    if (!::GetFileInformationByHandle(handle, &info))
        return identity;
    identity.device = info.dwVolumeSerialNumber;
    identity.file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    identity.links = info.nNumberOfLinks;
    return identity;
}

// The calls relative to an open folder are the system's own (ntdll): the Windows API names files by path
// only. Their answers are turned into Windows error codes, which the rest of this file speaks.

/// Opens `name` in the folder open as `folder`; gives the Windows error, 0 when `result` holds the file.
DWORD openAt(HANDLE folder,
    std::wstring_view name,
    ACCESS_MASK access,
    ULONG share,
    ULONG disposition,
    ULONG options,
    Handle& result)
{
    UNICODE_STRING text {};
    text.Buffer = const_cast<wchar_t*>(name.data());
    text.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    text.MaximumLength = text.Length;
    OBJECT_ATTRIBUTES attributes {};
    // Names that differ only in letter case are one name, as Windows compares them everywhere else.
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK status {};
    HANDLE opened = nullptr;
    const NTSTATUS answer = ::NtCreateFile(&opened,
        access | SYNCHRONIZE,
        &attributes,
        &status,
        nullptr,
        FILE_ATTRIBUTE_NORMAL,
        share,
        disposition,
        options | FILE_SYNCHRONOUS_IO_NONALERT,
        nullptr,
        0);
    if (answer < 0)
        return ::RtlNtStatusToDosError(answer);
    result = Handle(opened);
    return 0;
}

/// Opens whatever has `name` (a file, a folder, a link itself) to look at it or to remove it.
DWORD openNameAt(HANDLE folder, std::wstring_view name, ACCESS_MASK access, Handle& result)
{
    return openAt(folder,
        name,
        access | FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        FILE_OPEN,
        FILE_OPEN_REPARSE_POINT,
        result);
}

/// Gives the open `file` the name `to` in `folder`, replacing what has it when `replace`.
DWORD renameAt(HANDLE file, HANDLE folder, std::wstring_view to, bool replace)
{
    std::vector<char> buffer(sizeof(FILE_RENAME_INFORMATION) + to.size() * sizeof(wchar_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
    rename->ReplaceIfExists = replace;
    rename->RootDirectory = folder;
    rename->FileNameLength = static_cast<ULONG>(to.size() * sizeof(wchar_t));
    std::copy(to.begin(), to.end(), rename->FileName);
    IO_STATUS_BLOCK status {};
    const NTSTATUS answer
        = ::NtSetInformationFile(file, &status, rename, static_cast<ULONG>(buffer.size()), FileRenameInformation);
    return answer < 0 ? ::RtlNtStatusToDosError(answer) : 0;
}

/// Marks the open `file` for deletion: its name goes when the last handle to it is closed.
DWORD markDeleted(HANDLE file)
{
    // The field's name is also the name of a Windows function macro; it is the structure's only member.
    FILE_DISPOSITION_INFORMATION disposition { TRUE };
    IO_STATUS_BLOCK status {};
    const NTSTATUS answer
        = ::NtSetInformationFile(file, &status, &disposition, sizeof disposition, FileDispositionInformation);
    return answer < 0 ? ::RtlNtStatusToDosError(answer) : 0;
}

DWORD attributesOf(HANDLE file)
{
    FILE_BASIC_INFO basic {};
    return ::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ? basic.FileAttributes
                                                                                     : INVALID_FILE_ATTRIBUTES;
}

/// Takes the read-only attribute off an open file, which would stop its replacement or deletion.
void clearReadOnly(HANDLE file, DWORD attributes)
{
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0)
        return;
    FILE_BASIC_INFO basic {};
    basic.FileAttributes = (attributes & ~DWORD { FILE_ATTRIBUTE_READONLY }) | FILE_ATTRIBUTE_NORMAL;
    if ((basic.FileAttributes & ~DWORD { FILE_ATTRIBUTE_NORMAL }) != 0)
        basic.FileAttributes &= ~DWORD { FILE_ATTRIBUTE_NORMAL };
    ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
}

std::wstring temporaryName()
{
    static std::atomic<unsigned> sequence { 0 };
    return L".tessely-" + std::to_wstring(::GetCurrentProcessId()) + L"-"
        + std::to_wstring((::GetTickCount() + sequence++) % 1000000007u) + L".tmp";
}

/// The files that jobs have begun and not completed, for removeUnfinishedFiles().
UnfinishedFiles<HANDLE, wchar_t, longestName> unfinished;

class HandleSource final : public ByteSource
{
public:
    HandleSource(Handle handle, std::string path, Permissions permissions)
        : m_handle(std::move(handle))
        , m_path(std::move(path))
        , m_permissions(permissions)
        , m_identity(identityOf(m_handle.get()))
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

    FileIdentity identity() const override
    {
        return m_identity;
    }

private:
    Handle m_handle;
    std::string m_path;
    Permissions m_permissions;
    FileIdentity m_identity;
};

/// Checks an input just opened: a file on a disk, not a folder. Gives it as a source.
std::unique_ptr<ByteSource> sourceOf(Handle file, const std::string& path)
{
    BY_HANDLE_FILE_INFORMATION info {};
    if (::GetFileType(file.get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file.get(), &info)
        || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        throw FileError("cannot open file", path, FileErrc::NotRegularFile);
    const Permissions permissions = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
    return std::make_unique<HandleSource>(std::move(file), path, permissions);
}

class HandleSink final : public ByteSink
{
public:
    /// `slot` is the file's entry in the table of unfinished files, taken off when the file is complete.
    HandleSink(Handle handle, std::string path, int slot)
        : m_handle(std::move(handle))
        , m_path(std::move(path))
        , m_slot(slot)
    {
    }
    ~HandleSink() override
    {
        unfinished.unlist(m_slot);
    }
    HandleSink(const HandleSink&) = delete;
    HandleSink& operator=(const HandleSink&) = delete;

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
        unfinished.unlist(m_slot);
        m_slot = -1;
    }

    void setPermissions(Permissions /*permissions*/) override
    {
        // New files take the access rules of their folder on Windows; the POSIX bits have no meaning here.
    }

private:
    Handle m_handle;
    std::string m_path;
    int m_slot;
};

/// The folder itself, open for adding files and shared with everyone but another lock: a second handle that
/// asks for the same access is refused by the system's sharing rules, while reading the folder, creating,
/// renaming and deleting files in it, and even renaming the folder go on as usual. Every file of the job is
/// named relative to this handle. The system closes the handle when the process ends, however it ends.
class HandleFolder final : public HeldFolder
{
public:
    HandleFolder(std::string path, Handle handle)
        : HeldFolder(std::move(path))
        , m_handle(std::move(handle))
        , m_self(identityOf(m_handle.get()))
    {
        removeLeftTemporaries();
    }
    ~HandleFolder() override
    {
        unfinished.unlistFolder(m_handle.get());
    }
    HandleFolder(const HandleFolder&) = delete;
    HandleFolder& operator=(const HandleFolder&) = delete;

    void madeFrom(const FileIdentity& /*input*/) override
    {
        // New files take the access rules of their folder on Windows: there are no group bits to guard.
    }

    void protect(const FileIdentity& input, const std::string& inputPath) override
    {
        m_protected = input;
        // The input's name is in this folder when the folder that holds it is this one.
        std::wstring wide;
        m_inputHere
            = toWindowsPath(folderHolding(inputPath), wide) && identityOf(openToLookAt(wide).get()).sameFileAs(m_self);
    }

    bool holdsFolder(const std::string& name) override
    {
        std::wstring wide;
        Handle there;
        return toWide(name, wide) && openNameAt(m_handle.get(), wide, 0, there) == 0
            && isPlainFolder(attributesOf(there.get()));
    }

    std::unique_ptr<ByteSource> openRead(const std::string& name) override
    {
        std::wstring wide;
        if (!toWide(name, wide))
            throw FileError("cannot open file", pathOf(name), std::make_error_code(std::errc::illegal_byte_sequence));
        // A device is refused before it is opened, since opening one may act on it; the name alone tells.
        if (isDeviceName(wide))
            throw FileError("cannot open file", pathOf(name), FileErrc::NotRegularFile);
        Handle file;
        const DWORD error = openAt(m_handle.get(),
            wide,
            GENERIC_READ,
            FILE_SHARE_READ | FILE_SHARE_DELETE,
            FILE_OPEN,
            FILE_NON_DIRECTORY_FILE | FILE_SEQUENTIAL_ONLY,
            file);
        if (error != 0) {
            if (holdsFolder(name))
                throw FileError("cannot open file", pathOf(name), FileErrc::NotRegularFile);
            throw windowsError("cannot open file", pathOf(name), error);
        }
        return sourceOf(std::move(file), pathOf(name));
    }

    std::unique_ptr<ByteSink> createFile(const std::string& name, Permissions /*permissions*/) override
    {
        const std::wstring wide = newName("cannot create file", name);
        Handle file;
        DWORD error = createExclusive(wide, file);
        if (error == 0)
            return made(std::move(file), name, wide, false);
        if (!nameTaken(wide, error))
            throw windowsError("cannot create file", pathOf(name), error);
        if (holdsFolder(name))
            throw FileError("cannot create file", pathOf(name), FileErrc::IsFolder);
        refuseInput(wide, name);
        // Something has the name. The new file is made under a temporary name and renamed over it, which
        // replaces the name itself: whatever a link or a hard link there leads to keeps its content.
        std::wstring temporary;
        error = createTemporaryIn(temporary, file);
        if (error != 0)
            throw windowsError("cannot create file", pathOf(name), error);
        try {
            replace(file.get(), wide, name);
        } catch (...) {
            markDeleted(file.get());
            throw;
        }
        return made(std::move(file), name, wide, false);
    }

    NewName createNewFile(
        const std::string& name, Permissions /*permissions*/, std::unique_ptr<ByteSink>& sink) override
    {
        std::wstring wide;
        if (!toWide(name, wide) || nameRefused(wide))
            return NewName::Refused;
        Handle file;
        const DWORD error = createExclusive(wide, file);
        if (error == 0) {
            sink = made(std::move(file), name, wide, false);
            return NewName::Done;
        }
        if (nameTaken(wide, error))
            return NewName::Taken;
        if (isRefusedName(error))
            return NewName::Refused;
        throw windowsError("cannot create file", pathOf(name), error);
    }

    std::unique_ptr<ByteSink> createTemporary(Permissions /*permissions*/, std::string& name) override
    {
        std::wstring temporary;
        Handle file;
        const DWORD error = createTemporaryIn(temporary, file);
        name = toUtf8(temporary);
        if (error != 0)
            throw windowsError("cannot create file", pathOf(name), error);
        return made(std::move(file), name, temporary, true);
    }

    void moveFile(const std::string& from, const std::string& to) override
    {
        const std::wstring source = newName("cannot create file", from);
        const std::wstring target = newName("cannot create file", to);
        if (holdsFolder(to))
            throw FileError("cannot create file", pathOf(to), FileErrc::IsFolder);
        refuseInput(target, to);
        Handle file;
        const DWORD error = openNameAt(m_handle.get(), source, DELETE, file);
        if (error != 0)
            throw windowsError("cannot create file", pathOf(to), error);
        // A rename replaces the name itself: a link at `to` is replaced, its target stays as it was.
        replace(file.get(), target, to);
        unfinished.unlistTemporary(m_handle.get(), source);
    }

    NewName moveToNewName(const std::string& from, const std::string& to) override
    {
        const std::wstring source = newName("cannot create file", from);
        std::wstring target;
        if (!toWide(to, target) || nameRefused(target))
            return NewName::Refused;
        Handle file;
        DWORD error = openNameAt(m_handle.get(), source, DELETE, file);
        if (error == 0)
            error = renameAt(file.get(), m_handle.get(), target, false);
        if (error == 0) {
            unfinished.unlistTemporary(m_handle.get(), source);
            return NewName::Done;
        }
        if (nameTaken(target, error))
            return NewName::Taken;
        if (isRefusedName(error))
            return NewName::Refused;
        throw windowsError("cannot create file", pathOf(to), error);
    }

    void deleteFile(const std::string& name) override
    {
        std::wstring wide;
        if (!toWide(name, wide))
            throw FileError("cannot delete file", pathOf(name), std::make_error_code(std::errc::illegal_byte_sequence));
        Handle file;
        DWORD error = openNameAt(m_handle.get(), wide, DELETE | FILE_WRITE_ATTRIBUTES, file);
        if (error == 0) {
            const DWORD attributes = attributesOf(file.get());
            // A link or junction to a folder goes the way of a file; a folder itself is not a file.
            if (isPlainFolder(attributes))
                throw FileError("cannot delete file", pathOf(name), FileErrc::IsFolder);
            // A read-only file can be deleted on POSIX systems when its folder allows it; on Windows the
            // attribute must go first.
            clearReadOnly(file.get(), attributes);
            error = markDeleted(file.get());
        }
        if (error != 0)
            throw windowsError("cannot delete file", pathOf(name), error);
        unfinished.unlistTemporary(m_handle.get(), wide);
    }

    void listFolder(const std::function<void(std::string_view)>& visit) override
    {
        // A handle of its own for each listing, opened through the held one: a handle lists a folder once.
        Handle listing;
        const DWORD opened = openAt(m_handle.get(),
            L"",
            FILE_LIST_DIRECTORY,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            FILE_OPEN,
            FILE_DIRECTORY_FILE,
            listing);
        if (opened != 0)
            throw windowsError("cannot read folder", path(), opened);
        std::vector<char> buffer(64 * 1024);
        FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
        for (;;) {
            if (!::GetFileInformationByHandleEx(
                    listing.get(), kind, buffer.data(), static_cast<DWORD>(buffer.size()))) {
                const DWORD error = ::GetLastError();
                if (error == ERROR_NO_MORE_FILES || error == ERROR_FILE_NOT_FOUND)
                    return;
                throw windowsError("cannot read folder", path(), error);
            }
            kind = FileIdBothDirectoryInfo;
            std::size_t offset = 0;
            for (;;) {
                const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data() + offset);
                const std::wstring_view name(entry->FileName, entry->FileNameLength / sizeof(wchar_t));
                if (name != L"." && name != L"..")
                    visit(toUtf8(name));
                if (entry->NextEntryOffset == 0)
                    break;
                offset += entry->NextEntryOffset;
            }
        }
    }

private:
    /// `name` as the system takes it, or an error: a name it cannot keep is not made.
    std::wstring newName(const std::string& action, const std::string& name) const
    {
        std::wstring wide;
        if (!toWide(name, wide))
            throw FileError(action, pathOf(name), std::make_error_code(std::errc::illegal_byte_sequence));
        if (nameRefused(wide))
            throw FileError(action, pathOf(name), std::make_error_code(std::errc::invalid_argument));
        return wide;
    }

    /// Opens a new file for writing, only when nothing at all has the name: with FILE_OPEN_REPARSE_POINT a
    /// link at the name is the name, not the way to its target. Others may read the file, or delete it,
    /// while it is written, as on POSIX systems; the job may rename it through this handle.
    DWORD createExclusive(std::wstring_view name, Handle& file)
    {
        return openAt(m_handle.get(),
            name,
            GENERIC_WRITE | DELETE,
            FILE_SHARE_READ | FILE_SHARE_DELETE,
            FILE_CREATE,
            FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT,
            file);
    }

    DWORD createTemporaryIn(std::wstring& name, Handle& file)
    {
        for (int attempt = 0;; ++attempt) {
            name = temporaryName();
            const DWORD error = createExclusive(name, file);
            if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
                return error;
            if (attempt > 100)
                return error;
        }
    }

    /// True when a failed exclusive creation of `name` means that something has the name: a folder may
    /// give "access denied" rather than "exists".
    bool nameTaken(std::wstring_view name, DWORD error)
    {
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
            return true;
        Handle there;
        return error == ERROR_ACCESS_DENIED && openNameAt(m_handle.get(), name, 0, there) == 0;
    }

    std::unique_ptr<ByteSink> made(Handle file, const std::string& name, std::wstring_view wide, bool temporary)
    {
        const int slot = unfinished.list(m_handle.get(), wide, temporary);
        return std::make_unique<HandleSink>(std::move(file), pathOf(name), temporary ? -1 : slot);
    }

    /// Refuses to replace `name` when it is the protected input itself.
    void refuseInput(std::wstring_view wide, const std::string& name)
    {
        if (m_protected.links == 0)
            return;
        Handle there;
        if (openNameAt(m_handle.get(), wide, 0, there) != 0)
            return;
        const FileIdentity identity = identityOf(there.get());
        if (identity.sameFileAs(m_protected) && (identity.links == 1 || m_inputHere))
            throw FileError("cannot create file", pathOf(name), FileErrc::IsInput);
    }

    /// Gives the open `file` the name `to`, replacing whatever has it without writing through it. When
    /// the system will not replace it in one step (it is read-only, a link to a folder, or open, as a hard
    /// link to the input being read is), what has the name is first moved aside under a temporary name and
    /// deleted; what another program holds open without letting it be deleted is refused as such.
    void replace(HANDLE file, std::wstring_view to, const std::string& name)
    {
        const DWORD error = renameAt(file, m_handle.get(), to, true);
        if (error == 0)
            return;
        Handle there;
        const DWORD opened = openNameAt(m_handle.get(), to, DELETE | FILE_WRITE_ATTRIBUTES, there);
        if (opened == ERROR_SHARING_VIOLATION)
            throw FileError("cannot create file", pathOf(name), FileErrc::OpenElsewhere);
        if (opened != 0)
            throw windowsError("cannot create file", pathOf(name), error);
        const DWORD attributes = attributesOf(there.get());
        if (isPlainFolder(attributes))
            throw FileError("cannot create file", pathOf(name), FileErrc::IsFolder);
        clearReadOnly(there.get(), attributes);
        const std::wstring aside = temporaryName();
        DWORD step = renameAt(there.get(), m_handle.get(), aside, false);
        if (step != 0)
            throw windowsError("cannot create file", pathOf(name), step);
        step = renameAt(file, m_handle.get(), to, false);
        if (step != 0) {
            renameAt(there.get(), m_handle.get(), to, false);
            throw windowsError("cannot create file", pathOf(name), step);
        }
        // The old file goes when nothing holds it open any more; if the program ends first, the next job
        // in the folder removes it.
        markDeleted(there.get());
    }

    Handle m_handle;
    FileIdentity m_self;
    FileIdentity m_protected;
    bool m_inputHere = false;
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

    void createFolder(const std::string& path,
        Permissions /*permissions*/,
        std::int64_t /*inputGroup*/ = FileIdentity::noGroup) override
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
        // Others may read the file too, and rename or delete it (a hard link to it at an output name is then
        // replaced as on POSIX systems), but nobody may change its content while it is read.
        Handle file(::CreateFileW(wide.c_str(),
            GENERIC_READ,
            FILE_SHARE_READ | FILE_SHARE_DELETE,
            nullptr,
            OPEN_EXISTING,
            FILE_FLAG_SEQUENTIAL_SCAN,
            nullptr));
        if (!file.valid()) {
            const DWORD error = ::GetLastError();
            // A folder cannot be opened as a file at all: the system calls that "access denied".
            if (error == ERROR_ACCESS_DENIED && isFolder(::GetFileAttributesW(wide.c_str())))
                throw FileError("cannot open file", path, FileErrc::NotRegularFile);
            throw windowsError("cannot open file", path, error);
        }
        return sourceOf(std::move(file), path);
    }

    std::unique_ptr<HeldFolder> lockFolder(const std::string& folder) override
    {
        const std::wstring wide = windowsPath("cannot lock folder", folder);
        if (kindOfPath(wide) != PathKind::Folder) {
            const DWORD attributes = ::GetFileAttributesW(wide.c_str());
            throw windowsError("cannot lock folder",
                folder,
                attributes == INVALID_FILE_ATTRIBUTES ? ::GetLastError() : ERROR_DIRECTORY);
        }
        // Adding files is what a second lock asks for too; finding files in the folder is shared with
        // everyone.
        Handle lock(::CreateFileW(wide.c_str(),
            FILE_ADD_FILE | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
            FILE_SHARE_READ | FILE_SHARE_DELETE,
            nullptr,
            OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS,
            nullptr));
        if (lock.valid() && kindOfOpened(lock.get()) == PathKind::Folder) {
            return std::make_unique<HandleFolder>(folder, std::move(lock));
        }
        if (lock.valid())
            throw windowsError("cannot lock folder", folder, ERROR_DIRECTORY);
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            throw FileError("cannot lock folder", folder, FileErrc::FolderLocked);
        throw windowsError("cannot lock folder", folder, error);
    }

    std::string realFolder(const std::string& folder) override
    {
        const std::wstring wide = windowsPath("cannot open folder", folder);
        const Handle handle = openToLookAt(wide);
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
};

} // namespace

void removeUnfinishedFiles() noexcept
{
    unfinished.forEach([](HANDLE folder, const wchar_t* name) {
        // The file goes as soon as the job's own handle to it is closed, which the end of the program does.
        Handle file;
        openAt(folder,
            name,
            DELETE,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            FILE_OPEN,
            FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT | FILE_DELETE_ON_CLOSE,
            file);
    });
}

FileSystem& localFileSystem()
{
    static WindowsFileSystem instance;
    return instance;
}

} // namespace tessely
