#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tessely
{
namespace
{

using test::readFile;

Permissions modeOf(const std::string& path)
{
    struct stat info {
    };
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 0777u;
}

void writeAll(ByteSink& sink, std::string_view bytes)
{
    sink.write(bytes.data(), bytes.size());
    sink.close();
}

TEST(PosixFileSystem, TellsWhatAPathNames)
{
    test::TempFolder dir;
    FileSystem& fs = localFileSystem();
    const std::string file = dir.write("a.vcf", "A");
    std::filesystem::create_directory(dir.file("sub"));
    std::filesystem::create_symlink(file, dir.file("link"));
    std::filesystem::create_symlink(dir.file("nowhere"), dir.file("broken"));
    ::mkfifo(dir.file("fifo").c_str(), 0600);
    const struct {
        std::string path;
        PathKind kind;
    } cases[] = {
        { file, PathKind::File },
        { dir.file("sub"), PathKind::Folder },
        { dir.file("link"), PathKind::File },
        { dir.file("broken"), PathKind::BrokenLink },
        { dir.file("fifo"), PathKind::Other },
        { "/dev/null", PathKind::Other },
        { dir.file("none"), PathKind::None },
    };
    for (const auto& c : cases)
        EXPECT_EQ(fs.kindOf(c.path), c.kind) << c.path;
}

TEST(PosixFileSystem, RefusesInputsThatAreNotRegularFilesWithoutBlocking)
{
    test::TempFolder dir;
    ::mkfifo(dir.file("fifo.vcf").c_str(), 0600);
    std::filesystem::create_directory(dir.file("folder.vcf"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir.file("s.vcf");
    if (socketPath.size() < sizeof address.sun_path) {
        socketPath.copy(address.sun_path, socketPath.size());
        EXPECT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    for (const std::string& path :
        { dir.file("fifo.vcf"), dir.file("folder.vcf"), socketPath, std::string("/dev/zero") }) {
        try {
            localFileSystem().openRead(path);
            ADD_FAILURE() << "opened " << path;
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()), "cannot open file '" + path + "': not a regular file");
        }
    }
    ::close(sock);
}

TEST(PosixFileSystem, RefusalsCarryPathAndReason)
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
    std::filesystem::create_directory(dir.file("folder"));
    const auto folder = fs.lockFolder(dir.path());
    const std::vector<std::pair<std::function<void()>, std::string>> cases = {
        { [&] { fs.createFolder(dir.file("no/such"), 0777); },
            "cannot create folder '" + dir.file("no/such") + "': No such file or directory" },
        { [&] { fs.lockFolder(dir.file("no/such")); },
            "cannot lock folder '" + dir.file("no/such") + "': No such file or directory" },
        { [&] { folder->createFile("folder", 0666); }, "cannot create file '" + dir.file("folder") + "': is a folder" },
        { [&] { folder->deleteFile("missing.vcf"); },
            "cannot delete file '" + missing + "': No such file or directory" },
        { [&] {
             dir.write("x", "x");
             folder->moveFile("x", "folder");
         },
            "cannot create file '" + dir.file("folder") + "': is a folder" },
        { [&] { folder->openRead("missing.vcf"); }, "cannot open file '" + missing + "': No such file or directory" },
    };
    for (const auto& [call, message] : cases) {
        try {
            call();
            ADD_FAILURE() << "no error for: " << message;
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
}

TEST(PosixFileSystem, NewOutputsNeverWriteThroughLinks)
{
    // Each case puts something at the output name that points at a file of the user's; writing the output
    // must leave that file as it was and give a plain new file at the name.
    const struct {
        const char* name;
        std::function<void(const std::string& victim, const std::string& output)> plant;
    } plants[] = {
        { "symbolic link",
            [](const std::string& victim, const std::string& output) {
                std::filesystem::create_symlink(victim, output);
            } },
        { "hard link",
            [](const std::string& victim, const std::string& output) {
                std::filesystem::create_hard_link(victim, output);
            } },
        { "dangling link",
            [](const std::string& victim, const std::string& output) {
                std::filesystem::create_symlink(victim + ".gone", output);
            } },
    };
    const struct {
        const char* name;
        std::function<void(HeldFolder&)> write;
    } writers[] = {
        { "createFile", [](HeldFolder& folder) { writeAll(*folder.createFile("out.vcf", 0666), "new"); } },
        { "moveFile",
            [](HeldFolder& folder) {
                std::string temporary;
                writeAll(*folder.createTemporary(0600, temporary), "new");
                folder.moveFile(temporary, "out.vcf");
            } },
    };
    for (const auto& plant : plants) {
        for (const auto& writer : writers) {
            test::TempFolder dir;
            const std::string victim = dir.write("victim.vcf", "precious");
            const std::string output = dir.file("out.vcf");
            plant.plant(victim, output);
            writer.write(*localFileSystem().lockFolder(dir.path()));
            EXPECT_EQ(readFile(victim), "precious") << plant.name << " " << writer.name;
            EXPECT_FALSE(std::filesystem::is_symlink(output)) << plant.name << " " << writer.name;
            EXPECT_EQ(readFile(output), "new") << plant.name << " " << writer.name;
        }
    }
}

TEST(PosixFileSystem, NewNamesAreTakenByAnythingThereAndRefusedWhenTooLong)
{
    test::TempFolder dir;
    dir.write("file.vcf", "mine");
    std::filesystem::create_directory(dir.file("folder.vcf"));
    std::filesystem::create_symlink(dir.file("gone"), dir.file("dangling.vcf"));
    const auto folder = localFileSystem().lockFolder(dir.path());
    const struct {
        std::string name;
        NewName answer;
    } cases[] = {
        { "file.vcf", NewName::Taken },
        { "folder.vcf", NewName::Taken },
        { "dangling.vcf", NewName::Taken },
        { std::string(300, 'x') + ".vcf", NewName::Refused },
        { "free.vcf", NewName::Done },
    };
    for (const auto& c : cases) {
        std::unique_ptr<ByteSink> sink;
        EXPECT_EQ(folder->createNewFile(c.name, 0666, sink), c.answer) << c.name;
        EXPECT_EQ(sink != nullptr, c.answer == NewName::Done) << c.name;
        if (sink)
            writeAll(*sink, "new");
        std::string temporary;
        writeAll(*folder->createTemporary(0600, temporary), "moved");
        const NewName moved = folder->moveToNewName(temporary, c.name);
        EXPECT_EQ(moved, c.answer == NewName::Done ? NewName::Taken : c.answer) << c.name;
        folder->deleteFile(temporary);
    }
    EXPECT_EQ(readFile(dir.file("file.vcf")), "mine");
    EXPECT_EQ(readFile(dir.file("free.vcf")), "new");
    EXPECT_FALSE(std::filesystem::exists(dir.file("gone")));
}

TEST(PosixFileSystem, AFolderLockIsExclusiveUntilReleased)
{
    test::TempFolder dir;
    FileSystem& fs = localFileSystem();
    std::filesystem::create_directory_symlink(dir.path(), dir.file("link"));
    {
        const auto first = fs.lockFolder(dir.path());
        // The same folder by another path, a link to it included.
        for (const std::string& path : { dir.path(), dir.file("link"), dir.file("link/.") }) {
            try {
                fs.lockFolder(path);
                ADD_FAILURE() << "locked a folder twice: " << path;
            } catch (const FileError& error) {
                EXPECT_EQ(error.code(), make_error_code(FileErrc::FolderLocked));
                EXPECT_EQ(error.path(), path);
            }
        }
    }
    EXPECT_NO_THROW(fs.lockFolder(dir.path()));
}

TEST(PosixFileSystem, OutputsGetNoMorePermissionThanAskedFromTheirFirstMoment)
{
    test::TempFolder dir;
    FileSystem& fs = localFileSystem();
    const mode_t oldMask = ::umask(022);
    fs.createFolder(dir.file("folder"), folderPermissionsFor(0640));
    Permissions temporaryAtFirst = 0;
    std::string temporary;
    {
        const auto folder = fs.lockFolder(dir.path());
        writeAll(*folder->createFile("private.vcf", filePermissionsFor(0600)), "x");
        writeAll(*folder->createFile("open.vcf", filePermissionsFor(0777)), "x");
        auto sink = folder->createTemporary(0600, temporary);
        temporaryAtFirst = modeOf(dir.file(temporary));
        sink->setPermissions(0666);
        sink->close();
        folder->moveFile(temporary, "widened.vcf");
    }
    ::umask(oldMask);

    EXPECT_EQ(modeOf(dir.file("private.vcf")), 0600u);
    EXPECT_EQ(modeOf(dir.file("open.vcf")), 0644u) << "the umask still applies, and nothing is executable";
    EXPECT_EQ(modeOf(dir.file("folder")), 0750u);
    EXPECT_EQ(temporaryAtFirst, 0600u) << "a temporary is private from the call that creates it";
    EXPECT_EQ(modeOf(dir.file("widened.vcf")), 0644u) << "opened up later only as far as the umask allows";
}

TEST(PosixFileSystem, ListsAFolderAndResolvesItsRealPath)
{
    test::TempFolder dir;
    FileSystem& fs = localFileSystem();
    dir.write("a.vcf", "A");
    std::filesystem::create_directory(dir.file("sub"));
    std::filesystem::create_symlink(dir.file("sub"), dir.file("link"));
    std::vector<std::string> names;
    fs.lockFolder(dir.path())->listFolder([&](std::string_view name) { names.emplace_back(name); });
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "a.vcf", "link", "sub" }));
    EXPECT_EQ(fs.realFolder(dir.file("link/../sub")), fs.realFolder(dir.file("sub")));
    EXPECT_EQ(fs.realFolder(""), "/");
}

TEST(PosixFileSystem, PathsLongerThanTheSystemTakesWholeWork)
{
    test::TempFolder dir;
    FileSystem& fs = localFileSystem();
    // A chain of folders deeper than PATH_MAX, made a step at a time as the system allows.
    const std::string step(200, 'd');
    std::string deep = dir.path();
    int at = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    while (deep.size() <= PATH_MAX + 300) {
        ASSERT_EQ(::mkdirat(at, step.c_str(), 0700), 0);
        const int next = ::openat(at, step.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(at);
        at = next;
        deep += "/" + step;
    }
    const int written = ::openat(at, "all.vcf", O_WRONLY | O_CREAT, 0600);
    ASSERT_EQ(::write(written, "BEGIN:VCARD\r\n", 13), 13);
    ::close(written);
    ::close(at);

    EXPECT_EQ(fs.kindOf(deep), PathKind::Folder);
    EXPECT_EQ(fs.kindOf(deep + "/all.vcf"), PathKind::File);
    EXPECT_EQ(fs.kindOf(deep + "/none.vcf"), PathKind::None);
    char buffer[32] = {};
    EXPECT_EQ(fs.openRead(deep + "/all.vcf")->read(buffer, sizeof buffer), 13u);
    fs.createFolder(deep + "/Split-vCards", 0700);
    {
        const auto folder = fs.lockFolder(deep + "/Split-vCards");
        writeAll(*folder->createFile("contact0001.vcf", 0600), "x");
        EXPECT_EQ(folder->pathOf("contact0001.vcf"), deep + "/Split-vCards/contact0001.vcf");
    }
    EXPECT_EQ(fs.kindOf(deep + "/Split-vCards/contact0001.vcf"), PathKind::File);
    EXPECT_EQ(fs.realFolder(deep + "/Split-vCards/.."), fs.realFolder(dir.path()) + deep.substr(dir.path().size()));
}

} // namespace
} // namespace tessely
