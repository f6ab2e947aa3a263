#include "platform/Paths.h"
#include "split/NextFreeFileName.h"
#include "split/SplitContacts.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/PlainChain.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/System.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>

namespace tessely
{
namespace
{

using test::listFolder;
using test::readFile;

/// One contact per name; an empty name gives a contact without any naming field. Every contact carries its
/// position in a NOTE line, so each file shows which contact it holds.
std::string cardsNamed(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += "BEGIN:VCARD\r\n";
        if (!names[i].empty())
            text += "FN:" + names[i] + "\r\n";
        text += "NOTE:" + std::to_string(i + 1) + "\r\nEND:VCARD\r\n";
    }
    return text;
}

/// The file of the contact at `number` named `name` in `cardsNamed`.
std::string cardNumber(std::size_t number, const std::string& name)
{
    return "BEGIN:VCARD\r\nFN:" + name + "\r\nNOTE:" + std::to_string(number) + "\r\nEND:VCARD\r\n";
}

/// Every entry of a folder with the content of each file; a folder shows as "<folder>".
std::map<std::string, std::string> snapshot(const std::string& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& name : listFolder(folder)) {
        const std::string path = folder + "/" + name;
        entries[name] = std::filesystem::is_directory(path) ? "<folder>" : readFile(path);
    }
    return entries;
}

JobResult splitNamed(const std::string& source, test::RecordingHost& host)
{
    return SplitContacts(localFileSystem(), host, source, SplitNaming::FromContact);
}

JobResult splitNamed(const std::string& source)
{
    test::RecordingHost host;
    return splitNamed(source, host);
}

/// Counts the existence tests and folder listings that reach the file system.
class CountingFileSystem : public test::ForwardingFileSystem
{
public:
    PathKind kindOf(const std::string& path) override
    {
        ++probes;
        return test::ForwardingFileSystem::kindOf(path);
    }

    std::uint64_t probes = 0;
    std::uint64_t listings = 0;

private:
    class CountingFolder final : public test::ForwardingHeldFolder
    {
    public:
        CountingFolder(std::unique_ptr<HeldFolder> inner, std::uint64_t& listings)
            : ForwardingHeldFolder(std::move(inner))
            , m_listings(listings)
        {
        }
        void listFolder(const std::function<void(std::string_view)>& visit) override
        {
            ++m_listings;
            ForwardingHeldFolder::listFolder(visit);
        }

    private:
        std::uint64_t& m_listings;
    };

    std::unique_ptr<HeldFolder> hold(std::unique_ptr<HeldFolder> locked) override
    {
        return std::make_unique<CountingFolder>(std::move(locked), listings);
    }
};

TEST(ContactNaming, SameNamesGetTheNextSuffixAndUnnamedContactsKeepTheirNumber)
{
    test::TempFolder dir;
    const std::vector<std::string> names = { "John Doe", "John Doe", "", "John Doe", "John Doe", "John Doe" };
    const std::string source = dir.write("all.vcf", cardsNamed(names));
    const JobResult result = splitNamed(source);
    EXPECT_EQ(result.count, 6u);
    const std::map<std::string, std::string> expected = {
        { "John Doe.vcf", cardNumber(1, "John Doe") },
        { "John Doe-#1.vcf", cardNumber(2, "John Doe") },
        { "contact0003.vcf", "BEGIN:VCARD\r\nNOTE:3\r\nEND:VCARD\r\n" },
        { "John Doe-#2.vcf", cardNumber(4, "John Doe") },
        { "John Doe-#3.vcf", cardNumber(5, "John Doe") },
        { "John Doe-#4.vcf", cardNumber(6, "John Doe") },
    };
    EXPECT_EQ(snapshot(result.location), expected);
}

