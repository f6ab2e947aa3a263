#ifndef TESSELY_FUZZ_FUZZSUPPORT_H
#define TESSELY_FUZZ_FUZZSUPPORT_H

#include "platform/FileSystem.h"
#include "platform/JobHost.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace tessely::fuzz
{

/// Ends the run with a report when a property does not hold; stays on in builds without assertions.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition);                      \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

/// Reads the fuzz input's bytes from memory, handing out at most `chunk` bytes per read so that lines
/// straddle every buffer boundary.
class MemorySource final : public ByteSource
{
public:
    MemorySource(std::string_view bytes, std::size_t chunk)
        : m_bytes(bytes)
        , m_chunk(chunk == 0 ? 1 : chunk)
    {
    }
    std::size_t read(char* buffer, std::size_t size) override;
    void seek(std::uint64_t offset) override
    {
        m_offset = offset < m_bytes.size() ? static_cast<std::size_t>(offset) : m_bytes.size();
    }
    Permissions permissions() const override
    {
        return 0644;
    }

private:
    std::string_view m_bytes;
    std::size_t m_offset = 0;
    std::size_t m_chunk;
};

/// A job host that never stops the job.
class QuietHost final : public JobHost
{
public:
    void showStatus(bool /*visible*/) override
    {
    }
    void setStatus(std::uint64_t /*number*/) override
    {
    }
    bool yield() override
    {
        return true;
    }
    bool stopRequested() override
    {
        return false;
    }
    Date today() override
    {
        return { 2026, 12, 6 };
    }
};

/// Splits text into lines the plain way (CR LF, CR or LF end a line; a UTF-8 byte-order mark at the start
/// is skipped; a text that starts with a UTF-16 byte-order mark is decoded to UTF-8 first, a broken sequence
/// giving U+FFFD; a last line without terminator counts, a final terminator adds no empty line), as the
/// reference the line reader is checked against.
std::vector<std::string> referenceLines(std::string_view text);

/// A folder of its own for this process, on a tmpfs when there is one; emptied by `clear()`, removed at the
/// end.
class ScratchFolder
{
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const
    {
        return m_path;
    }
    /// Removes everything inside the folder.
    void clear() const;
    /// Writes `bytes` to `name` in the folder and gives its path.
    std::string write(const std::string& name, std::string_view bytes) const;

private:
    std::string m_path;
};

/// The whole content of a file.
std::string readWhole(const std::string& path);
/// The names in a folder, sorted.
std::vector<std::string> folderNames(const std::string& path);

} // namespace tessely::fuzz

#endif
