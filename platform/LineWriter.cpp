#include "LineWriter.h"

namespace tessely
{
namespace
{
constexpr std::size_t bufferLimit = std::size_t { 1 } << 16;
}

LineWriter::LineWriter(ByteSink& sink)
    : m_sink(sink)
{
    m_buffer.reserve(bufferLimit);
}

void LineWriter::write(std::string_view text)
{
    if (m_buffer.size() + text.size() > bufferLimit) {
        flush();
        if (text.size() >= bufferLimit) {
            m_sink.write(text.data(), text.size());
            return;
        }
    }
    m_buffer.append(text);
}

void LineWriter::writeLine(std::string_view text)
{
    write(text);
    write("\r\n");
}

void LineWriter::flush()
{
    if (!m_buffer.empty()) {
        m_sink.write(m_buffer.data(), m_buffer.size());
        m_buffer.clear();
    }
}

void LineWriter::close()
{
    flush();
    m_sink.close();
}

} // namespace tessely