TEST(ContactNaming, ResplittingGivesEveryNamedContactAVariantBesideTheFirstFiles)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", cardsNamed({ "Ann", "Bob", "", "Ann", "Bob-#1" }));
    splitNamed(source);
    const JobResult again = splitNamed(source);
    const std::vector<std::string> expected = {
        "Ann-#1.vcf", // first split, contact 4
        "Ann-#2.vcf", // second split, contact 1
        "Ann-#3.vcf", // second split, contact 4
        "Ann.vcf", // first split, contact 1
        "Bob-#1.vcf", // first split, contact 5
        "Bob-#2.vcf", // second split, contact 2
        "Bob-#3.vcf", // second split, contact 5 continues its own suffix
        "Bob.vcf", // first split, contact 2
        "contact0003.vcf", // rewritten by the second split
    };
    EXPECT_EQ(listFolder(again.location), expected);
    EXPECT_EQ(readFile(again.location + "/Ann-#2.vcf"), cardNumber(1, "Ann"));
    EXPECT_EQ(readFile(again.location + "/Bob-#3.vcf"), cardNumber(5, "Bob-#1"));
}

TEST(ContactNaming, AFolderNamedLikeAContactCountsAsTaken)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", cardsNamed({ "Ann", "Ann" }));
    std::filesystem::create_directories(dir.file("Split-vCards/Ann.vcf/inside"));
    const JobResult result = splitNamed(source);
    EXPECT_EQ(result.count, 2u);
    EXPECT_EQ(listFolder(result.location), (std::vector<std::string> { "Ann-#1.vcf", "Ann-#2.vcf", "Ann.vcf" }));
    EXPECT_EQ(listFolder(result.location + "/Ann.vcf"), std::vector<std::string> { "inside" });
}

TEST(ContactNaming, NeverOverwritesAContactWrittenEarlierInTheJob)
{
    test::TempFolder dir;
    dir.write("all.vcf", "");
    std::filesystem::create_directory(dir.file("Split-vCards"));
    // Left by an earlier run: the numbered file of a contact this job names, and one beyond its contacts.
    dir.write("Split-vCards/contact0005.vcf", "old five");
    dir.write("Split-vCards/contact0030.vcf", "old thirty");
    const std::vector<std::string> names = {
        "contact0002", // 1: the numbered name of contact 2, which is still to come
        "B", // 2: named, so it never needs contact0002.vcf
        "contact0002", // 3: an earlier number, free
        "Contact0004", // 4: its own numbered name, in any letter case, counts as taken
        "Five", // 5: named, so the earlier run's contact0005.vcf stays as it was
        "contact00007", // 6: not the numbered format (a leading zero beyond four digits)
        "contact10", // 7: not the numbered format (fewer than four digits)
        "contact0009", // 8: a later contact's name
        "contact0030", // 9: a number beyond this job, left by an earlier run
        "contact0005", // 10: taken by the earlier run's file
    };
    const std::string source = dir.write("all.vcf", cardsNamed(names));
    const JobResult result = splitNamed(source);
    EXPECT_EQ(result.count, names.size());
    const std::map<std::string, std::string> expected = {
        { "contact0002-#1.vcf", cardNumber(1, names[0]) },
        { "B.vcf", cardNumber(2, names[1]) },
        { "contact0002.vcf", cardNumber(3, names[2]) },
        { "Contact0004-#1.vcf", cardNumber(4, names[3]) },
        { "Five.vcf", cardNumber(5, names[4]) },
        { "contact00007.vcf", cardNumber(6, names[5]) },
        { "contact10.vcf", cardNumber(7, names[6]) },
        { "contact0009-#1.vcf", cardNumber(8, names[7]) },
        { "contact0030.vcf", "old thirty" },
        { "contact0030-#1.vcf", cardNumber(9, names[8]) },
        { "contact0005.vcf", "old five" },
        { "contact0005-#1.vcf", cardNumber(10, names[9]) },
    };
    EXPECT_EQ(snapshot(result.location), expected);
}

