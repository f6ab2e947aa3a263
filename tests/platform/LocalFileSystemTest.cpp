#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace tessely
{
namespace
{

TEST(LocalFileSystem, TellsFilesFromFoldersAndMovesReplacing)
{
    test::TempFolder dir;
    FileSystem& fs = localFileSystem();
    const std::string a = dir.write("a.vcf", "A");
    const std::string b = dir.write("b.vcf", "B");
    fs.createFolder(dir.file("sub"));
    EXPECT_TRUE(fs.fileExists(a));
    EXPECT_FALSE(fs.folderExists(a));
    EXPECT_TRUE(fs.folderExists(dir.file("sub")));
    EXPECT_FALSE(fs.fileExists(dir.file("sub")));
    EXPECT_TRUE(fs.pathExists(dir.file("sub")));
    EXPECT_FALSE(fs.pathExists(dir.file("none")));

    fs.moveFile(a, b);
    EXPECT_FALSE(fs.fileExists(a));
    EXPECT_EQ(test::readFile(b), "A");
    fs.deleteFile(b);
    EXPECT_FALSE(fs.fileExists(b));
}

TEST(LocalFileSystem, RefusalsCarryPathAndReason)
{
    test::TempFolder dir;
    FileSystem& fs = localFileSystem();
    const std::string missing = dir.file("missing.vcf");
    try {
        fs.openRead(missing);
        FAIL() << "opened a missing file";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), missing);
        EXPECT_EQ(std::string(error.what()), "cannot open file '" + missing + "': No such file or directory");
    }
    EXPECT_THROW(fs.createFolder(dir.file("no/such")), FileError);
    EXPECT_THROW(fs.openWrite(dir.file("no/such.vcf")), FileError);
    EXPECT_THROW(fs.deleteFile(missing), FileError);
    EXPECT_THROW(fs.moveFile(missing, dir.file("x")), FileError);
}

TEST(LocalFileSystem, FullDiskShowsUpAsAWriteError)
{
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "/dev/full is not writable here";
    auto sink = localFileSystem().openWrite("/dev/full");
    EXPECT_THROW(
        {
            sink->write("x", 1);
            sink->close();
        },
        FileError);
}

TEST(LocalFileSystem, TemporaryFilesGetDistinctNames)
{
    test::TempFolder dir;
    std::string first;
    std::string second;
    auto a = localFileSystem().createTemporary(dir.path(), first);
    auto b = localFileSystem().createTemporary(dir.path(), second);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.rfind(dir.path() + "/", 0), 0u);
    a->close();
    b->close();
    EXPECT_EQ(test::listFolder(dir.path()).size(), 2u);
}

} // namespace
} // namespace tessely
