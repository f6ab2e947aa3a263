#ifndef TESSELY_PLATFORM_LINEREADER_H
#define TESSELY_PLATFORM_LINEREADER_H

#include "FileSystem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#endif

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

/// The CR and the LF bytes among the first `size` (at most 64) bytes of a text, a bit for each, the first byte
/// in the lowest bit.
struct LineEnds {
    std::uint64_t cr = 0;
    std::uint64_t lf = 0;
};

/// Finds the line ends of up to 64 bytes at once, sixteen bytes at a time where the processor can: the lines
/// of a contact are short, and looking for their ends one line at a time cost more than all the rest of a
/// split.
inline LineEnds lineEndsIn(const char* text, std::size_t size)
{
    LineEnds ends;
    std::size_t at = 0;
#if defined(__SSE2__)
    const auto bytes16 = [text](std::size_t from, char byte) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + from));
        return std::uint64_t { static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, _mm_set1_epi8(byte)))) };
    };
    if (size == 64) {
        // A whole block, the usual case, in straight code.
        ends.cr = bytes16(0, '\r') | bytes16(16, '\r') << 16 | bytes16(32, '\r') << 32 | bytes16(48, '\r') << 48;
        ends.lf = bytes16(0, '\n') | bytes16(16, '\n') << 16 | bytes16(32, '\n') << 32 | bytes16(48, '\n') << 48;
        return ends;
    }
    for (; at + 16 <= size; at += 16) {
        ends.cr |= bytes16(at, '\r') << at;
        ends.lf |= bytes16(at, '\n') << at;
    }
#endif
    for (; at < size; ++at) {
        ends.cr |= std::uint64_t { text[at] == '\r' } << at;
        ends.lf |= std::uint64_t { text[at] == '\n' } << at;
    }
    return ends;
}

#if defined(__GNUC__) && defined(__x86_64__)
#define TESSELY_WIDE_LINE_ENDS 1
/// The bytes of the 32 at `text` that are `byte`, a bit for each, on a processor that has AVX2.
[[gnu::target("avx2")]] inline std::uint64_t wideBytesIn(const char* text, char byte)
{
    const __m256i chunk = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text));
    return static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(chunk, _mm256_set1_epi8(byte))));
}

/// `lineEndsIn` for a whole block of 64 bytes, 32 bytes at a time, for a processor that has AVX2 (ask
/// `__builtin_cpu_supports("avx2")` first): half the work of the sixteen-byte comparisons, which every byte of
/// a split passes through.
[[gnu::target("avx2")]] inline LineEnds wideLineEndsIn(const char* text)
{
    return { wideBytesIn(text, '\r') | wideBytesIn(text + 32, '\r') << 32,
        wideBytesIn(text, '\n') | wideBytesIn(text + 32, '\n') << 32 };
}
#endif

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
    /// The bytes read ahead, from the start of the next line on, when the file is read as bytes and the line
    /// before has been given whole; empty otherwise. For a reader that takes many whole lines at once.
    std::string_view bufferedLines() const;
    /// Moves past the first `size` bytes of `bufferedLines()`, whole lines ended by CR LF, the last of which
    /// starts at `lastLine` within them.
    void skipLines(std::size_t size, std::size_t lastLine);
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
