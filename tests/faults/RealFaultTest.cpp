#include "cli/Cli.h"
#include "cli/StopSignals.h"
#include "controller/Operation.h"
#include "recombine/RecombineFiles.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tessely
{
namespace
{

struct CliRun {
    int status = -1;
    std::string err;
};

CliRun runCliHere(const std::vector<std::string>& args, FileSystem& fs = localFileSystem())
{
    std::ostringstream out;
    std::ostringstream err;
    CliEnvironment env { fs, out, err };
    env.stopSignal = stopSignal;
    CliRun run;
    run.status = runCli(args, env);
    run.err = err.str();
    return run;
}

/// Runs tessely-cli in a child process after `setup` has changed what the child may do (a resource
/// limit, another user), and gives its exit status (or 128 + the signal that ended it) and error text.
CliRun runCliInChild(
    const std::vector<std::string>& args, const std::function<bool()>& setup, FileSystem& fs = localFileSystem())
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (!setup())
            ::_exit(100);
        const CliRun run = runCliHere(args, fs);
        const ssize_t written = ::write(pipeEnds[1], run.err.data(), run.err.size());
        ::_exit(written < 0 ? 101 : run.status);
    }
    ::close(pipeEnds[1]);
    CliRun run;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        run.err.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

const std::string threeCards = "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n"
                               "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n"
                               "BEGIN:VCARD\r\nFN:C\r\nEND:VCARD\r\n";

/// What tessely-cli prints on standard error when a job of `command` fails for `reason`.
std::string failureText(const std::string& command, const std::string& reason)
{
    const OperationKind kind = command == "split" ? OperationKind::Split
        : command == "export"                     ? OperationKind::Export
                                                  : OperationKind::Recombine;
    Message message = failureMessage(kind);
    message.lines.emplace_back();
    message.lines.push_back(reason);
    return message.title + "\n" + message.text() + "\n";
}

TEST(RealFaults, LinksAtOutputNamesAreReplacedNeverWrittenThrough)
{
    // Someone who may write into Split-vCards plants links at the names the jobs write: to the input itself
    // and to a device. The jobs replace the links with files of their own and touch nothing they point at.
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", threeCards);
    std::filesystem::create_directory(dir.file("Split-vCards"));
    std::filesystem::create_symlink("../all.vcf", dir.file("Split-vCards/contact0001.vcf"));
    std::filesystem::create_symlink("/dev/full", dir.file("Split-vCards/contact0002.vcf"));
    std::filesystem::create_hard_link(source, dir.file("Split-vCards/contact0003.vcf"));
    std::filesystem::create_symlink("../all.vcf", dir.file("Split-vCards/Contacts_Export.csv"));
    std::filesystem::create_symlink("../all.vcf", dir.file("Split-vCards/contacts0001-0002.vcf"));
    std::filesystem::create_symlink("/dev/full", dir.file("Split-vCards/contacts0003-0003.vcf"));

    for (const char* command : { "split", "export", "split --per-file=2" }) {
        std::vector<std::string> args;
        std::istringstream words(command);
        for (std::string word; words >> word;)
            args.push_back(word);
        args.push_back(source);
        const CliRun run = runCliHere(args);
        EXPECT_EQ(run.status, exitSuccess) << command << ": " << run.err;
        EXPECT_EQ(test::readFile(source), threeCards) << command;
    }
    for (const char* name : { "contact0001.vcf",
             "contact0002.vcf",
             "contact0003.vcf",
             "Contacts_Export.csv",
             "contacts0001-0002.vcf",
             "contacts0003-0003.vcf" }) {
        const std::string path = dir.file(std::string("Split-vCards/") + name);
        EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(path))) << name;
    }
    EXPECT_EQ(test::readFile(dir.file("Split-vCards/contact0002.vcf")), "BEGIN:VCARD\r\nFN:B\r\nEND:VCARD\r\n");
    EXPECT_EQ(test::readFile(dir.file("Split-vCards/contacts0003-0003.vcf")), "BEGIN:VCARD\r\nFN:C\r\nEND:VCARD\r\n");
}

