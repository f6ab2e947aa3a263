#include "platform/LineReader.h"

#include "platform/LineWriter.h"
#include "tests/support/StringSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tessely
{
namespace
{

using test::StringSource;

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
    void setPermissions(Permissions /*permissions*/) override
    {
    }
    bool closed = false;

private:
    std::string& m_out;
};

/// Reads every line, gathering its pieces, and checks that no piece is longer than the buffer and that a
/// line that fits the buffer comes whole. With `positions`, also records where each line starts.
std::vector<std::string> readLines(
    LineReader& reader, std::size_t bufferSize, std::vector<std::uint64_t>* positions = nullptr)
{
    std::vector<std::string> lines;
    LinePiece piece;
    while (!reader.atEnd()) {
        if (positions != nullptr)
            positions->push_back(reader.linePosition());
        EXPECT_TRUE(reader.next(piece));
        EXPECT_TRUE(piece.first);
        std::string line(piece.text);
        std::size_t pieces = 1;
        while (!piece.last && reader.next(piece)) {
            EXPECT_FALSE(piece.first);
            line += piece.text;
            ++pieces;
        }
        EXPECT_TRUE(pieces == 1 || line.size() >= bufferSize - 1) << line.size() << " bytes in " << pieces;
        lines.push_back(line);
    }
    EXPECT_FALSE(reader.next(piece));
    return lines;
}

std::vector<std::string> readAll(const std::string& bytes, std::size_t chunk, std::size_t bufferSize)
{
    LineReader reader(std::make_unique<StringSource>(bytes, chunk), bufferSize);
    return readLines(reader, bufferSize);
}

/// `text` in UTF-16 with a byte-order mark; each character of `text` is one ASCII unit.
std::string utf16(std::string_view text, bool littleEndian)
{
    std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
    for (const char c : text) {
        out += littleEndian ? c : '\0';
        out += littleEndian ? '\0' : c;
    }
    return out;
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
        { "bytes pass through", std::string("\x80\xFE\x00z\r\n", 6), { std::string("\x80\xFE\x00z", 4) } },
        { "utf-16 little endian", utf16("A\r\nBC\rD", true), { "A", "BC", "D" } },
        { "utf-16 big endian", utf16("A\nB\r\n", false), { "A", "B" } },
        { "utf-16 letters and pairs",
            std::string("\xFF\xFE\xE9\x00\x3D\xD8\x00\xDE\x0A\x00", 10),
            { "\xC3\xA9\xF0\x9F\x98\x80" } },
        { "utf-16 broken sequences",
            std::string("\xFF\xFE\x00\xDC\x3D\xD8"
                        "A\x00\x3D\xD8",
                10),
            { "\xEF\xBF\xBD\xEF\xBF\xBD"
              "A\xEF\xBF\xBD" } },
        { "utf-16 odd last byte",
            std::string("\xFE\xFF\x00"
                        "AB",
                5),
            { "A\xEF\xBF\xBD" } },
    };
    for (const auto& c : cases) {
        for (std::size_t chunk : { 1, 2, 3, 5, 1 << 16 }) {
            for (std::size_t buffer : { 8, 9, 16, 1 << 16 })
                EXPECT_EQ(readAll(c.bytes, chunk, buffer), c.lines)
                    << c.name << " chunk " << chunk << " buffer " << buffer;
        }
    }
}

TEST(LineReader, GoesBackToAnyLineStartItGave)
{
    const std::vector<std::string> files = {
        "\xEF\xBB\xBF"
        "first\r\nsecond\rthird\n\n"
            + std::string(40, 'x') + "\r\nlast",
        utf16("one\r\ntwo\rthree\n" + std::string(30, 'y') + "\nend", true),
    };
    for (const std::string& bytes : files) {
        LineReader reader(std::make_unique<StringSource>(bytes, 3), 16);
        std::vector<std::uint64_t> positions;
        const std::vector<std::string> lines = readLines(reader, 16, &positions);
        ASSERT_EQ(positions.size(), lines.size());
        for (std::size_t from = lines.size(); from-- > 0;) {
            reader.seekLine(positions[from]);
            const std::vector<std::string> rest = readLines(reader, 16);
            EXPECT_EQ(rest, std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(from), lines.end()));
        }
    }
}

TEST(LineWriter, EndsEveryLineWithCrLfAndFlushesLargeWrites)
{
    std::string out;
    StringSink sink(out);
    auto* raw = &sink;
    LineWriter writer(sink);
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
