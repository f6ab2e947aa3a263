#ifndef TESSELY_PLATFORM_FILESYSTEM_H
#define TESSELY_PLATFORM_FILESYSTEM_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace tessely
{

/// Permission bits of a file or folder as POSIX counts them: read, write and execute for the owner, the
/// group and others (0644...). On Windows new files take the access rules of their folder instead, and
/// these bits are not used.
using Permissions = unsigned;
/// Read and write for everyone, within the umask: what an output may have when nothing narrower is known.
inline constexpr Permissions openPermissions = 0666;

/// The permissions of a new file made from inputs with `input`: never more than the input has, and never
/// execute.
Permissions filePermissionsFor(Permissions input);
/// The permissions of a new folder that is to hold files made from inputs with `input`: whoever may read
/// the input may also enter the folder, nobody else.
Permissions folderPermissionsFor(Permissions input);

/// What a path names, links followed.
enum class PathKind {
    None,
    File,
    Folder,
    /// A FIFO, a device, a socket: anything that is neither a regular file nor a folder.
    Other,
    /// A symbolic link (or junction) whose target does not exist.
    BrokenLink,
};

/// A regular file opened for reading, read in blocks.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    /// Reads up to `size` bytes into `buffer`; 0 means end of file. Throws FileError.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    /// Moves the read position to `offset` bytes from the start of the file. Throws FileError.
    virtual void seek(std::uint64_t offset) = 0;
    /// The file's permission bits: what is made from it gets no more than these.
    virtual Permissions permissions() const = 0;
};

/// A new file opened for writing. `close()` flushes and reports a failure (a full disk shows up there);
/// the destructor only releases the file and never throws.
class ByteSink
{
public:
    virtual ~ByteSink() = default;
    /// Writes all `size` bytes or throws FileError.
    virtual void write(const char* data, std::size_t size) = 0;
    /// Closes the file; throws FileError when the system reports a failure.
    virtual void close() = 0;
    /// Gives the open file `permissions`, within what the umask allowed when it was created (the bits it
    /// was created with). Raising them again later is allowed up to those bits.
    virtual void setPermissions(Permissions permissions) = 0;
};

/// The exclusive right of one job to write into a folder, held until destroyed. The system releases it
/// when the process ends, however it ends, so a crashed job leaves no stale lock behind.
class FolderLock
{
public:
    virtual ~FolderLock() = default;
};

/// How an attempt to give a file a name that must be new ended.
enum class NewName {
    Done,
    /// Something (a file, a folder, a link that points nowhere) already has the name.
    Taken,
    /// The file system does not accept the name (too long, characters it cannot store, a device name).
    Refused,
};

/// The file-system services the jobs rely on. Every job reaches files only through this, so tests can put
/// a fault-injecting layer in between. Every implementation keeps the same promises: an input is only ever
/// opened for reading and must be a regular file; an output is always a new file, so an existing name (a
/// file, a symbolic or hard link) is replaced and never written through; new files get no more permission
/// than they are given.
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    /// What is at `path`, links followed.
    virtual PathKind kindOf(const std::string& path) = 0;
    /// True only when a regular file (not a folder) is at `path`, links followed.
    bool fileExists(const std::string& path)
    {
        return kindOf(path) == PathKind::File;
    }
    /// True only when a folder is at `path`, links followed.
    bool folderExists(const std::string& path)
    {
        return kindOf(path) == PathKind::Folder;
    }
    /// True when anything at all is at `path`, a link that points nowhere included.
    bool pathExists(const std::string& path)
    {
        return kindOf(path) != PathKind::None;
    }

    /// Creates one folder whose parent exists.
    virtual void createFolder(const std::string& path, Permissions permissions) = 0;

    /// Opens a regular file for reading from its start, links followed. Anything else (a folder, a FIFO, a
    /// device, a socket) is refused at once, without blocking, with FileErrc::NotRegularFile.
    virtual std::unique_ptr<ByteSource> openRead(const std::string& path) = 0;
    /// Creates a new file at `path`. A file or link already there is removed first, so whatever it pointed
    /// to is untouched; a folder there is refused with FileErrc::IsFolder.
    virtual std::unique_ptr<ByteSink> createFile(const std::string& path, Permissions permissions) = 0;
    /// Creates a new file at `path` only when nothing at all has the name; `sink` is set only for Done.
    virtual NewName createNewFile(const std::string& path, Permissions permissions, std::unique_ptr<ByteSink>& sink)
        = 0;
    /// Creates a new, uniquely named hidden file in `folder` for writing and stores its path in `path`.
    virtual std::unique_ptr<ByteSink> createTemporary(
        const std::string& folder, Permissions permissions, std::string& path)
        = 0;

    /// Renames the file `from` to `to` in the same folder, replacing a file or link of that name (never
    /// writing through it); a folder at `to` is refused with FileErrc::IsFolder.
    virtual void moveFile(const std::string& from, const std::string& to) = 0;
    /// Renames the file `from` to `to` in the same folder only when nothing at all has that name.
    virtual NewName moveToNewName(const std::string& from, const std::string& to) = 0;
    /// Deletes one file, read-only or not; a link is deleted, not its target.
    virtual void deleteFile(const std::string& path) = 0;

    /// Takes the exclusive lock on `folder` for one job; refused at once with FileErrc::FolderLocked while
    /// another job, in this process or another, holds it.
    virtual std::unique_ptr<FolderLock> lockFolder(const std::string& folder) = 0;
    /// Calls `visit` with the name of every entry of `folder`, "." and ".." left out.
    virtual void listFolder(const std::string& folder, const std::function<void(std::string_view)>& visit) = 0;
    /// The folder itself, every link and "." or ".." in its path resolved: two paths name one folder when
    /// these are equal.
    virtual std::string realFolder(const std::string& folder) = 0;
};

/// The machine's own file system.
FileSystem& localFileSystem();

} // namespace tessely

#endif
