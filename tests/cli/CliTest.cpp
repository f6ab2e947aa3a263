#include "cli/Cli.h"

#include "platform/Paths.h"
#include "platform/Version.h"
#include "split/SplitContacts.h"
#include "tests/support/System.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace tessely
{
namespace
{

const std::string twoCards = "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n";

Date fixedDay()
{
    return { 2026, 12, 6 };
}

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

/// A stream whose every write fails, as standard output does on a full disk.
class FailingBuffer final : public std::streambuf
{
protected:
    int overflow(int /*c*/) override
    {
        return traits_type::eof();
    }
};

/// Runs tessely-cli in-process, with Windows conventions or without (by default as on this system).
CliRun run(
    const std::vector<std::string>& args, const std::string& workingFolder = {}, bool windows = pathSeparator == '\\')
{
    std::ostringstream out;
    std::ostringstream err;
    CliEnvironment env { localFileSystem(), out, err };
    env.today = fixedDay;
    env.workingFolder = workingFolder;
    env.windows = windows;
    const int status = runCli(args, env);
    return { status, out.str(), err.str() };
}

TEST(Cli, UsageErrorsExitTwo)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        { "frobnicate" },
        { "split" },
        { "split", "a.vcf", "b.vcf" },
        { "split", "--naming=alphabetical", "a.vcf" },
        { "split", "--bogus", "a.vcf" },
        { "export" },
        { "export", "--format=ods", "a.vcf" },
        { "export", "--format=", "a.vcf" },
        { "split", "--format=xlsx", "a.vcf" },
        { "recombine" },
        { "split", "" },
        { "recombine", "a.vcf", "" },
    };
    for (const auto& args : cases) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, exitUsage) << (args.empty() ? "" : args[0]);
        EXPECT_TRUE(r.out.empty());
        EXPECT_NE(r.err.find("tessely-cli: "), std::string::npos);
    }
}

TEST(Cli, HelpAndVersion)
{
    EXPECT_EQ(run({ "--version" }).out, std::string("tessely ") + versionText + "\n");
    const std::vector<std::vector<std::string>> helps
        = { { "--help" }, { "split", "--help" }, { "export", "-h" }, { "recombine", "--help" } };
    for (const auto& args : helps) {
        const CliRun r = run(args);
        EXPECT_EQ(r.status, exitSuccess);
        EXPECT_EQ(r.out.rfind("Usage: tessely-cli " + (args.size() > 1 ? args[0] : std::string("COMMAND")), 0), 0u);
        for (const char* section : { "Options:", "Example:", "Exit status:" })
            EXPECT_NE(r.out.find(section), std::string::npos) << args[0] << " lacks " << section;
    }
}

TEST(Cli, HelpSpeaksTheConventionsOfItsSystem)
{
    const struct {
        bool windows;
        std::vector<std::string> args;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    } cases[] = {
        { false,
            { "--help" },
            { "~/phone/contacts.vcf", "Split-vCards/Contacts_Export.csv", "SIGHUP" },
            { "\\", "/?" } },
        { false, { "export", "-h" }, { "--format=xlsx", "Contacts_Export.xlsx", "SIGINT" }, { "\\", "/?" } },
        { true,
            { "--help" },
            { "C:\\Users\\", "Split-vCards\\Contacts_Export.csv", "/?", "Ctrl+C", "console window" },
            { "~/", "SIG", "-vCards/" } },
        { true, { "recombine", "/?" }, { "Split-vCards\\contact0001.vcf", "Ctrl+C" }, { "-vCards/", "SIG" } },
    };
    for (const auto& c : cases) {
        const CliRun r = run(c.args, {}, c.windows);
        EXPECT_EQ(r.status, exitSuccess) << c.args[0];
        for (const std::string& word : c.present)
            EXPECT_NE(r.out.find(word), std::string::npos) << c.windows << " " << c.args[0] << " lacks " << word;
        for (const std::string& word : c.absent)
            EXPECT_EQ(r.out.find(word), std::string::npos) << c.windows << " " << c.args[0] << " has " << word;
    }
    const CliRun windows = run({ "/?" }, {}, true);
    EXPECT_EQ(windows.status, exitSuccess);
    EXPECT_EQ(windows.out.rfind("Usage: tessely-cli COMMAND", 0), 0u);
    EXPECT_EQ(run({ "/?" }, {}, false).status, exitUsage) << "elsewhere /? is no option";
}

