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

/// What tells one file from every other on the machine, and whom its group permission bits are for.
struct FileIdentity {
    /// Where files have no group (Windows), or the group is not known.
    static constexpr std::int64_t noGroup = -1;

    std::uint64_t device = 0;
    std::uint64_t file = 0;
    /// The number of names (hard links) the file has; 0 when nothing is known of the file.
    std::uint64_t links = 0;
    /// The group whose members the group permission bits are for.
    std::int64_t group = noGroup;

    /// True when both are known and are the same file, whatever its names.
    bool sameFileAs(const FileIdentity& other) const
    {
        return links != 0 && other.links != 0 && device == other.device && file == other.file;
    }
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
    /// Which file this is, and its group; nothing is known by default.
    virtual FileIdentity identity() const
    {
        return {};
    }
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
    /// Gives the open file `permissions`, within the umask and the group rule of its folder (see
    /// `HeldFolder::madeFrom`); a file created private may be opened up this way once it is complete.
    virtual void setPermissions(Permissions permissions) = 0;
};

/// How an attempt to give a file a name that must be new ended.
enum class NewName {
    Done,
    /// Something (a file, a folder, a link that points nowhere) already has the name.
    Taken,
    /// The file system does not accept the name (too long, characters it cannot store, a device name).
    Refused,
};

/// A folder that one job holds open, with the exclusive right to write into it, from its start to its end.
/// Every file the job creates, replaces, moves, removes or reads in it is named relative to the folder
/// itself, never through its path: whatever is renamed or put in the folder's place meanwhile, the job
/// writes only into the folder it locked, and cleans up there. The right is released when the object is
/// destroyed, and by the system when the process ends, however it ends, so a crashed job leaves no stale
/// lock behind.
///
/// A name is one component: no separator, never "." or "..". What the folder creates keeps the file
/// layer's promises: a new file never writes through a link at its name, and gets no more permission than
/// it is given. Errors name the file by `pathOf(name)`.
class HeldFolder
{
public:
    explicit HeldFolder(std::string path);
    virtual ~HeldFolder() = default;
    HeldFolder(const HeldFolder&) = delete;
    HeldFolder& operator=(const HeldFolder&) = delete;

    /// The folder's path as the job named it when it took the folder.
    const std::string& path() const
    {
        return m_path;
    }
    /// The path of `name` in the folder, as messages show it.
    std::string pathOf(std::string_view name) const;

    /// Tells the folder that the files the job makes come from `input` (called once for each input): a
    /// file made here keeps its group permission bits only while its group is that of every input, so the
    /// members of another group never read what they could not read in the input.
    virtual void madeFrom(const FileIdentity& input) = 0;
    /// Keeps the input at `inputPath`, opened as `input`, from ever being replaced: replacing a name that
    /// is the input itself (its only name, or its name when this is the input's folder) is refused with
    /// FileErrc::IsInput. Another hard link to the input is replaced like any file, the input untouched.
    virtual void protect(const FileIdentity& input, const std::string& inputPath) = 0;

    /// True when a folder (not a link to one) has `name`.
    virtual bool holdsFolder(const std::string& name) = 0;
    /// Opens the regular file `name` for reading, as `FileSystem::openRead` does.
    virtual std::unique_ptr<ByteSource> openRead(const std::string& name) = 0;
    /// Creates a new file `name`. A file or link already there is replaced, so whatever it pointed to is
    /// untouched; a folder there is refused with FileErrc::IsFolder.
    virtual std::unique_ptr<ByteSink> createFile(const std::string& name, Permissions permissions) = 0;
    /// Creates a new file `name` only when nothing at all has the name; `sink` is set only for Done.
    virtual NewName createNewFile(const std::string& name, Permissions permissions, std::unique_ptr<ByteSink>& sink)
        = 0;
    /// Creates a new, uniquely named hidden file for writing and stores its name in `name`.
    virtual std::unique_ptr<ByteSink> createTemporary(Permissions permissions, std::string& name) = 0;
    /// Renames the file `from` to `to`, replacing a file or link of that name (never writing through it); a
    /// folder at `to` is refused with FileErrc::IsFolder.
    virtual void moveFile(const std::string& from, const std::string& to) = 0;
    /// Renames the file `from` to `to` only when nothing at all has that name.
    virtual NewName moveToNewName(const std::string& from, const std::string& to) = 0;
    /// Deletes one file, read-only or not; a link is deleted, not its target.
    virtual void deleteFile(const std::string& name) = 0;
    /// Calls `visit` with the name of every entry, "." and ".." left out.
    virtual void listFolder(const std::function<void(std::string_view)>& visit) = 0;

protected:
    /// Removes the temporaries that a job which no longer runs left behind: while this job holds the
    /// folder, no other job can be writing one here. One that cannot be removed stays for the next job.
    void removeLeftTemporaries();
    /// The folder that holds the file at `path`, as the system can open it: "." for a bare name.
    static std::string folderHolding(const std::string& path);

private:
    std::string m_path;
};

/// True for the hidden names that `HeldFolder::createTemporary` gives: ".tessely-", digits, "-", digits,
/// ".tmp". A job that holds a folder removes such files, which only a job that no longer runs can have left.
bool isTemporaryName(std::string_view name);

/// Removes at once the files that running jobs have begun and not completed: for a program that must end
/// now, on a second request to stop. Safe to call from a signal handler (and on Windows from the console's
/// handler thread); files it cannot remove stay for the next job in their folder.
void removeUnfinishedFiles() noexcept;

/// The file-system services the jobs rely on. Every job reaches files only through this, so tests can put
/// a fault-injecting layer in between. Every implementation keeps the same promises: an input is only ever
/// opened for reading and must be a regular file; an output is always a new file, so an existing name (a
/// file, a symbolic or hard link) is replaced and never written through; new files get no more permission
/// than they are given. Paths of any length work, also beyond the system's classic limit.
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

    /// Creates one folder whose parent exists. Made for files from inputs of the group `inputGroup`, it gets
    /// its group permission bits only when its own group is that one.
    virtual void createFolder(
        const std::string& path, Permissions permissions, std::int64_t inputGroup = FileIdentity::noGroup)
        = 0;

    /// Opens a regular file for reading from its start, links followed. Anything else (a folder, a FIFO, a
    /// device, a socket) is refused at once, without blocking, with FileErrc::NotRegularFile.
    virtual std::unique_ptr<ByteSource> openRead(const std::string& path) = 0;

    /// Opens the folder at `folder` (links followed) and takes the exclusive right to write into it for one
    /// job; refused at once with FileErrc::FolderLocked while another job, in this process or another, holds
    /// it. Temporary files that a job which no longer runs left there are removed.
    virtual std::unique_ptr<HeldFolder> lockFolder(const std::string& folder) = 0;
    /// The folder itself, every link and "." or ".." in its path resolved: two paths name one folder when
    /// these are equal.
    virtual std::string realFolder(const std::string& folder) = 0;
};

/// The machine's own file system.
FileSystem& localFileSystem();

} // namespace tessely

#endif
