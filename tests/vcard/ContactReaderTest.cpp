#include "vcard/ContactReader.h"

#include "export/ExportToCsv.h"
#include "recombine/RecombineFiles.h"
#include "split/SplitContacts.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/StringSource.h"
#include "tests/support/TempFolder.h"
#include "vcard/CountContacts.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace tessely
{
namespace
{

using test::StringSource;

/// The lines of `text` as the reader hands them on, one letter each for its part (O outside, B opening,
/// P property, N nested, E closing, or the number of cards a closing piece closes), and the line.
std::vector<std::string> roles(const std::string& text, std::size_t buffer)
{
    LineReader lines(std::make_unique<StringSource>(text, 5), buffer);
    ContactReader reader(lines);
    std::vector<std::string> got;
    ContactPiece piece;
    while (reader.next(piece)) {
        if (piece.first) {
            const char* letters = "OBPNE";
            got.emplace_back(1, letters[static_cast<int>(piece.role)]);
            if (piece.openCards > 0)
                got.back() = std::to_string(piece.openCards);
            got.back() += ' ';
        }
        got.back().append(piece.text);
    }
    return got;
}

TEST(ContactReader, GivesEachLineItsPartInTheContacts)
{
    const struct {
        const char* what;
        std::string text;
        std::vector<std::string> roles;
    } cases[] = {
        { "opening and closing lines in any letter case, spaces around them",
            "x\r\n  begin:VCard \r\nFN:a\r\n End:vcard  \r\n",
            { "O x", "B   begin:VCard ", "P FN:a", "E  End:vcard  " } },
        { "the dotless i upper-cases to I",
            "beg\xC4\xB1n:vcard\nEND:VCARD\n",
            { "B beg\xC4\xB1n:vcard", "E END:VCARD" } },
        { "near misses open nothing",
            "\tBEGIN:VCARD\nBEGIN:VCARD;\nBEGIN: VCARD\nBEGIN:VCARDS\nEND:VCARD\n",
            { "O \tBEGIN:VCARD", "O BEGIN:VCARD;", "O BEGIN: VCARD", "O BEGIN:VCARDS", "O END:VCARD" } },
        { "near misses close nothing",
            "BEGIN:VCARD\nEND:VCARD;\nEND: VCARD\n\tEND:VCARD\nEND:VCARD\n",
            { "B BEGIN:VCARD", "P END:VCARD;", "P END: VCARD", "P \tEND:VCARD", "E END:VCARD" } },
        { "a byte-order mark at a line's start is ignored",
            "\xEF\xBB\xBF"
            "BEGIN:VCARD\n\xEF\xBB\xBF  END:VCARD\n",
            { "B BEGIN:VCARD", "E \xEF\xBB\xBF  END:VCARD" } },
        { "an opening line inside a contact ends it and opens the next",
            "BEGIN:VCARD\nFN:a\nBEGIN:VCARD\nFN:b\n",
            { "B BEGIN:VCARD", "P FN:a", "1 ", "B BEGIN:VCARD", "P FN:b", "1 " } },
        { "cards nested after AGENT lines, two deep",
            "BEGIN:VCARD\nAGENT:\nBEGIN:VCARD\nagent;TYPE=x: "
            "\nbegin:vcard\nFN:c\nEND:VCARD\nEND:VCARD\nFN:a\nEND:VCARD\n",
            { "B BEGIN:VCARD",
                "P AGENT:",
                "N BEGIN:VCARD",
                "N agent;TYPE=x: ",
                "N begin:vcard",
                "N FN:c",
                "N END:VCARD",
                "N END:VCARD",
                "P FN:a",
                "E END:VCARD" } },
        { "an AGENT line with a value, or not right before the card, nests nothing",
            "BEGIN:VCARD\nAGENT:x\nBEGIN:VCARD\nAGENT:\nNOTE:\nBEGIN:VCARD\n",
            { "B BEGIN:VCARD",
                "P AGENT:x",
                "1 ",
                "B BEGIN:VCARD",
                "P AGENT:",
                "P NOTE:",
                "1 ",
                "B BEGIN:VCARD",
                "1 " } },
        { "a file that ends inside a nested card closes every open card",
            "BEGIN:VCARD\n AGENT :\nBEGIN:VCARD\nAGENT;A=b:\nBEGIN:VCARD\nFN:c",
            { "B BEGIN:VCARD", "P  AGENT :", "N BEGIN:VCARD", "N AGENT;A=b:", "N BEGIN:VCARD", "N FN:c", "3 " } },
        { "an opening line that is no AGENT's card ends the nested cards too",
            "BEGIN:VCARD\nAGENT:\nBEGIN:VCARD\nFN:b\nBEGIN:VCARD\nEND:VCARD\n",
            { "B BEGIN:VCARD", "P AGENT:", "N BEGIN:VCARD", "N FN:b", "2 ", "B BEGIN:VCARD", "E END:VCARD" } },
        { "folded lines come as they are",
            "BEGIN:VCARD\nNOTE:a\n b\n\tEND:VCARDx\nEND:VCARD\n",
            { "B BEGIN:VCARD", "P NOTE:a", "P  b", "P \tEND:VCARDx", "E END:VCARD" } },
        { "lines too long for the buffer, opening and closing ones among them",
            std::string(30, ' ') + "BEGIN:VCARD" + std::string(40, ' ') + "\nNOTE:" + std::string(50, 'n') + "\n"
                + "\xEF\xBB\xBF" + std::string(20, ' ') + "end:vcard" + std::string(25, ' ') + "\n",
            { "B " + std::string(30, ' ') + "BEGIN:VCARD" + std::string(40, ' '),
                "P NOTE:" + std::string(50, 'n'),
                "E \xEF\xBB\xBF" + std::string(20, ' ') + "end:vcard" + std::string(25, ' ') } },
    };
    for (const auto& c : cases) {
        for (const std::size_t buffer : { 8, 13, 1 << 16 })
            EXPECT_EQ(roles(c.text, buffer), c.roles) << c.what << ", buffer " << buffer;
    }
}

/// The wide scan for runs of plain lines finds what the narrow one finds, from every start in texts of short
/// and long lines, every kind of line end, and lines that matter, so that the two cannot drift apart on one
/// processor or another.
TEST(ContactReader, BothScansForPlainLinesFindTheSameRun)
{
    if (fastestLineScan() == LineScan::Narrow)
        GTEST_SKIP() << "this processor has only the narrow scan";
    const char* const lines[] = { "TEL:1",
        "",
        " folded",
        " e",
        "   BEGIN:VCARD",
        "\xEF\xBB\xBF"
        "END:VCARD",
        "EMAIL;TYPE=INTERNET:someone@example.org",
        "END:VCARD",
        "BEGIN:VCARD",
        "AGENT:",
        "Agent;x=y:",
        "x",
        "NOTE:"
        "0123456789012345678901234567890123456789012345678901234567890123" };
    const char* const ends[] = { "\r\n", "\r\n", "\r\n", "\n", "\r" };
    std::mt19937 random(7);
    for (int round = 0; round < 1000; ++round) {
        std::string text;
        while (text.size() < 700) {
            text += lines[random() % std::size(lines)];
            text += random() % 10 < 9 ? "\r\n" : ends[random() % std::size(ends)];
        }
        for (std::size_t from = 0; from < text.size(); ++from) {
            const std::string_view part = std::string_view(text).substr(from);
            std::size_t narrowLast = 0;
            std::size_t wideLast = 0;
            const std::size_t narrow = plainLines(part, narrowLast, LineScan::Narrow);
            ASSERT_EQ(plainLines(part, wideLast, LineScan::Wide), narrow) << "round " << round << " from " << from;
            if (narrow > 0) {
                ASSERT_EQ(wideLast, narrowLast) << "round " << round << " from " << from;
            }
        }
    }
}

TEST(ContactReader, CountsContactsAndTheNonBlankLinesOutsideThem)
{
    LineReader lines(std::make_unique<StringSource>(
        "junk\n   \n\n\xEF\xBB\xBF\nBEGIN:VCARD\nBEGIN:VCARD\nEND:VCARD\nBEGIN:VCARD\t\nEND:VCARD\n", 7));
    ContactReader reader(lines);
    ContactPiece piece;
    while (reader.next(piece)) { }
    EXPECT_EQ(reader.contacts(), 2u);
    EXPECT_EQ(reader.skippedLines(), 3u);
}

TEST(ContactReader, SeesAStopWithinSixtyFourKibibytesOfInput)
{
    // One contact of a million short lines, and one line of 10 MB outside any contact.
    std::string text = "BEGIN:VCARD\n";
    for (int i = 0; i < 1000000; ++i)
        text += "X:1\n";
    text += "END:VCARD\n" + std::string(10'000'000, 'x');
    for (const std::size_t stopAt : { std::size_t { 1000 }, std::size_t { 2'000'000 }, text.size() - 300000 }) {
        auto source = std::make_unique<StringSource>(text, 1 << 16);
        StringSource& file = *source;
        LineReader lines(std::move(source));
        test::RecordingHost host;
        ContactReader reader(lines, &host);
        ContactPiece piece;
        while (reader.next(piece))
            host.stopNow = file.offset() >= stopAt;
        EXPECT_TRUE(reader.stopped()) << stopAt;
        EXPECT_LE(file.offset(), stopAt + (3 << 16)) << stopAt;
    }
}

/// The machine's file system, where the user asks to stop once `stopAt` bytes of input have been read, by
/// name or in a folder a job holds.
class StopAfter final : public test::ForwardingFileSystem
{
public:
    StopAfter(test::RecordingHost& host, std::uint64_t stopAt)
        : m_host(host)
        , m_stopAt(stopAt)
    {
    }
    std::unique_ptr<ByteSource> openRead(const std::string& path) override
    {
        return counted(ForwardingFileSystem::openRead(path));
    }
    std::uint64_t read = 0;

private:
    class Counted final : public test::ForwardingSource
    {
    public:
        Counted(StopAfter& fs, std::unique_ptr<ByteSource> inner)
            : ForwardingSource(std::move(inner))
            , m_fs(fs)
        {
        }
        std::size_t read(char* buffer, std::size_t size) override
        {
            const std::size_t got = ForwardingSource::read(buffer, size);
            m_fs.read += got;
            m_fs.m_host.stopNow = m_fs.m_host.stopNow || m_fs.read >= m_fs.m_stopAt;
            return got;
        }

    private:
        StopAfter& m_fs;
    };
    class Held final : public test::ForwardingHeldFolder
    {
    public:
        Held(StopAfter& fs, std::unique_ptr<HeldFolder> inner)
            : ForwardingHeldFolder(std::move(inner))
            , m_fs(fs)
        {
        }
        std::unique_ptr<ByteSource> openRead(const std::string& name) override
        {
            return m_fs.counted(ForwardingHeldFolder::openRead(name));
        }

    private:
        StopAfter& m_fs;
    };

    std::unique_ptr<ByteSource> counted(std::unique_ptr<ByteSource> source)
    {
        return std::make_unique<Counted>(*this, std::move(source));
    }
    std::unique_ptr<HeldFolder> hold(std::unique_ptr<HeldFolder> locked) override
    {
        return std::make_unique<Held>(*this, std::move(locked));
    }

    test::RecordingHost& m_host;
    std::uint64_t m_stopAt;
};

TEST(ContactReader, EveryJobSeesAStopWithinAFewBlocksOfInput)
{
    // A contact of four million bytes of short lines, and a file of no contact but one long line.
    std::string contact = "BEGIN:VCARD\r\n";
    for (int i = 0; i < 1000000; ++i)
        contact += "X:1\r\n";
    const std::string noContact(4'000'000, 'x');
    constexpr std::uint64_t stopAt = 1'000'000;
    const struct {
        const char* job;
        const std::string& input;
    } cases[] = { { "count", noContact }, { "split", contact }, { "export", contact }, { "recombine", contact } };
    for (const auto& c : cases) {
        test::TempFolder dir;
        const std::string source = dir.write("input.vcf", c.input);
        dir.write("other.vcf", c.input);
        test::RecordingHost host;
        StopAfter fs(host, stopAt);
        const std::string job = c.job;
        if (job == "count")
            CountContacts(fs, host, source);
        else if (job == "split")
            EXPECT_TRUE(SplitContacts(fs, host, source).stopped);
        else if (job == "export")
            EXPECT_TRUE(ExportToCsv(fs, host, source).stopped);
        else
            EXPECT_TRUE(RecombineFiles(fs, host, { dir.path(), { "input.vcf", "other.vcf" } }).stopped);
        EXPECT_LE(fs.read, stopAt + (4 << 16)) << c.job;
    }
}

} // namespace
} // namespace tessely
