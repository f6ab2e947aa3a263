#include "export/ExportToCsv.h"

#include "platform/FileError.h"
#include "platform/Text.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/PlainContacts.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/System.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>

namespace tessely
{
namespace
{

using test::readFile;

JobHost& quietHost()
{
    static test::RecordingHost host;
    return host;
}

struct Exported {
    JobResult result;
    std::string table;
};

Exported exportText(const std::string& source, const ExportLimits& limits = {})
{
    test::TempFolder dir;
    const JobResult result = ExportToCsv(localFileSystem(), quietHost(), dir.write("all.vcf", source), limits);
    EXPECT_EQ(result.location, dir.file("Split-vCards"));
    return { result, readFile(dir.file("Split-vCards/Contacts_Export.csv")) };
}

TEST(ExportToCsv, WorkedExample)
{
    const std::string source = "BEGIN:VCARD\r\n"
                               "VERSION:2.1\r\n"
                               "N:Doe;John;;;\r\n"
                               "FN:John Doe\r\n"
                               "TEL;CELL:555-0100\r\n"
                               "NOTE:Met in Oslo, 2019\r\n"
                               "  and again in 2021\r\n"
                               "END:VCARD\r\n"
                               "\r\n"
                               "begin:vcard\r\n"
                               "VERSION:2.1\r\n"
                               "FN:Jane Roe\r\n"
                               "TEL;CELL:555-0142\r\n"
                               "TEL;CELL:555-0177\r\n"
                               "ORG:Acme, Inc.\r\n"
                               "NOTE:Call after 10:30\r\n"
                               "end:vcard\r\n";
    const Exported e = exportText(source);
    EXPECT_EQ(e.result.count, 2u);
    // The line that starts with spaces continues the note, without the line break and one space; the
    // second TEL;CELL line has a column of its own.
    EXPECT_EQ(e.table,
        "VERSION,N,FN,TEL CELL,NOTE,TEL CELL (2),ORG\r\n"
        "2.1,DOE JOHN,JOHN DOE,555-0100,MET IN OSLO 2019 AND AGAIN IN 2021,,\r\n"
        "2.1,,JANE ROE,555-0142,CALL AFTER 10:30,555-0177,ACME INC.\r\n");
}

TEST(ExportToCsv, ContactAndEntryRules)
{
    const struct {
        const char* name;
        std::string source;
        std::string table;
        std::uint64_t count;
    } cases[] = {
        { "opening line in any case, text around contacts ignored",
            "X:0\r\n  begin:VCard \r\nFN:a\r\nEND:VCARD\r\nY:1\r\nBEGIN:VCARD\r\nFN:b\r\nEND:VCARD\r\nZ:2\r\n",
            "FN\r\nA\r\nB\r\n",
            2 },
        { "opening line with a semicolon opens nothing", "BEGIN:VCARD;\r\nFN:a\r\nEND:VCARD\r\n", "\r\n", 0 },
        { "closing line tested as the opening line is",
            "BEGIN:VCARD\r\nFN:a\r\n end:vcard \r\nBEGIN:VCARD\r\nFN:b\r\nEND:VCARD;\r\n",
            "FN,END\r\nA,\r\nB,VCARD\r\n",
            2 },
        { "opening line inside a contact opens the next",
            "BEGIN:VCARD\r\nFN:a\r\nBEGIN:VCARD\r\nFN:b\r\nEND:VCARD\r\n",
            "FN\r\nA\r\nB\r\n",
            2 },
        { "folded lines unfolded, colon-less lines glued, empty lines dropped",
            "BEGIN:VCARD\r\nNOTE:one\r\n two \r\n\r\nthree\r\nURL:x\r\n\t:y\r\nEND:VCARD\r\n",
            "NOTE,URL\r\nONETWOTHREE,X:Y\r\n",
            1 },
        { "a folded line that continues no property is dropped",
            "BEGIN:VCARD\r\n FN:a\r\nAGENT:\r\nBEGIN:VCARD\r\nFN:b\r\nEND:VCARD\r\n x:1\r\ny\r\nEND:VCARD\r\n",
            "AGENT\r\n\r\n",
            1 },
        { "colon-less lines before the first entry dropped",
            "BEGIN:VCARD\r\nstray\r\n\r\nFN:a\r\nEND:VCARD\r\n",
            "FN\r\nA\r\n",
            1 },
        { "repeated fields have columns of their own, a continuation follows the last entry",
            "BEGIN:VCARD\r\nN:a\r\nN:b\r\nc\r\nFN:d\r\nN:e\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nN:a\r\nb\r\nN:c\r\nEND:VCARD\r\n",
            "N,N (2),FN,N (3)\r\nA,BC,D,E\r\nAB,C,,\r\n",
            2 },
        { "parameters belong to the field name",
            "BEGIN:VCARD\r\nTEL;CELL:1\r\nTEL;HOME:2\r\nTEL:3\r\nEND:VCARD\r\n",
            "TEL CELL,TEL HOME,TEL\r\n1,2,3\r\n",
            1 },
        { "value cut at the first colon, spaces around it removed",
            "BEGIN:VCARD\r\nNOTE:Call at 10:30: ok\r\nFN : Jane\r\nX:\tv\r\nEND:VCARD\r\n",
            "NOTE,FN,X\r\nCALL AT 10:30: OK,JANE,\"'\tV\"\r\n",
            1 },
        { "a contact with no entry gives empty cells",
            "BEGIN:VCARD\r\nFN:a\r\nTEL:1\r\nEND:VCARD\r\nBEGIN:VCARD\r\nEND:VCARD\r\n",
            "FN,TEL\r\nA,1\r\n,\r\n",
            2 },
        { "no field at all gives empty lines",
            "BEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\nx\r\nEND:VCARD\r\n",
            "\r\n\r\n\r\n",
            2 },
        { "no contact", "FN:a\r\nEND:VCARD\r\n", "\r\n", 0 },
        { "empty file", "", "\r\n", 0 },
        { "entry starting with a colon has an empty-named column",
            "BEGIN:VCARD\r\n:x\r\nFN:a\r\nEND:VCARD\r\n",
            ",FN\r\nX,A\r\n",
            1 },
        { "fields of later contacts are appended in order",
            "BEGIN:VCARD\r\nA:1\r\nEND:VCARD\r\nBEGIN:VCARD\r\nB:2\r\nA:3\r\nEND:VCARD\r\n",
            "A,B\r\n1,\r\n3,2\r\n",
            2 },
        { "end of file closes the contact",
            "BEGIN:VCARD\r\nFN:a\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:b\r\nNOTE:n",
            "FN,NOTE\r\nA,\r\nB,N\r\n",
            2 },
        { "opening line at end of file", "BEGIN:VCARD\r\nFN:a\r\nEND:VCARD\r\nBEGIN:VCARD\r\n", "FN\r\nA\r\n\r\n", 2 },
        { "cells with double quotes are quoted",
            "BEGIN:VCARD\r\nNOTE:say \"hi\"\r\nX\"Y:\"\r\nFN:plain\r\nEND:VCARD\r\n",
            "NOTE,\"X\"\"Y\",FN\r\n\"SAY \"\"HI\"\"\",\"\"\"\",PLAIN\r\n",
            1 },
        // A spreadsheet told to split cells at tabs too would start a cell, and run a formula, after one.
        { "cells and names with a tab are quoted",
            "BEGIN:VCARD\r\nTEL:x\t=1+1\r\nA\tB:c\r\nEND:VCARD\r\n",
            "TEL,\"A\tB\"\r\n\"X\t=1+1\",C\r\n",
            1 },
        { "line ends and byte-order mark",
            "\xEF\xBB\xBF"
            "BEGIN:VCARD\nFN:a\rNOTE:\xC3\xA9t\xE9\r\nEND:VCARD",
            "FN,NOTE\r\nA,\xC3\x83\xC2\xA9T\xC3\x89\r\n",
            1 },
    };
    for (const auto& c : cases) {
        const Exported e = exportText(c.source);
        EXPECT_EQ(e.table, c.table) << c.name;
        EXPECT_EQ(e.result.count, c.count) << c.name;
    }
}

/// A line normalised for the table the plain way, on the whole line: read as Windows-1252 when it is not
/// UTF-8, commas deleted, semicolons made spaces, upper-cased, trimmed of spaces.
std::string normalised(std::string line)
{
    if (!isValidUtf8(line))
        line = windows1252ToUtf8(line);
    replaceAll(line, ",", "");
    replaceAll(line, ";", " ");
    return std::string(trimSpaces(upperCase(line)));
}

/// The table as a straightforward reading builds it: the contacts as the plain reference of the contact
/// rules gives them, their lines unfolded and held, field names looked up one by one, a column for every
/// further occurrence of a name in a contact, the cells of every contact filled, then written.
std::string referenceTable(const std::vector<std::string>& lines, std::uint64_t& count)
{
    using Entry = std::pair<std::string, std::string>;
    std::vector<std::vector<Entry>> contacts;
    for (const auto& contact : test::plainContacts(lines)) {
        // Unfolded property lines; a nested card ends the line before it, and nothing is glued across it.
        std::vector<std::string> logical;
        enum { None, Open, Dropped } line = None;
        for (const test::PlainLine& part : contact) {
            const bool folded = !part.text.empty() && (part.text[0] == ' ' || part.text[0] == '\t');
            if (part.role != LineRole::Property) {
                line = None;
                logical.emplace_back(1, '\0');
            } else if (folded && line == Open) {
                logical.back() += part.text.substr(1);
            } else if (folded) {
                line = Dropped;
            } else {
                line = Open;
                logical.push_back(part.text);
            }
        }
        std::vector<Entry> entries;
        bool glue = false;
        for (const std::string& text : logical) {
            const std::string entry = normalised(text);
            const auto colon = entry.find(':');
            if (text == std::string(1, '\0')) {
                glue = false;
            } else if (colon != std::string::npos) {
                entries.emplace_back(trimSpaces(std::string_view(entry).substr(0, colon)),
                    trimSpaces(std::string_view(entry).substr(colon + 1)));
                glue = true;
            } else if (glue) {
                entries.back().second += entry;
            }
        }
        contacts.push_back(entries);
    }

    const auto cell = [](std::string text) {
        if (!text.empty() && std::string_view("=+-@\t").find(text.front()) != std::string_view::npos)
            text.insert(0, "'");
        if (text.find('"') == std::string::npos)
            return text;
        replaceAll(text, "\"", "\"\"");
        return "\"" + text + "\"";
    };
    // Columns by name and occurrence, in order of first appearance.
    std::vector<std::pair<std::string, std::size_t>> columns;
    std::vector<std::vector<std::string>> rows;
    for (const auto& entries : contacts) {
        std::map<std::string, std::size_t> seen;
        std::map<std::size_t, std::string> row;
        for (const auto& [name, value] : entries) {
            const std::pair<std::string, std::size_t> column(name, ++seen[name]);
            auto at = std::find(columns.begin(), columns.end(), column);
            if (at == columns.end())
                at = columns.insert(columns.end(), column);
            row[static_cast<std::size_t>(at - columns.begin())] = value;
        }
        rows.emplace_back();
        for (const auto& [column, value] : row) {
            rows.back().resize(column + 1);
            rows.back()[column] = value;
        }
    }
    std::string table;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const auto& [name, occurrence] = columns[i];
        table += (i > 0 ? "," : "") + cell(occurrence > 1 ? name + " (" + std::to_string(occurrence) + ")" : name);
    }
    table += "\r\n";
    for (auto& row : rows) {
        row.resize(columns.size());
        for (std::size_t i = 0; i < row.size(); ++i)
            table += (i > 0 ? "," : "") + cell(row[i]);
        table += "\r\n";
    }
    count = contacts.size();
    return table;
}

TEST(ExportToCsv, StreamingMatchesTheWholeFileReading)
{
    const std::string longNote = "NOTE:" + std::string(40, 'n') + ", and " + std::string(30, 'm') + "  ";
    const std::vector<std::string> pool = {
        "BEGIN:VCARD",
        "begin:vcard",
        " BEGIN:VCARD ",
        "BEGIN:VCARD;",
        "\xEF\xBB\xBF"
        "BEGIN:VCARD",
        "END:VCARD",
        "end:vcard",
        "END:VCARD;",
        ",,,,,,,,,,,,,,,,,,,,,,END:VCARD,,,,,,,,,,,,,,,,,,",
        "\xEF\xBB\xBF"
        "  end:vcard",
        "FN:a",
        "fn : b",
        "TEL;CELL:1",
        "TEL,CELL:2",
        "tel cell:3",
        ":e",
        "NOTE:a:b",
        "Q\"Q:\"v\"",
        "cont",
        " more,",
        "",
        "  ",
        "N:x;y;;",
        "FN:=SUM(1)",
        "TEL:+1 555 0100",
        "@X:-y",
        "X-A-VERY-LONG-FIELD-NAME-THAT-GOES-ON;TYPE=HOME:v",
        "x-a-very-long-field-name-that-goes-on,;type=home  :  w",
        "   spaced   field   :   spaced   value   ",
        longNote,
        std::string(50, 'c'),
        "\xC3,\xA9t\xC3\xA9:\xC3\xA9,\xC3\xA9" + std::string(20, ' ') + "\xC3",
        "N;CHARSET=windows-1252:M\xFC"
        "ller;J\xFC"
        "rgen",
        "NOTE:Stra\xC3",
        " \x9F"
        "e, gr\xC3\xBC",
        "\tn ,x:,y",
        "AGENT:",
        "agent;TYPE=x:  ",
        "EMAIL;TYPE=INTERNET:a@example.org",
    };
    ExportLimits tiny;
    tiny.nameBytes = 4;
    tiny.valueBytes = 6;
    tiny.rowBytes = 10;
    tiny.namesBytes = 12;
    tiny.readBuffer = 8;
    std::mt19937 random(20261206);
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> lines(random() % 40);
        std::string source;
        for (auto& line : lines) {
            line = pool[random() % pool.size()];
            source += line + (random() % 5 == 0 ? "\n" : "\r\n");
        }
        if (!source.empty() && random() % 2 == 0)
            source.resize(source.size() - (source.back() == '\n' && source[source.size() - 2] == '\r' ? 2 : 1));
        std::uint64_t count = 0;
        const std::string expected = referenceTable(lines, count);
        // Held in memory, and read again from the file for every name and cell beyond tiny limits.
        for (const ExportLimits& limits : { ExportLimits {}, tiny }) {
            const Exported e = exportText(source, limits);
            ASSERT_EQ(e.table, expected) << source;
            ASSERT_EQ(e.result.count, count) << source;
        }
    }
}

