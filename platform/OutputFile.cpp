#include "OutputFile.h"

namespace tessely
{

OutputFile::OutputFile(HeldFolder& folder, std::string name, std::unique_ptr<ByteSink> sink)
    : m_folder(folder)
    , m_name(std::move(name))
    , m_sink(std::move(sink))
{
}

OutputFile::~OutputFile()
{
    if (!m_sink)
        return;
    m_sink.reset();
    try {
        m_folder.deleteFile(m_name);
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
