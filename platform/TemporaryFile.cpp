#include "TemporaryFile.h"

#include "FileError.h"
#include "Paths.h"

namespace tessely
{
namespace
{

/// Passes writes on, and reports a failure under the name of the file the user knows.
class TargetNamedSink final : public ByteSink
{
public:
    TargetNamedSink(std::unique_ptr<ByteSink> inner, std::string target)
        : m_inner(std::move(inner))
        , m_target(std::move(target))
    {
    }

    void write(const char* data, std::size_t size) override
    {
        try {
            m_inner->write(data, size);
        } catch (const FileError& error) {
            throw FileError(error.action(), m_target, error.code());
        }
    }
    void close() override
    {
        try {
            m_inner->close();
        } catch (const FileError& error) {
            throw FileError(error.action(), m_target, error.code());
        }
    }
    void setPermissions(Permissions permissions) override
    {
        try {
            m_inner->setPermissions(permissions);
        } catch (const FileError& error) {
            throw FileError(error.action(), m_target, error.code());
        }
    }

private:
    std::unique_ptr<ByteSink> m_inner;
    std::string m_target;
};

} // namespace

TemporaryFile::TemporaryFile(FileSystem& fs, std::string target)
    : m_fs(fs)
    , m_target(std::move(target))
{
    if (m_fs.folderExists(m_target))
        throw FileError("cannot create file", m_target, FileErrc::IsFolder);
    try {
        m_sink = std::make_unique<TargetNamedSink>(
            m_fs.createTemporary(GetParentFolderName(m_target), openPermissions, m_path), m_target);
    } catch (const FileError& error) {
        m_path.clear();
        throw FileError("cannot create file", m_target, error.code());
    }
    // Private while it is written; the job gives it its final permissions when it knows them.
    m_sink->setPermissions(0600);
}

TemporaryFile::~TemporaryFile()
{
    if (m_path.empty())
        return;
    m_sink.reset();
    try {
        m_fs.deleteFile(m_path);
    } catch (...) {
    }
}

void TemporaryFile::setPermissions(Permissions permissions)
{
    m_sink->setPermissions(permissions);
}

void TemporaryFile::moveIntoPlace()
{
    m_fs.moveFile(m_path, m_target);
    m_path.clear();
}

NewName TemporaryFile::moveToNewName(const std::string& name)
{
    const NewName answer = m_fs.moveToNewName(m_path, name);
    if (answer == NewName::Done)
        m_path.clear();
    return answer;
}

} // namespace tessely