TEST(ExportToCsv, ReadsJoinedAndUtf16ExportsAndCountsLinesOutsideContacts)
{
    const std::string card = "BEGIN:VCARD\r\nFN:a\r\nEND:VCARD\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("BEGIN:VCARD\r\nFN:z\xEB\r\nEND:VCARD\r\n"))
        utf16 += std::string(1, c) + '\0';
    const struct {
        const char* name;
        std::string source;
        std::string table;
        std::uint64_t skipped;
    } cases[] = {
        { "a mark before a later contact and its end",
            card
                + "\xEF\xBB\xBF"
                  "BEGIN:VCARD\r\nFN:b\r\n\xEF\xBB\xBF"
                  "END:VCARD\r\n"
                + card,
            "FN\r\nA\r\nB\r\nA\r\n",
            0 },
        { "utf-16", utf16, "FN\r\nZ\xC3\x8B\r\n", 0 },
        { "lines outside contacts counted, blank ones not",
            "junk\r\n  \r\n\r\nBEGIN:VCARD\t\r\nFN:x\r\nEND:VCARD\r\n" + card,
            "FN\r\nA\r\n",
            4 },
    };
    for (const auto& c : cases) {
        const Exported e = exportText(c.source);
        EXPECT_EQ(e.table, c.table) << c.name;
        EXPECT_EQ(e.result.skippedLines, c.skipped) << c.name;
    }
}