TEST(RealFaults, AnOutputFolderThatIsABrokenLinkGetsAClearMessage)
{
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", threeCards);
    std::filesystem::create_symlink(dir.file("moved-away"), dir.file("Split-vCards"));
    const CliRun run = runCliHere({ "split", source });
    EXPECT_EQ(run.status, exitFileError);
    EXPECT_EQ(run.err,
        failureText("split",
            "cannot create folder '" + dir.file("Split-vCards") + "': it is a link to something that does not exist"));

    // A link to a folder is the user's choice and is followed.
    std::filesystem::create_directory(dir.file("moved-away"));
    EXPECT_EQ(runCliHere({ "split", source }).status, exitSuccess);
    EXPECT_EQ(test::listFolder(dir.file("moved-away")).size(), 3u);
}

TEST(RealFaults, FileSizeLimitEndsTheSplitWithExitThreeAndRemovesTheUnfinishedFile)
{
    test::TempFolder dir;
    // The second contact is larger than the limit; the first fits.
    const std::string big
        = "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\nBEGIN:VCARD\r\nNOTE:" + std::string(8192, 'x') + "\r\nEND:VCARD\r\n";
    const std::string source = dir.write("all.vcf", big);
    const CliRun run = runCliInChild({ "split", source }, [] {
        // The program itself ignores SIGXFSZ; in-process the test does the same.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { 4096, 4096 };
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    });
    EXPECT_EQ(run.status, exitFileError) << run.err;
    const std::string second = dir.file("Split-vCards/contact0002.vcf");
    EXPECT_EQ(run.err, failureText("split", "cannot write file '" + second + "': File too large"));
    EXPECT_EQ(test::readFile(dir.file("Split-vCards/contact0001.vcf")), "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n");
    EXPECT_FALSE(std::filesystem::exists(second)) << "the unfinished file is removed";
    EXPECT_EQ(test::readFile(source), big);
}

TEST(RealFaults, AFileNamedLikeTheOutputFolderEndsTheJobWithExitThree)
{
    for (const char* command : { "split", "export" }) {
        test::TempFolder dir;
        const std::string source = dir.write("all.vcf", threeCards);
        dir.write("Split-vCards", "mine");
        const CliRun run = runCliHere({ command, source });
        EXPECT_EQ(run.status, exitFileError) << command;
        EXPECT_EQ(run.err, failureText(command, "cannot create folder '" + dir.file("Split-vCards") + "': File exists"))
            << command;
        EXPECT_EQ(test::readFile(dir.file("Split-vCards")), "mine") << command;
    }
}

TEST(RealFaults, OutputsAreNoMoreOpenThanTheirInput)
{
    const struct {
        unsigned input;
        unsigned files;
        unsigned folder;
    } cases[] = { { 0600, 0600, 0700 }, { 0640, 0640, 0750 }, { 0666, 0644, 0755 }, { 0755, 0644, 0755 } };
    const mode_t oldMask = ::umask(022);
    for (const auto& c : cases) {
        test::TempFolder dir;
        const std::string source = dir.write("all.vcf", threeCards);
        ::chmod(source.c_str(), c.input);
        for (const char* command : { "split", "export" })
            EXPECT_EQ(runCliHere({ command, source }).status, exitSuccess);
        EXPECT_EQ(runCliHere({ "split", "--per-file=2", source }).status, exitSuccess);
        const auto modeOf = [](const std::string& path) {
            struct stat info {
            };
            ::stat(path.c_str(), &info);
            return static_cast<unsigned>(info.st_mode & 0777);
        };
        EXPECT_EQ(modeOf(dir.file("Split-vCards")), c.folder) << std::oct << c.input;
        for (const char* name : { "contact0001.vcf", "Contacts_Export.csv", "contacts0001-0002.vcf" })
            EXPECT_EQ(modeOf(dir.file(std::string("Split-vCards/") + name)), c.files)
                << name << " " << std::oct << c.input;
    }
    ::umask(oldMask);
}

