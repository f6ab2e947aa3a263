// The Windows file layer's own promises: what Windows paths, names, attributes and links add to those the
// shared suites check on every system.
#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/WideText.h"
#include "tests/support/System.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <sddl.h>
#include <string>
#include <vector>
#include <windows.h>

namespace tessely
{
namespace
{

std::wstring wide(const std::string& path)
{
    std::wstring result;
    EXPECT_TRUE(toWide(path, result)) << path;
    return result;
}

void writeWhole(HeldFolder& folder, const std::string& name, std::string_view bytes)
{
    auto sink = folder.createFile(name, openPermissions);
    sink->write(bytes.data(), bytes.size());
    sink->close();
}

std::string readWhole(FileSystem& fs, const std::string& path)
{
    auto source = fs.openRead(path);
    std::string bytes;
    char buffer[4096];
    while (const std::size_t got = source->read(buffer, sizeof buffer))
        bytes.append(buffer, got);
    return bytes;
}

std::vector<std::string> namesIn(HeldFolder& folder)
{
    std::vector<std::string> names;
    folder.listFolder([&names](std::string_view name) { names.emplace_back(name); });
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> namesIn(FileSystem& fs, const std::string& folder)
{
    return namesIn(*fs.lockFolder(folder));
}

void makeReadOnly(const std::string& path)
{
    ASSERT_TRUE(::SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_READONLY)) << path;
}

bool isReparsePoint(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

/// A symbolic link at `link` to `target`; false where the system makes none (Wine, or Windows without the
/// right to make links).
bool makeSymbolicLink(const std::string& link, const std::string& target, bool folder)
{
    const DWORD flags = SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
        | (folder ? DWORD { SYMBOLIC_LINK_FLAG_DIRECTORY } : DWORD { 0 });
    return ::CreateSymbolicLinkW(wide(link).c_str(), wide(target).c_str(), flags) && isReparsePoint(link);
}

/// Another process that holds the lock on a folder: tessely_lock_holder.exe, beside the test program.
class LockHolder
{
public:
    explicit LockHolder(const std::string& folder)
    {
        std::wstring program(MAX_PATH, L'\0');
        program.resize(::GetModuleFileNameW(nullptr, program.data(), MAX_PATH));
        program = program.substr(0, program.find_last_of(L'\\') + 1) + L"tessely_lock_holder.exe";
        std::wstring commandLine = L"\"" + program + L"\" \"" + wide(folder) + L"\"";
        SECURITY_ATTRIBUTES inherit { sizeof inherit, nullptr, TRUE };
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        EXPECT_TRUE(::CreatePipe(&readEnd, &writeEnd, &inherit, 0));
        ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        const bool started = ::CreateProcessW(
            program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &m_process);
        ::CloseHandle(writeEnd);
        EXPECT_TRUE(started) << "cannot start " << toUtf8(program);
        // It says "locked" once it holds the lock, or why it could not take it.
        std::string said;
        char buffer[256];
        DWORD got = 0;
        while (started && said.find('\n') == std::string::npos
            && ::ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
            said.append(buffer, got);
        ::CloseHandle(readEnd);
        EXPECT_EQ(said.substr(0, said.find_first_of("\r\n")), "locked");
        if (!started)
            m_process = {};
    }
    ~LockHolder()
    {
        kill();
    }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    void kill()
    {
        if (m_process.hProcess == nullptr)
            return;
        ::TerminateProcess(m_process.hProcess, 9);
        ::WaitForSingleObject(m_process.hProcess, INFINITE);
        ::CloseHandle(m_process.hProcess);
        ::CloseHandle(m_process.hThread);
        m_process = {};
    }

private:
    PROCESS_INFORMATION m_process {};
};

TEST(WindowsFileSystem, NewNamesThatWindowsCannotKeepAreRefusedNotFailed)
{
    const struct {
        std::string name;
        NewName answer;
    } cases[] = {
        { "John Doe.vcf", NewName::Done },
        { std::string(251, 'n') + ".vcf", NewName::Done },
        // Longer than the 255 characters a file name may have.
        { std::string(252, 'n') + ".vcf", NewName::Refused },
        { "Zo\xC3\xAB \xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xE6\x9D\x8E.vcf", NewName::Done },
        { "CON-#1.vcf", NewName::Done },
        { "Console.vcf", NewName::Done },
        { "LPT10.vcf", NewName::Done },
        { "John .vcf", NewName::Done },
        // Device names, in any letter case and with any extension.
        { "CON.vcf", NewName::Refused },
        { "con.vcf", NewName::Refused },
        { "Nul", NewName::Refused },
        { "AUX .vcf", NewName::Refused },
        { "prn.a.b", NewName::Refused },
        { "COM1.vcf", NewName::Refused },
        { "lpt9.vcf", NewName::Refused },
        { "COM\xC2\xB9.vcf", NewName::Refused },
        // A colon would name a stream inside the file "a".
        { "a:b.vcf", NewName::Refused },
        { "what?.vcf", NewName::Refused },
        { "<tag>.vcf", NewName::Refused },
        { "x|y.vcf", NewName::Refused },
        { "quote\".vcf", NewName::Refused },
        { "tab\t.vcf", NewName::Refused },
        // Windows would drop the trailing dot or space and store another name.
        { "John.", NewName::Refused },
        { "John ", NewName::Refused },
        { "\xFF\xFE.vcf", NewName::Refused },
        { "", NewName::Refused },
    };
    FileSystem& fs = localFileSystem();
    for (const auto& c : cases) {
        for (const bool byMove : { false, true }) {
            test::TempFolder dir;
            const auto folder = fs.lockFolder(dir.path());
            NewName answer {};
            if (byMove) {
                std::string temporary;
                folder->createTemporary(0600, temporary)->close();
                answer = folder->moveToNewName(temporary, c.name);
            } else {
                std::unique_ptr<ByteSink> sink;
                answer = folder->createNewFile(c.name, openPermissions, sink);
                EXPECT_EQ(sink != nullptr, answer == NewName::Done) << c.name;
            }
            EXPECT_EQ(answer, c.answer) << c.name << (byMove ? " (moved)" : " (created)");
            if (c.answer == NewName::Done) {
                EXPECT_EQ(namesIn(*folder), std::vector<std::string> { c.name }) << c.name;
            } else if (!byMove) {
                EXPECT_TRUE(namesIn(*folder).empty()) << c.name;
            }
        }
    }
}

TEST(WindowsFileSystem, NamesDifferingOnlyInCaseAreTaken)
{
    const struct {
        const char* existing;
        const char* wanted;
    } cases[] = {
        { "John Doe.vcf", "JOHN DOE.VCF" },
        { "contact0001.vcf", "Contact0001.vcf" },
        { "\xC3\x89mile.vcf", "\xC3\xA9MILE.vcf" },
    };
    FileSystem& fs = localFileSystem();
    for (const auto& c : cases) {
        test::TempFolder dir;
        const auto folder = fs.lockFolder(dir.path());
        writeWhole(*folder, c.existing, "old");
        std::unique_ptr<ByteSink> sink;
        EXPECT_EQ(folder->createNewFile(c.wanted, openPermissions, sink), NewName::Taken) << c.wanted;
        EXPECT_TRUE(fs.fileExists(dir.file(c.wanted))) << c.wanted;
        std::string temporary;
        folder->createTemporary(0600, temporary)->close();
        EXPECT_EQ(folder->moveToNewName(temporary, c.wanted), NewName::Taken) << c.wanted;
        EXPECT_EQ(readWhole(fs, dir.file(c.existing)), "old") << c.wanted;
    }
}

TEST(WindowsFileSystem, EveryOperationWorksBeyondTheClassicPathLimit)
{
    FileSystem& fs = localFileSystem();
    for (const std::size_t length : { 200u, 300u, 1000u }) {
        test::TempFolder dir;
        std::string folder = dir.path();
        while (folder.size() < length) {
            folder += "\\" + std::string(40, 'f');
            fs.createFolder(folder, openPermissions);
        }
        const std::string file = folder + "\\contact0001.vcf";
        ASSERT_GT(file.size(), length);
        const auto held = fs.lockFolder(folder);
        writeWhole(*held, "contact0001.vcf", "BEGIN:VCARD\r\n");
        writeWhole(*held, "contact0001.vcf", "END:VCARD\r\n");
        EXPECT_EQ(readWhole(fs, file), "END:VCARD\r\n") << length;
        EXPECT_TRUE(fs.fileExists(file)) << length;
        EXPECT_TRUE(fs.folderExists(folder)) << length;

        std::unique_ptr<ByteSink> sink;
        EXPECT_EQ(held->createNewFile("John Doe.vcf", openPermissions, sink), NewName::Done) << length;
        sink->close();
        EXPECT_EQ(held->createNewFile("contact0001.vcf", openPermissions, sink), NewName::Taken) << length;
        std::string temporary;
        held->createTemporary(0600, temporary)->close();
        EXPECT_EQ(held->moveToNewName(temporary, "Jane.vcf"), NewName::Done) << length;
        held->moveFile("Jane.vcf", "John Doe.vcf");
        EXPECT_EQ(namesIn(*held), (std::vector<std::string> { "John Doe.vcf", "contact0001.vcf" })) << length;
        EXPECT_EQ(fs.realFolder(folder + "\\..\\" + std::string(40, 'f')), fs.realFolder(folder)) << length;
        EXPECT_EQ(fs.realFolder(folder).rfind("\\\\?\\", 0), std::string::npos) << length;
        held->deleteFile("contact0001.vcf");
        EXPECT_FALSE(fs.pathExists(file)) << length;
    }
}

TEST(WindowsFileSystem, ReadOnlyFilesAreReplacedAndDeleted)
{
    const struct {
        const char* operation;
        void (*run)(HeldFolder& folder, const std::string& readOnly);
        const char* left; // the content at the read-only file's name afterwards; nullptr: nothing is there
    } cases[] = {
        { "delete", [](HeldFolder& folder, const std::string& name) { folder.deleteFile(name); }, nullptr },
        { "create over", [](HeldFolder& folder, const std::string& name) { writeWhole(folder, name, "new"); }, "new" },
        { "move onto",
            [](HeldFolder& folder, const std::string& name) {
                std::string temporary;
                auto sink = folder.createTemporary(0600, temporary);
                sink->write("moved", 5);
                sink->close();
                folder.moveFile(temporary, name);
            },
            "moved" },
    };
    FileSystem& fs = localFileSystem();
    for (const auto& c : cases) {
        test::TempFolder dir;
        const std::string path = dir.write("old.vcf", "old");
        makeReadOnly(path);
        EXPECT_EQ(fs.openRead(path)->permissions() & 0222u, 0u) << c.operation;
        c.run(*fs.lockFolder(dir.path()), "old.vcf");
        if (c.left == nullptr)
            EXPECT_FALSE(fs.pathExists(path)) << c.operation;
        else
            EXPECT_EQ(readWhole(fs, path), c.left) << c.operation;
        EXPECT_EQ(namesIn(fs, dir.path()).size(), c.left == nullptr ? 0u : 1u) << c.operation;
    }
}

TEST(WindowsFileSystem, InputsAreRegularFilesOnlyAndStayUnchangedWhileRead)
{
    test::TempFolder dir;
    FileSystem& fs = localFileSystem();
    const std::string input = dir.write("in.vcf", "BEGIN:VCARD\r\n");
    fs.createFolder(dir.file("sub"), openPermissions);
    for (const std::string& path :
        { dir.file("sub"), dir.file("NUL"), dir.file("con.vcf"), std::string("\\\\.\\NUL") }) {
        try {
            fs.openRead(path);
            ADD_FAILURE() << path << " was opened";
        } catch (const FileError& error) {
            EXPECT_EQ(error.code(), FileErrc::NotRegularFile) << path;
        }
        EXPECT_NE(fs.kindOf(path), PathKind::File) << path;
    }

    const auto source = fs.openRead(input);
    const HANDLE writer = ::CreateFileW(
        wide(input).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "the input could be opened for writing while it was read";
    EXPECT_EQ(::GetLastError(), DWORD { ERROR_SHARING_VIOLATION });
    if (writer != INVALID_HANDLE_VALUE)
        ::CloseHandle(writer);
    const HANDLE reader = ::CreateFileW(wide(input).c_str(),
        GENERIC_READ,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr,
        OPEN_EXISTING,
        0,
        nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE) << "another reader was shut out";
    ::CloseHandle(reader);
}

TEST(WindowsFileSystem, ErrorsNameThePathWithTheReasonInPosixWords)
{
    test::TempFolder dir;
    FileSystem& fs = localFileSystem();
    const std::string missing = dir.file("missing.vcf");
    const struct {
        const char* operation;
        void (*run)(FileSystem& fs, const std::string& path);
        std::string expected;
    } cases[] = {
        { "open",
            [](FileSystem& fs, const std::string& path) { fs.openRead(path); },
            "cannot open file '" + missing + "': No such file or directory" },
        { "delete",
            [](FileSystem& fs, const std::string& path) {
                fs.lockFolder(GetParentFolderName(path))->deleteFile(GetFileName(path));
            },
            "cannot delete file '" + missing + "': No such file or directory" },
        { "lock inside",
            [](FileSystem& fs, const std::string& path) { fs.lockFolder(path + "\\x"); },
            "cannot lock folder '" + missing + "\\x': No such file or directory" },
        { "open elsewhere",
            [](FileSystem& fs, const std::string& path) {
                // A table that a spreadsheet holds open, sharing it only for reading.
                const std::string table = GetParentFolderName(path) + "\\table.csv";
                const HANDLE open = ::CreateFileW(wide(table).c_str(),
                    GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ,
                    nullptr,
                    CREATE_NEW,
                    0,
                    nullptr);
                try {
                    writeWhole(*fs.lockFolder(GetParentFolderName(path)), "table.csv", "new");
                } catch (...) {
                    ::CloseHandle(open);
                    throw;
                }
                ::CloseHandle(open);
            },
            "cannot create file '" + dir.file("table.csv") + "': it is open in another program" },
        { "folder twice",
            [](FileSystem& fs, const std::string& path) {
                fs.createFolder(GetParentFolderName(path), openPermissions);
            },
            "cannot create folder '" + dir.path() + "': File exists" },
    };
    for (const auto& c : cases) {
        try {
            c.run(fs, missing);
            ADD_FAILURE() << c.operation << " did not fail";
        } catch (const FileError& error) {
            EXPECT_EQ(std::string(error.what()), c.expected) << c.operation;
        }
    }
}

TEST(WindowsFileSystem, HardLinksAtAnOutputNameAreReplacedNotWrittenThrough)
{
    test::TempFolder dir;
    FileSystem& fs = localFileSystem();
    const std::string victim = dir.write("victim.vcf", "keep");
    const std::string output = dir.file("contact0001.vcf");
    ASSERT_TRUE(::CreateHardLinkW(wide(output).c_str(), wide(victim).c_str(), nullptr));
    const auto folder = fs.lockFolder(dir.path());
    writeWhole(*folder, "contact0001.vcf", "new");
    EXPECT_EQ(readWhole(fs, victim), "keep");
    EXPECT_EQ(readWhole(fs, output), "new");

    ASSERT_TRUE(::DeleteFileW(wide(output).c_str()));
    ASSERT_TRUE(::CreateHardLinkW(wide(output).c_str(), wide(victim).c_str(), nullptr));
    std::string temporary;
    auto sink = folder->createTemporary(0600, temporary);
    sink->write("moved", 5);
    sink->close();
    folder->moveFile(temporary, "contact0001.vcf");
    EXPECT_EQ(readWhole(fs, victim), "keep");
    EXPECT_EQ(readWhole(fs, output), "moved");
}

TEST(WindowsFileSystem, LinksAndJunctionsAtOutputNamesAreNeverFollowed)
{
    FileSystem& fs = localFileSystem();
    test::TempFolder probe;
    if (!makeSymbolicLink(probe.file("link"), probe.file("target"), false))
        GTEST_SKIP() << "this system makes no symbolic links (Wine; Windows without the right to make links)";

    const struct {
        const char* operation;
        void (*run)(HeldFolder& folder, const std::string& link);
    } cases[] = {
        { "create over", [](HeldFolder& folder, const std::string& link) { writeWhole(folder, link, "new"); } },
        { "move onto",
            [](HeldFolder& folder, const std::string& link) {
                std::string temporary;
                folder.createTemporary(0600, temporary)->close();
                folder.moveFile(temporary, link);
            } },
        { "delete", [](HeldFolder& folder, const std::string& link) { folder.deleteFile(link); } },
        { "create new",
            [](HeldFolder& folder, const std::string& link) {
                std::unique_ptr<ByteSink> sink;
                EXPECT_EQ(folder.createNewFile(link, openPermissions, sink), NewName::Taken);
            } },
    };
    for (const auto& c : cases) {
        for (const char* kind : { "file link", "folder link", "junction", "dangling link" }) {
            test::TempFolder dir;
            const std::string target = dir.write("target.vcf", "keep");
            fs.createFolder(dir.file("folder"), openPermissions);
            dir.write("folder\\inside.vcf", "inside");
            const std::string link = dir.file("out.vcf");
            bool made = false;
            if (std::strcmp(kind, "file link") == 0)
                made = makeSymbolicLink(link, target, false);
            else if (std::strcmp(kind, "folder link") == 0)
                made = makeSymbolicLink(link, dir.file("folder"), true);
            else if (std::strcmp(kind, "junction") == 0)
                made = test::makeFolderLink(dir.file("folder"), link);
            else
                made = makeSymbolicLink(link, dir.file("nothing.vcf"), false);
            if (!made)
                continue;
            if (std::strcmp(kind, "dangling link") == 0) {
                EXPECT_EQ(fs.kindOf(link), PathKind::BrokenLink);
            }
            c.run(*fs.lockFolder(dir.path()), "out.vcf");
            EXPECT_EQ(readWhole(fs, target), "keep") << c.operation << " " << kind;
            EXPECT_EQ(readWhole(fs, dir.file("folder\\inside.vcf")), "inside") << c.operation << " " << kind;
            EXPECT_FALSE(fs.pathExists(dir.file("nothing.vcf"))) << c.operation << " " << kind;
        }
    }
}

/// The access rules of the file at `path`, in the system's own notation.
std::string accessRulesOf(const std::string& path)
{
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL rules = nullptr;
    std::wstring name = wide(path);
    if (::GetNamedSecurityInfoW(
            name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &rules, nullptr, &descriptor)
        != ERROR_SUCCESS)
        return "unknown";
    wchar_t* text = nullptr;
    ::ConvertSecurityDescriptorToStringSecurityDescriptorW(
        descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
    const std::string result = text == nullptr ? "unknown" : toUtf8(text);
    ::LocalFree(text);
    ::LocalFree(descriptor);
    return result;
}

TEST(WindowsFileSystem, ATemporaryGetsTheAccessRulesOfTheFinalFileFromItsFirstMoment)
{
    test::TempFolder dir;
    FileSystem& fs = localFileSystem();
    // A folder that only its owner may change and everyone may read, its rules inherited by what is made in it.
    SECURITY_ATTRIBUTES security { sizeof security, nullptr, FALSE };
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;OICI;FA;;;OW)(A;OICI;FR;;;WD)", SDDL_REVISION_1, &security.lpSecurityDescriptor, nullptr));
    const std::string folder = dir.file("shared");
    ASSERT_TRUE(::CreateDirectoryW(wide(folder).c_str(), &security));
    ::LocalFree(security.lpSecurityDescriptor);

    const auto held = fs.lockFolder(folder);
    writeWhole(*held, "final.vcf", "final");
    std::string temporary;
    auto sink = held->createTemporary(0600, temporary);
    const std::string whileWritten = accessRulesOf(held->pathOf(temporary));
    sink->close();
    held->moveFile(temporary, "moved.vcf");
    const std::string final = accessRulesOf(held->pathOf("final.vcf"));
    EXPECT_NE(final, "unknown");
    EXPECT_EQ(whileWritten, final);
    EXPECT_EQ(accessRulesOf(held->pathOf("moved.vcf")), final);
}

TEST(WindowsFileSystem, FolderLockShutsOutEveryOtherJobUntilItsHolderEnds)
{
    test::TempFolder dir;
    FileSystem& fs = localFileSystem();
    std::string upper = dir.path();
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto expectLocked = [&fs](const std::string& path, const char* holder) {
        try {
            fs.lockFolder(path);
            ADD_FAILURE() << path << " was locked while " << holder << " held the lock";
        } catch (const FileError& error) {
            EXPECT_EQ(error.code(), FileErrc::FolderLocked) << path;
            EXPECT_EQ(error.path(), path);
        }
    };
    {
        const auto lock = fs.lockFolder(dir.path());
        for (const std::string& path : { dir.path(), dir.path() + "\\.", dir.path() + "/", upper })
            expectLocked(path, "this process");
    }
    EXPECT_TRUE(namesIn(fs, dir.path()).empty());
    {
        LockHolder holder(dir.path());
        expectLocked(dir.path(), "another process");
        // Killed: it releases nothing itself, the system does.
        holder.kill();
    }
    EXPECT_NE(fs.lockFolder(dir.path()), nullptr);
    EXPECT_TRUE(namesIn(fs, dir.path()).empty());
}

} // namespace
} // namespace tessely
