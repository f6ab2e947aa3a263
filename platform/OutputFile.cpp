#include "OutputFile.h"

namespace tessely
{

OutputFile::OutputFile(FileSystem& fs, std::string path, std::unique_ptr<ByteSink> sink)
    : m_fs(fs)
    , m_path(std::move(path))
    , m_sink(std::move(sink))
{
}

OutputFile::~OutputFile()
{
    if (!m_sink)
        return;
    m_sink.reset();
    try {
        m_fs.deleteFile(m_path);
    } catch (...) {
        // The error that ended the job matters more than a file that could not be removed.
    }
}

void OutputFile::complete()
{
    m_sink->close();
    m_sink.reset();
}

} // namespace tessely
