#include "LineReader.h"

#include <algorithm>
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
            m_nextCr = m_nextLf = unknown;
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

std::size_t LineReader::findTerminator()
{
    // Each kind of terminator is looked for with memchr and the place found is kept until the reader
    // passes it, so every byte of the buffer is searched at most once for each kind: a CR-only file does
    // not make each line search the whole buffer for an LF.
    const auto search = [this](char terminator) {
        const void* hit = std::memchr(m_buffer.get() + m_pos, terminator, m_end - m_pos);
        return hit == nullptr ? m_end : static_cast<std::size_t>(static_cast<const char*>(hit) - m_buffer.get());
    };
    if (m_nextCr == unknown || m_nextCr < m_pos)
        m_nextCr = search('\r');
    if (m_nextLf == unknown || m_nextLf < m_pos)
        m_nextLf = search('\n');
    return std::min(m_nextCr, m_nextLf);
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
        const char* p = m_buffer.get() + findTerminator();
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
