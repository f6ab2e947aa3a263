#include "LineReader.h"

#include <cstring>

namespace tessely
{

LineReader::LineReader(std::unique_ptr<ByteSource> source, std::size_t bufferSize)
    : m_source(std::move(source))
    , m_capacity(bufferSize < 4 ? 4 : bufferSize)
    , m_buffer(new char[m_capacity])
{
}

bool LineReader::ensureData()
{
    for (;;) {
        if (m_pos == m_end) {
            if (m_eof)
                return false;
            m_pos = 0;
            m_end = m_source->read(m_buffer.get(), m_capacity);
            if (!m_started) {
                // Gather three bytes (or the whole short file) so a byte-order mark is seen whole.
                m_started = true;
                while (m_end > 0 && m_end < 3) {
                    const std::size_t more = m_source->read(m_buffer.get() + m_end, m_capacity - m_end);
                    if (more == 0)
                        break;
                    m_end += more;
                }
                if (m_end >= 3 && std::memcmp(m_buffer.get(), "\xEF\xBB\xBF", 3) == 0)
                    m_pos = 3;
            }
            if (m_end == 0) {
                m_eof = true;
                return false;
            }
            continue;
        }
        if (m_skipLineFeed) {
            // The previous line ended with CR; an LF right after it belongs to the same terminator.
            m_skipLineFeed = false;
            if (m_buffer[m_pos] == '\n') {
                ++m_pos;
                continue;
            }
        }
        return true;
    }
}

bool LineReader::next(std::string_view& line)
{
    bool spilled = false;
    m_spill.clear();
    for (;;) {
        if (!ensureData()) {
            if (!spilled)
                return false;
            line = m_spill;
            return true;
        }
        const char* begin = m_buffer.get() + m_pos;
        const char* end = m_buffer.get() + m_end;
        const char* p = begin;
        while (p != end && *p != '\r' && *p != '\n')
            ++p;
        if (p == end) {
            m_spill.append(begin, end);
            spilled = true;
            m_pos = m_end;
            continue;
        }
        m_skipLineFeed = *p == '\r';
        m_pos = static_cast<std::size_t>(p - m_buffer.get()) + 1;
        if (spilled) {
            m_spill.append(begin, p);
            line = m_spill;
        } else {
            line = std::string_view(begin, static_cast<std::size_t>(p - begin));
        }
        return true;
    }
}

bool LineReader::atEnd()
{
    return !ensureData();
}

} // namespace tessely
