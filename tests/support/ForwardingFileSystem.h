#ifndef TESSELY_TESTS_FORWARDINGFILESYSTEM_H
#define TESSELY_TESTS_FORWARDINGFILESYSTEM_H

#include "platform/FileSystem.h"

namespace tessely::test
{

/// Hands every call on to the machine's file system; a test overrides the calls it wants to fail.
class ForwardingFileSystem : public FileSystem
{
public:
    bool fileExists(const std::string& path) override
    {
        return m_fs.fileExists(path);
    }
    bool folderExists(const std::string& path) override
    {
        return m_fs.folderExists(path);
    }
    bool pathExists(const std::string& path) override
    {
        return m_fs.pathExists(path);
    }
    void createFolder(const std::string& path) override
    {
        m_fs.createFolder(path);
    }
    std::unique_ptr<ByteSource> openRead(const std::string& path) override
    {
        return m_fs.openRead(path);
    }
    std::unique_ptr<ByteSink> openWrite(const std::string& path) override
    {
        return m_fs.openWrite(path);
    }
    std::unique_ptr<ByteSink> createTemporary(const std::string& folder, std::string& path) override
    {
        return m_fs.createTemporary(folder, path);
    }
    void moveFile(const std::string& from, const std::string& to) override
    {
        m_fs.moveFile(from, to);
    }
    void deleteFile(const std::string& path) override
    {
        m_fs.deleteFile(path);
    }

private:
    FileSystem& m_fs = localFileSystem();
};

} // namespace tessely::test

#endif
