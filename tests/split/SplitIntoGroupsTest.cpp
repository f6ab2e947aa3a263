#include "split/SplitIntoGroups.h"

#include "platform/FileError.h"
#include "split/SplitContacts.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

namespace tessely
{
namespace
{

using test::listFolder;
using test::readFile;

/// A contact whose file is exactly `bytes` long (at least 31): its opening and closing lines and one note.
std::string sized(std::size_t bytes)
{
    const std::string frame = "BEGIN:VCARD\r\nNOTE:\r\nEND:VCARD\r\n";
    return "BEGIN:VCARD\r\nNOTE:" + std::string(bytes - frame.size(), 'x') + "\r\nEND:VCARD\r\n";
}

/// The whole content of every file in `folder`, in the order of their names.
std::string joined(const std::string& folder)
{
    std::string all;
    for (const std::string& name : listFolder(folder))
        all += readFile(folder + "/" + name);
    return all;
}

struct GroupCase {
    const char* name;
    std::vector<std::size_t> contacts; // the size of each contact's file
    ContactGroups groups;
    /// Each file's name and the contacts in it, by number.
    std::vector<std::pair<std::string, std::vector<std::size_t>>> files;
    std::uint64_t overSize = 0;
};

TEST(SplitIntoGroups, FillsEachFileUpToTheCountOrTheSize)
{
    const std::size_t big = std::size_t { 17 } << 20;
    const std::vector<GroupCase> cases = {
        { "one a file",
            { 100, 100, 100 },
            { 1, 0 },
            { { "contacts0001-0001.vcf", { 1 } },
                { "contacts0002-0002.vcf", { 2 } },
                { "contacts0003-0003.vcf", { 3 } } } },
        { "the last file holds the rest",
            { 100, 100, 100, 100, 100 },
            { 2, 0 },
            { { "contacts0001-0002.vcf", { 1, 2 } },
                { "contacts0003-0004.vcf", { 3, 4 } },
                { "contacts0005-0005.vcf", { 5 } } } },
        { "more a file than the file holds",
            { 100, 100, 100 },
            { 10, 0 },
            { { "contacts0001-0003.vcf", { 1, 2, 3 } } } },
        { "a contact that fills the size exactly goes in",
            { 993, 31, 31 },
            { 0, 1024 },
            { { "contacts0001-0002.vcf", { 1, 2 } }, { "contacts0003-0003.vcf", { 3 } } } },
        { "one byte more starts the next file",
            { 994, 31, 31 },
            { 0, 1024 },
            { { "contacts0001-0001.vcf", { 1 } }, { "contacts0002-0003.vcf", { 2, 3 } } } },
        { "a contact larger than the size gets a file of its own",
            { 100, 2000, 100, 100 },
            { 0, 1024 },
            { { "contacts0001-0001.vcf", { 1 } },
                { "contacts0002-0002.vcf", { 2 } },
                { "contacts0003-0004.vcf", { 3, 4 } } },
            1 },
        { "the first contact larger than the size",
            { 2000, 3000, 100 },
            { 0, 1024 },
            { { "contacts0001-0001.vcf", { 1 } },
                { "contacts0002-0002.vcf", { 2 } },
                { "contacts0003-0003.vcf", { 3 } } },
            2 },
        { "the count closes first",
            { 300, 300, 300, 300, 300 },
            { 2, 1024 },
            { { "contacts0001-0002.vcf", { 1, 2 } },
                { "contacts0003-0004.vcf", { 3, 4 } },
                { "contacts0005-0005.vcf", { 5 } } } },
        { "the size closes first",
            { 300, 300, 300, 300, 600 },
            { 3, 1024 },
            { { "contacts0001-0003.vcf", { 1, 2, 3 } }, { "contacts0004-0005.vcf", { 4, 5 } } } },
        // A contact beyond what is held waiting to be placed is never held whole: it starts a file.
        { "a contact too large to hold starts a file",
            { 100, big, 100 },
            { 0, std::uint64_t { 64 } << 20 },
            { { "contacts0001-0001.vcf", { 1 } }, { "contacts0002-0003.vcf", { 2, 3 } } } },
    };
    for (const GroupCase& c : cases) {
        test::TempFolder dir;
        std::string source;
        for (const std::size_t bytes : c.contacts)
            source += sized(bytes);
        const std::string path = dir.write("all.vcf", source);
        test::RecordingHost host;
        const GroupsResult result = SplitIntoGroups(localFileSystem(), host, path, c.groups);
        EXPECT_EQ(result.location, dir.file("Split-vCards")) << c.name;
        EXPECT_EQ(result.count, c.contacts.size()) << c.name;
        EXPECT_EQ(result.files, c.files.size()) << c.name;
        EXPECT_EQ(result.overSize, c.overSize) << c.name;
        std::vector<std::string> names;
        for (const auto& [name, numbers] : c.files) {
            names.push_back(name);
            std::string expected;
            for (const std::size_t number : numbers)
                expected += sized(c.contacts[number - 1]);
            EXPECT_EQ(readFile(dir.file("Split-vCards/" + name)), expected) << c.name << " " << name;
        }
        // Nothing else: no temporary file stays.
        EXPECT_EQ(listFolder(result.location), names) << c.name;
        EXPECT_FALSE(host.visible) << c.name;
    }
}

TEST(SplitIntoGroups, NamesHaveAtLeastFourDigitsLikeTheNumberedSplit)
{
    test::TempFolder dir;
    std::string source;
    for (int i = 0; i < 10001; ++i)
        source += "BEGIN:VCARD\r\nEND:VCARD\r\n";
    test::RecordingHost host;
    const GroupsResult result = SplitIntoGroups(localFileSystem(), host, dir.write("all.vcf", source), { 5000, 0 });
    EXPECT_EQ(result.count, 10001u);
    EXPECT_EQ(listFolder(result.location),
        (std::vector<std::string> { "contacts0001-5000.vcf", "contacts10001-10001.vcf", "contacts5001-10000.vcf" }));
}

/// Group files are written on a thread of their own while the next contacts are read: a failure there, in
/// the first group or a later one, at any of its blocks, its closing or its naming, still ends the job with
/// that error, leaves the groups closed before it whole and nothing else, and no file open.
TEST(SplitIntoGroups, AFailureWhileWritingEndsTheJobAndLeavesOnlyWholeGroups)
{
    // Groups of five contacts of 100,000 bytes: each group is two of the writer's blocks and part of a third.
    std::string input;
    std::vector<std::string> contacts;
    for (int contact = 0; contact < 12; ++contact) {
        contacts.push_back(sized(100000 + static_cast<std::size_t>(contact)));
        input += contacts.back();
    }
    std::map<std::string, std::string> groups;
    for (std::size_t first = 0; first < contacts.size(); first += 5) {
        const std::size_t last = std::min(first + 5, contacts.size());
        std::string& group
            = groups["contacts" + std::string(4 - std::to_string(first + 1).size(), '0') + std::to_string(first + 1)
                + "-" + std::string(4 - std::to_string(last).size(), '0') + std::to_string(last) + ".vcf"];
        for (std::size_t contact = first; contact < last; ++contact)
            group += contacts[contact];
    }
    for (const test::FileOp op :
        { test::FileOp::CreateTemporary, test::FileOp::Write, test::FileOp::Close, test::FileOp::Move }) {
        for (std::uint64_t nth = 1; nth <= 9; ++nth) {
            const std::string where = std::string(test::fileOpName(op)) + " " + std::to_string(nth);
            const test::TempFolder folder;
            const std::string source = folder.write("input.vcf", input);
            test::FaultyFileSystem fs;
            fs.failAt(op, nth);
            test::RecordingHost host;
            bool failed = false;
            try {
                SplitIntoGroups(fs, host, source, { 5, 0 });
            } catch (const FileError&) {
                failed = true;
            }
            EXPECT_EQ(failed, fs.faulted()) << where;
            EXPECT_EQ(fs.openFiles(), 0) << where;
            for (const auto& entry : std::filesystem::directory_iterator(folder.file("Split-vCards"))) {
                const std::string name = entry.path().filename().string();
                ASSERT_EQ(groups.count(name), 1u) << where << ": " << name;
                EXPECT_EQ(readFile(entry.path().string()), groups[name]) << where << ": " << name;
            }
        }
    }
}

/// Every input the fuzz targets keep, grouped in several ways, gives the same bytes in the same order as the
/// numbered split: the groups are the numbered files laid end to end.
TEST(SplitIntoGroups, GroupsJoinedAreTheNumberedFilesJoinedForEveryFuzzInput)
{
    const std::string corpus = std::string(TESSELY_SOURCE_DIR) + "/fuzz/corpus";
    const ContactGroups ways[] = { { 1, 0 }, { 3, 0 }, { 0, 1024 }, { 2, 1024 } };
    std::size_t inputs = 0;
    for (const std::string target : { "contact_reader", "export_to_csv", "split_contacts" }) {
        for (const std::string& name : listFolder(corpus + "/" + target)) {
            std::string input = readFile(corpus + "/" + target + "/" + name);
            // The contact reader's inputs start with two bytes that set up the reading.
            if (target == "contact_reader")
                input.erase(0, 2);
            test::RecordingHost host;
            test::TempFolder numbered;
            const JobResult split = SplitContacts(localFileSystem(), host, numbered.write("input.vcf", input));
            std::string expected;
            for (std::uint64_t number = 1; number <= split.count; ++number)
                expected += readFile(numberedFileName(split.location, number));
            for (const ContactGroups& way : ways) {
                test::TempFolder grouped;
                const GroupsResult result
                    = SplitIntoGroups(localFileSystem(), host, grouped.write("input.vcf", input), way);
                const std::string where = target + "/" + name + " per file " + std::to_string(way.perFile) + " size "
                    + std::to_string(way.largestBytes);
                EXPECT_EQ(result.count, split.count) << where;
                EXPECT_EQ(result.skippedLines, split.skippedLines) << where;
                EXPECT_EQ(joined(result.location), expected) << where;
                EXPECT_EQ(listFolder(result.location).size(), result.files) << where;
            }
            ++inputs;
        }
    }
    EXPECT_GE(inputs, 20u);
}

TEST(SplitIntoGroups, AStopRemovesTheFileItCutsShortAndKeepsThoseBefore)
{
    test::TempFolder dir;
    std::string source;
    for (int i = 0; i < 5; ++i)
        source += sized(100);
    // The host is let catch up at each opening line and after each file: the fifth time is at the opening
    // line of the fourth contact, with the third in the second file.
    test::RecordingHost host;
    host.yieldsBeforeStop = 4;
    const GroupsResult result = SplitIntoGroups(localFileSystem(), host, dir.write("all.vcf", source), { 2, 0 });
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(result.files, 1u);
    EXPECT_EQ(listFolder(result.location), std::vector<std::string> { "contacts0001-0002.vcf" });
    EXPECT_FALSE(host.visible);
}

TEST(SplitIntoGroups, AnEarlierFileOfTheSameNameIsReplaced)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", sized(100) + sized(200) + sized(300));
    std::filesystem::create_directory(dir.file("Split-vCards"));
    dir.write("Split-vCards/contacts0001-0002.vcf", "an earlier group, longer than the new one " + sized(1000));
    dir.write("Split-vCards/contacts0003-0004.vcf", "a group of an earlier, longer file");
    test::RecordingHost host;
    const GroupsResult result = SplitIntoGroups(localFileSystem(), host, source, { 2, 0 });
    EXPECT_EQ(readFile(dir.file("Split-vCards/contacts0001-0002.vcf")), sized(100) + sized(200));
    EXPECT_EQ(readFile(dir.file("Split-vCards/contacts0003-0003.vcf")), sized(300));
    EXPECT_EQ(listFolder(result.location),
        (std::vector<std::string> { "contacts0001-0002.vcf", "contacts0003-0003.vcf", "contacts0003-0004.vcf" }));
}

} // namespace
} // namespace tessely
