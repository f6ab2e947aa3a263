#include "recombine/RecombineFiles.h"

#include "platform/FileError.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tessely
{
namespace
{

using test::listFolder;
using test::readFile;

/// The selection of `names` in `folder`.
Selection selectionOf(const std::string& folder, const std::vector<std::string>& names)
{
    return { folder, names };
}

TEST(RecombineFiles, WorkedExample)
{
    test::TempFolder dir;
    dir.write("a.vcf", "BEGIN:VCARD\r\nFN:Alpha\r\nEND:VCARD");
    dir.write("b.vcf", "BEGIN:VCARD\r\nFN:Beta\r\nEND:VCARD\r\n");
    test::RecordingHost host;
    host.date = { 2026, 12, 6 };

    const JobResult result = RecombineFiles(localFileSystem(), host, selectionOf(dir.path(), { "a.vcf", "b.vcf" }));

    EXPECT_EQ(result.count, 2u);
    EXPECT_EQ(result.location, dir.file("12-06-2026_CONBINED_CONTACTS.vcf"));
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(readFile(result.location),
        "BEGIN:VCARD\r\nFN:Alpha\r\nEND:VCARD\r\n\r\nBEGIN:VCARD\r\nFN:Beta\r\nEND:VCARD\r\n");
    EXPECT_EQ(host.calls, (std::vector<std::string> { "show", "status 1", "yield", "status 2", "yield", "hide" }));
    EXPECT_EQ(
        listFolder(dir.path()), (std::vector<std::string> { "12-06-2026_CONBINED_CONTACTS.vcf", "a.vcf", "b.vcf" }));
}

TEST(RecombineFiles, CopiesLinesUnderTheLineRules)
{
    const struct {
        const char* name;
        std::vector<std::string> inputs;
        std::string output;
    } cases[] = {
        { "empty first input", { "", "X\r\n" }, "\r\nX\r\n" },
        { "empty middle input", { "X\r\n", "", "Y" }, "X\r\n\r\n\r\nY\r\n" },
        { "empty last input", { "X", "" }, "X\r\n\r\n" },
        { "lone lf, lone cr, bom",
            { "A\nB\n",
                "C\rD",
                "\xEF\xBB\xBF"
                "E\r\n" },
            "A\r\nB\r\n\r\nC\r\nD\r\n\r\nE\r\n" },
        { "blank lines and bytes kept", { "\r\n\r\nJos\xE9\r\n", "x" }, "\r\n\r\nJos\xE9\r\n\r\nx\r\n" },
        { "several contacts copied whole",
            { "BEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\nEND:VCARD\r\n", "not a vcard" },
            "BEGIN:VCARD\r\nEND:VCARD\r\nBEGIN:VCARD\r\nEND:VCARD\r\n\r\nnot a vcard\r\n" },
        { "a file that ends inside a contact is closed before the next file",
            { "BEGIN:VCARD\r\nFN:A\r\n", "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n" },
            "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n\r\nBEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n" },
        { "the last file is closed too",
            { "X\r\n", "begin:vcard \nFN:B" },
            "X\r\n\r\nbegin:vcard \r\nFN:B\r\nEND:VCARD\r\n" },
        { "a closing line in any case closes",
            { "BEGIN:VCARD\nFN:A\n end:vcard\n",
                "\xEF\xBB\xBF"
                "BEGIN:VCARD\nEND:VCARD" },
            "BEGIN:VCARD\r\nFN:A\r\n end:vcard\r\n\r\nBEGIN:VCARD\r\nEND:VCARD\r\n" },
        { "a joined file with a mark before a later contact",
            { "BEGIN:VCARD\r\nEND:VCARD\r\n\xEF\xBB\xBF"
              "BEGIN:VCARD\r\nFN:C\r\n",
                "Y" },
            "BEGIN:VCARD\r\nEND:VCARD\r\n\xEF\xBB\xBF"
            "BEGIN:VCARD\r\nFN:C\r\nEND:VCARD\r\n\r\nY\r\n" },
        { "utf-16 is written as utf-8", { std::string("\xFF\xFEZ\x00\xE9\x00", 6), "Y" }, "Z\xC3\xA9\r\n\r\nY\r\n" },
    };
    for (const auto& c : cases) {
        test::TempFolder dir;
        std::vector<std::string> names;
        for (std::size_t i = 0; i < c.inputs.size(); ++i) {
            names.push_back("in" + std::to_string(i) + ".vcf");
            dir.write(names.back(), c.inputs[i]);
        }
        test::RecordingHost host;
        const JobResult result = RecombineFiles(localFileSystem(), host, selectionOf(dir.path(), names));
        EXPECT_EQ(result.count, c.inputs.size()) << c.name;
        EXPECT_EQ(readFile(result.location), c.output) << c.name;
    }
}

TEST(RecombineFiles, NamesTheFileAfterTheDayMonthFirst)
{
    EXPECT_EQ(recombinedFileName({ 2027, 1, 3 }), "01-03-2027_CONBINED_CONTACTS.vcf");
    EXPECT_EQ(recombinedFileName({ 2026, 12, 6 }), "12-06-2026_CONBINED_CONTACTS.vcf");

    test::TempFolder dir;
    dir.write("a.vcf", "A\r\n");
    dir.write("b.vcf", "B\r\n");
    test::RecordingHost host;
    host.date = { 2027, 1, 3 };
    const JobResult result = RecombineFiles(localFileSystem(), host, selectionOf(dir.path(), { "a.vcf", "b.vcf" }));
    EXPECT_EQ(result.location, dir.file("01-03-2027_CONBINED_CONTACTS.vcf"));
}

TEST(RecombineFiles, FewerThanTwoNamesTouchNothing)
{
    test::TempFolder dir;
    dir.write("a.vcf", "A\r\n");
    for (const Selection& selection : { selectionOf(dir.path(), { "a.vcf" }), Selection() }) {
        test::RecordingHost host;
        const JobResult result = RecombineFiles(localFileSystem(), host, selection);
        EXPECT_EQ(result.count, 0u);
        EXPECT_EQ(result.location, "");
        EXPECT_TRUE(host.calls.empty());
        EXPECT_EQ(listFolder(dir.path()), std::vector<std::string> { "a.vcf" });
    }
}

TEST(RecombineFiles, SecondRunOfTheDayReplacesTheFirst)
{
    test::TempFolder dir;
    dir.write("a.vcf", "A\r\n");
    dir.write("b.vcf", "B\r\n");
    dir.write("c.vcf", "C\r\n");
    test::RecordingHost host;
    RecombineFiles(localFileSystem(), host, selectionOf(dir.path(), { "a.vcf", "b.vcf", "c.vcf" }));
    const JobResult second = RecombineFiles(localFileSystem(), host, selectionOf(dir.path(), { "c.vcf", "a.vcf" }));
    EXPECT_EQ(second.count, 2u);
    EXPECT_EQ(readFile(second.location), "C\r\n\r\nA\r\n");
    EXPECT_EQ(listFolder(dir.path()).size(), 4u) << "no temporary file stays behind";
}

TEST(RecombineFiles, ReadsTheDaysEarlierOutputIntact)
{
    test::TempFolder dir;
    dir.write("a.vcf", "A\r\n");
    const std::string earlier = dir.write("12-06-2026_CONBINED_CONTACTS.vcf", "EARLIER 1\r\nEARLIER 2\r\n");
    test::RecordingHost host;
    const JobResult result = RecombineFiles(
        localFileSystem(), host, selectionOf(dir.path(), { "a.vcf", "12-06-2026_CONBINED_CONTACTS.vcf" }));
    EXPECT_EQ(result.location, earlier);
    EXPECT_EQ(readFile(earlier), "A\r\n\r\nEARLIER 1\r\nEARLIER 2\r\n");
    EXPECT_EQ(listFolder(dir.path()).size(), 2u);
}

TEST(RecombineFiles, FailureOrStopMidwayLeavesTheEarlierOutputAndNoTemporaryFile)
{
    const std::string earlierText = "EARLIER\r\n";
    {
        test::TempFolder dir;
        dir.write("a.vcf", "A\r\n");
        dir.write("c.vcf", "C\r\n");
        const std::string earlier = dir.write("12-06-2026_CONBINED_CONTACTS.vcf", earlierText);
        test::RecordingHost host;
        try {
            RecombineFiles(localFileSystem(), host, selectionOf(dir.path(), { "a.vcf", "missing.vcf", "c.vcf" }));
            ADD_FAILURE() << "a missing input must end the job";
        } catch (const FileError& error) {
            EXPECT_EQ(error.path(), dir.file("missing.vcf"));
        }
        EXPECT_EQ(readFile(earlier), earlierText);
        EXPECT_EQ(listFolder(dir.path()),
            (std::vector<std::string> { "12-06-2026_CONBINED_CONTACTS.vcf", "a.vcf", "c.vcf" }));
        EXPECT_FALSE(host.visible) << "the status is hidden however the job ends";
    }
    {
        test::TempFolder dir;
        dir.write("a.vcf", "A\r\n");
        dir.write("b.vcf", "B\r\n");
        const std::string earlier = dir.write("12-06-2026_CONBINED_CONTACTS.vcf", earlierText);
        test::RecordingHost host;
        host.yieldsBeforeStop = 1;
        const JobResult result = RecombineFiles(localFileSystem(), host, selectionOf(dir.path(), { "a.vcf", "b.vcf" }));
        EXPECT_TRUE(result.stopped);
        EXPECT_EQ(result.count, 0u);
        EXPECT_EQ(readFile(earlier), earlierText);
        EXPECT_EQ(listFolder(dir.path()).size(), 3u);
        EXPECT_EQ(host.calls, (std::vector<std::string> { "show", "status 1", "yield", "status 2", "yield", "hide" }));
    }
}

/// The machine's file system on a disk that fills up: a temporary file takes no more than a few bytes.
class FullDisk final : public test::ForwardingFileSystem
{
private:
    class FullFolder final : public test::ForwardingHeldFolder
    {
    public:
        using ForwardingHeldFolder::ForwardingHeldFolder;
        std::unique_ptr<ByteSink> createTemporary(Permissions permissions, std::string& name) override
        {
            auto sink = ForwardingHeldFolder::createTemporary(permissions, name);
            return std::make_unique<SmallSink>(std::move(sink), pathOf(name));
        }
    };

    std::unique_ptr<HeldFolder> hold(std::unique_ptr<HeldFolder> locked) override
    {
        return std::make_unique<FullFolder>(std::move(locked));
    }

    class SmallSink final : public ByteSink
    {
    public:
        SmallSink(std::unique_ptr<ByteSink> sink, std::string path)
            : m_sink(std::move(sink))
            , m_path(std::move(path))
        {
        }
        void write(const char* data, std::size_t size) override
        {
            if (size > 4)
                throw FileError("cannot write file", m_path, std::make_error_code(std::errc::no_space_on_device));
            m_sink->write(data, size);
        }
        void close() override
        {
            m_sink->close();
        }
        void setPermissions(Permissions permissions) override
        {
            m_sink->setPermissions(permissions);
        }

    private:
        std::unique_ptr<ByteSink> m_sink;
        std::string m_path;
    };
};

TEST(RecombineFiles, FullDiskLeavesTheEarlierOutputAndNoTemporaryFile)
{
    test::TempFolder dir;
    dir.write("a.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
    dir.write("b.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
    const std::string earlier = dir.write("12-06-2026_CONBINED_CONTACTS.vcf", "EARLIER\r\n");
    FullDisk fs;
    test::RecordingHost host;
    try {
        RecombineFiles(fs, host, selectionOf(dir.path(), { "a.vcf", "b.vcf" }));
        ADD_FAILURE() << "a full disk must end the job";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), earlier) << "the error names the combined file, not the temporary one";
    }
    EXPECT_EQ(readFile(earlier), "EARLIER\r\n");
    EXPECT_EQ(listFolder(dir.path()).size(), 3u);
}

TEST(RecombineFiles, TheCombinedFileIsNoMoreOpenThanItsInputsAndItsFolderIsLocked)
{
    test::TempFolder dir;
    const std::string a = dir.write("a.vcf", "A\r\n");
    const std::string b = dir.write("b.vcf", "B\r\n");
    test::RecordingHost host;
#ifndef _WIN32
    // Windows has no such permission bits: new files take the access rules of their folder.
    std::filesystem::permissions(a, std::filesystem::perms(0644));
    std::filesystem::permissions(b, std::filesystem::perms(0640));
    const JobResult result = RecombineFiles(localFileSystem(), host, selectionOf(dir.path(), { "a.vcf", "b.vcf" }));
    EXPECT_EQ(static_cast<unsigned>(std::filesystem::status(result.location).permissions()) & 0077u, 0040u & ~0u)
        << "no more than the group's read, which both inputs give";
#else
    RecombineFiles(localFileSystem(), host, selectionOf(dir.path(), { "a.vcf", "b.vcf" }));
#endif

    const auto lock = localFileSystem().lockFolder(dir.path());
    try {
        RecombineFiles(localFileSystem(), host, selectionOf(dir.path(), { "a.vcf", "b.vcf" }));
        ADD_FAILURE() << "a locked folder must end the job";
    } catch (const FileError& error) {
        EXPECT_EQ(error.code(), make_error_code(FileErrc::FolderLocked));
    }
    EXPECT_EQ(listFolder(dir.path()).size(), 3u);
}

TEST(RecombineFiles, AFolderAtTheCombinedNameIsRefusedBeforeAnythingIsWritten)
{
    test::TempFolder dir;
    dir.write("a.vcf", "A\r\n");
    dir.write("b.vcf", "B\r\n");
    std::filesystem::create_directory(dir.file("12-06-2026_CONBINED_CONTACTS.vcf"));
    test::RecordingHost host;
    try {
        RecombineFiles(localFileSystem(), host, selectionOf(dir.path(), { "a.vcf", "b.vcf" }));
        ADD_FAILURE() << "a folder at the name must end the job";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()),
            "cannot create file '" + dir.file("12-06-2026_CONBINED_CONTACTS.vcf") + "': is a folder");
    }
    EXPECT_TRUE(host.calls.empty());
}

} // namespace
} // namespace tessely
