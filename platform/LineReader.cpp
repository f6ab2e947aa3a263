#include "LineReader.h"

#include "Text.h"

#include <algorithm>
#include <cstring>

namespace tessely
{
namespace
{

constexpr unsigned replacementCharacter = 0xFFFD;

/// The first CR or LF from `p` on, or `end`.
const char* findLineEnd(const char* p, const char* end)
{
    for (; p < end; p += 64) {
        const LineEnds ends = lineEndsIn(p, static_cast<std::size_t>(std::min<std::ptrdiff_t>(end - p, 64)));
        const std::uint64_t mask = ends.cr | ends.lf;
        if (mask != 0)
            return p + __builtin_ctzll(mask);
    }
    return end;
}

bool isHighSurrogate(unsigned unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(unsigned unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

LineReader::LineReader(std::unique_ptr<ByteSource> source, std::size_t bufferSize)
    : m_source(std::move(source))
    , m_capacity(bufferSize < 8 ? 8 : bufferSize)
    , m_buffer(new char[m_capacity])
{
}

bool LineReader::fill()
{
    if (m_eof)
        return false;
    if (m_pos > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_pos, m_end - m_pos);
        m_base += m_pos;
        m_end -= m_pos;
        m_pos = 0;
    }
    if (m_end == m_capacity)
        return true;
    const std::size_t got = m_source->read(m_buffer.get() + m_end, m_capacity - m_end);
    if (got == 0) {
        m_eof = true;
        return false;
    }
    m_end += got;
    return true;
}

void LineReader::detectEncoding()
{
    // Gather three bytes (or the whole short file) so that a byte-order mark is seen whole.
    while (m_end < 3 && fill()) { }
    const auto startsWith = [this](std::string_view mark) {
        return m_end >= mark.size() && std::memcmp(m_buffer.get(), mark.data(), mark.size()) == 0;
    };
    if (startsWith("\xEF\xBB\xBF")) {
        m_pos = 3;
    } else if (startsWith("\xFF\xFE")) {
        m_encoding = Encoding::Utf16Le;
        m_pos = 2;
    } else if (startsWith("\xFE\xFF")) {
        m_encoding = Encoding::Utf16Be;
        m_pos = 2;
    }
}

unsigned LineReader::unitAt(std::size_t position) const
{
    const auto lo = static_cast<unsigned char>(m_buffer[position]);
    const auto hi = static_cast<unsigned char>(m_buffer[position + 1]);
    return m_encoding == Encoding::Utf16Le ? (hi << 8 | lo) : (lo << 8 | hi);
}

bool LineReader::ensureData()
{
    if (!m_started) {
        m_started = true;
        detectEncoding();
    }
    // A UTF-16 unit is two bytes; an odd byte is seen alone only at the end of the file.
    const std::size_t minimum = m_encoding == Encoding::Bytes ? 1 : 2;
    for (;;) {
        if (m_end - m_pos < minimum && !m_eof) {
            if (!fill() && m_pos == m_end)
                return false;
            continue;
        }
        if (m_pos == m_end)
            return false;
        if (m_skipLineFeed) {
            // The previous line ended with CR; an LF right after it belongs to the same terminator.
            m_skipLineFeed = false;
            if (m_encoding == Encoding::Bytes) {
                if (m_buffer[m_pos] == '\n') {
                    ++m_pos;
                    continue;
                }
            } else if (m_end - m_pos >= 2 && unitAt(m_pos) == '\n') {
                m_pos += 2;
                continue;
            }
        }
        return true;
    }
}

std::size_t LineReader::findTerminator()
{
    if (m_encoding != Encoding::Bytes)
        return findTerminatorUtf16();
    const char* buffer = m_buffer.get();
    return static_cast<std::size_t>(findLineEnd(buffer + m_pos, buffer + m_end) - buffer);
}

std::size_t LineReader::findTerminatorUtf16()
{
    std::size_t position = m_pos;
    for (; position + 1 < m_end; position += 2) {
        const unsigned unit = unitAt(position);
        if (unit == '\r' || unit == '\n')
            return position;
    }
    return m_end;
}

void LineReader::takePiece(LinePiece& piece, std::size_t end, bool last)
{
    piece.first = !m_midLine;
    if (piece.first)
        m_lineStart = m_base + m_pos;
    piece.last = last;
    m_midLine = !last;
    if (m_encoding == Encoding::Bytes) {
        piece.text = std::string_view(m_buffer.get() + m_pos, end - m_pos);
        m_pos = end;
        return;
    }
    m_decoded.clear();
    std::size_t position = m_pos;
    for (; position + 1 < end; position += 2) {
        const unsigned unit = unitAt(position);
        if (isHighSurrogate(unit) && position + 3 < end && isLowSurrogate(unitAt(position + 2))) {
            appendUtf8(m_decoded, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(position + 2) - 0xDC00));
            position += 2;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            appendUtf8(m_decoded, replacementCharacter);
        } else {
            appendUtf8(m_decoded, unit);
        }
    }
    if (position < end)
        appendUtf8(m_decoded, replacementCharacter); // an odd byte at the end of the file
    m_pos = end;
    piece.text = m_decoded;
}

bool LineReader::next(LinePiece& piece)
{
    if (m_encoding == Encoding::Bytes && m_pos < m_end && !m_skipLineFeed && !m_midLine && m_started) {
        // The common case, a whole line in the buffer, without the general path's checks.
        const char* buffer = m_buffer.get();
        const char* terminator = findLineEnd(buffer + m_pos, buffer + m_end);
        if (terminator != buffer + m_end) {
            piece.first = true;
            piece.last = true;
            piece.text = std::string_view(buffer + m_pos, static_cast<std::size_t>(terminator - (buffer + m_pos)));
            m_lineStart = m_base + m_pos;
            m_pos = static_cast<std::size_t>(terminator - buffer) + 1;
            if (*terminator == '\r') {
                if (m_pos == m_end)
                    m_skipLineFeed = true;
                else if (buffer[m_pos] == '\n')
                    ++m_pos;
            }
            return true;
        }
    }
    if (!ensureData()) {
        if (!m_midLine)
            return false;
        // A long line that ends exactly where the file ends: its last piece is empty.
        piece = { {}, false, true };
        m_midLine = false;
        return true;
    }
    const std::size_t unit = m_encoding == Encoding::Bytes ? 1 : 2;
    for (;;) {
        const std::size_t terminator = findTerminator();
        if (terminator < m_end) {
            const bool carriageReturn
                = m_encoding == Encoding::Bytes ? m_buffer[terminator] == '\r' : unitAt(terminator) == '\r';
            takePiece(piece, terminator, true);
            m_pos = terminator + unit;
            m_skipLineFeed = carriageReturn;
            // An LF already read after the CR is taken now, so the next line can take the quick way.
            if (carriageReturn && m_encoding == Encoding::Bytes && m_pos < m_end) {
                m_pos += m_buffer[m_pos] == '\n' ? 1 : 0;
                m_skipLineFeed = false;
            }
            return true;
        }
        if (m_eof || (m_pos == 0 && m_end == m_capacity)) {
            std::size_t end = m_end;
            if (!m_eof && m_encoding != Encoding::Bytes) {
                // Whole units only, and never half of a surrogate pair: the rest comes with the next piece.
                end -= (end - m_pos) % 2;
                if (end - m_pos >= 2 && isHighSurrogate(unitAt(end - 2)))
                    end -= 2;
            }
            takePiece(piece, end, m_eof);
            return true;
        }
        fill();
    }
}

void LineReader::skipRestOfLine()
{
    LinePiece piece;
    while (m_midLine && next(piece)) { }
}

int LineReader::peekNextLine() const
{
    if (m_encoding != Encoding::Bytes || m_midLine || m_skipLineFeed || m_pos >= m_end)
        return -1;
    return static_cast<unsigned char>(m_buffer[m_pos]);
}

std::string_view LineReader::bufferedLines() const
{
    if (m_encoding != Encoding::Bytes || !m_started || m_midLine || m_skipLineFeed)
        return {};
    return { m_buffer.get() + m_pos, m_end - m_pos };
}

void LineReader::skipLines(std::size_t size, std::size_t lastLine)
{
    m_lineStart = m_base + m_pos + lastLine;
    m_pos += size;
}

bool LineReader::atEnd()
{
    return !ensureData() && !m_midLine;
}

std::uint64_t LineReader::linePosition()
{
    ensureData();
    return m_base + m_pos;
}

void LineReader::seekLine(std::uint64_t position)
{
    m_source->seek(position);
    m_started = true;
    m_base = position;
    m_pos = m_end = 0;
    m_eof = false;
    m_skipLineFeed = false;
    m_midLine = false;
}

} // namespace tessely