TEST(RealFaults, AnOutputOfAnotherGroupThanTheInputGetsNoGroupPermissions)
{
    // Two groups this process may give its files: root may give any, another user those it belongs to.
    const auto own = static_cast<gid_t>(::getegid());
    gid_t other = 4242;
    if (::geteuid() != 0) {
        std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
        groups.resize(
            static_cast<std::size_t>(std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
        const auto found = std::find_if(groups.begin(), groups.end(), [own](gid_t g) { return g != own; });
        if (found == groups.end())
            GTEST_SKIP() << "this user belongs to one group only";
        other = *found;
    }
    const gid_t none = static_cast<gid_t>(-1);
    const struct {
        const char* name;
        gid_t input; // the inputs' group
        gid_t setgidFolder; // the group of a setgid output folder, none for a plain one made by the job
        unsigned files;
        unsigned folder; // a plain output folder, made by the job
    } cases[] = {
        { "input of the files' group", own, none, 0640, 0750 },
        { "input of another group than the process's", other, none, 0600, 0700 },
        { "setgid folder of another group", own, other, 0600, 0 },
        { "setgid folder of the input's group", other, other, 0640, 0 },
    };
    const mode_t oldMask = ::umask(022);
    for (const auto& c : cases) {
        test::TempFolder dir;
        const std::string source = dir.write("all.vcf", threeCards);
        std::filesystem::create_directory(dir.file("r"));
        const std::vector<std::string> parts = { dir.write("r/a.vcf", threeCards), dir.write("r/b.vcf", threeCards) };
        for (const std::string& input : { source, parts[0], parts[1] }) {
            ASSERT_EQ(::chown(input.c_str(), none, c.input), 0) << input;
            ::chmod(input.c_str(), 0640);
        }
        if (c.setgidFolder != none) {
            for (const std::string& folder : { dir.file("Split-vCards"), dir.file("r") }) {
                std::filesystem::create_directory(folder);
                ASSERT_EQ(::chown(folder.c_str(), none, c.setgidFolder), 0) << folder;
                ::chmod(folder.c_str(), 02777);
            }
        }
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>> {
                 { "split", source }, { "export", source }, { "recombine", parts[0], parts[1] } })
            EXPECT_EQ(runCliHere(args).status, exitSuccess) << c.name << " " << args[0];
        const auto modeOf = [](const std::string& path) {
            struct stat info {
            };
            ::stat(path.c_str(), &info);
            return static_cast<unsigned>(info.st_mode & 0777);
        };
        for (const std::string& output : { dir.file("Split-vCards/contact0001.vcf"),
                 dir.file("Split-vCards/Contacts_Export.csv"),
                 dir.file("r/" + recombinedFileName(localToday())) })
            EXPECT_EQ(modeOf(output), c.files) << c.name << ": " << output;
        if (c.setgidFolder == none) {
            EXPECT_EQ(modeOf(dir.file("Split-vCards")), c.folder) << c.name;
        }
    }
    ::umask(oldMask);
}

TEST(RealFaults, AStopSignalEndsTheJobWithItsStatusAndLeavesNoUnfinishedFile)
{
    const struct {
        const char* command;
        int signal;
    } cases[] = { { "split", SIGINT }, { "export", SIGTERM }, { "recombine", SIGHUP } };
    for (const auto& c : cases) {
        test::TempFolder dir;
        const std::string source = dir.write("all.vcf", threeCards);
        const std::string other = dir.write("b.vcf", threeCards);
        std::vector<std::string> args = { c.command, source };
        if (std::string(c.command) == "recombine")
            args.push_back(other);
        const CliRun run = runCliInChild(args, [&c] {
            // The request to stop comes as the job starts; the handlers turn it into a stop at a safe point.
            installStopHandlers();
            return ::raise(c.signal) == 0;
        });
        EXPECT_EQ(run.status, 128 + c.signal) << c.command << ": " << run.err;
        for (const auto& name : test::listFolder(dir.path()))
            EXPECT_TRUE(name == "all.vcf" || name == "b.vcf" || name == "Split-vCards") << name;
        if (std::filesystem::exists(dir.file("Split-vCards"))) {
            EXPECT_TRUE(test::listFolder(dir.file("Split-vCards")).empty()) << c.command;
        }
    }
}

/// The machine's file system, with signals sent the moment the job has written half of its first write
/// into a temporary file, or into a file under its final name.
class SignalsOnFirstWrite final : public test::ForwardingFileSystem
{
public:
    SignalsOnFirstWrite(std::vector<int> signals, bool intoTemporary)
        : m_signals(std::move(signals))
        , m_intoTemporary(intoTemporary)
    {
    }

private:
    class Sink final : public ByteSink
    {
    public:
        Sink(std::unique_ptr<ByteSink> inner, const std::vector<int>& signals)
            : m_inner(std::move(inner))
            , m_signals(signals)
        {
        }
        void write(const char* data, std::size_t size) override
        {
            if (!m_sent) {
                m_sent = true;
                m_inner->write(data, size / 2);
                for (const int signal : m_signals)
                    ::raise(signal);
                data += size / 2;
                size -= size / 2;
            }
            m_inner->write(data, size);
        }
        void close() override
        {
            m_inner->close();
        }
        void setPermissions(Permissions permissions) override
        {
            m_inner->setPermissions(permissions);
        }

    private:
        std::unique_ptr<ByteSink> m_inner;
        const std::vector<int>& m_signals;
        bool m_sent = false;
    };

    class Folder final : public test::ForwardingHeldFolder
    {
    public:
        Folder(std::unique_ptr<HeldFolder> inner, const SignalsOnFirstWrite& fs)
            : ForwardingHeldFolder(std::move(inner))
            , m_fs(fs)
        {
        }
        std::unique_ptr<ByteSink> createFile(const std::string& name, Permissions permissions) override
        {
            return watched(ForwardingHeldFolder::createFile(name, permissions), false);
        }
        NewName createNewFile(
            const std::string& name, Permissions permissions, std::unique_ptr<ByteSink>& sink) override
        {
            const NewName answer = ForwardingHeldFolder::createNewFile(name, permissions, sink);
            if (sink)
                sink = watched(std::move(sink), false);
            return answer;
        }
        std::unique_ptr<ByteSink> createTemporary(Permissions permissions, std::string& name) override
        {
            return watched(ForwardingHeldFolder::createTemporary(permissions, name), true);
        }

    private:
        std::unique_ptr<ByteSink> watched(std::unique_ptr<ByteSink> sink, bool temporary) const
        {
            if (temporary != m_fs.m_intoTemporary)
                return sink;
            return std::make_unique<Sink>(std::move(sink), m_fs.m_signals);
        }
        const SignalsOnFirstWrite& m_fs;
    };

    std::unique_ptr<HeldFolder> hold(std::unique_ptr<HeldFolder> locked) override
    {
        return std::make_unique<Folder>(std::move(locked), *this);
    }

    std::vector<int> m_signals;
    bool m_intoTemporary;
};

TEST(RealFaults, ASecondStopEndsTheProgramAtOnceAndRemovesTheUnfinishedFileFirst)
{
    // A contact larger than a split holds is written through a temporary file.
    const std::string large = "BEGIN:VCARD\r\nNOTE:" + std::string(5u << 20, 'x') + "\r\nEND:VCARD\r\n" + threeCards;
    const struct {
        const char* name;
        std::vector<std::string> command; // "FILE" and "OTHER" stand for the inputs
        std::string input;
        bool intoTemporary;
        std::vector<int> signals;
        int status;
    } cases[] = {
        { "split, while a contact is written",
            { "split", "FILE" },
            threeCards,
            false,
            { SIGINT, SIGINT },
            128 + SIGINT },
        { "split, a contact too large to hold", { "split", "FILE" }, large, true, { SIGTERM, SIGINT }, 128 + SIGINT },
        { "export", { "export", "FILE" }, threeCards, true, { SIGHUP, SIGHUP }, 128 + SIGHUP },
        { "recombine", { "recombine", "FILE", "OTHER" }, threeCards, true, { SIGINT, SIGTERM }, 128 + SIGTERM },
        // Killed outright, the job leaves its temporary; the next job in the folder removes it.
        { "export, killed", { "export", "FILE" }, threeCards, true, { SIGKILL }, 128 + SIGKILL },
        { "recombine, killed", { "recombine", "FILE", "OTHER" }, threeCards, true, { SIGKILL }, 128 + SIGKILL },
    };
    for (const auto& c : cases) {
        test::TempFolder dir;
        std::vector<std::string> args;
        for (const std::string& arg : c.command)
            args.push_back(arg == "FILE" ? dir.write("all.vcf", c.input)
                    : arg == "OTHER"     ? dir.write("b.vcf", c.input)
                                         : arg);
        SignalsOnFirstWrite fs(c.signals, c.intoTemporary);
        const CliRun run = runCliInChild(
            args,
            [] {
                installStopHandlers();
                return true;
            },
            fs);
        EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err;

        const std::string output = args[0] == "recombine" ? dir.path() : dir.file("Split-vCards");
        std::vector<std::string> unfinished;
        for (const std::string& name : test::listFolder(output)) {
            if (name != "all.vcf" && name != "b.vcf" && name != "Split-vCards")
                unfinished.push_back(name);
        }
        if (c.signals.back() != SIGKILL) {
            EXPECT_EQ(unfinished, std::vector<std::string> {}) << c.name;
            continue;
        }
        ASSERT_EQ(unfinished.size(), 1u) << c.name;
        EXPECT_TRUE(isTemporaryName(unfinished[0])) << c.name << ": " << unfinished[0];
        EXPECT_EQ(runCliHere(args).status, exitSuccess) << c.name;
        for (const std::string& name : test::listFolder(output))
            EXPECT_FALSE(isTemporaryName(name)) << c.name << ": " << name << " was left";
    }
}

/// The memory a process holds now, in kilobytes.
long residentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

TEST(RealFaults, MemoryStaysBoundedWhateverTheLinesAndContacts)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer keeps freed memory in quarantine";
#else
    // Each file is far larger than the memory the jobs may take on top of what the process has.
    constexpr std::size_t size = 16u << 20;
    constexpr long allowedKilobytes = 14 * 1024;
    test::TempFolder dir;
    const struct {
        const char* name;
        std::string text;
    } files[] = {
        { "one-line.vcf", threeCards + "BEGIN:VCARD\r\nNOTE:" + std::string(size, 'x') + "\r\nEND:VCARD\r\n" },
        { "line-feeds.vcf", threeCards + "BEGIN:VCARD\r\nFN:A\r\n" + std::string(size, '\n') + "END:VCARD\r\n" },
        { "no-line-end.vcf", std::string(size, '\0') },
        { "name-line.vcf", threeCards + "BEGIN:VCARD\r\nFN:" + std::string(size, 'n') + "\r\nEND:VCARD\r\n" },
    };
    for (const auto& file : files) {
        const std::string source = dir.write(file.name, file.text);
        for (const std::vector<std::string>& args :
            std::vector<std::vector<std::string>> { { "split", "--naming=contact", source }, { "export", source } }) {
            const long before = residentKilobytes();
            rusage usage {};
            const CliRun run = runCliInChild(args, [] { return true; });
            ::getrusage(RUSAGE_CHILDREN, &usage);
            EXPECT_LE(run.status, exitNothingOrFailed) << file.name << " " << args[0] << ": " << run.err;
            EXPECT_LT(usage.ru_maxrss - before, allowedKilobytes) << file.name << " " << args[0];
        }
        std::filesystem::remove_all(dir.file("Split-vCards"));
        std::filesystem::remove(source);
    }
#endif
}

