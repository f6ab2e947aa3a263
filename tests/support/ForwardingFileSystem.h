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

private:
    std::unique_ptr<ByteSource> m_inner;
};

/// Hands every call on to another file system (the machine's own by default); a test overrides the calls it
/// wants to watch or fail.
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
    void createFolder(const std::string& path, Permissions permissions) override
    {
        m_fs.createFolder(path, permissions);
    }
    std::unique_ptr<ByteSource> openRead(const std::string& path) override
    {
        return m_fs.openRead(path);
    }
    std::unique_ptr<ByteSink> createFile(const std::string& path, Permissions permissions) override
    {
        return m_fs.createFile(path, permissions);
    }
    NewName createNewFile(const std::string& path, Permissions permissions, std::unique_ptr<ByteSink>& sink) override
    {
        return m_fs.createNewFile(path, permissions, sink);
    }
    std::unique_ptr<ByteSink> createTemporary(
        const std::string& folder, Permissions permissions, std::string& path) override
    {
        return m_fs.createTemporary(folder, permissions, path);
    }
    void moveFile(const std::string& from, const std::string& to) override
    {
        m_fs.moveFile(from, to);
    }
    NewName moveToNewName(const std::string& from, const std::string& to) override
    {
        return m_fs.moveToNewName(from, to);
    }
    void deleteFile(const std::string& path) override
    {
        m_fs.deleteFile(path);
    }
    std::unique_ptr<FolderLock> lockFolder(const std::string& folder) override
    {
        return m_fs.lockFolder(folder);
    }
    void listFolder(const std::string& folder, const std::function<void(std::string_view)>& visit) override
    {
        m_fs.listFolder(folder, visit);
    }
    std::string realFolder(const std::string& folder) override
    {
        return m_fs.realFolder(folder);
    }

private:
    FileSystem& m_fs;
};

} // namespace tessely::test

#endif
