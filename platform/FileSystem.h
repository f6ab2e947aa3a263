#ifndef TESSELY_PLATFORM_FILESYSTEM_H
#define TESSELY_PLATFORM_FILESYSTEM_H

#include <cstddef>
#include <memory>
#include <string>

namespace tessely
{

/// A file opened for reading, read in blocks.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    /// Reads up to `size` bytes into `buffer`; 0 means end of file. Throws FileError.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

/// A file opened for writing. `close()` flushes and reports a failure (a full disk shows up
/// there); the destructor only releases the file and never throws.
class ByteSink
{
public:
    virtual ~ByteSink() = default;
    /// Writes all `size` bytes or throws FileError.
    virtual void write(const char* data, std::size_t size) = 0;
    /// Closes the file; throws FileError when the system reports a failure.
    virtual void close() = 0;
};

/// The file-system services the jobs rely on. Every job reaches files only through this, so tests
/// can put a fault-injecting layer in between.
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    /// True only when a regular file (not a folder) is at `path`.
    virtual bool fileExists(const std::string& path) = 0;
    /// True only when a folder is at `path`.
    virtual bool folderExists(const std::string& path) = 0;
    /// True when anything at all (file, folder, link) is at `path`.
    virtual bool pathExists(const std::string& path) = 0;
    /// Creates one folder whose parent exists.
    virtual void createFolder(const std::string& path) = 0;

    /// Opens an existing file for reading from its start.
    virtual std::unique_ptr<ByteSource> openRead(const std::string& path) = 0;
    /// Creates the file, or empties an existing one, for writing.
    virtual std::unique_ptr<ByteSink> openWrite(const std::string& path) = 0;
    /// Creates a new, uniquely named file in `folder` for writing and stores its path in `path`.
    virtual std::unique_ptr<ByteSink> createTemporary(const std::string& folder, std::string& path) = 0;

    /// Moves a file to `to`, replacing a file there; across devices it copies and then deletes.
    virtual void moveFile(const std::string& from, const std::string& to) = 0;
    /// Deletes one file, read-only or not.
    virtual void deleteFile(const std::string& path) = 0;
};

/// The machine's own file system.
FileSystem& localFileSystem();

} // namespace tessely

#endif