TEST(ContactNaming, SuffixesAtTheEdgesOfTheNumberRangeNeverOverflow)
{
    const struct {
        std::string name; // of three contacts in a row
        std::vector<std::string> files; // in the order the contacts are written
    } cases[] = {
        { "x-#9223372036854775807",
            { "x-#9223372036854775807.vcf", "x-#9223372036854775807-#1.vcf", "x-#9223372036854775807-#2.vcf" } },
        { "x-#9223372036854775806",
            { "x-#9223372036854775806.vcf", "x-#9223372036854775807.vcf", "x-#9223372036854775807-#1.vcf" } },
        { "x-#4611686018427387903",
            { "x-#4611686018427387903.vcf", "x-#4611686018427387904.vcf", "x-#4611686018427387905.vcf" } },
        { "x-#-9223372036854775808",
            { "x-#-9223372036854775808.vcf", "x-#-9223372036854775807.vcf", "x-#-9223372036854775806.vcf" } },
        { "x-#99999999999999999999",
            { "x-#99999999999999999999.vcf", "x-#99999999999999999999-#1.vcf", "x-#99999999999999999999-#2.vcf" } },
    };
    for (const auto& c : cases) {
        test::TempFolder dir;
        const std::vector<std::string> names(c.files.size(), c.name);
        const JobResult result = splitNamed(dir.write("all.vcf", cardsNamed(names)));
        std::map<std::string, std::string> expected;
        for (std::size_t i = 0; i < c.files.size(); ++i)
            expected[c.files[i]] = cardNumber(i + 1, c.name);
        EXPECT_EQ(snapshot(result.location), expected) << c.name;
    }
}

TEST(ContactNaming, RecognisesTheNumberedNamesOfLaterContactsInAnyLetterCase)
{
    const struct {
        std::string name;
        std::uint64_t current;
        bool reserved;
    } numbered[] = {
        { "contact0002.vcf", 1, true },
        { "contact0002.vcf", 2, true },
        { "contact0002.vcf", 3, false },
        { "contact9999.vcf", 1, true },
        { "contact10000.vcf", 9999, true },
        { "contact010000.vcf", 1, false },
        { "contact00002.vcf", 1, false },
        { "contact002.vcf", 1, false },
        { "contact0002-#1.vcf", 1, false },
        { "Contact0002.vcf", 1, true },
        { "CONTACT0002.VCF", 1, true },
        { "contact+002.vcf", 1, false },
        { "contact0002.vcf.vcf", 1, false },
        { "contact99999999999999999999999.vcf", 1, false },
    };
    for (const auto& c : numbered)
        EXPECT_EQ(isNumberedFromOn(c.name, c.current), c.reserved) << c.name << " at " << c.current;
}