TEST(Cli, WindowsPathsInMessagesUseBackslashesWhateverWasTyped)
{
    if (pathSeparator != '\\')
        GTEST_SKIP() << "a path with backslashes names one file here";
    test::TempFolder dir;
    const CliRun r = run({ "split", "phone/gone.vcf" }, dir.path(), true);
    EXPECT_EQ(r.status, exitFileError);
    EXPECT_NE(r.err.find("'" + dir.file("phone\\gone.vcf") + "'"), std::string::npos) << r.err;
}

TEST(Cli, HelpOrVersionThatCannotBeWrittenIsAFailure)
{
    for (const auto& args :
        std::vector<std::vector<std::string>> { { "--version" }, { "--help" }, { "split", "-h" } }) {
        FailingBuffer full;
        std::ostream out(&full);
        std::ostringstream err;
        CliEnvironment env { localFileSystem(), out, err };
        EXPECT_EQ(runCli(args, env), exitFileError) << args.back();
        EXPECT_NE(err.str().find("standard output"), std::string::npos);
    }
}

TEST(Cli, SplitsARelativePathBesideTheFileAndPrintsTheMessage)
{
    test::TempFolder dir;
    dir.write("all.vcf", twoCards);
    const CliRun r = run({ "split", "--naming=number", "all.vcf" }, dir.path());
    EXPECT_EQ(r.status, exitSuccess) << r.err;
    EXPECT_EQ(r.out,
        "vCard Split Successfull\nvCard has been split successfully.\n2 files have been created in...\n\n"
            + dir.file("Split-vCards") + "\n");
    EXPECT_EQ(test::readFile(dir.file("Split-vCards/contact0002.vcf")), "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n");
}

TEST(Cli, SplitsWithContactNames)
{
    test::TempFolder dir;
    dir.write("all.vcf", twoCards + "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nTEL:1\r\nEND:VCARD\r\n");
    for (int pass = 1; pass <= 2; ++pass) {
        const CliRun r = run({ "split", "--naming=contact", "all.vcf" }, dir.path());
        EXPECT_EQ(r.status, exitSuccess) << r.err;
        EXPECT_EQ(r.out,
            "vCard Split Successfull\nvCard has been split successfully.\n4 files have been created in...\n\n"
                + dir.file("Split-vCards") + "\n");
    }
    const std::vector<std::string> expected
        = { "A-#1.vcf", "A-#2.vcf", "A-#3.vcf", "A.vcf", "B-#1.vcf", "B.vcf", "contact0004.vcf" };
    EXPECT_EQ(test::listFolder(dir.file("Split-vCards")), expected);
    EXPECT_EQ(test::readFile(dir.file("Split-vCards/B.vcf")), "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n");
    EXPECT_EQ(test::readFile(dir.file("Split-vCards/contact0004.vcf")), "BEGIN:VCARD\r\nTEL:1\r\nEND:VCARD\r\n");
}

TEST(Cli, GroupOptionsOutsideWhatIsAllowedAreUsageErrorsThatSayWhatIs)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", twoCards);
    const struct {
        std::vector<std::string> options;
        const char* allowed;
    } cases[] = {
        { { "--per-file=0" }, "a whole number of contacts from 1 up" },
        { { "--per-file=-3" }, "a whole number of contacts from 1 up" },
        { { "--per-file=ten" }, "a whole number of contacts from 1 up" },
        { { "--per-file=" }, "a whole number of contacts from 1 up" },
        { { "--per-file=2.5" }, "a whole number of contacts from 1 up" },
        { { "--per-file=99999999999999999999" }, "a whole number of contacts from 1 up" },
        { { "--max-size=1023" }, "at least 1K (1024 bytes)" },
        { { "--max-size=0.9K" }, "at least 1K (1024 bytes)" },
        { { "--max-size=-2M" }, "at least 1K (1024 bytes)" },
        { { "--max-size=big" }, "a number with K, M or G" },
        { { "--max-size=2.5" }, "a number with K, M or G" },
        { { "--per-file=10", "--naming=number" }, "do not go with --naming" },
        { { "--naming=contact", "--max-size=2M" }, "do not go with --naming" },
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = { "split" };
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(source);
        const CliRun r = run(args);
        EXPECT_EQ(r.status, exitUsage) << c.options[0];
        EXPECT_TRUE(r.out.empty()) << c.options[0];
        EXPECT_NE(r.err.find(c.allowed), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("Split-vCards"))) << "a usage error starts no job";
    for (const char* option : { "--export", "--per-file=2" })
        EXPECT_EQ(run({ "export", option, source }).status, exitUsage) << "the export takes no group option";
}

