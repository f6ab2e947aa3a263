#include "split/SplitContacts.h"

#include "platform/FileError.h"
#include "platform/Paths.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/System.h"
#include "tests/support/TempFolder.h"
#include "vcard/CountContacts.h"

#include <gtest/gtest.h>

#include <fstream>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tessely
{
namespace
{

using test::listFolder;
using test::readFile;

struct SplitCase {
    const char* name;
    std::string source;
    std::uint64_t counted;
    std::vector<std::string> files; // contents of contact0001.vcf, contact0002.vcf, ...
    std::uint64_t skipped = 0; // non-blank lines outside any contact
};

/// `text` (ASCII, and "\xC3\xAB" for one "e" with diaeresis) as UTF-16 little endian with its mark.
std::string utf16(std::string_view text)
{
    std::string out = "\xFF\xFE";
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 2) == "\xC3\xAB") {
            out += std::string("\xEB\x00", 2);
            ++i;
        } else {
            out += text[i];
            out += '\0';
        }
    }
    return out;
}

TEST(SplitContacts, WritesEachContactToItsNumberedFile)
{
    const std::string card = "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n";
    const std::vector<SplitCase> cases = {
        { "crlf",
            "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n",
            2,
            { card, "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n" } },
        { "lone lf and cr",
            "BEGIN:VCARD\nFN:A\nEND:VCARD\rBEGIN:VCARD\rFN:B\rEND:VCARD",
            2,
            { card, "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n" } },
        { "bom and no final terminator",
            "\xEF\xBB\xBF"
            "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD",
            1,
            { card } },
        { "text between contacts dropped and counted",
            "junk\r\n\r\n  \r\nBEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nnoise\r\n",
            1,
            { card },
            2 },
        { "an opening line that does not read as one is counted with its contact",
            "BEGIN:VCARD\t\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n",
            1,
            { card },
            3 },
        { "a byte-order mark before a later contact, as joined files carry",
            card
                + "\xEF\xBB\xBF"
                  "BEGIN:VCARD\r\nFN:B\r\n\xEF\xBB\xBF"
                  "END:VCARD\r\n"
                + card,
            3,
            { card, "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n", card } },
        { "utf-16 is read as utf-8",
            utf16("BEGIN:VCARD\r\nFN:Zo\xC3\xAB\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n"),
            2,
            { "BEGIN:VCARD\r\nFN:Zo\xC3\xAB\r\nEND:VCARD\r\n", card } },
        { "lines longer than the reader's buffer",
            "BEGIN:VCARD\r\nPHOTO:" + std::string(200000, 'p') + "\r\nEND:VCARD\r\n" + std::string(100000, 'j')
                + "\r\n",
            1,
            { "BEGIN:VCARD\r\nPHOTO:" + std::string(200000, 'p') + "\r\nEND:VCARD\r\n" },
            1 },
        { "opening line at end of file",
            "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\n",
            2,
            { card, "BEGIN:VCARD\r\nEND:VCARD\r\n" } },
        { "bytes pass through",
            "BEGIN:VCARD\r\nFN:Jos\xE9 \xC3\xA9\r\n\tx\x01y\r\nEND:VCARD\r\n",
            1,
            { "BEGIN:VCARD\r\nFN:Jos\xE9 \xC3\xA9\r\n\tx\x01y\r\nEND:VCARD\r\n" } },
        { "no contacts", "hello\r\nworld\r\n", 0, {}, 2 },
    };
    for (const auto& c : cases) {
        test::TempFolder dir;
        const std::string source = dir.write("all.vcf", c.source);
        test::RecordingHost host;
        EXPECT_EQ(CountContacts(localFileSystem(), host, source), c.counted) << c.name;
        const JobResult result = SplitContacts(localFileSystem(), host, source);
        EXPECT_EQ(result.location, dir.file("Split-vCards")) << c.name;
        EXPECT_EQ(result.count, c.files.size()) << c.name;
        EXPECT_EQ(result.skippedLines, c.skipped) << c.name;
        std::vector<std::string> names;
        for (std::size_t i = 0; i < c.files.size(); ++i) {
            const std::string path = numberedFileName(result.location, i + 1);
            names.push_back(path.substr(result.location.size() + 1));
            EXPECT_EQ(readFile(path), c.files[i]) << c.name << " " << path;
        }
        EXPECT_EQ(listFolder(result.location), names) << c.name;
        EXPECT_EQ(readFile(source), c.source) << c.name << ": the source must never change";
        EXPECT_FALSE(host.visible) << c.name;
    }
}