TEST(ContactNaming, LongNamesAreCutToTheFolderAndToTheFileNameLimit)
{
    const std::string e = "\xC3\xA9"; // one character, two bytes
    const std::string euro = "\xE2\x82\xAC"; // one character, three bytes
    auto repeat = [](const std::string& piece, std::size_t times) {
        std::string text;
        for (std::size_t i = 0; i < times; ++i)
            text += piece;
        return text;
    };
    const std::string folder240 = "/" + std::string(239, 'f');
    const std::string sep(1, pathSeparator);
    const struct {
        const char* what;
        std::string location;
        std::string name;
        std::string path;
    } cases[] = {
        { "fits", "/f", "John", "/f" + sep + "John.vcf" },
        { "exactly 255", folder240, std::string(10, 'n'), folder240 + sep + std::string(10, 'n') + ".vcf" },
        { "cut to 255 characters", folder240, std::string(11, 'n'), folder240 + sep + std::string(10, 'n') + ".vcf" },
        { "folder counted in characters",
            "/" + repeat(e, 239),
            repeat(e, 20),
            "/" + repeat(e, 239) + sep + repeat(e, 10) + ".vcf" },
        { "invalid bytes count one each",
            "/f",
            std::string(300, '\xE9'),
            "/f" + sep + std::string(239, '\xE9') + ".vcf" },
        { "cut to 239 bytes at a character boundary", "/f", repeat(euro, 100), "/f" + sep + repeat(euro, 79) + ".vcf" },
        { "bytes cut after the character cut",
            "/" + repeat(e, 9),
            repeat(e, 300),
            "/" + repeat(e, 9) + sep + repeat(e, 119) + ".vcf" },
        { "one character of room", "/" + std::string(248, 'f'), "AB", "/" + std::string(248, 'f') + sep + "A.vcf" },
        { "no room", "/" + std::string(249, 'f'), "AB", "" },
        { "no room even for a short name", "/" + std::string(260, 'f'), "A", "" },
        { "no name", "/f", "", "" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(contactFileName(c.location, c.name), c.path) << c.what;
}

TEST(ContactNaming, LongNamesAndVariantsFitTheFileSystem)
{
    test::TempFolder dir;
    const std::string longName = std::string(300, 'L');
    const std::string latin1Name = std::string(300, '\xE9');
    std::string accented;
    for (int i = 0; i < 200; ++i)
        accented += "\xC3\xA9";
    const std::string source
        = dir.write("all.vcf", cardsNamed({ longName, longName, latin1Name, "Jos\xE9", accented, accented }));
    const JobResult result = splitNamed(source);
    ASSERT_EQ(result.count, 6u);
    const std::size_t room = 250 - result.location.size();
    ASSERT_LT(room, 239u) << "the temporary folder is unexpectedly short";
    const std::string cut(room, 'L');
    // Bytes that are not UTF-8 are read as Windows-1252: each of these is an "é" of two bytes, so the name
    // cut to the file name's bytes is the same as the one of the UTF-8 contacts after it.
    std::string accentedCut;
    for (std::size_t i = 0; i < 119; ++i)
        accentedCut += "\xC3\xA9";
    EXPECT_EQ(result.location.size() + 1 + cut.size() + 4, 255u);
    EXPECT_EQ(readFile(result.location + "/" + cut + ".vcf"), cardNumber(1, longName));
    EXPECT_EQ(readFile(result.location + "/" + cut + "-#1.vcf"), cardNumber(2, longName));
    EXPECT_EQ(readFile(result.location + "/" + accentedCut + ".vcf"), cardNumber(3, latin1Name));
    EXPECT_EQ(readFile(result.location + "/Jos\xC3\xA9.vcf"), cardNumber(4, "Jos\xE9"));
    EXPECT_EQ(readFile(result.location + "/" + accentedCut + "-#1.vcf"), cardNumber(5, accented));
    EXPECT_EQ(readFile(result.location + "/" + accentedCut + "-#2.vcf"), cardNumber(6, accented));
    EXPECT_EQ(listFolder(result.location).size(), 6u);
}

TEST(ContactNaming, AFolderTooLongForAnyNameKeepsNumberedNames)
{
    test::TempFolder dir;
    const std::string deep = dir.file(std::string(250 - dir.path().size(), 'd'));
    std::filesystem::create_directory(test::systemPath(deep));
    const std::string source = deep + "/all.vcf";
    std::ofstream(test::systemPath(source), std::ios::binary) << cardsNamed({ "Ann", "Bob" });
    const JobResult result = splitNamed(source);
    EXPECT_EQ(result.count, 2u);
    EXPECT_EQ(listFolder(result.location), (std::vector<std::string> { "contact0001.vcf", "contact0002.vcf" }));
}

TEST(ContactNaming, YieldsOnceAfterEachRenamingAndStopsWhenAsked)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", cardsNamed({ "Ann", "", "Cy" }));
    test::RecordingHost host;
    splitNamed(source, host);
    const std::vector<std::string> expected
        = { "show", "status 1", "yield", "yield", "status 2", "yield", "status 3", "yield", "yield", "hide" };
    EXPECT_EQ(host.calls, expected);

    test::TempFolder stopDir;
    const std::string stopSource = stopDir.write("all.vcf", cardsNamed({ "Ann", "Bob" }));
    test::RecordingHost stopping;
    stopping.yieldsBeforeStop = 1;
    const JobResult stopped = splitNamed(stopSource, stopping);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopped.count, 1u);
    EXPECT_EQ(listFolder(stopped.location), std::vector<std::string> { "Ann.vcf" });
}