TEST(Cli, SplitsIntoGroupsByCountAndSize)
{
    test::TempFolder dir;
    const std::string card = "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n";
    const std::string photo = "BEGIN:VCARD\r\nPHOTO:" + std::string(3000, 'p') + "\r\nEND:VCARD\r\n";
    dir.write("all.vcf", card + card + card + photo + card);
    const CliRun r = run({ "split", "--max-size=2K", "--per-file=2", "all.vcf" }, dir.path());
    EXPECT_EQ(r.status, exitSuccess) << r.err;
    EXPECT_EQ(r.out,
        "vCard Split Successfull\nvCard has been split successfully.\n4 files of at most 2 contacts have been created "
        "in...\n\n"
            + dir.file("Split-vCards")
            + "\n1 file is larger than 2 KB because a single contact is larger than that.\n");
    EXPECT_EQ(test::listFolder(dir.file("Split-vCards")),
        (std::vector<std::string> {
            "contacts0001-0002.vcf", "contacts0003-0003.vcf", "contacts0004-0004.vcf", "contacts0005-0005.vcf" }));
    EXPECT_EQ(test::readFile(dir.file("Split-vCards/contacts0004-0004.vcf")), photo);

    const CliRun one = run({ "split", "--per-file=5", dir.write("one.vcf", card) });
    EXPECT_EQ(one.status, exitNothingOrFailed);
    EXPECT_NE(one.err.find("Nothing to Process"), std::string::npos);
}

TEST(Cli, NothingToProcessExitsOneOnStandardError)
{
    test::TempFolder dir;
    const std::string one = dir.write("one.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
    const CliRun r = run({ "split", one });
    EXPECT_EQ(r.status, exitNothingOrFailed);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err,
        "Nothing to Process\nThe selected vCard does not contain multiple contacts.\n"
        "Please choose a multiple-entry vCard file.\n");
}

TEST(Cli, FileErrorsExitThreeNamingThePathAndReason)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", twoCards);
    dir.write("Split-vCards", "a file where the folder should be");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        { { "split", dir.file("missing.vcf") },
            "tessely-cli: cannot open file '" + dir.file("missing.vcf") + "': No such file or directory\n" },
        { { "split", dir.path() }, "tessely-cli: cannot open file '" + dir.path() + "': not a regular file\n" },
        { { "export", test::nullDevice },
            "tessely-cli: cannot open file '" + std::string(test::nullDevice) + "': not a regular file\n" },
        { { "split", source },
            "vCard Split Failed\nvCard has not been successfully split.\n\ncannot create folder '"
                + dir.file("Split-vCards") + "': File exists\n" },
    };
    for (const auto& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, exitFileError) << c.args[1];
        EXPECT_EQ(r.err, c.message);
    }
}

TEST(Cli, RecombineWantsFilesOfOneFolder)
{
    test::TempFolder dir;
    const std::string a = dir.write("a.vcf", twoCards);
    const CliRun single = run({ "recombine", a });
    EXPECT_EQ(single.status, exitNothingOrFailed);
    EXPECT_NE(single.err.find("does not contain multiple files"), std::string::npos);

    test::TempFolder other;
    const std::string b = other.write("b.vcf", twoCards);
    const CliRun apart = run({ "recombine", a, b });
    EXPECT_EQ(apart.status, exitUsage);
    EXPECT_NE(apart.err.find("one folder"), std::string::npos);
}

TEST(Cli, ExportWritesTheTableBesideTheFileAndPrintsTheFolder)
{
    test::TempFolder dir;
    dir.write("all.vcf", "BEGIN:VCARD\r\nFN:a\r\nTEL;CELL:1\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:b\r\nEND:VCARD\r\n");
    const CliRun r = run({ "export", "all.vcf" }, dir.path());
    EXPECT_EQ(r.status, exitSuccess) << r.err;
    EXPECT_EQ(r.out,
        "vCard Export Successfull\nvCard has been exported successfully.\n2 cards have been exported into...\n\n"
            + dir.file("Split-vCards") + "\n");
    EXPECT_TRUE(r.err.empty());
    EXPECT_EQ(test::readFile(dir.file("Split-vCards/Contacts_Export.csv")), "FN,TEL CELL\r\nA,1\r\nB,\r\n");
}