/// The machine's file system, where something happens to the source's name when the job first reads it, or
/// its reading fails once the job goes back for a second pass; it counts how often the source is opened.
class WatchedSource final : public test::ForwardingFileSystem
{
public:
    enum class Fault { Unopenable, SecondPass, Renamed, Replaced };
    WatchedSource(std::string source, Fault fault)
        : m_source(std::move(source))
        , m_fault(fault)
    {
    }
    std::unique_ptr<ByteSource> openRead(const std::string& path) override
    {
        if (path != m_source)
            return ForwardingFileSystem::openRead(path);
        ++opens;
        if (m_fault == Fault::Unopenable)
            throw FileError("cannot open file", path, std::make_error_code(std::errc::permission_denied));
        return std::make_unique<Source>(*this, ForwardingFileSystem::openRead(path));
    }
    int opens = 0;

private:
    class Source final : public test::ForwardingSource
    {
    public:
        Source(WatchedSource& fs, std::unique_ptr<ByteSource> inner)
            : ForwardingSource(std::move(inner))
            , m_fs(fs)
        {
        }
        std::size_t read(char* buffer, std::size_t size) override
        {
            if (m_fs.m_fault == Fault::SecondPass && m_seeked)
                throw FileError("cannot read file", m_fs.m_source, std::make_error_code(std::errc::io_error));
            if (!m_touched && (m_fs.m_fault == Fault::Renamed || m_fs.m_fault == Fault::Replaced)) {
                // Windows keeps an input that is being read from being renamed: then nothing happens.
                std::error_code refused;
                std::filesystem::rename(
                    test::systemPath(m_fs.m_source), test::systemPath(m_fs.m_source + ".old"), refused);
                if (!refused && m_fs.m_fault == Fault::Replaced)
                    std::ofstream(test::systemPath(m_fs.m_source), std::ios::binary)
                        << "BEGIN:VCARD\r\nTEL:9\r\nEND:VCARD\r\n";
            }
            m_touched = true;
            return ForwardingSource::read(buffer, size);
        }
        void seek(std::uint64_t offset) override
        {
            m_seeked = true;
            ForwardingSource::seek(offset);
        }