TEST(ContactNaming, SameNamesCostAFewProbesEachNotOnePerEarlierVariant)
{
    test::TempFolder dir;
    const std::vector<std::string> names(300, "Same");
    const std::string source = dir.write("all.vcf", cardsNamed(names));
    CountingFileSystem fs;
    test::RecordingHost host;
    const JobResult result = SplitContacts(fs, host, source, SplitNaming::FromContact);
    EXPECT_EQ(result.count, 300u);
    EXPECT_EQ(readFile(result.location + "/Same-#299.vcf"), cardNumber(300, "Same"));
    EXPECT_EQ(fs.listings, 1u) << "the folder is read once";
    EXPECT_LE(fs.probes, 10u) << "names are not tested one by one against the file system";
}

/// The renaming as a plain chain: every candidate from the contact's own name on is tested again.
void referenceSplit(const std::string& location, const std::vector<std::string>& names)
{
    FileSystem& fs = localFileSystem();
    if (!fs.folderExists(location))
        fs.createFolder(location, 0777);
    const auto folder = fs.lockFolder(location);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::uint64_t number = i + 1;
        std::vector<std::string> lines;
        if (!names[i].empty())
            lines.push_back("FN:" + names[i]);
        lines.push_back("NOTE:" + std::to_string(number));
        lines.emplace_back("END:VCARD");
        test::plainChainWrite(*folder, lines, number);
    }
}

TEST(ContactNaming, GivesTheSameFilesAsThePlainChain)
{
    const std::vector<std::string> pool = { "A",
        "A",
        "A",
        "A-#1",
        "A-#3",
        "A-#0",
        "A-#-1",
        "B",
        "B",
        "B-#2-#1",
        "X-#",
        "T-#9223372036854775806",
        "T-#9223372036854775807",
        "T-#-9223372036854775808",
        "C",
        "contact0001",
        "contact0002",
        "contact0003",
        "contact0005",
        "contact0010",
        "contact0002-#1",
        "contact02",
        "contact00003",
        "a",
        "a-#2",
        "b",
        "CON",
        "nul",
        "Com1",
        "aux.txt",
        "Con.Team",
        "con .txt",
        "COM\xC2\xB9",
        "conin$",
        "LPT0.x",
        "-rf",
        ".hidden",
        "...",
        ". .A",
        "Contact0004",
        "" };
    const std::vector<std::string> existingFiles = { "A.vcf",
        "a-#5.VCF",
        "con-#1.vcf",
        "A-#2.vcf",
        "A-#4.vcf",
        "A-#0-#1.vcf",
        "C-#1.vcf",
        "contact0002.vcf",
        "contact0004.vcf",
        "contact0030.vcf",
        "contact0002-#1.vcf",
        "B-#2-#2.vcf" };
    const std::vector<std::string> existingFolders = { "A-#1.vcf", "B.vcf", "X-#-#1.vcf", "contact0010-#1.vcf" };

    for (unsigned seed = 1; seed <= 25; ++seed) {
        std::mt19937 random(seed);
        std::vector<std::string> names(10 + random() % 50);
        for (auto& name : names)
            name = pool[random() % pool.size()];
        std::vector<bool> existing;
        for (std::size_t i = 0; i < existingFiles.size() + existingFolders.size(); ++i)
            existing.push_back(random() % 3 == 0);

        test::TempFolder job;
        test::TempFolder reference;
        for (const test::TempFolder* dir : { &job, &reference }) {
            std::filesystem::create_directory(dir->file("Split-vCards"));
            for (std::size_t i = 0; i < existingFiles.size(); ++i) {
                if (existing[i])
                    dir->write("Split-vCards/" + existingFiles[i], "earlier " + existingFiles[i]);
            }
            for (std::size_t i = 0; i < existingFolders.size(); ++i) {
                if (existing[existingFiles.size() + i])
                    std::filesystem::create_directory(dir->file("Split-vCards/" + existingFolders[i]));
            }
        }
        const std::string source = job.write("all.vcf", cardsNamed(names));
        for (int run = 1; run <= 2; ++run) {
            splitNamed(source);
            referenceSplit(reference.file("Split-vCards"), names);
            ASSERT_EQ(snapshot(job.file("Split-vCards")), snapshot(reference.file("Split-vCards")))
                << "seed " << seed << ", run " << run;
        }
    }
}

} // namespace
} // namespace tessely
