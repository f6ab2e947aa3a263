#include "FaultyFileSystem.h"

#include "platform/FileError.h"

#include <cerrno>

namespace tessely::test
{
namespace
{

struct FaultKind {
    const char* name;
    const char* action; // as the machine's own file system words it
    int error;
};

constexpr std::array<FaultKind, fileOpCount> faultKinds = { {
    { "open", "cannot open file", EACCES },
    { "read", "cannot read file", EIO },
    { "write", "cannot write file", ENOSPC },
    { "close", "cannot write file", EIO },
    { "move", "cannot move file", EACCES },
    { "delete", "cannot delete file", EBUSY },
    { "create folder", "cannot create folder", EACCES },
    { "create temporary", "cannot create file", ENOSPC },
    { "create", "cannot create file", EACCES },
    { "lock", "cannot lock folder", EACCES },
    { "list", "cannot read folder", EIO },
} };

const FaultKind& faultOf(FileOp op)
{
    return faultKinds[static_cast<std::size_t>(op)];
}

class FaultySource final : public ByteSource
{
public:
    FaultySource(FaultyFileSystem& fs, std::unique_ptr<ByteSource> inner, std::string path)
        : m_fs(fs)
        , m_inner(std::move(inner))
        , m_path(std::move(path))
    {
    }
    ~FaultySource() override
    {
        m_fs.fileReleased();
    }
    FaultySource(const FaultySource&) = delete;
    FaultySource& operator=(const FaultySource&) = delete;

    std::size_t read(char* buffer, std::size_t size) override
    {
        m_fs.step(FileOp::Read, m_path);
        if (m_fs.readLimit() > 0 && size > m_fs.readLimit())
            size = m_fs.readLimit();
        return m_inner->read(buffer, size);
    }
    void seek(std::uint64_t offset) override
    {
        m_fs.step(FileOp::Read, m_path);
        m_inner->seek(offset);
    }
    Permissions permissions() const override
    {
        return m_inner->permissions();
    }

private:
    FaultyFileSystem& m_fs;
    std::unique_ptr<ByteSource> m_inner;
    std::string m_path;
};

class FaultySink final : public ByteSink
{
public:
    FaultySink(FaultyFileSystem& fs, std::unique_ptr<ByteSink> inner, std::string path)
        : m_fs(fs)
        , m_inner(std::move(inner))
        , m_path(std::move(path))
    {
    }
    ~FaultySink() override
    {
        m_fs.fileReleased();
    }
    FaultySink(const FaultySink&) = delete;
    FaultySink& operator=(const FaultySink&) = delete;

    void write(const char* data, std::size_t size) override
    {
        try {
            m_fs.step(FileOp::Write, m_path);
        } catch (const FileError&) {
            // A disk fills up in the middle of a write: part of the bytes reach the file.
            m_inner->write(data, size / 2);
            throw;
        }
        m_inner->write(data, size);
    }

    void close() override
    {
        m_fs.step(FileOp::Close, m_path);
        m_inner->close();
        m_fs.fileClosed(m_path);
    }
    void setPermissions(Permissions permissions) override
    {
        m_inner->setPermissions(permissions);
    }

private:
    FaultyFileSystem& m_fs;
    std::unique_ptr<ByteSink> m_inner;
    std::string m_path;
};

} // namespace

const char* fileOpName(FileOp op)
{
    return faultOf(op).name;
}

const std::array<FileOp, fileOpCount>& allFileOps()
{
    static const std::array<FileOp, fileOpCount> ops = { FileOp::Open,
        FileOp::Read,
        FileOp::Write,
        FileOp::Close,
        FileOp::Move,
        FileOp::Delete,
        FileOp::CreateFolder,
        FileOp::CreateTemporary,
        FileOp::Create,
        FileOp::Lock,
        FileOp::List };
    return ops;
}

FaultyFileSystem::FaultyFileSystem(FileSystem& inner)
    : m_inner(inner)
{
}

void FaultyFileSystem::failAt(FileOp op, std::uint64_t nth)
{
    m_failOp = op;
    m_failAt = nth;
}

int FaultyFileSystem::faultErrno() const
{
    return faultOf(m_failOp).error;
}

void FaultyFileSystem::step(FileOp op, const std::string& path)
{
    const std::uint64_t count = ++m_calls[static_cast<std::size_t>(op)];
    if (m_failAt == 0 || op != m_failOp || count != m_failAt)
        return;
    m_faulted = true;
    throw FileError(faultOf(op).action, path, std::error_code(faultOf(op).error, std::generic_category()));
}

PathKind FaultyFileSystem::kindOf(const std::string& path)
{
    return m_inner.kindOf(path);
}

void FaultyFileSystem::createFolder(const std::string& path, Permissions permissions)
{
    step(FileOp::CreateFolder, path);
    m_inner.createFolder(path, permissions);
}

std::unique_ptr<ByteSource> FaultyFileSystem::openRead(const std::string& path)
{
    step(FileOp::Open, path);
    auto inner = m_inner.openRead(path);
    ++m_openFiles;
    return std::make_unique<FaultySource>(*this, std::move(inner), path);
}

std::unique_ptr<ByteSink> FaultyFileSystem::createFile(const std::string& path, Permissions permissions)
{
    step(FileOp::Create, path);
    auto inner = m_inner.createFile(path, permissions);
    ++m_openFiles;
    return std::make_unique<FaultySink>(*this, std::move(inner), path);
}

NewName FaultyFileSystem::createNewFile(
    const std::string& path, Permissions permissions, std::unique_ptr<ByteSink>& sink)
{
    step(FileOp::Create, path);
    std::unique_ptr<ByteSink> inner;
    const NewName answer = m_inner.createNewFile(path, permissions, inner);
    if (answer == NewName::Done) {
        ++m_openFiles;
        sink = std::make_unique<FaultySink>(*this, std::move(inner), path);
    }
    return answer;
}

std::unique_ptr<ByteSink> FaultyFileSystem::createTemporary(
    const std::string& folder, Permissions permissions, std::string& path)
{
    step(FileOp::CreateTemporary, folder);
    auto inner = m_inner.createTemporary(folder, permissions, path);
    ++m_openFiles;
    return std::make_unique<FaultySink>(*this, std::move(inner), path);
}

void FaultyFileSystem::moveFile(const std::string& from, const std::string& to)
{
    step(FileOp::Move, from);
    m_inner.moveFile(from, to);
}

NewName FaultyFileSystem::moveToNewName(const std::string& from, const std::string& to)
{
    step(FileOp::Move, from);
    return m_inner.moveToNewName(from, to);
}

void FaultyFileSystem::deleteFile(const std::string& path)
{
    step(FileOp::Delete, path);
    m_inner.deleteFile(path);
}

std::unique_ptr<FolderLock> FaultyFileSystem::lockFolder(const std::string& folder)
{
    step(FileOp::Lock, folder);
    return m_inner.lockFolder(folder);
}

void FaultyFileSystem::listFolder(const std::string& folder, const std::function<void(std::string_view)>& visit)
{
    step(FileOp::List, folder);
    m_inner.listFolder(folder, visit);
}

std::string FaultyFileSystem::realFolder(const std::string& folder)
{
    return m_inner.realFolder(folder);
}

} // namespace tessely::test
