#include "FileError.h"
#include "FileSystem.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tessely
{
namespace
{

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1)
        : m_fd(fd)
    {
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const
    {
        return m_fd;
    }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

class FileDescriptorSource final : public ByteSource
{
public:
    FileDescriptorSource(int fd, std::string path, Permissions permissions)
        : m_fd(fd)
        , m_path(std::move(path))
        , m_permissions(permissions)
    {
    }

    std::size_t read(char* buffer, std::size_t size) override
    {
        for (;;) {
            const ssize_t got = ::read(m_fd.get(), buffer, size);
            if (got >= 0)
                return static_cast<std::size_t>(got);
            if (errno != EINTR)
                throw FileError::fromErrno("cannot read file", m_path);
        }
    }

    void seek(std::uint64_t offset) override
    {
        if (::lseek(m_fd.get(), static_cast<off_t>(offset), SEEK_SET) < 0)
            throw FileError::fromErrno("cannot read file", m_path);
    }

    Permissions permissions() const override
    {
        return m_permissions;
    }

private:
    FileDescriptor m_fd;
    std::string m_path;
    Permissions m_permissions;
};

class FileDescriptorSink final : public ByteSink
{
public:
    FileDescriptorSink(int fd, std::string path)
        : m_fd(fd)
        , m_path(std::move(path))
    {
    }
    ~FileDescriptorSink() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptorSink(const FileDescriptorSink&) = delete;
    FileDescriptorSink& operator=(const FileDescriptorSink&) = delete;

    void write(const char* data, std::size_t size) override
    {
        while (size > 0) {
            const ssize_t done = ::write(m_fd, data, size);
            if (done < 0) {
                if (errno == EINTR)
                    continue;
                throw FileError::fromErrno("cannot write file", m_path);
            }
            data += done;
            size -= static_cast<std::size_t>(done);
        }
    }

    void close() override
    {
        const int fd = m_fd;
        m_fd = -1;
        if (fd >= 0 && ::close(fd) != 0 && errno != EINTR)
            throw FileError::fromErrno("cannot write file", m_path);
    }

    void setPermissions(Permissions permissions) override
    {
        if (m_created == unknownMode) {
            struct stat info {
            };
            if (::fstat(m_fd, &info) != 0)
                throw FileError::fromErrno("cannot write file", m_path);
            m_created = info.st_mode & 0777u;
        }
        if (::fchmod(m_fd, permissions & m_created) != 0)
            throw FileError::fromErrno("cannot write file", m_path);
    }

private:
    static constexpr Permissions unknownMode = ~0u;
    int m_fd;
    std::string m_path;
    /// The bits the file was created with: what the requested mode and the umask allowed.
    Permissions m_created = unknownMode;
};

class FlockedFolder final : public FolderLock
{
public:
    explicit FlockedFolder(int fd)
        : m_fd(fd)
    {
    }

private:
    // Closing the descriptor releases the lock, and so does the end of the process.
    FileDescriptor m_fd;
};

/// Opens for writing a file that must not exist yet: no link is followed, nothing is truncated.
int createExclusive(const std::string& path, Permissions permissions)
{
    for (;;) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, permissions);
        if (fd >= 0 || errno != EINTR)
            return fd;
    }
}

