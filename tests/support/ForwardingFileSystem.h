#ifndef TESSELY_TESTS_FORWARDINGFILESYSTEM_H
#define TESSELY_TESTS_FORWARDINGFILESYSTEM_H

#include "platform/FileSystem.h"

#include <memory>

namespace tessely::test
{

/// Hands every read on to another source; a test overrides the calls it wants to watch or fail.
class ForwardingSource : public ByteSource
{
public:
    explicit ForwardingSource(std::unique_ptr<ByteSource> inner)
        : m_inner(std::move(inner))
    {
    }
    std::size_t read(char* buffer, std::size_t size) override
    {
        return m_inner->read(buffer, size);
    }
    void seek(std::uint64_t offset) override
    {
        m_inner->seek(offset);
    }
    Permissions permissions() const override
    {
        return m_inner->permissions();
    }
    FileIdentity identity() const override
    {
        return m_inner->identity();
    }

private:
    std::unique_ptr<ByteSource> m_inner;
};

/// Hands every call on to another held folder, which it owns; a test overrides the calls it wants to watch
/// or fail.
class ForwardingHeldFolder : public HeldFolder
{
public:
    explicit ForwardingHeldFolder(std::unique_ptr<HeldFolder> inner)
        : HeldFolder(inner->path())
        , m_folder(std::move(inner))
    {
    }

    void madeFrom(const FileIdentity& input) override
    {
        m_folder->madeFrom(input);
    }
    void protect(const FileIdentity& input, const std::string& inputPath) override
    {
        m_folder->protect(input, inputPath);
    }
    bool holdsFolder(const std::string& name) override
    {
        return m_folder->holdsFolder(name);
    }
    std::unique_ptr<ByteSource> openRead(const std::string& name) override
    {
        return m_folder->openRead(name);
    }
    std::unique_ptr<ByteSink> createFile(const std::string& name, Permissions permissions) override
    {
        return m_folder->createFile(name, permissions);
    }
    NewName createNewFile(const std::string& name, Permissions permissions, std::unique_ptr<ByteSink>& sink) override
    {
        return m_folder->createNewFile(name, permissions, sink);
    }
    std::unique_ptr<ByteSink> createTemporary(Permissions permissions, std::string& name) override
    {
        return m_folder->createTemporary(permissions, name);
    }
    void moveFile(const std::string& from, const std::string& to) override
    {
        m_folder->moveFile(from, to);
    }
    NewName moveToNewName(const std::string& from, const std::string& to) override
    {
        return m_folder->moveToNewName(from, to);
    }
    void deleteFile(const std::string& name) override
    {
        m_folder->deleteFile(name);
    }
    void listFolder(const std::function<void(std::string_view)>& visit) override
    {
        m_folder->listFolder(visit);
    }

private:
    std::unique_ptr<HeldFolder> m_folder;
};

/// Hands every call on to another file system (the machine's own by default); a test overrides the calls it
/// wants to watch or fail, and `hold` to put a ForwardingHeldFolder of its own around each folder taken.
class ForwardingFileSystem : public FileSystem
{
public:
    explicit ForwardingFileSystem(FileSystem& inner = localFileSystem())
        : m_fs(inner)
    {
    }

    PathKind kindOf(const std::string& path) override
    {
        return m_fs.kindOf(path);
    }
    void createFolder(
        const std::string& path, Permissions permissions, std::int64_t inputGroup = FileIdentity::noGroup) override
    {
        m_fs.createFolder(path, permissions, inputGroup);
    }
    std::unique_ptr<ByteSource> openRead(const std::string& path) override
    {
        return m_fs.openRead(path);
    }
    std::unique_ptr<HeldFolder> lockFolder(const std::string& folder) override
    {
        return hold(m_fs.lockFolder(folder));
    }
    std::string realFolder(const std::string& folder) override
    {
        return m_fs.realFolder(folder);
    }

protected:
    /// The folder a job gets for `locked`, which the inner file system gave.
    virtual std::unique_ptr<HeldFolder> hold(std::unique_ptr<HeldFolder> locked)
    {
        return locked;
    }

private:
    FileSystem& m_fs;
};

} // namespace tessely::test

#endif