TEST(Cli, ExportFormatChoosesTheTableOrTheWorkbook)
{
    const std::string contacts
        = "BEGIN:VCARD\r\nFN:a\r\nTEL;CELL:1\r\nEND:VCARD\r\nBEGIN:VCARD\r\nFN:b\r\nEND:VCARD\r\n";
    const struct {
        std::vector<std::string> args;
        const char* written;
    } cases[] = {
        { { "export", "--format=csv", "all.vcf" }, "Contacts_Export.csv" },
        { { "export", "--format=xlsx", "all.vcf" }, "Contacts_Export.xlsx" },
        { { "export", "--format=csv", "--format=xlsx", "all.vcf" }, "Contacts_Export.xlsx" },
    };
    for (const auto& c : cases) {
        test::TempFolder dir;
        dir.write("all.vcf", contacts);
        const CliRun r = run(c.args, dir.path());
        EXPECT_EQ(r.status, exitSuccess) << r.err;
        EXPECT_EQ(test::listFolder(dir.file("Split-vCards")), std::vector<std::string> { c.written });
        // The workbook's message names the workbook, the table's its folder.
        const std::string location = dir.file("Split-vCards")
            + (std::string(c.written).find(".xlsx") != std::string::npos ? std::string(1, pathSeparator) + c.written
                                                                         : std::string());
        EXPECT_EQ(r.out,
            "vCard Export Successfull\nvCard has been exported successfully.\n2 cards have been exported into...\n\n"
                + location + "\n");
    }
}

TEST(Cli, ExportRefusesAFileOfOneContact)
{
    test::TempFolder dir;
    const std::string one = dir.write("one.vcf", "BEGIN:VCARD\r\nFN:a\r\nEND:VCARD\r\n");
    const CliRun r = run({ "export", one });
    EXPECT_EQ(r.status, exitNothingOrFailed);
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(r.err,
        "Nothing to Process\nThe selected vCard does not contain multiple contacts.\n"
        "Please choose a multiple-entry vCard file.\n");
    EXPECT_EQ(test::listFolder(dir.path()), std::vector<std::string> { "one.vcf" });
}

Date thirdOfJanuary()
{
    return { 2027, 1, 3 };
}

TEST(Cli, RecombineJoinsTheFilesInTheOrderGiven)
{
    test::TempFolder dir;
    dir.write("a.vcf", "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD");
    dir.write("b.vcf", "BEGIN:VCARD\nFN:B\nEND:VCARD\n");
    std::ostringstream out;
    std::ostringstream err;
    CliEnvironment env { localFileSystem(), out, err };
    env.today = thirdOfJanuary;
    env.workingFolder = dir.path();
    EXPECT_EQ(runCli({ "recombine", "b.vcf", dir.file("a.vcf") }, env), exitSuccess) << err.str();
    const std::string combined = dir.file("01-03-2027_CONBINED_CONTACTS.vcf");
    EXPECT_EQ(out.str(),
        "vCard Recombine Successfull\nvCard files have been successfully recombined.\n"
        "2 total files have been combined into\n\""
            + combined + "\"\n");
    EXPECT_EQ(test::readFile(combined), "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n\r\nBEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n");
}

TEST(Cli, RecombineOfAMissingFileExitsThreeAndWritesNothing)
{
    test::TempFolder dir;
    const std::string a = dir.write("a.vcf", twoCards);
    const CliRun r = run({ "recombine", a, dir.file("gone.vcf") });
    EXPECT_EQ(r.status, exitFileError);
    EXPECT_NE(
        r.err.find("\ncannot open file '" + dir.file("gone.vcf") + "': No such file or directory\n"), std::string::npos)
        << r.err;
    EXPECT_EQ(test::listFolder(dir.path()), std::vector<std::string> { "a.vcf" });
}

