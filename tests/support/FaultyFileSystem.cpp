#include "FaultyFileSystem.h"

#include "platform/FileError.h"
#include "tests/support/ForwardingFileSystem.h"

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

class FaultySource final : public ForwardingSource
{
public:
    FaultySource(FaultyFileSystem& fs, std::unique_ptr<ByteSource> inner, std::string path)
        : ForwardingSource(std::move(inner))
        , m_fs(fs)
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
        return ForwardingSource::read(buffer, size);
    }
    void seek(std::uint64_t offset) override
    {
        m_fs.step(FileOp::Read, m_path);
        ForwardingSource::seek(offset);
    }

private:
    FaultyFileSystem& m_fs;
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

/// The folder a job holds, with every call counted and the planned one failed.
class FaultyFolder final : public HeldFolder
{
public:
    FaultyFolder(FaultyFileSystem& fs, std::unique_ptr<HeldFolder> inner)
        : HeldFolder(inner->path())
        , m_fs(fs)
        , m_inner(std::move(inner))
    {
    }

    void madeFrom(const FileIdentity& input) override
    {
        m_inner->madeFrom(input);
    }
    void protect(const FileIdentity& input, const std::string& inputPath) override
    {
        m_inner->protect(input, inputPath);
    }
    bool holdsFolder(const std::string& name) override
    {
        return m_inner->holdsFolder(name);
    }
    std::unique_ptr<ByteSource> openRead(const std::string& name) override
    {
        m_fs.step(FileOp::Open, pathOf(name));
        auto inner = m_inner->openRead(name);
        m_fs.fileOpened();
        return std::make_unique<FaultySource>(m_fs, std::move(inner), pathOf(name));
    }
    std::unique_ptr<ByteSink> createFile(const std::string& name, Permissions permissions) override
    {
        m_fs.step(FileOp::Create, pathOf(name));
        return wrap(m_inner->createFile(name, permissions), name);
    }
    NewName createNewFile(const std::string& name, Permissions permissions, std::unique_ptr<ByteSink>& sink) override
    {
        m_fs.step(FileOp::Create, pathOf(name));
        std::unique_ptr<ByteSink> inner;
        const NewName answer = m_inner->createNewFile(name, permissions, inner);
        if (answer == NewName::Done)
            sink = wrap(std::move(inner), name);
        return answer;
    }
    std::unique_ptr<ByteSink> createTemporary(Permissions permissions, std::string& name) override
    {
        m_fs.step(FileOp::CreateTemporary, path());
        auto inner = m_inner->createTemporary(permissions, name);
        return wrap(std::move(inner), name);
    }
    void moveFile(const std::string& from, const std::string& to) override
    {
        m_fs.step(FileOp::Move, pathOf(from));
        m_inner->moveFile(from, to);
    }
    NewName moveToNewName(const std::string& from, const std::string& to) override
    {
        m_fs.step(FileOp::Move, pathOf(from));
        return m_inner->moveToNewName(from, to);
    }
    void deleteFile(const std::string& name) override
    {
        m_fs.step(FileOp::Delete, pathOf(name));
        m_inner->deleteFile(name);
    }
    void listFolder(const std::function<void(std::string_view)>& visit) override
    {
        m_fs.step(FileOp::List, path());
        m_inner->listFolder(visit);
    }

private:
    std::unique_ptr<ByteSink> wrap(std::unique_ptr<ByteSink> inner, const std::string& name)
    {
        m_fs.fileOpened();
        return std::make_unique<FaultySink>(m_fs, std::move(inner), pathOf(name));
    }

    FaultyFileSystem& m_fs;
    std::unique_ptr<HeldFolder> m_inner;
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

void FaultyFileSystem::createFolder(const std::string& path, Permissions permissions, std::int64_t inputGroup)
{
    step(FileOp::CreateFolder, path);
    m_inner.createFolder(path, permissions, inputGroup);
}

std::unique_ptr<ByteSource> FaultyFileSystem::openRead(const std::string& path)
{
    step(FileOp::Open, path);
    auto inner = m_inner.openRead(path);
    fileOpened();
    return std::make_unique<FaultySource>(*this, std::move(inner), path);
}

std::unique_ptr<HeldFolder> FaultyFileSystem::lockFolder(const std::string& folder)
{
    step(FileOp::Lock, folder);
    return std::make_unique<FaultyFolder>(*this, m_inner.lockFolder(folder));
}

std::string FaultyFileSystem::realFolder(const std::string& folder)
{
    return m_inner.realFolder(folder);
}

} // namespace tessely::test
