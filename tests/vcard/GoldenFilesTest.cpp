#include "export/ExportToCsv.h"
#include "recombine/RecombineFiles.h"
#include "split/SplitContacts.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/System.h"
#include "tests/support/TempFolder.h"
#include "vcard/CountContacts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace tessely
{
namespace
{

using test::readFile;

/// The files of a folder by name, with their content.
using Tree = std::map<std::string, std::string>;

Tree treeOf(const std::string& folder)
{
    Tree tree;
    if (std::filesystem::is_directory(test::systemPath(folder))) {
        for (const std::string& name : test::listFolder(folder))
            tree[name] = readFile(folder + "/" + name);
    }
    return tree;
}

/// What every job makes of one input.
struct Outputs {
    std::uint64_t counted = 0;
    JobResult numbered, named, exported, recombined;
    Tree numberedTree, namedTree;
    std::string table, combined;
    std::uint64_t countedCombined = 0;
};

Outputs runEveryJob(const std::string& input)
{
    Outputs out;
    test::RecordingHost host;
    test::TempFolder numbered, named, exported, recombined;
    out.counted = CountContacts(localFileSystem(), host, numbered.write("input.vcf", input));
    out.numbered = SplitContacts(localFileSystem(), host, numbered.file("input.vcf"));
    out.numberedTree = treeOf(out.numbered.location);
    out.named = SplitContacts(localFileSystem(), host, named.write("input.vcf", input), SplitNaming::FromContact);
    out.namedTree = treeOf(out.named.location);
    out.exported = ExportToCsv(localFileSystem(), host, exported.write("input.vcf", input));
    out.table = readFile(exported.file("Split-vCards/Contacts_Export.csv"));
    // The input joined with a copy of itself.
    recombined.write("input.vcf", input);
    recombined.write("again.vcf", input);
    out.recombined = RecombineFiles(localFileSystem(), host, { recombined.path(), { "input.vcf", "again.vcf" } });
    out.combined = readFile(out.recombined.location);
    out.countedCombined = CountContacts(localFileSystem(), host, out.recombined.location);
    return out;
}

void writeTree(const std::string& folder, const Tree& tree)
{
    std::filesystem::remove_all(test::systemPath(folder));
    std::filesystem::create_directories(test::systemPath(folder));
    for (const auto& [name, content] : tree)
        std::ofstream(test::systemPath(folder + "/" + name), std::ios::binary) << content;
}

/// Real-looking inputs, each beside the numbered split tree, the contact-named one, the table and the file
/// recombined from two copies that every job must give for it, byte for byte. With TESSELY_UPDATE_GOLDEN
/// set, the expected files are written from what the jobs give instead, to be read and checked by eye.
TEST(GoldenFiles, EveryJobGivesTheExpectedFilesForEveryInput)
{
    const std::string data = std::string(TESSELY_SOURCE_DIR) + "/tests/data";
    const bool update = std::getenv("TESSELY_UPDATE_GOLDEN") != nullptr;
    std::size_t cases = 0;
    for (const std::string& name : test::listFolder(data)) {
        const std::string folder = data + "/" + name;
        const Outputs out = runEveryJob(readFile(folder + "/input.vcf"));
        ++cases;
        if (update) {
            writeTree(folder + "/split", out.numberedTree);
            writeTree(folder + "/named", out.namedTree);
            std::ofstream(test::systemPath(folder + "/Contacts_Export.csv"), std::ios::binary) << out.table;
            std::ofstream(test::systemPath(folder + "/combined.vcf"), std::ios::binary) << out.combined;
            continue;
        }
        EXPECT_EQ(out.numberedTree, treeOf(folder + "/split")) << name;
        EXPECT_EQ(out.namedTree, treeOf(folder + "/named")) << name;
        EXPECT_EQ(out.table, readFile(folder + "/Contacts_Export.csv")) << name;
        EXPECT_EQ(out.combined, readFile(folder + "/combined.vcf")) << name;
        for (const JobResult* result : { &out.numbered, &out.named, &out.exported })
            EXPECT_EQ(result->count, out.counted) << name;
        EXPECT_EQ(out.countedCombined, 2 * out.counted) << name;
    }
    EXPECT_GE(cases, 8u);
}

/// Every job reads contacts alike: split, export and recombine of the same file see as many contacts as
/// the count, for every input the fuzz targets keep.
TEST(GoldenFiles, JobsAgreeOnTheNumberOfContactsOfEveryFuzzInput)
{
    const std::string corpus = std::string(TESSELY_SOURCE_DIR) + "/fuzz/corpus";
    std::size_t inputs = 0;
    for (const std::string target : { "contact_reader", "export_to_csv", "split_contacts" }) {
        for (const std::string& name : test::listFolder(corpus + "/" + target)) {
            std::string input = readFile(corpus + "/" + target + "/" + name);
            // The contact reader's inputs start with two bytes that set up the reading.
            if (target == "contact_reader")
                input.erase(0, 2);
            const Outputs out = runEveryJob(input);
            ++inputs;
            for (const JobResult* result : { &out.numbered, &out.named, &out.exported })
                EXPECT_EQ(result->count, out.counted) << target << "/" << name;
            EXPECT_EQ(out.countedCombined, 2 * out.counted) << target << "/" << name;
        }
    }
    EXPECT_GE(inputs, 20u);
}

} // namespace
} // namespace tessely
