#include "FileError.h"
#include "FileSystem.h"
#include "Paths.h"
#include "UnfinishedFiles.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
    FileDescriptor(FileDescriptor&& other) noexcept
        : m_fd(other.release())
    {
    }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            if (m_fd >= 0)
                ::close(m_fd);
            m_fd = other.release();
        }
        return *this;
    }

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

FileIdentity identityOf(const struct stat& info)
{
    FileIdentity identity;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.file = static_cast<std::uint64_t>(info.st_ino);
    identity.links = static_cast<std::uint64_t>(info.st_nlink);
    identity.group = static_cast<std::int64_t>(info.st_gid);
    return identity;
}

/// The files that jobs have begun and not completed, for removeUnfinishedFiles().
UnfinishedFiles<int, char, NAME_MAX> unfinished;

/// A path as the *at calls take it: the folder that holds its last component, and that component. A path
/// that the system takes whole is passed whole, from the current folder; a longer one has its folder part
/// opened a piece at a time, each piece shorter than the system's limit, as the system would walk it whole.
class PathAt
{
public:
    explicit PathAt(const std::string& path)
    {
        if (path.size() < PATH_MAX) {
            m_name = path.c_str();
            return;
        }
        std::string_view whole = path;
        while (whole.size() > 1 && whole.back() == '/')
            whole.remove_suffix(1);
        const auto separator = whole.rfind('/');
        if (separator == std::string_view::npos) {
            m_name = path.c_str(); // one component beyond the limit: the system gives the reason
            return;
        }
        m_last.assign(whole.substr(separator + 1));
        m_name = m_last.c_str();
        std::string_view folder = whole.substr(0, separator == 0 ? 1 : separator);
        int at = AT_FDCWD;
        while (!folder.empty()) {
            std::size_t cut = folder.size();
            if (cut >= PATH_MAX) {
                cut = folder.rfind('/', PATH_MAX - 1);
                if (cut == std::string_view::npos || cut == 0) {
                    m_error = ENAMETOOLONG;
                    return;
                }
            }
            const std::string piece(folder.substr(0, cut));
            folder.remove_prefix(std::min(folder.size(), cut + 1));
            FileDescriptor next(::openat(at, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
            if (next.get() < 0) {
                m_error = errno;
                return;
            }
            m_folder = std::move(next);
            at = m_folder.get();
        }
    }

    int folder() const
    {
        return m_folder.get() >= 0 ? m_folder.get() : AT_FDCWD;
    }
    const char* name() const
    {
        return m_name;
    }
    /// The reason the folder part could not be opened; 0 when it was. Sets errno to it.
    int error() const
    {
        if (m_error != 0)
            errno = m_error;
        return m_error;
    }

private:
    FileDescriptor m_folder;
    std::string m_last;
    const char* m_name = "";
    int m_error = 0;
};

/// The process's umask, read without changing it (Linux shows it in /proc/self/status); where it cannot be
/// read that way, it is set and set back.
mode_t currentUmask()
{
    FileDescriptor status(::open("/proc/self/status", O_RDONLY | O_CLOEXEC));
    if (status.get() >= 0) {
        char text[4096];
        const ssize_t got = ::read(status.get(), text, sizeof text - 1);
        if (got > 0) {
            text[got] = '\0';
            if (const char* line = std::strstr(text, "\nUmask:"))
                return static_cast<mode_t>(std::strtoul(line + 7, nullptr, 8)) & 0777;
        }
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

/// True for the reasons a file system gives when it cannot store a name at all.
bool nameRefused(int error)
{
    return error == ENAMETOOLONG || error == EILSEQ || error == EINVAL;
}

bool isFolderAt(int folder, const char* name)
{
    struct stat info {
    };
    return ::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
}

/// Opens for writing a file that must not exist yet: no link is followed, nothing is truncated. The file is
/// made with `mode` in the same call, so it is never more open than that, not even for a moment.
int createExclusive(int folder, const char* name, mode_t mode)
{
    for (;;) {
        const int fd = ::openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EINTR)
            return fd;
    }
}

class DescriptorSource final : public ByteSource
{
public:
    DescriptorSource(int fd, std::string path, const struct stat& info)
        : m_fd(fd)
        , m_path(std::move(path))
        , m_permissions(info.st_mode & 0777u)
        , m_identity(identityOf(info))
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

    FileIdentity identity() const override
    {
        return m_identity;
    }

private:
    FileDescriptor m_fd;
    std::string m_path;
    Permissions m_permissions;
    FileIdentity m_identity;
};

/// Opens the regular file `name` in `folder` for reading, links followed; `path` names it in errors.
std::unique_ptr<ByteSource> openReadAt(int folder, const char* name, const std::string& path)
{
    // O_NONBLOCK: opening a FIFO does not wait for a writer, so whatever is not a regular file is refused
    // at once, after the open; it changes nothing for reading a regular file.
    int opened = -1;
    do
        opened = ::openat(folder, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
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
    return std::make_unique<DescriptorSource>(fd.release(), path, info);
}

/// Which permission bits the new files of a held folder may have: never more than the umask allows, and
/// group bits only while the files' group is the group of every input they are made from.
struct FolderRules {
    mode_t umask = 022;
    /// True once an input with a known group was named.
    bool inputsKnown = false;
    bool mixedGroups = false;
    std::int64_t inputGroup = FileIdentity::noGroup;
    /// The group that new files get in the folder: the folder's own in a setgid folder, else the process's;
    /// the first file created confirms it.
    std::int64_t newGroup = FileIdentity::noGroup;
    bool newGroupConfirmed = false;

    mode_t allowed(Permissions wanted) const
    {
        const bool groupAllowed = !inputsKnown || (!mixedGroups && inputGroup == newGroup);
        return static_cast<mode_t>(wanted & 0777u & ~umask & (groupAllowed ? 0777u : 0707u));
    }
};

class DescriptorSink final : public ByteSink
{
public:
    /// `slot` is the file's entry in the table of unfinished files, taken off when the file is complete.
    DescriptorSink(int fd, std::string path, std::shared_ptr<const FolderRules> rules, int slot)
        : m_fd(fd)
        , m_path(std::move(path))
        , m_rules(std::move(rules))
        , m_slot(slot)
    {
    }
    ~DescriptorSink() override
    {
        unfinished.unlist(m_slot);
        if (m_fd >= 0)
            ::close(m_fd);
    }
    DescriptorSink(const DescriptorSink&) = delete;
    DescriptorSink& operator=(const DescriptorSink&) = delete;

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
        unfinished.unlist(m_slot);
        m_slot = -1;
    }

    void setPermissions(Permissions permissions) override
    {
        if (::fchmod(m_fd, m_rules->allowed(permissions)) != 0)
            throw FileError::fromErrno("cannot write file", m_path);
    }

private:
    int m_fd;
    std::string m_path;
    std::shared_ptr<const FolderRules> m_rules;
    int m_slot;
};

/// Renames `from` to `to` in `folder` only when nothing has that name. File systems that cannot do that in
/// one step get a hard link and an unlink, and those without hard links a test and a rename, which the
/// folder lock keeps safe from other jobs.
int renameNoReplace(int folder, const char* from, const char* to)
{
    if (::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    if (::linkat(folder, from, folder, to, 0) == 0) {
        ::unlinkat(folder, from, 0);
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
        return errno;
    struct stat info {
    };
    if (::fstatat(folder, to, &info, AT_SYMLINK_NOFOLLOW) == 0)
        return EEXIST;
    return ::renameat(folder, from, folder, to) == 0 ? 0 : errno;
}

class DescriptorFolder final : public HeldFolder
{
public:
    DescriptorFolder(std::string path, FileDescriptor fd, const struct stat& info)
        : HeldFolder(std::move(path))
        , m_fd(std::move(fd))
        , m_self(identityOf(info))
        , m_rules(std::make_shared<FolderRules>())
    {
        m_rules->umask = currentUmask();
        m_rules->newGroup = (info.st_mode & S_ISGID) != 0 ? static_cast<std::int64_t>(info.st_gid)
                                                          : static_cast<std::int64_t>(::getegid());
        removeLeftTemporaries();
    }
    ~DescriptorFolder() override
    {
        unfinished.unlistFolder(m_fd.get());
    }
    DescriptorFolder(const DescriptorFolder&) = delete;
    DescriptorFolder& operator=(const DescriptorFolder&) = delete;

    void madeFrom(const FileIdentity& input) override
    {
        if (input.group == FileIdentity::noGroup)
            return;
        if (!m_rules->inputsKnown) {
            m_rules->inputsKnown = true;
            m_rules->inputGroup = input.group;
        } else if (m_rules->inputGroup != input.group) {
            m_rules->mixedGroups = true;
        }
    }

    void protect(const FileIdentity& input, const std::string& inputPath) override
    {
        m_protected = input;
        // The input's name is in this folder when the folder that holds it is this one.
        const PathAt at(folderHolding(inputPath));
        struct stat info {
        };
        m_inputHere = at.error() == 0 && ::fstatat(at.folder(), at.name(), &info, 0) == 0
            && identityOf(info).sameFileAs(m_self);
    }

    bool holdsFolder(const std::string& name) override
    {
        return isFolderAt(m_fd.get(), name.c_str());
    }

    std::unique_ptr<ByteSource> openRead(const std::string& name) override
    {
        return openReadAt(m_fd.get(), name.c_str(), pathOf(name));
    }

    std::unique_ptr<ByteSink> createFile(const std::string& name, Permissions permissions) override
    {
        // The name is removed and made anew rather than opened: a link or a hard link at the name is never
        // written through. A few rounds, in case another program puts the name back in between.
        for (int attempt = 0;; ++attempt) {
            const int fd = createExclusive(m_fd.get(), name.c_str(), m_rules->allowed(permissions));
            if (fd >= 0)
                return made(fd, name, permissions, false);
            if (errno != EEXIST || attempt == 8)
                throw FileError::fromErrno("cannot create file", pathOf(name));
            refuseInput(name);
            if (::unlinkat(m_fd.get(), name.c_str(), 0) != 0 && errno != ENOENT) {
                if (isFolderAt(m_fd.get(), name.c_str()))
                    throw FileError("cannot create file", pathOf(name), FileErrc::IsFolder);
                throw FileError::fromErrno("cannot create file", pathOf(name));
            }
        }
    }

    NewName createNewFile(const std::string& name, Permissions permissions, std::unique_ptr<ByteSink>& sink) override
    {
        const int fd = createExclusive(m_fd.get(), name.c_str(), m_rules->allowed(permissions));
        if (fd >= 0) {
            sink = made(fd, name, permissions, false);
            return NewName::Done;
        }
        if (errno == EEXIST)
            return NewName::Taken;
        if (nameRefused(errno))
            return NewName::Refused;
        throw FileError::fromErrno("cannot create file", pathOf(name));
    }

    std::unique_ptr<ByteSink> createTemporary(Permissions permissions, std::string& name) override
    {
        static std::atomic<unsigned> sequence { 0 };
        const auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        for (int attempt = 0;; ++attempt) {
            name = ".tessely-" + std::to_string(::getpid()) + "-" + std::to_string((seed + sequence++) % 1000000007ULL)
                + ".tmp";
            const int fd = createExclusive(m_fd.get(), name.c_str(), m_rules->allowed(permissions));
            if (fd >= 0)
                return made(fd, name, permissions, true);
            if (errno != EEXIST || attempt > 100)
                throw FileError::fromErrno("cannot create file", pathOf(name));
        }
    }

    void moveFile(const std::string& from, const std::string& to) override
    {
        refuseInput(to);
        // A rename replaces the name itself: a link at `to` is replaced, its target stays as it was.
        if (::renameat(m_fd.get(), from.c_str(), m_fd.get(), to.c_str()) == 0) {
            unfinished.unlistTemporary(m_fd.get(), from);
            return;
        }
        if (errno == EISDIR || ((errno == EEXIST || errno == ENOTEMPTY) && isFolderAt(m_fd.get(), to.c_str())))
            throw FileError("cannot create file", pathOf(to), FileErrc::IsFolder);
        throw FileError::fromErrno("cannot create file", pathOf(to));
    }

    NewName moveToNewName(const std::string& from, const std::string& to) override
    {
        const int error = renameNoReplace(m_fd.get(), from.c_str(), to.c_str());
        if (error == 0) {
            unfinished.unlistTemporary(m_fd.get(), from);
            return NewName::Done;
        }
        if (error == EEXIST || error == ENOTEMPTY)
            return NewName::Taken;
        if (nameRefused(error))
            return NewName::Refused;
        errno = error;
        throw FileError::fromErrno("cannot create file", pathOf(to));
    }

    void deleteFile(const std::string& name) override
    {
        if (::unlinkat(m_fd.get(), name.c_str(), 0) != 0)
            throw FileError::fromErrno("cannot delete file", pathOf(name));
        unfinished.unlistTemporary(m_fd.get(), name);
    }

    void listFolder(const std::function<void(std::string_view)>& visit) override
    {
        // The listing reads through a descriptor of its own, so it starts at the folder's first entry.
        const int fd = ::openat(m_fd.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
        if (dir == nullptr) {
            const int error = errno;
            if (fd >= 0)
                ::close(fd);
            errno = error;
            throw FileError::fromErrno("cannot read folder", path());
        }
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
                    throw FileError::fromErrno("cannot read folder", path());
                return;
            }
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                visit(name);
        }
    }

private:
    /// Wraps a file just created; the first one tells which group the folder's new files really get, and
    /// is given the bits that allows.
    std::unique_ptr<ByteSink> made(int fd, const std::string& name, Permissions permissions, bool temporary)
    {
        if (!m_rules->newGroupConfirmed) {
            m_rules->newGroupConfirmed = true;
            struct stat info {
            };
            if (::fstat(fd, &info) == 0 && static_cast<std::int64_t>(info.st_gid) != m_rules->newGroup) {
                m_rules->newGroup = static_cast<std::int64_t>(info.st_gid);
                ::fchmod(fd, m_rules->allowed(permissions));
            }
        }
        const int slot = unfinished.list(m_fd.get(), name, temporary);
        return std::make_unique<DescriptorSink>(fd, pathOf(name), m_rules, temporary ? -1 : slot);
    }

    /// Refuses to replace `name` when it is the protected input itself.
    void refuseInput(const std::string& name)
    {
        if (m_protected.links == 0)
            return;
        struct stat info {
        };
        if (::fstatat(m_fd.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
            return;
        const FileIdentity there = identityOf(info);
        if (there.sameFileAs(m_protected) && (there.links == 1 || m_inputHere))
            throw FileError("cannot create file", pathOf(name), FileErrc::IsInput);
    }

    FileDescriptor m_fd;
    FileIdentity m_self;
    std::shared_ptr<FolderRules> m_rules;
    FileIdentity m_protected;
    bool m_inputHere = false;
};

/// The physical path of the folder open as `fd`, found by walking up through ".." and looking for each
/// folder in its parent: for folders too deep for the system to name in one piece.
std::string deepFolderPath(int fd, const std::string& folder)
{
    std::vector<std::string> names;
    FileDescriptor current(::dup(fd));
    for (;;) {
        struct stat self {
        };
        FileDescriptor parent(::openat(current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat up {
        };
        if (current.get() < 0 || parent.get() < 0 || ::fstat(current.get(), &self) != 0
            || ::fstat(parent.get(), &up) != 0)
            throw FileError::fromErrno("cannot open folder", folder);
        if (self.st_dev == up.st_dev && self.st_ino == up.st_ino)
            break; // the root is its own parent
        const int listed = ::dup(parent.get());
        DIR* dir = listed < 0 ? nullptr : ::fdopendir(listed);
        if (dir == nullptr) {
            if (listed >= 0)
                ::close(listed);
            throw FileError::fromErrno("cannot open folder", folder);
        }
        std::string found;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            struct stat info {
            };
            if (name == "." || name == ".." || ::fstatat(parent.get(), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            if (info.st_dev == self.st_dev && info.st_ino == self.st_ino) {
                found = name;
                break;
            }
        }
        ::closedir(dir);
        if (found.empty())
            throw FileError("cannot open folder", folder, std::make_error_code(std::errc::no_such_file_or_directory));
        names.push_back(std::move(found));
        current = std::move(parent);
    }
    std::string path;
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        path += "/" + *name;
    return path.empty() ? "/" : path;
}

class PosixFileSystem final : public FileSystem
{
public:
    PathKind kindOf(const std::string& path) override
    {
        const PathAt at(path);
        if (at.error() != 0)
            return PathKind::None;
        struct stat info {
        };
        if (::fstatat(at.folder(), at.name(), &info, 0) != 0) {
            struct stat link {
            };
            return ::fstatat(at.folder(), at.name(), &link, AT_SYMLINK_NOFOLLOW) == 0 ? PathKind::BrokenLink
                                                                                      : PathKind::None;
        }
        if (S_ISREG(info.st_mode))
            return PathKind::File;
        if (S_ISDIR(info.st_mode))
            return PathKind::Folder;
        return PathKind::Other;
    }

    void createFolder(
        const std::string& path, Permissions permissions, std::int64_t inputGroup = FileIdentity::noGroup) override
    {
        const PathAt at(path);
        // Made without group bits first when the input's group is known: they are added only when the new
        // folder's group turns out to be the input's.
        const bool groupLater = inputGroup != FileIdentity::noGroup && (permissions & 070u) != 0;
        if (at.error() != 0 || ::mkdirat(at.folder(), at.name(), groupLater ? permissions & ~070u : permissions) != 0)
            throw FileError::fromErrno("cannot create folder", path);
        if (!groupLater)
            return;
        const FileDescriptor made(::openat(at.folder(), at.name(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat info {
        };
        if (made.get() >= 0 && ::fstat(made.get(), &info) == 0 && info.st_uid == ::geteuid()
            && static_cast<std::int64_t>(info.st_gid) == inputGroup)
            ::fchmod(made.get(), permissions & ~currentUmask() & 0777u);
    }

    std::unique_ptr<ByteSource> openRead(const std::string& path) override
    {
        const PathAt at(path);
        if (at.error() != 0)
            throw FileError::fromErrno("cannot open file", path);
        return openReadAt(at.folder(), at.name(), path);
    }

    std::unique_ptr<HeldFolder> lockFolder(const std::string& folder) override
    {
        const PathAt at(folder);
        if (at.error() != 0)
            throw FileError::fromErrno("cannot lock folder", folder);
        FileDescriptor fd(::openat(at.folder(), at.name(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.get() < 0)
            throw FileError::fromErrno("cannot lock folder", folder);
        for (;;) {
            if (::flock(fd.get(), LOCK_EX | LOCK_NB) == 0)
                break;
            if (errno == EWOULDBLOCK)
                throw FileError("cannot lock folder", folder, FileErrc::FolderLocked);
            if (errno != EINTR)
                throw FileError::fromErrno("cannot lock folder", folder);
        }
        struct stat info {
        };
        if (::fstat(fd.get(), &info) != 0)
            throw FileError::fromErrno("cannot lock folder", folder);
        return std::make_unique<DescriptorFolder>(folder, std::move(fd), info);
    }

    std::string realFolder(const std::string& folder) override
    {
        const std::string path = folder.empty() ? "/" : folder;
        if (path.size() < PATH_MAX) {
            if (char* resolved = ::realpath(path.c_str(), nullptr)) {
                std::string real(resolved);
                std::free(resolved);
                return real;
            }
            if (errno != ENAMETOOLONG)
                throw FileError::fromErrno("cannot open folder", folder);
        }
        const PathAt at(path);
        const FileDescriptor fd(
            at.error() != 0 ? -1 : ::openat(at.folder(), at.name(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (fd.get() < 0)
            throw FileError::fromErrno("cannot open folder", folder);
        return deepFolderPath(fd.get(), folder);
    }
};

} // namespace

void removeUnfinishedFiles() noexcept
{
    unfinished.forEach([](int folder, const char* name) { ::unlinkat(folder, name, 0); });
}

FileSystem& localFileSystem()
{
    static PosixFileSystem instance;
    return instance;
}

} // namespace tessely
