#ifndef TESSELY_TESTS_FAULTYFILESYSTEM_H
#define TESSELY_TESTS_FAULTYFILESYSTEM_H

#include "platform/FileSystem.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace tessely::test
{

/// The file operations that can be made to fail.
enum class FileOp { Open, Read, Write, Close, Move, Delete, CreateFolder, CreateTemporary, Create, Lock, List };
inline constexpr std::size_t fileOpCount = 11;
/// "open", "read", ... for test messages.
const char* fileOpName(FileOp op);
/// Every operation, in declaration order, for sweeps.
const std::array<FileOp, fileOpCount>& allFileOps();

/// A file system that passes every call on to another one (the machine's own by default), counts the
/// calls of each kind and makes the Nth call of one kind fail with a FileError carrying a realistic
/// reason, as the system would report it: a missing or refused file on open, an I/O error on read, a
/// full disk on write (after half of the bytes reached the file) and on close, a refused move, delete,
/// creation, folder creation, lock or folder listing.
class FaultyFileSystem final : public FileSystem
{
public:
    explicit FaultyFileSystem(FileSystem& inner = localFileSystem());

    /// Makes the `nth` call (counted from 1) of `op` fail; 0 disables the fault.
    void failAt(FileOp op, std::uint64_t nth);
    /// Caps every read at `bytes`, so that even a small file takes many reads.
    void limitReads(std::size_t bytes)
    {
        m_readLimit = bytes;
    }

    /// Calls of `op` so far, the failed one included.
    std::uint64_t calls(FileOp op) const
    {
        return m_calls[static_cast<std::size_t>(op)];
    }
    /// True once the planned fault has been raised.
    bool faulted() const
    {
        return m_faulted;
    }
    /// The error number the planned fault carries.
    int faultErrno() const;
    /// Files opened (for reading or writing) and not yet released.
    int openFiles() const
    {
        return m_openFiles;
    }
    /// Paths of the files written whose close succeeded, in order.
    const std::vector<std::string>& closedFiles() const
    {
        return m_closed;
    }

    PathKind kindOf(const std::string& path) override;
    void createFolder(
        const std::string& path, Permissions permissions, std::int64_t inputGroup = FileIdentity::noGroup) override;
    std::unique_ptr<ByteSource> openRead(const std::string& path) override;
    std::unique_ptr<HeldFolder> lockFolder(const std::string& folder) override;
    std::string realFolder(const std::string& folder) override;

    /// Counts a call of `op` and throws when it is the planned fault. Used by the wrapped files too.
    void step(FileOp op, const std::string& path);
    void fileOpened()
    {
        ++m_openFiles;
    }
    void fileReleased()
    {
        --m_openFiles;
    }
    void fileClosed(const std::string& path)
    {
        m_closed.push_back(path);
    }
    std::size_t readLimit() const
    {
        return m_readLimit;
    }

private:
    FileSystem& m_inner;
    std::array<std::uint64_t, fileOpCount> m_calls {};
    FileOp m_failOp = FileOp::Open;
    std::uint64_t m_failAt = 0;
    bool m_faulted = false;
    /// Counted from the threads that jobs write on, too.
    std::atomic<int> m_openFiles { 0 };
    std::size_t m_readLimit = 0;
    std::vector<std::string> m_closed;
};

} // namespace tessely::test

#endif
