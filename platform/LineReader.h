#ifndef TESSELY_PLATFORM_LINEREADER_H
#define TESSELY_PLATFORM_LINEREADER_H

#include "FileSystem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tessely
{

/// A part of a line. A line that fits the reader's buffer comes whole, in one piece that is both first and
/// last; a longer line comes in several pieces, so that no line, however long, is ever held whole.
struct LinePiece {
    std::string_view text;
    /// The piece starts a line.
    bool first = true;
    /// The piece ends its line.
    bool last = true;
};

/// Reads a text file line by line. CR LF, a lone CR and a lone LF each end a line; the terminator is not
/// part of the line, a last line without one is still read whole, and a final terminator gives no extra
/// empty line. A UTF-8 byte-order mark at the start is skipped and the bytes are not re-encoded; a file that
/// starts with a UTF-16 byte-order mark (little or big endian) is decoded to UTF-8 as it is read, a broken
/// sequence giving U+FFFD.
class LineReader
{
public:
    explicit LineReader(std::unique_ptr<ByteSource> source, std::size_t bufferSize = std::size_t { 1 } << 16);

    /// Stores the next piece in `piece`, valid until the next call. False at end of file.
    bool next(LinePiece& piece);
    /// Reads on to the end of the line that the last piece belonged to.
    void skipRestOfLine();
    /// True once every byte of the file has been read.
    bool atEnd();
    /// The first byte of the line after the one whose last piece was given, when it is read already; -1
    /// when that is not known.
    int peekNextLine() const;
    /// Where the next line starts, to be handed to `seekLine` later. Meant for the moments between lines.
    std::uint64_t linePosition();
    /// Where the line of the last piece given starts, to be handed to `seekLine` later.
    std::uint64_t lineStart() const
    {
        return m_lineStart;
    }
    /// Goes to a line start that `linePosition` gave.
    void seekLine(std::uint64_t position);
    /// The size of a line that is sure to come in one piece.
    std::size_t wholeLineLimit() const
    {
        return m_capacity - 1;
    }

private:
    enum class Encoding { Bytes, Utf16Le, Utf16Be };

    bool ensureData();
    /// Reads more bytes behind those buffered, moving the unread ones to the front first. False at the end.
    bool fill();
    void detectEncoding();
    /// The position of the first line terminator from the read position on, or the end of the buffered data.
    std::size_t findTerminator();
    std::size_t findTerminatorUtf16();
    unsigned unitAt(std::size_t position) const;
    /// Gives the bytes from the read position up to `end` as a piece and moves past them.
    void takePiece(LinePiece& piece, std::size_t end, bool last);

    std::unique_ptr<ByteSource> m_source;
    std::size_t m_capacity;
    // Left uninitialised: the reader only looks at bytes it has read, and filling 64 KiB with zeros for
    // each of thousands of small files (a recombine) cost more than reading them.
    std::unique_ptr<char[]> m_buffer;
    /// The file position of the buffer's first byte.
    std::uint64_t m_base = 0;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    Encoding m_encoding = Encoding::Bytes;
    bool m_eof = false;
    bool m_started = false;
    bool m_skipLineFeed = false;
    bool m_midLine = false;
    std::uint64_t m_lineStart = 0;
    /// A UTF-16 piece as UTF-8.
    std::string m_decoded;
};

} // namespace tessely

#endif
