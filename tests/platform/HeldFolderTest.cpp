// The promises of a held folder on every system: each file of a job is made, replaced, moved, removed and
// read relative to the folder the job locked, the input is never replaced, and temporaries that a job which
// no longer runs left behind are removed.
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/TemporaryFile.h"
#include "tests/support/System.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tessely
{
namespace
{

using test::listFolder;
using test::readFile;

void writeWhole(ByteSink& sink, std::string_view bytes)
{
    sink.write(bytes.data(), bytes.size());
    sink.close();
}

std::string readWhole(ByteSource& source)
{
    std::string bytes;
    char buffer[256];
    while (const std::size_t got = source.read(buffer, sizeof buffer))
        bytes.append(buffer, got);
    return bytes;
}

TEST(HeldFolder, EveryOperationActsInTheFolderItHoldsWhateverIsRenamedAroundIt)
{
    // Each operation runs after the held folder "out" was renamed to "old" and a new "out" made in its
    // place, as another program (or a second job that wants the name) might do: it must act in "old".
    // Both folders start with a file "x.vcf", and the held one with a folder "sub".
    const struct {
        const char* name;
        /// True when the operation renames or deletes a file, which Wine cannot do relative to a folder
        /// renamed since it was opened (Windows itself can).
        bool renamesOrDeletes;
        std::function<void(HeldFolder&)> run;
        std::vector<std::string> held; // the held folder's names afterwards
    } cases[] = {
        { "create",
            false,
            [](HeldFolder& f) { writeWhole(*f.createFile("a.vcf", 0600), "A"); },
            { "a.vcf", "sub", "x.vcf" } },
        { "create over a file",
            true,
            [](HeldFolder& f) { writeWhole(*f.createFile("x.vcf", 0600), "A"); },
            { "sub", "x.vcf" } },
        { "create new",
            false,
            [](HeldFolder& f) {
                std::unique_ptr<ByteSink> sink;
                EXPECT_EQ(f.createNewFile("a.vcf", 0600, sink), NewName::Done);
                EXPECT_EQ(f.createNewFile("x.vcf", 0600, sink), NewName::Taken);
            },
            { "a.vcf", "sub", "x.vcf" } },
        { "temporary moved into place",
            true,
            [](HeldFolder& f) {
                std::string temporary;
                writeWhole(*f.createTemporary(0600, temporary), "A");
                f.moveFile(temporary, "a.vcf");
            },
            { "a.vcf", "sub", "x.vcf" } },
        { "temporary moved to a new name",
            true,
            [](HeldFolder& f) {
                std::string temporary;
                writeWhole(*f.createTemporary(0600, temporary), "A");
                EXPECT_EQ(f.moveToNewName(temporary, "x.vcf"), NewName::Taken);
                EXPECT_EQ(f.moveToNewName(temporary, "a.vcf"), NewName::Done);
            },
            { "a.vcf", "sub", "x.vcf" } },
        { "delete", true, [](HeldFolder& f) { f.deleteFile("x.vcf"); }, { "sub" } },
        { "list",
            false,
            [](HeldFolder& f) {
                std::vector<std::string> names;
                f.listFolder([&names](std::string_view name) { names.emplace_back(name); });
                std::sort(names.begin(), names.end());
                EXPECT_EQ(names, (std::vector<std::string> { "sub", "x.vcf" }));
            },
            { "sub", "x.vcf" } },
        { "read",
            false,
            [](HeldFolder& f) { EXPECT_EQ(readWhole(*f.openRead("x.vcf")), "held"); },
            { "sub", "x.vcf" } },
        { "look for a folder", false, [](HeldFolder& f) { EXPECT_TRUE(f.holdsFolder("sub")); }, { "sub", "x.vcf" } },
    };
    for (const auto& c : cases) {
        if (c.renamesOrDeletes && test::runningUnderWine())
            continue;
        test::TempFolder dir;
        std::filesystem::create_directory(test::systemPath(dir.file("out")));
        std::filesystem::create_directory(test::systemPath(dir.file("out/sub")));
        dir.write("out/x.vcf", "held");
        const auto folder = localFileSystem().lockFolder(dir.file("out"));
        std::filesystem::rename(test::systemPath(dir.file("out")), test::systemPath(dir.file("old")));
        std::filesystem::create_directory(test::systemPath(dir.file("out")));
        dir.write("out/x.vcf", "new folder");

        c.run(*folder);
        EXPECT_EQ(listFolder(dir.file("old")), c.held) << c.name;
        EXPECT_EQ(listFolder(dir.file("out")), std::vector<std::string> { "x.vcf" }) << c.name;
        EXPECT_EQ(readFile(dir.file("out/x.vcf")), "new folder") << c.name;
    }
}

TEST(HeldFolder, TheInputIsNeverReplacedButAnotherLinkToItIs)
{
    // The input "all.vcf" is open for reading, as during a job. An output name is the input itself when the
    // held folder is the input's own (a "Split-vCards" that links to "."); a hard link to the input in
    // another folder is just a name, which is replaced while the input keeps its content.
    const struct {
        const char* name;
        bool inInputFolder; // the held folder is the input's, else a subfolder holding a hard link to it
        bool byMove;
        bool refused;
    } cases[] = {
        { "the input, created over", true, false, true },
        { "the input, moved onto", true, true, true },
        { "a hard link to the input, created over", false, false, false },
        { "a hard link to the input, moved onto", false, true, false },
    };
    for (const auto& c : cases) {
        test::TempFolder dir;
        const std::string input = dir.write("all.vcf", "input");
        std::filesystem::create_directory(test::systemPath(dir.file("sub")));
        std::string name = "all.vcf";
        if (!c.inInputFolder) {
            name = "contact0001.vcf";
            std::filesystem::create_hard_link(test::systemPath(input), test::systemPath(dir.file("sub/" + name)));
        }
        FileSystem& fs = localFileSystem();
        auto source = fs.openRead(input);
        const auto folder = fs.lockFolder(c.inInputFolder ? dir.path() : dir.file("sub"));
        folder->protect(source->identity(), input);
        try {
            if (c.byMove) {
                TemporaryFile temporary(*folder, name);
                writeWhole(temporary.sink(), "output");
                temporary.moveIntoPlace();
            } else {
                writeWhole(*folder->createFile(name, 0600), "output");
            }
            EXPECT_FALSE(c.refused) << c.name << ": the input was replaced";
            EXPECT_EQ(readFile(folder->pathOf(name)), "output") << c.name;
        } catch (const FileError& error) {
            EXPECT_TRUE(c.refused) << c.name << ": " << error.what();
            EXPECT_EQ(std::string(error.what()),
                "cannot create file '" + folder->pathOf(name) + "': it is the input file, which is never replaced")
                << c.name;
        }
        EXPECT_EQ(readWhole(*source), "input") << c.name;
        EXPECT_EQ(readFile(input), "input") << c.name;
        // On Windows a replaced hard link to a file still open keeps a hidden name until the file is closed.
        source.reset();
        const auto names = listFolder(folder->path());
        for (const std::string& left : names)
            EXPECT_FALSE(isTemporaryName(left)) << c.name << ": " << left;
    }
}

TEST(HeldFolder, TemporariesLeftByAJobThatNoLongerRunsAreRemoved)
{
    test::TempFolder dir;
    const std::vector<std::string> left = { ".tessely-4242-17.tmp", ".tessely-1-0.tmp" };
    // Names that only look alike are the user's.
    const std::vector<std::string> kept = { ".tessely-notes.tmp",
        ".tessely-12-x.tmp",
        ".tessely-12-3.tmp.vcf",
        "tessely-12-3.tmp",
        ".tessely--3.tmp",
        "contact0001.vcf" };
    for (const auto& name : left)
        dir.write(name, "unfinished");
    for (const auto& name : kept)
        dir.write(name, "mine");
    {
        const auto folder = localFileSystem().lockFolder(dir.path());
        std::vector<std::string> expected = kept;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(listFolder(dir.path()), expected);
        // While the folder is held, the job's own temporary stays.
        std::string temporary;
        folder->createTemporary(0600, temporary)->close();
        EXPECT_TRUE(isTemporaryName(temporary)) << temporary;
        EXPECT_NO_THROW(folder->deleteFile(temporary));
    }
    for (const auto& name : kept)
        EXPECT_EQ(readFile(dir.file(name)), "mine") << name;
}

} // namespace
} // namespace tessely
