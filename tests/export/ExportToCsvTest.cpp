#include "export/ExportToCsv.h"

#include "export/NormalizeExportLine.h"
#include "platform/FileError.h"
#include "platform/Text.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
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
    EXPECT_EQ(e.table,
        "VERSION,N,FN,TEL CELL,NOTE,ORG\r\n"
        "2.1,DOE JOHN,JOHN DOE,555-0100,MET IN OSLO 2019AND AGAIN IN 2021,\r\n"
        "2.1,,JANE ROE,555-0177,CALL AFTER 10:30,ACME INC.\r\n");
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
        { "closing line tested fully normalised",
            "BEGIN:VCARD\r\nFN:a\r\nend:vcard\r\nBEGIN:VCARD\r\nFN:b\r\nEND:VCARD;\r\n"
            "BEGIN:VCARD\r\nFN:c\r\n End:VCard, \r\n",
            "FN\r\nA\r\nB\r\nC\r\n",
            3 },
        { "opening line inside a contact is an entry",
            "BEGIN:VCARD\r\nFN:a\r\nBEGIN:VCARD\r\nFN:b\r\nEND:VCARD\r\n",
            "FN,BEGIN\r\nB,VCARD\r\n",
            1 },
        { "continuations glued, empty lines dropped",
            "BEGIN:VCARD\r\nNOTE:one\r\n two \r\n\r\nthree\r\nFN:x\r\nEND:VCARD\r\n",
            "NOTE,FN\r\nONETWOTHREE,X\r\n",
            1 },
        { "colon-less lines before the first entry dropped",
            "BEGIN:VCARD\r\nstray\r\n\r\nFN:a\r\nEND:VCARD\r\n",
            "FN\r\nA\r\n",
            1 },
        { "continuation follows the last entry, which wins",
            "BEGIN:VCARD\r\nN:a\r\nN:b\r\nc\r\nFN:d\r\nN:e\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nN:a\r\nb\r\nN:c\r\nEND:VCARD\r\n",
            "N,FN\r\nE,D\r\nC,\r\n",
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
            "FN,NOTE\r\nA,\xC3\x89T\xE9\r\n",
            1 },
    };
    for (const auto& c : cases) {
        const Exported e = exportText(c.source);
        EXPECT_EQ(e.table, c.table) << c.name;
        EXPECT_EQ(e.result.count, c.count) << c.name;
    }
}

/// The table as a straightforward reading builds it: every contact's entries held, field names looked up
/// one by one, the cells of every contact filled, then written.
std::string referenceTable(const std::vector<std::string>& lines, std::uint64_t& count)
{
    std::vector<std::vector<std::string>> contacts;
    bool inside = false;
    for (const std::string& line : lines) {
        if (!inside) {
            if (isOpeningLine(line)) {
                contacts.emplace_back();
                inside = true;
            }
            continue;
        }
        const std::string normalised = NormalizeExportLine(line);
        if (normalised.find(':') != std::string::npos)
            contacts.back().push_back(normalised);
        else if (!contacts.back().empty())
            contacts.back().back() += normalised;
        inside = normalised != "END:VCARD" && NormalizeExportLine(withoutByteOrderMark(line)) != "END:VCARD";
    }
    if (inside)
        contacts.back().push_back("END:VCARD");

    const auto split = [](const std::string& entry) {
        const auto colon = entry.find(':');
        return std::make_pair(std::string(trimSpaces(std::string_view(entry).substr(0, colon))),
            std::string(trimSpaces(std::string_view(entry).substr(colon + 1))));
    };
    const auto cell = [](std::string text) {
        if (!text.empty() && std::string_view("=+-@\t").find(text.front()) != std::string_view::npos)
            text.insert(0, "'");
        if (text.find('"') == std::string::npos)
            return text;
        replaceAll(text, "\"", "\"\"");
        return "\"" + text + "\"";
    };
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
    for (const auto& entries : contacts) {
        for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
            const std::string name = split(entries[i]).first;
            if (std::find(names.begin(), names.end(), name) == names.end())
                names.push_back(name);
        }
    }
    std::string table;
    for (std::size_t i = 0; i < names.size(); ++i)
        table += (i > 0 ? "," : "") + cell(names[i]);
    table += "\r\n";
    for (const auto& entries : contacts) {
        std::vector<std::string> row(names.size());
        for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
            const auto [name, value] = split(entries[i]);
            row[static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin())] = value;
        }
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

/// The machine's file system, except that the `nth` read of the source fails.
class FailingRead final : public test::ForwardingFileSystem
{
public:
    FailingRead(std::string source, int nth)
        : m_source(std::move(source))
        , m_nth(nth)
    {
    }
    std::unique_ptr<ByteSource> openRead(const std::string& path) override
    {
        if (path == m_source && ++m_opens == m_nth)
            throw FileError("cannot open file", path, std::make_error_code(std::errc::permission_denied));
        return ForwardingFileSystem::openRead(path);
    }

private:
    std::string m_source;
    int m_nth;
    int m_opens = 0;
};

TEST(ExportToCsv, ReplacesAnEarlierTableOnlyWhenTheNewOneIsComplete)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", "BEGIN:VCARD\r\nFN:a\r\nEND:VCARD\r\n");
    const std::string table = dir.file("Split-vCards/Contacts_Export.csv");
    FailingRead unreadable(source, 1);
    EXPECT_THROW(ExportToCsv(unreadable, quietHost(), source), FileError);
    EXPECT_FALSE(localFileSystem().pathExists(dir.file("Split-vCards"))) << "nothing is made for a file never read";

    const std::string earlier = "OLD,TABLE\r\n1,2\r\n";
    std::filesystem::create_directory(dir.file("Split-vCards"));
    dir.write("Split-vCards/Contacts_Export.csv", earlier);
    FailingRead secondPass(source, 2);
    EXPECT_THROW(ExportToCsv(secondPass, quietHost(), source), FileError);
    EXPECT_EQ(readFile(table), earlier) << "a failure keeps the earlier table";
    EXPECT_EQ(test::listFolder(dir.file("Split-vCards")), std::vector<std::string> { "Contacts_Export.csv" });

    const JobResult result = ExportToCsv(localFileSystem(), quietHost(), source);
    EXPECT_EQ(result.count, 1u);
    EXPECT_EQ(readFile(table), "FN\r\nA\r\n");
    EXPECT_EQ(test::listFolder(dir.file("Split-vCards")), std::vector<std::string> { "Contacts_Export.csv" });
}

} // namespace
} // namespace tessely
