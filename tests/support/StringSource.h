#ifndef TESSELY_TESTS_STRINGSOURCE_H
#define TESSELY_TESTS_STRINGSOURCE_H

#include "platform/FileSystem.h"

#include <algorithm>
#include <string>

namespace tessely::test
{

/// Serves a string in pieces of at most `chunk` bytes, so lines and terminators straddle reads.
class StringSource final : public ByteSource
{
public:
    StringSource(std::string bytes, std::size_t chunk)
        : m_bytes(std::move(bytes))
        , m_chunk(chunk)
    {
    }
    std::size_t read(char* buffer, std::size_t size) override
    {
        const std::size_t n = std::min({ size, m_chunk, m_bytes.size() - m_pos });
        std::copy_n(m_bytes.data() + m_pos, n, buffer);
        m_pos += n;
        return n;
    }
    void seek(std::uint64_t offset) override
    {
        m_pos = std::min<std::size_t>(offset, m_bytes.size());
    }
    Permissions permissions() const override
    {
        return 0644;
    }
    /// Where the next read starts.
    std::size_t offset() const
    {
        return m_pos;
    }

private:
    std::string m_bytes;
    std::size_t m_chunk;
    std::size_t m_pos = 0;
};

} // namespace tessely::test

#endif
