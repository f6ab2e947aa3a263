#ifndef TESSELY_PLATFORM_SHAREDSOURCE_H
#define TESSELY_PLATFORM_SHAREDSOURCE_H

#include "FileSystem.h"

#include <cstdint>
#include <memory>

namespace tessely
{

/// One open file read by several readers, each at its own place: every read goes through the file opened
/// once, which is moved to the reader's place when another reader moved it. A file replaced or renamed
/// while it is read is still read whole, as it was when it was opened.
class SharedSource
{
public:
    explicit SharedSource(std::unique_ptr<ByteSource> file);
    SharedSource(const SharedSource&) = delete;
    SharedSource& operator=(const SharedSource&) = delete;

    /// A reader of the file from its start; it must not outlive this.
    std::unique_ptr<ByteSource> reader();

private:
    class Reader;
    std::unique_ptr<ByteSource> m_file;
    std::uint64_t m_position = 0;
};

} // namespace tessely

#endif
