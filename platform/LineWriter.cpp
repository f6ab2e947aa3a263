#include "LineWriter.h"

#include <cstring>

namespace tessely
{
namespace
{
constexpr std::size_t bufferLimit = std::size_t { 1 } << 16;
}

LineWriter::LineWriter(ByteSink& sink)
    : m_sink(sink)
    , m_buffer(new char[bufferLimit])
{
}

void LineWriter::write(std::string_view text)
{
    if (m_size + text.size() > bufferLimit) {
        flush();
        if (text.size() >= bufferLimit) {
            m_sink.write(text.data(), text.size());
            return;
        }
    }
    if (!text.empty())
        std::memcpy(m_buffer.get() + m_size, text.data(), text.size());
    m_size += text.size();
}

void LineWriter::writeLine(std::string_view text)
{
    write(text);
    write("\r\n");
}

void LineWriter::flush()
{
    if (m_size > 0) {
        m_sink.write(m_buffer.get(), m_size);
        m_size = 0;
    }
}

void LineWriter::close()
{
    flush();
    m_sink.close();
}

} // namespace tessely
