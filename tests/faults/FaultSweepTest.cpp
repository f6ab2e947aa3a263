#include "controller/RunOperation.h"
#include "platform/FileError.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

namespace tessely
{
namespace
{

using test::FaultyFileSystem;
using test::FileOp;

/// Every file and folder under a folder, by path relative to it; folders map to "<folder>".
using Snapshot = std::map<std::string, std::string>;

Snapshot snapshot(const std::string& root)
{
    Snapshot files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string relative = std::filesystem::relative(entry.path(), root).string();
        files[relative] = entry.is_directory() ? "<folder>" : test::readFile(entry.path().string());
    }
    return files;
}

bool isTemporaryName(const std::string& path)
{
    return std::filesystem::path(path).filename().string().rfind(".tessely-", 0) == 0;
}

/// One job on a small set of files, run again and again with a fault at every step it takes.
struct Scenario {
    const char* name;
    OperationKind kind;
    bool nameFromContact;
    /// Writes the input files into the folder and gives the selection the open dialog would give.
    std::function<std::string(const test::TempFolder&)> prepare;
    /// True when a file that was there before may end up partly rewritten by a failed job (a table that
    /// the job rewrites in place); otherwise such a file is either untouched or fully rewritten.
    bool rewritesInPlace = false;
};

struct Run {
    Snapshot before;
    Snapshot after;
    bool threw = false;
    int errorCode = 0;
    std::string errorPath;
    std::string errorText;
    bool statusVisible = false;
    std::size_t messages = 0;
    int openFiles = 0;
    std::size_t completedFiles = 0;
    std::array<std::uint64_t, test::fileOpCount> calls {};
};

Run runScenario(const Scenario& scenario, FileOp op, std::uint64_t nth)
{
    test::TempFolder dir;
    Run run;
    const std::string selection = scenario.prepare(dir);
    run.before = snapshot(dir.path());
    FaultyFileSystem fs;
    fs.limitReads(16);
    fs.failAt(op, nth);
    test::ScriptedUi ui;
    ui.selections.push_back(selection);
    test::RecordingHost host;
    host.naming = scenario.nameFromContact;
    try {
        RunOperation(scenario.kind, ui, fs, host);
    } catch (const FileError& error) {
        run.threw = true;
        run.errorCode = error.code().value();
        run.errorPath = error.path();
        run.errorText = error.what();
    }
    if (fs.faulted()) {
        EXPECT_TRUE(run.threw) << "the fault was swallowed";
        EXPECT_EQ(run.errorCode, fs.faultErrno()) << run.errorText;
    } else {
        EXPECT_FALSE(run.threw) << run.errorText;
    }
    run.after = snapshot(dir.path());
    run.statusVisible = host.visible;
    run.messages = ui.messages.size();
    run.openFiles = fs.openFiles();
    for (const std::string& path : fs.closedFiles())
        run.completedFiles += isTemporaryName(path) ? 0 : 1;
    for (FileOp each : test::allFileOps())
        run.calls[static_cast<std::size_t>(each)] = fs.calls(each);
    return run;
}

bool isPrefixOf(const std::string& part, const std::string& whole)
{
    return part.size() < whole.size() && whole.compare(0, part.size(), part) == 0;
}

/// Checks one faulted run against the unfaulted reference run of the same scenario.
void checkFaultedRun(const Scenario& scenario, const Run& reference, const Run& run, const std::string& where)
{
    SCOPED_TRACE(where);
    EXPECT_FALSE(run.statusVisible) << "the status stays visible after the failure";
    EXPECT_EQ(run.messages, 0u) << "a failed job reported a result";
    EXPECT_EQ(run.openFiles, 0) << "a file was left open";
    EXPECT_FALSE(run.errorPath.empty());

    // What the unfaulted job writes: its new files and the files it rewrites.
    std::vector<std::string> wanted;
    for (const auto& [path, bytes] : reference.after) {
        const auto before = run.before.find(path);
        if (before == run.before.end() || before->second != bytes)
            wanted.push_back(bytes);
    }
    for (const auto& [path, bytes] : run.before) {
        if (run.after.count(path) == 0) {
            EXPECT_EQ(reference.after.count(path), 0u) << path << " was lost";
        }
    }

    // Each file is untouched, or complete as the unfaulted job writes it, except at most one: cut short by
    // the fault, or complete under the name it had before a failed move. The input is never touched, and
    // an earlier output is kept or fully replaced unless the job rewrites it in place. No temporary file
    // stays behind.
    std::size_t complete = 0;
    std::size_t odd = 0;
    for (const auto& [path, bytes] : run.after) {
        const auto before = run.before.find(path);
        if (before != run.before.end() && before->second == bytes)
            continue;
        EXPECT_FALSE(isTemporaryName(path)) << path << " was left behind";
        const auto ref = reference.after.find(path);
        if (ref != reference.after.end() && ref->second == bytes) {
            ++complete;
            continue;
        }
        ++odd;
        EXPECT_TRUE(before == run.before.end() || scenario.rewritesInPlace) << path << " was damaged";
        bool fits = false;
        for (const std::string& want : wanted)
            fits = fits || bytes == want || isPrefixOf(bytes, want);
        EXPECT_TRUE(fits) << path << " holds bytes of no output: " << bytes;
        complete += std::find(wanted.begin(), wanted.end(), bytes) != wanted.end() ? 1 : 0;
    }
    EXPECT_LE(odd, 1u) << "more than one file differs from the unfaulted run";
    EXPECT_GE(complete, run.completedFiles) << "a file written in full went missing";
}

void sweep(const Scenario& scenario)
{
    SCOPED_TRACE(scenario.name);
    const Run reference = runScenario(scenario, FileOp::Open, 0);
    ASSERT_FALSE(reference.threw) << reference.errorText;
    ASSERT_EQ(reference.messages, 1u);
    std::uint64_t faults = 0;
    for (FileOp op : test::allFileOps()) {
        const std::uint64_t count = reference.calls[static_cast<std::size_t>(op)];
        for (std::uint64_t nth = 1; nth <= count; ++nth) {
            const Run run = runScenario(scenario, op, nth);
            const std::string where = std::string(test::fileOpName(op)) + " #" + std::to_string(nth);
            ASSERT_TRUE(run.threw) << where;
            checkFaultedRun(scenario, reference, run, where);
            ++faults;
        }
    }
    // A small job still opens, reads, writes and closes several times.
    EXPECT_GE(faults, 10u);
}

const std::string fourContacts = "junk before\r\n"
                                 "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Doe;John;;;\r\nFN:John Doe\r\nEND:VCARD\r\n"
                                 "\r\n"
                                 "begin:vcard\nVERSION:3.0\nFN:Jane Roe\nEMAIL:jane@example.org\nEND:VCARD\n"
                                 "BEGIN:VCARD\rFN:John Doe\rTEL;CELL:555-0100\rEND:VCARD\r"
                                 "BEGIN:VCARD\r\nTITLE:Boss\r\nNOTE:a long note line that needs several reads\r\n";

TEST(FaultSweep, NumberedSplit)
{
    sweep({ "numbered split", OperationKind::Split, false, [](const test::TempFolder& dir) {
               return dir.write("all.vcf", fourContacts);
           } });
}

TEST(FaultSweep, NumberedSplitOverAnEarlierLongerSplit)
{
    sweep({ "numbered split again",
        OperationKind::Split,
        false,
        [](const test::TempFolder& dir) {
            std::filesystem::create_directory(dir.file("Split-vCards"));
            for (int i = 1; i <= 6; ++i)
                dir.write("Split-vCards/contact000" + std::to_string(i) + ".vcf", "earlier " + std::to_string(i));
            return dir.write("all.vcf", fourContacts);
        },
        true });
}

TEST(FaultSweep, ContactNamedSplit)
{
    sweep({ "contact-named split",
        OperationKind::Split,
        true,
        [](const test::TempFolder& dir) {
            // An earlier split left a named file and a numbered file; both names count as taken.
            std::filesystem::create_directory(dir.file("Split-vCards"));
            dir.write("Split-vCards/John Doe.vcf", "earlier John");
            dir.write("Split-vCards/contact0004.vcf", "earlier 4");
            return dir.write("all.vcf", fourContacts + "BEGIN:VCARD\r\nTEL:1\r\nEND:VCARD\r\n");
        },
        true });
}

TEST(FaultSweep, ExportOverAnEarlierTable)
{
    sweep({ "export",
        OperationKind::Export,
        false,
        [](const test::TempFolder& dir) {
            std::filesystem::create_directory(dir.file("Split-vCards"));
            dir.write("Split-vCards/Contacts_Export.csv", "earlier table\r\n");
            return dir.write("all.vcf", fourContacts + "BEGIN:VCARD\r\nNOTE:say \"hi\"\r\nEND:VCARD\r\n");
        },
        true });
}

std::string selectionOf(const test::TempFolder& dir, const std::vector<std::string>& names)
{
    std::string selection = dir.path();
    for (const std::string& name : names)
        selection += '\0' + name;
    return selection;
}

TEST(FaultSweep, Recombine)
{
    sweep({ "recombine", OperationKind::Recombine, false, [](const test::TempFolder& dir) {
               dir.write("a.vcf", "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n");
               dir.write("b.vcf", fourContacts);
               dir.write("c.vcf", "BEGIN:VCARD\nFN:C\nEND:VCARD");
               return selectionOf(dir, { "a.vcf", "b.vcf", "c.vcf" });
           } });
}

TEST(FaultSweep, RecombineThatReadsItsEarlierOutput)
{
    // An output of the same day is among the inputs: a failed job must leave it as it was.
    sweep({ "recombine over earlier output", OperationKind::Recombine, false, [](const test::TempFolder& dir) {
               dir.write("a.vcf", "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n");
               dir.write("12-06-2026_CONBINED_CONTACTS.vcf", fourContacts);
               return selectionOf(dir, { "a.vcf", "12-06-2026_CONBINED_CONTACTS.vcf" });
           } });
}

} // namespace
} // namespace tessely
