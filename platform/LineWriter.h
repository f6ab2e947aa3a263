#ifndef TESSELY_PLATFORM_LINEWRITER_H
#define TESSELY_PLATFORM_LINEWRITER_H

#include "FileSystem.h"

#include <cstddef>
#include <memory>
#include <string_view>

namespace tessely
{

/// Writes text to a file through a buffer; every line written with `writeLine` ends with CR LF. The file
/// belongs to whoever made it and must outlive the writer.
class LineWriter
{
public:
    explicit LineWriter(ByteSink& sink);
    /// Drops what is still buffered, without throwing; call `close()` to keep what was written.
    ~LineWriter() = default;
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    /// Writes the text alone.
    void write(std::string_view text);
    /// Writes the text, then CR LF.
    void writeLine(std::string_view text);
    /// Flushes and closes; throws FileError when the system refuses (a full disk shows up here).
    void close();

private:
    void flush();

    ByteSink& m_sink;
    /// A plain buffer: the many short cells of a table are copied in without a string's checks and calls.
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_size = 0;
};

} // namespace tessely

#endif
