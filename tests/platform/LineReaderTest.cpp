#include "platform/LineReader.h"

#include "platform/LineWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tessely
{
namespace
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

private:
    std::string m_bytes;
    std::size_t m_chunk;
    std::size_t m_pos = 0;
};

class StringSink final : public ByteSink
{
public:
    explicit StringSink(std::string& out)
        : m_out(out)
    {
    }
    void write(const char* data, std::size_t size) override
    {
        m_out.append(data, size);
    }
    void close() override
    {
        closed = true;
    }
    bool closed = false;

private:
    std::string& m_out;
};

std::vector<std::string> readAll(const std::string& bytes, std::size_t chunk, std::size_t bufferSize)
{
    LineReader reader(std::make_unique<StringSource>(bytes, chunk), bufferSize);
    std::vector<std::string> lines;
    std::string_view line;
    while (!reader.atEnd()) {
        EXPECT_TRUE(reader.next(line));
        lines.emplace_back(line);
    }
    EXPECT_FALSE(reader.next(line));
    return lines;
}

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> lines;
};

TEST(LineReader, SplitsOnEveryTerminatorAtEveryBufferBoundary)
{
    const std::vector<LineCase> cases = {
        { "crlf", "A\r\nB\r\n", { "A", "B" } },
        { "lone cr", "A\rB\r", { "A", "B" } },
        { "lone lf", "A\nB\n", { "A", "B" } },
        { "mixed", "A\r\nB\rC\nD", { "A", "B", "C", "D" } },
        { "no final terminator", "A\r\nlast", { "A", "last" } },
        { "empty lines kept", "\r\n\r\nA\n\nB\r\r", { "", "", "A", "", "B", "" } },
        { "lf cr is two ends", "A\n\rB", { "A", "", "B" } },
        { "empty file", "", {} },
        { "only a terminator", "\r\n", { "" } },
        { "bom skipped",
            "\xEF\xBB\xBF"
            "BEGIN:VCARD\r\nX",
            { "BEGIN:VCARD", "X" } },
        { "only a bom", "\xEF\xBB\xBF", {} },
        { "bom later is data",
            "A\n\xEF\xBB\xBF"
            "B",
            { "A",
                "\xEF\xBB\xBF"
                "B" } },
        { "partial bom is data", "\xEF\xBB", { "\xEF\xBB" } },
        { "long line",
            std::string(100, 'x') + "\r\n" + std::string(37, 'y'),
            { std::string(100, 'x'), std::string(37, 'y') } },
        { "bytes pass through", std::string("\xFF\xFE\x00z\r\n", 6), { std::string("\xFF\xFE\x00z", 4) } },
    };
    for (const auto& c : cases) {
        for (std::size_t chunk : { 1, 2, 3, 5, 1 << 16 }) {
            for (std::size_t buffer : { 4, 5, 16, 1 << 16 })
                EXPECT_EQ(readAll(c.bytes, chunk, buffer), c.lines)
                    << c.name << " chunk " << chunk << " buffer " << buffer;
        }
    }
}

TEST(LineWriter, EndsEveryLineWithCrLfAndFlushesLargeWrites)
{
    std::string out;
    auto sink = std::make_unique<StringSink>(out);
    auto* raw = sink.get();
    LineWriter writer(std::move(sink));
    writer.write("a,");
    writer.writeLine("b");
    const std::string big(200000, 'z');
    writer.writeLine(big);
    writer.writeLine("");
    writer.close();
    EXPECT_TRUE(raw->closed);
    EXPECT_EQ(out, "a,b\r\n" + big + "\r\n\r\n");
}

} // namespace
} // namespace tessely