/// How a child process gives up the rights of root, which may read and write every file: it runs as the
/// user "nobody". Not root: nothing to give up. Empty when the tests run as root and there is no such user.
std::function<bool()> unprivileged()
{
    if (::geteuid() != 0)
        return [] { return true; };
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr)
        return {};
    const uid_t uid = nobody->pw_uid;
    const gid_t gid = nobody->pw_gid;
    return [uid, gid] { return ::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0; };
}

TEST(RealFaults, AnUnreadableInputEndsTheJobWithExitThreeAndCreatesNothing)
{
    const auto dropRights = unprivileged();
    if (!dropRights)
        GTEST_SKIP() << "running as root and there is no user 'nobody' to run the check as";
    test::TempFolder dir;
    const std::string source = dir.write("all.vcf", threeCards);
    ::chmod(source.c_str(), 0);
    ::chmod(dir.path().c_str(), 0777);
    for (const char* command : { "split", "export" }) {
        const CliRun run = runCliInChild({ command, source }, dropRights);
        EXPECT_EQ(run.status, exitFileError) << command << ": " << run.err;
        EXPECT_EQ(run.err, failureText(command, "cannot open file '" + source + "': Permission denied")) << command;
        EXPECT_FALSE(std::filesystem::exists(dir.file("Split-vCards"))) << command;
    }
}