bool isFolderName(const std::string& path)
{
    struct stat info {
    };
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

/// True for the reasons a file system gives when it cannot store a name at all.
bool nameRefused(int error)
{
    return error == ENAMETOOLONG || error == EILSEQ || error == EINVAL;
}

/// Renames `from` to `to` only when nothing has that name. File systems that cannot do that in one step get
/// a hard link and an unlink, and those without hard links a test and a rename, which the folder lock keeps
/// safe from other jobs.
int renameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
        return errno;
    struct stat info {
    };
    if (::lstat(to.c_str(), &info) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

class PosixFileSystem final : public FileSystem
{
public:
    PathKind kindOf(const std::string& path) override
    {
        struct stat info {
        };
        if (::stat(path.c_str(), &info) != 0) {
            struct stat link {
            };
            return ::lstat(path.c_str(), &link) == 0 ? PathKind::BrokenLink : PathKind::None;
        }
        if (S_ISREG(info.st_mode))
            return PathKind::File;
        if (S_ISDIR(info.st_mode))
            return PathKind::Folder;
        return PathKind::Other;
    }

    void createFolder(const std::string& path, Permissions permissions) override
    {
        if (::mkdir(path.c_str(), permissions) != 0)
            throw FileError::fromErrno("cannot create folder", path);
    }

    std::unique_ptr<ByteSource> openRead(const std::string& path) override
    {
        // O_NONBLOCK: opening a FIFO does not wait for a writer, so whatever is not a regular file is refused
        // at once, after the open; it changes nothing for reading a regular file.
        int opened = -1;
        do
            opened = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        while (opened < 0 && errno == EINTR);
        if (opened < 0) {
            if (errno == ENXIO) // a FIFO without a reader, or a device that is not there
                throw FileError("cannot open file", path, FileErrc::NotRegularFile);
            throw FileError::fromErrno("cannot open file", path);
        }
        FileDescriptor fd(opened);
        struct stat info {
        };
        if (::fstat(fd.get(), &info) != 0)
            throw FileError::fromErrno("cannot open file", path);
        if (!S_ISREG(info.st_mode))
            throw FileError("cannot open file", path, FileErrc::NotRegularFile);
        return std::make_unique<FileDescriptorSource>(fd.release(), path, info.st_mode & 0777u);
    }

    std::unique_ptr<ByteSink> createFile(const std::string& path, Permissions permissions) override
    {
        // The name is removed and made anew rather than opened: a link or a hard link at the name is never
        // written through. A few rounds, in case another program puts the name back in between.
        for (int attempt = 0;; ++attempt) {
            const int fd = createExclusive(path, permissions);
            if (fd >= 0)
                return std::make_unique<FileDescriptorSink>(fd, path);
            if (errno != EEXIST || attempt == 8)
                throw FileError::fromErrno("cannot create file", path);
            if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
                if (isFolderName(path))
                    throw FileError("cannot create file", path, FileErrc::IsFolder);
                throw FileError::fromErrno("cannot create file", path);
            }
        }
    }

    NewName createNewFile(const std::string& path, Permissions permissions, std::unique_ptr<ByteSink>& sink) override
    {
        const int fd = createExclusive(path, permissions);
        if (fd >= 0) {
            sink = std::make_unique<FileDescriptorSink>(fd, path);
            return NewName::Done;
        }
        if (errno == EEXIST)
            return NewName::Taken;
        if (nameRefused(errno))
            return NewName::Refused;
        throw FileError::fromErrno("cannot create file", path);
    }

    std::unique_ptr<ByteSink> createTemporary(
        const std::string& folder, Permissions permissions, std::string& path) override
    {
        static std::atomic<unsigned> sequence { 0 };
        const auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (int attempt = 0;; ++attempt) {
            path = folder + "/.tessely-" + std::to_string(::getpid()) + "-"
                + std::to_string((seed + sequence++) % 1000000007ULL) + ".tmp";
            const int fd = createExclusive(path, permissions);
            if (fd >= 0)
                return std::make_unique<FileDescriptorSink>(fd, path);
            if (errno != EEXIST || attempt > 100)
                throw FileError::fromErrno("cannot create file", path);
        }
    }

    void moveFile(const std::string& from, const std::string& to) override
    {
        // rename() replaces the name itself: a link at `to` is replaced, its target stays as it was.
        if (::rename(from.c_str(), to.c_str()) == 0)
            return;
        if (errno == EISDIR || (errno == EEXIST && isFolderName(to)) || (errno == ENOTEMPTY && isFolderName(to)))
            throw FileError("cannot create file", to, FileErrc::IsFolder);
        throw FileError::fromErrno("cannot create file", to);
    }

    NewName moveToNewName(const std::string& from, const std::string& to) override
    {
        const int error = renameNoReplace(from, to);
        if (error == 0)
            return NewName::Done;
        if (error == EEXIST || error == ENOTEMPTY)
            return NewName::Taken;
        if (nameRefused(error))
            return NewName::Refused;
        errno = error;
        throw FileError::fromErrno("cannot create file", to);
    }

    void deleteFile(const std::string& path) override
    {
        if (::unlink(path.c_str()) != 0)
            throw FileError::fromErrno("cannot delete file", path);
    }

    std::unique_ptr<FolderLock> lockFolder(const std::string& folder) override
    {
        FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.get() < 0)
            throw FileError::fromErrno("cannot lock folder", folder);
        for (;;) {
            if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
                return std::make_unique<FlockedFolder>(fd.release());
            if (errno == EWOULDBLOCK)
                throw FileError("cannot lock folder", folder, FileErrc::FolderLocked);
            if (errno != EINTR)
                throw FileError::fromErrno("cannot lock folder", folder);
        }
    }

    void listFolder(const std::string& folder, const std::function<void(std::string_view)>& visit) override
    {
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr)
            throw FileError::fromErrno("cannot read folder", folder);
        struct Closer {
            DIR* dir;
            ~Closer()
            {
                ::closedir(dir);
            }
        } closer { dir };
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(dir);
            if (entry == nullptr) {
                if (errno != 0)
                    throw FileError::fromErrno("cannot read folder", folder);
                return;
            }
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                visit(name);
        }
    }

    std::string realFolder(const std::string& folder) override
    {
        char* resolved = ::realpath(folder.empty() ? "/" : folder.c_str(), nullptr);
        if (resolved == nullptr)
            throw FileError::fromErrno("cannot open folder", folder);
        std::string path(resolved);
        std::free(resolved);
        return path;
    }
};

} // namespace

FileSystem& localFileSystem()
{
    static PosixFileSystem instance;
    return instance;
}

} // namespace tessely