TEST(SplitContacts, NumberedNamesHaveAtLeastFourDigits)
{
    EXPECT_EQ(numberedFileName("/f", 1), joinPath("/f", "contact0001.vcf"));
    EXPECT_EQ(numberedFileName("/f", 9999), joinPath("/f", "contact9999.vcf"));
    EXPECT_EQ(numberedFileName("/f", 10000), joinPath("/f", "contact10000.vcf"));
    EXPECT_EQ(numberedFileName("/f", 32768), joinPath("/f", "contact32768.vcf"));
}

TEST(SplitContacts, ReportsProgressPerLineOutsideContacts)
{
    test::TempFolder dir;
    const std::string source
        = dir.write("all.vcf", "x\r\nBEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\nN:a\r\nEND:VCARD\r\n");
    test::RecordingHost host;
    SplitContacts(localFileSystem(), host, source);
    const std::vector<std::string> expected
        = { "show", "status 1", "yield", "status 1", "yield", "status 2", "yield", "hide" };
    EXPECT_EQ(host.calls, expected);
}

TEST(SplitContacts, StopsWhenTheUserAsksAndKeepsWhatIsWritten)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\nEND:VCARD\r\n");
    test::RecordingHost host;
    host.yieldsBeforeStop = 1;
    const JobResult result = SplitContacts(localFileSystem(), host, source);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.count, 1u);
    EXPECT_EQ(listFolder(result.location), std::vector<std::string> { "contact0001.vcf" });
    EXPECT_FALSE(host.visible);
}

TEST(SplitContacts, ResplittingRewritesSameNumbersAndLeavesHigherOnes)
{
    test::TempFolder dir;
    std::string three;
    for (const char* name : { "A", "B", "C" })
        three += std::string("BEGIN:VCARD\r\nFN:") + name + "\r\nEND:VCARD\r\n";
    const std::string source = dir.write("all.vcf", three);
    test::RecordingHost host;
    SplitContacts(localFileSystem(), host, source);
    dir.write("all.vcf", "BEGIN:VCARD\r\nFN:Z\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:Y\r\nEND:VCARD\r\n");
    const JobResult again = SplitContacts(localFileSystem(), host, source);
    EXPECT_EQ(again.count, 2u);
    EXPECT_EQ(readFile(numberedFileName(again.location, 1)), "BEGIN:VCARD\r\nFN:Z\r\nEND:VCARD\r\n");
    EXPECT_EQ(readFile(numberedFileName(again.location, 3)), "BEGIN:VCARD\r\nFN:C\r\nEND:VCARD\r\n");
}

TEST(SplitContacts, HasNoSixteenBitLimits)
{
    if (test::runningUnderWine())
        GTEST_SKIP() << "Wine takes minutes for 32,769 files: each new name is looked for in the whole folder";
    test::TempFolder dir;
    std::string big;
    const std::string card = "BEGIN:VCARD\nEND:VCARD\n";
    for (int i = 0; i < 32768; ++i)
        big += card;
    big += "BEGIN:VCARD\n";
    for (int i = 0; i < 40000; ++i)
        big += "X:" + std::to_string(i) + "\n";
    big += "END:VCARD\n";
    const std::string source = dir.write("big.vcf", big);
    test::RecordingHost host;
    const JobResult result = SplitContacts(localFileSystem(), host, source);
    EXPECT_EQ(result.count, 32769u);
    const std::string last = readFile(numberedFileName(result.location, 32769));
    EXPECT_NE(last.find("X:39999\r\nEND:VCARD\r\n"), std::string::npos);
}

TEST(SplitContacts, CountIsZeroForAMissingFileAndTheFolderIsNotMade)
{
    test::TempFolder dir;
    test::RecordingHost host;
    EXPECT_EQ(CountContacts(localFileSystem(), host, dir.file("none.vcf")), 0u);
    EXPECT_TRUE(listFolder(dir.path()).empty());
}

TEST(SplitContacts, AFileInPlaceOfTheOutputFolderEndsTheJobWithAnError)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\nEND:VCARD\r\n");
    dir.write("Split-vCards", "not a folder");
    test::RecordingHost host;
    EXPECT_THROW(SplitContacts(localFileSystem(), host, source), FileError);
    EXPECT_EQ(readFile(dir.file("Split-vCards")), "not a folder");
}

#ifndef _WIN32
// POSIX permission bits make the file unreadable; Windows has none of these to take away.
TEST(SplitContacts, AnUnreadableSourceEndsTheJobWithAnError)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root, which may read every file";
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
    ::chmod(source.c_str(), 0);
    test::RecordingHost host;
    EXPECT_THROW(SplitContacts(localFileSystem(), host, source), FileError);
}
#endif

} // namespace
} // namespace tessely