TEST(RealFaults, AFolderWithoutWriteAccessEndsTheJobWithExitThree)
{
    const auto dropRights = unprivileged();
    if (!dropRights)
        GTEST_SKIP() << "running as root and there is no user 'nobody' to run the check as";
    struct Case {
        const char* command;
        bool outputFolder; // the Split-vCards folder is there (without write access); else the input's folder
        std::string refused; // the path in the message, beside the folder
    };
    const std::vector<Case> cases = {
        { "split", false, "Split-vCards" },
        { "split", true, "Split-vCards/contact0001.vcf" },
        { "export", true, "Split-vCards/Contacts_Export.csv" },
        { "recombine", false, recombinedFileName(localToday()) },
    };
    for (const Case& c : cases) {
        test::TempFolder dir;
        const std::string source = dir.write("all.vcf", threeCards);
        const std::string other = dir.write("b.vcf", threeCards);
        if (c.outputFolder) {
            std::filesystem::create_directory(dir.file("Split-vCards"));
            ::chmod(dir.file("Split-vCards").c_str(), 0555);
        }
        ::chmod(dir.path().c_str(), c.outputFolder ? 0777 : 0555);
        std::vector<std::string> args = { c.command, source };
        if (std::string(c.command) == "recombine")
            args.push_back(other);

        const CliRun run = runCliInChild(args, dropRights);
        EXPECT_EQ(run.status, exitFileError) << c.refused << ": " << run.err;
        EXPECT_NE(run.err.find("\ncannot create "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("'" + dir.file(c.refused)), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("': Permission denied\n"), std::string::npos) << run.err;
        EXPECT_EQ(test::readFile(source), threeCards);
        const auto names = test::listFolder(dir.path());
        EXPECT_EQ(names.size(), c.outputFolder ? 3u : 2u) << c.refused;
        if (c.outputFolder) {
            EXPECT_TRUE(test::listFolder(dir.file("Split-vCards")).empty()) << c.refused;
        }
        ::chmod(dir.path().c_str(), 0700);
    }
}

TEST(RealFaults, ARelativePathFromADeletedCurrentFolderEndsWithExitThree)
{
    test::TempFolder dir;
    const std::string gone = dir.file("gone");
    std::filesystem::create_directory(gone);
    const CliRun run = runCliInChild({ "split", "contacts.vcf" }, [&gone] {
        // The folder the command was started in no longer exists.
        return ::chdir(gone.c_str()) == 0 && ::rmdir(gone.c_str()) == 0;
    });
    EXPECT_EQ(run.status, exitFileError);
    EXPECT_EQ(run.err, "tessely-cli: cannot open file './contacts.vcf': No such file or directory\n");
}

TEST(RealFaults, RelativeFilesInAWorkingFolderAsDeepAsThePathLimitOrDeeper)
{
    // Working folders whose path is a few characters short of the system's limit (the outputs' paths go
    // beyond it) and far beyond it; each job is given its files by bare name.
    for (const std::size_t depth : { std::size_t { PATH_MAX } - 20, std::size_t { PATH_MAX } + 600 }) {
        test::TempFolder dir;
        std::string deep = dir.path();
        int at = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        while (deep.size() < depth) {
            const std::string step(std::min<std::size_t>(200, depth - deep.size() - 1), 'd');
            ASSERT_EQ(::mkdirat(at, step.c_str(), 0700), 0);
            const int next = ::openat(at, step.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(at);
            at = next;
            deep += "/" + step;
        }
        for (const char* name : { "all.vcf", "b.vcf" }) {
            const int file = ::openat(at, name, O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
            ASSERT_EQ(::write(file, threeCards.data(), threeCards.size()), static_cast<ssize_t>(threeCards.size()));
            ::close(file);
        }
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>> {
                 { "split", "all.vcf" }, { "export", "all.vcf" }, { "recombine", "all.vcf", "b.vcf" } }) {
            const CliRun run = runCliInChild(args, [at] { return ::fchdir(at) == 0; });
            EXPECT_EQ(run.status, exitSuccess) << depth << " " << args[0] << ": " << run.err;
        }
        struct stat info {
        };
        for (const std::string& output : { std::string("Split-vCards/contact0003.vcf"),
                 std::string("Split-vCards/Contacts_Export.csv"),
                 recombinedFileName(localToday()) })
            EXPECT_EQ(::fstatat(at, output.c_str(), &info, 0), 0) << depth << " " << output;
        ::close(at);
    }
}

} // namespace
} // namespace tessely
