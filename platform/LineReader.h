#ifndef TESSELY_PLATFORM_LINEREADER_H
#define TESSELY_PLATFORM_LINEREADER_H

#include "FileSystem.h"

#include <memory>
#include <string>
#include <string_view>

namespace tessely
{

/// Reads a text file line by line. CR LF, a lone CR and a lone LF each end a line; the terminator
/// is not part of the line, a last line without one is still read whole, and a final terminator
/// gives no extra empty line. A UTF-8 byte-order mark at the start is skipped. Bytes are not
/// re-encoded.
class LineReader
{
public:
    explicit LineReader(std::unique_ptr<ByteSource> source, std::size_t bufferSize = std::size_t { 1 } << 16);

    /// Stores the next line in `line`, valid until the next call. False at end of file.
    bool next(std::string_view& line);
    /// True once every byte of the file has been read.
    bool atEnd();

private:
    bool ensureData();
    /// The position of the first CR or LF from the read position on, or the end of the buffered data.
    std::size_t findTerminator();

    std::unique_ptr<ByteSource> m_source;
    // Left uninitialised: the reader only looks at bytes it has read, and filling 64 KiB with zeros for
    // each of thousands of small files (a recombine) cost more than reading them.
    std::size_t m_capacity;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
    bool m_started = false;
    bool m_skipLineFeed = false;
    std::string m_spill;
    /// Where the next CR and the next LF of the buffer are, once looked for.
    static constexpr std::size_t unknown = static_cast<std::size_t>(-1);
    std::size_t m_nextCr = unknown;
    std::size_t m_nextLf = unknown;
};

} // namespace tessely

#endif
