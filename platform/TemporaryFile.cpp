#include "TemporaryFile.h"

#include "FileError.h"

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

TemporaryFile::TemporaryFile(HeldFolder& folder, std::string name)
    : m_folder(folder)
    , m_target(std::move(name))
{
    const std::string target = m_folder.pathOf(m_target);
    if (m_folder.holdsFolder(m_target))
        throw FileError("cannot create file", target, FileErrc::IsFolder);
    try {
        // Private from the first moment; the job opens it up when it knows for whom, once it is complete.
        m_sink = std::make_unique<TargetNamedSink>(m_folder.createTemporary(0600, m_name), target);
    } catch (const FileError& error) {
        m_name.clear();
        throw FileError("cannot create file", target, error.code());
    }
}

TemporaryFile::~TemporaryFile()
{
    if (m_name.empty())
        return;
    m_sink.reset();
    try {
        m_folder.deleteFile(m_name);
    } catch (...) {
    }
}

void TemporaryFile::setPermissions(Permissions permissions)
{
    m_sink->setPermissions(permissions);
}

void TemporaryFile::moveIntoPlace()
{
    m_folder.moveFile(m_name, m_target);
    m_name.clear();
}

void TemporaryFile::moveIntoPlace(const std::string& name)
{
    m_target = name;
    moveIntoPlace();
}

NewName TemporaryFile::moveToNewName(const std::string& name)
{
    const NewName answer = m_folder.moveToNewName(m_name, name);
    if (answer == NewName::Done)
        m_name.clear();
    return answer;
}

} // namespace tessely