TEST(Cli, AFolderAnotherJobWritesIntoEndsTheJobAtOnce)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", twoCards);
    std::filesystem::create_directory(dir.file("Split-vCards"));
    const auto otherJob = localFileSystem().lockFolder(dir.file("Split-vCards"));
    for (const char* command : { "split", "export" }) {
        const CliRun r = run({ command, source });
        EXPECT_EQ(r.status, exitFileError) << command;
        EXPECT_NE(r.err.find(
                      "cannot lock folder '" + dir.file("Split-vCards") + "': another job is writing into this folder"),
            std::string::npos)
            << r.err;
    }
    EXPECT_TRUE(test::listFolder(dir.file("Split-vCards")).empty());
}

TEST(Cli, NamesAreUsedExactlyAsGiven)
{
    test::TempFolder dir;
    dir.write("a.vcf", "BEGIN:VCARD\r\nFN:plain\r\nEND:VCARD\r\n");
    dir.write(" a.vcf", "BEGIN:VCARD\r\nFN:spaced\r\nEND:VCARD\r\n");
    dir.write("b.vcf", "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n");
    EXPECT_EQ(run({ "recombine", "b.vcf", " a.vcf" }, dir.path()).status, exitSuccess);
    EXPECT_EQ(test::readFile(dir.file("12-06-2026_CONBINED_CONTACTS.vcf")),
        "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n\r\nBEGIN:VCARD\r\nFN:spaced\r\nEND:VCARD\r\n");

#ifndef _WIN32
    // "link/.." is the folder above where the link points, as the system resolves it, not this folder.
    // (Windows itself reads ".." as text, before any link.)
    std::filesystem::create_directories(dir.file("deep/inner"));
    std::filesystem::create_symlink(dir.file("deep/inner"), dir.file("link"));
    dir.write("x.vcf", twoCards);
    dir.write("deep/x.vcf", twoCards + twoCards);
    const CliRun r = run({ "split", "link/../x.vcf" }, dir.path());
    EXPECT_EQ(r.status, exitSuccess) << r.err;
    EXPECT_NE(r.out.find("4 files"), std::string::npos) << r.out;
    EXPECT_TRUE(std::filesystem::exists(dir.file("deep/Split-vCards/contact0004.vcf")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("Split-vCards")));
#endif
}

TEST(Cli, RecombineComparesTheRealFoldersOfItsFiles)
{
    test::TempFolder dir;
    dir.write("a.vcf", twoCards);
    dir.write("b.vcf", twoCards);
    test::TempFolder other;
    other.write("c.vcf", twoCards);
    EXPECT_EQ(run({ "recombine", other.file("c.vcf"), dir.file("a.vcf") }).status, exitUsage)
        << "files of different folders are refused";
    std::filesystem::create_directory(dir.file("sub"));
    if (!test::makeFolderLink(dir.path(), dir.file("sub/up")))
        GTEST_SKIP() << "this system makes no links to folders (Wine)";
    EXPECT_EQ(run({ "recombine", "a.vcf", "sub/up/b.vcf" }, dir.path()).status, exitSuccess)
        << "a link to the same folder is the same folder";
}

TEST(Cli, AMessageThatCannotBeWrittenIsAFailure)
{
    test::TempFolder dir;
    dir.write("all.vcf", twoCards);
    FailingBuffer full;
    std::ostream out(&full);
    std::ostringstream err;
    CliEnvironment env { localFileSystem(), out, err };
    env.workingFolder = dir.path();
    EXPECT_EQ(runCli({ "split", "all.vcf" }, env), exitFileError);
    EXPECT_NE(err.str().find("standard output"), std::string::npos);
}

int interrupted()
{
    return 2;
}

TEST(Cli, AStopRequestEndsTheJobWithTheSignalsStatusAndNoUnfinishedFile)
{
    for (const char* command : { "split", "export" }) {
        test::TempFolder dir;
        dir.write("all.vcf", twoCards);
        std::ostringstream out;
        std::ostringstream err;
        CliEnvironment env { localFileSystem(), out, err };
        env.workingFolder = dir.path();
        env.stopSignal = interrupted;
        EXPECT_EQ(runCli({ command, "all.vcf" }, env), 130) << command;
        EXPECT_TRUE(out.str().empty()) << command;
        // A stop seen while the contacts are counted ends it before anything is made.
        EXPECT_EQ(test::listFolder(dir.path()), std::vector<std::string> { "all.vcf" }) << command;
    }
}

} // namespace
} // namespace tessely