    private:
        WatchedSource& m_fs;
        bool m_touched = false;
        bool m_seeked = false;
    };

    std::string m_source;
    Fault m_fault;
};

TEST(ExportToCsv, ReplacesAnEarlierTableOnlyWhenTheNewOneIsComplete)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", "BEGIN:VCARD\r\nFN:a\r\nEND:VCARD\r\n");
    const std::string table = dir.file("Split-vCards/Contacts_Export.csv");
    WatchedSource unreadable(source, WatchedSource::Fault::Unopenable);
    EXPECT_THROW(ExportToCsv(unreadable, quietHost(), source), FileError);
    EXPECT_FALSE(localFileSystem().pathExists(dir.file("Split-vCards"))) << "nothing is made for a file never read";

    const std::string earlier = "OLD,TABLE\r\n1,2\r\n";
    std::filesystem::create_directory(dir.file("Split-vCards"));
    dir.write("Split-vCards/Contacts_Export.csv", earlier);
    WatchedSource secondPass(source, WatchedSource::Fault::SecondPass);
    EXPECT_THROW(ExportToCsv(secondPass, quietHost(), source), FileError);
    EXPECT_EQ(readFile(table), earlier) << "a failure keeps the earlier table";
    EXPECT_EQ(test::listFolder(dir.file("Split-vCards")), std::vector<std::string> { "Contacts_Export.csv" });

    const JobResult result = ExportToCsv(localFileSystem(), quietHost(), source);
    EXPECT_EQ(result.count, 1u);
    EXPECT_EQ(readFile(table), "FN\r\nA\r\n");
    EXPECT_EQ(test::listFolder(dir.file("Split-vCards")), std::vector<std::string> { "Contacts_Export.csv" });
}

TEST(ExportToCsv, ReadsEveryPassFromTheFileItOpenedWhateverBecomesOfItsName)
{
    // A long value is read again for its cell, a long name for the header.
    const std::string input = "BEGIN:VCARD\r\nFN:a\r\nNOTE:" + std::string(3000, 'n') + "\r\nEND:VCARD\r\n"
        + "BEGIN:VCARD\r\nX-" + std::string(2000, 'x') + ":b\r\nEND:VCARD\r\n";
    const Exported expected = exportText(input);
    ExportLimits small;
    small.nameBytes = 100;
    small.valueBytes = 100;
    for (const auto fault : { WatchedSource::Fault::Renamed, WatchedSource::Fault::Replaced }) {
        test::TempFolder dir;
        const std::string source = dir.write("all.vcf", input);
        WatchedSource fs(source, fault);
        const JobResult result = ExportToCsv(fs, quietHost(), source, small);
        EXPECT_EQ(result.count, 2u);
        EXPECT_EQ(readFile(dir.file("Split-vCards/Contacts_Export.csv")), expected.table);
        EXPECT_EQ(fs.opens, 1);
    }
}

} // namespace
} // namespace tessely
