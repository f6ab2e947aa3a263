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
    std::function<Selection(const test::TempFolder&)> prepare;
    /// For a split into groups: how the files are filled.
    ContactGroups groups = {};
};

struct Run {
    Snapshot before;
    Snapshot after;
    Outcome outcome = Outcome::Failed;
    /// The last line of the last message: the reason, when the job failed.
    std::string errorText;
    bool statusVisible = false;
    std::vector<Message> messages;
    int openFiles = 0;
    std::size_t completedFiles = 0;
    std::array<std::uint64_t, test::fileOpCount> calls {};
};

Run runScenario(const Scenario& scenario, FileOp op, std::uint64_t nth)
{
    test::TempFolder dir;
    Run run;
    const Selection selection = scenario.prepare(dir);
    run.before = snapshot(dir.path());
    FaultyFileSystem fs;
    fs.limitReads(16);
    fs.failAt(op, nth);
    test::ScriptedUi ui;
    test::RecordingHost host;
    const SplitNaming naming = scenario.nameFromContact ? SplitNaming::FromContact : SplitNaming::Numbered;
    run.outcome = RunOperation({ scenario.kind, selection, naming, scenario.groups }, ui, fs, host);
    if (!ui.messages.empty() && !ui.messages.back().lines.empty())
        run.errorText = ui.messages.back().lines.back();
    if (fs.faulted()) {
        EXPECT_EQ(run.outcome, Outcome::FileFailed) << "the fault was swallowed";
        const std::string reason = std::error_code(fs.faultErrno(), std::generic_category()).message();
        EXPECT_NE(run.errorText.find(reason), std::string::npos) << run.errorText;
    } else {
        EXPECT_EQ(run.outcome, Outcome::Succeeded) << run.errorText;
    }
    run.after = snapshot(dir.path());
    run.statusVisible = host.visible;
    run.messages = ui.messages;
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
    ASSERT_EQ(run.messages.size(), 1u);
    EXPECT_EQ(run.messages[0].title, failureMessage(scenario.kind).title) << "a failed job reported a result";
    EXPECT_NE(run.errorText.find('\''), std::string::npos) << "the reason names no file: " << run.errorText;
    EXPECT_EQ(run.openFiles, 0) << "a file was left open";

    // What the unfaulted job writes: its new files and the files it rewrites.
    std::vector<std::string> wanted;
    for (const auto& [path, bytes] : reference.after) {
        const auto before = run.before.find(path);
        if (before == run.before.end() || before->second != bytes)
            wanted.push_back(bytes);
    }
    // Each file is untouched, or complete as the unfaulted job writes it, except at most one: cut short by
    // the fault, or complete under the name it had before a failed move, or an earlier file that the job
    // was replacing when the fault came, which it removes rather than leave half-written. The input is
    // never touched, and an earlier output is never damaged. No temporary file stays behind.
    std::size_t complete = 0;
    std::size_t odd = 0;
    for (const auto& [path, bytes] : run.before) {
        if (run.after.count(path) == 0) {
            const auto ref = reference.after.find(path);
            EXPECT_TRUE(ref == reference.after.end() || ref->second != bytes) << path << " was lost";
            ++odd;
        }
    }
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
        EXPECT_TRUE(before == run.before.end()) << path << " was damaged";
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
    ASSERT_EQ(reference.outcome, Outcome::Succeeded) << reference.errorText;
    ASSERT_EQ(reference.messages.size(), 1u);
    std::uint64_t faults = 0;
    for (FileOp op : test::allFileOps()) {
        const std::uint64_t count = reference.calls[static_cast<std::size_t>(op)];
        for (std::uint64_t nth = 1; nth <= count; ++nth) {
            const Run run = runScenario(scenario, op, nth);
            const std::string where = std::string(test::fileOpName(op)) + " #" + std::to_string(nth);
            ASSERT_EQ(run.outcome, Outcome::FileFailed) << where;
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
               return Selection::ofPath(dir.write("all.vcf", fourContacts));
           } });
}

TEST(FaultSweep, NumberedSplitOverAnEarlierLongerSplit)
{
    sweep({ "numbered split again", OperationKind::Split, false, [](const test::TempFolder& dir) {
               std::filesystem::create_directory(dir.file("Split-vCards"));
               for (int i = 1; i <= 6; ++i)
                   dir.write("Split-vCards/contact000" + std::to_string(i) + ".vcf", "earlier " + std::to_string(i));
               return Selection::ofPath(dir.write("all.vcf", fourContacts));
           } });
}

TEST(FaultSweep, ContactNamedSplit)
{
    sweep({ "contact-named split", OperationKind::Split, true, [](const test::TempFolder& dir) {
               // An earlier split left a named file and a numbered file; both names count as taken.
               std::filesystem::create_directory(dir.file("Split-vCards"));
               dir.write("Split-vCards/John Doe.vcf", "earlier John");
               dir.write("Split-vCards/contact0004.vcf", "earlier 4");
               return Selection::ofPath(dir.write("all.vcf", fourContacts + "BEGIN:VCARD\r\nTEL:1\r\nEND:VCARD\r\n"));
           } });
}

TEST(FaultSweep, SplitIntoGroupsOverAnEarlierGroup)
{
    // Two contacts a file and at most 1 KB: the long fifth contact closes its group by size.
    const std::string longContact = "BEGIN:VCARD\r\nNOTE:" + std::string(1000, 'x') + "\r\nEND:VCARD\r\n";
    sweep({ "split into groups",
        OperationKind::SplitGroups,
        false,
        [&](const test::TempFolder& dir) {
            std::filesystem::create_directory(dir.file("Split-vCards"));
            dir.write("Split-vCards/contacts0001-0002.vcf", "earlier group");
            return Selection::ofPath(dir.write("all.vcf", fourContacts + longContact + longContact));
        },
        { 2, 1024 } });
}

TEST(FaultSweep, ExportOverAnEarlierTable)
{
    sweep({ "export", OperationKind::Export, false, [](const test::TempFolder& dir) {
               std::filesystem::create_directory(dir.file("Split-vCards"));
               dir.write("Split-vCards/Contacts_Export.csv", "earlier table\r\n");
               return Selection::ofPath(
                   dir.write("all.vcf", fourContacts + "BEGIN:VCARD\r\nNOTE:say \"hi\"\r\nEND:VCARD\r\n"));
           } });
}

Selection selectionOf(const test::TempFolder& dir, const std::vector<std::string>& names)
{
    return { dir.path(), names };
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
