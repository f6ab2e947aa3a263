#include "TemporaryFile.h"

#include "FileError.h"
#include "Paths.h"

namespace tessely
{

TemporaryFile::TemporaryFile(FileSystem& fs, std::string target)
    : m_fs(fs)
    , m_target(std::move(target))
{
    try {
        m_sink = m_fs.createTemporary(GetParentFolderName(m_target), m_path);
    } catch (const FileError& error) {
        m_path.clear();
        throw FileError("cannot create file", m_target, error.code());
    }
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

std::unique_ptr<ByteSink> TemporaryFile::takeSink()
{
    return std::move(m_sink);
}

void TemporaryFile::moveIntoPlace()
{
    m_fs.moveFile(m_path, m_target);
    m_path.clear();
}

} // namespace tessely
