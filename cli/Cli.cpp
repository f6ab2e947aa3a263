#include "Cli.h"

#include "controller/RunOperation.h"
#include "platform/FileError.h"
#include "platform/Paths.h"
#include "platform/Version.h"

#include <chrono>
#include <filesystem>
#include <ostream>
#include <system_error>

namespace tessely
{
namespace
{

constexpr const char* usageText = R"(Usage: tessely-cli COMMAND [OPTIONS] FILE...

Split a multi-contact vCard file into one file per contact, join vCard files
back into one, or export every raw field of a vCard file into a CSV table.

Commands:
  split [--naming=number|contact] FILE
                     write each contact of FILE to its own file in the
                     Split-vCards folder beside FILE (contact0001.vcf, ...)
  export FILE        write Split-vCards/Contacts_Export.csv beside FILE
  recombine FILE FILE [FILE...]
                     join files of one folder, in the order given, into
                     mm-dd-yyyy_CONBINED_CONTACTS.vcf in that folder

Options:
  -h, --help         show this help (COMMAND --help: that command's help)
  --version          show the version

Example:
  tessely-cli split --naming=contact ~/phone/contacts.vcf
)";

constexpr const char* exitStatusText = R"(
Exit status:
  0  success
  1  nothing to process (fewer than two contacts or files), or the job failed
  2  bad usage
  3  a file or folder that cannot be read or written
  129, 130, 143  stopped by SIGHUP, SIGINT or SIGTERM
)";

constexpr const char* splitHelp = R"(Usage: tessely-cli split [--naming=number|contact] FILE

Write each contact of FILE to a file of its own in the Split-vCards folder
beside FILE.

Options:
  --naming=number    name the files contact0001.vcf, contact0002.vcf, ...
                     (the default)
  --naming=contact   name each file from the contact's formatted name, name,
                     title or e-mail address; a taken name gets "-#1", "-#2"...
  -h, --help         show this help

Example:
  tessely-cli split --naming=number contacts.vcf
)";

constexpr const char* exportHelp = R"(Usage: tessely-cli export FILE

Write every raw field of the contacts in FILE into the table
Split-vCards/Contacts_Export.csv beside FILE: one column per distinct field
name, one row per contact.

Options:
  -h, --help         show this help

Example:
  tessely-cli export contacts.vcf
)";

constexpr const char* recombineHelp = R"(Usage: tessely-cli recombine FILE FILE [FILE...]

Join vCard files of one folder, in the order given, into the file
mm-dd-yyyy_CONBINED_CONTACTS.vcf (today's date) in that folder, with an empty
line between two files. The files must all be in one folder.

Options:
  -h, --help         show this help

Example:
  tessely-cli recombine Split-vCards/contact0001.vcf Split-vCards/contact0002.vcf
)";

/// Reports progress on the terminal at most ten times a second, so a fast job is not slowed by drawing.
class CliHost final : public JobHost
{
public:
    CliHost(CliEnvironment& env, bool nameFromContact)
        : m_env(env)
        , m_nameFromContact(nameFromContact)
    {
    }

    void showStatus(bool visible) override
    {
        if (!visible && m_drawn) {
            m_env.err << "\r\x1b[K" << std::flush;
            m_drawn = false;
        }
    }
    void setStatus(std::uint64_t number) override
    {
        if (!m_env.showProgress)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (m_drawn && now - m_lastDraw < std::chrono::milliseconds(100))
            return;
        m_lastDraw = now;
        m_drawn = true;
        m_env.err << '\r' << statusCaption(number) << std::flush;
    }
    bool yield() override
    {
        return !stopRequested();
    }
    bool stopRequested() override
    {
        return m_env.stopSignal != nullptr && m_env.stopSignal() != 0;
    }
    bool nameFromContact() override
    {
        return m_nameFromContact;
    }
    Date today() override
    {
        return m_env.today();
    }

private:
    CliEnvironment& m_env;
    bool m_nameFromContact;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_lastDraw;
};

/// Hands the command line's selection to the controller and prints its messages: the title on the first
/// line, then the text.
class CliUi final : public OperationUi
{
public:
    CliUi(CliEnvironment& env, Selection selection)
        : m_env(env)
        , m_selection(std::move(selection))
    {
    }

    Selection showOpen(const DialogSetup& /*setup*/) override
    {
        return m_selection;
    }
    void showMessage(const Message& message) override
    {
        std::ostream& stream = message.icon == MessageIcon::Information ? m_env.out : m_env.err;
        stream << message.title << '\n' << message.text() << '\n' << std::flush;
    }

private:
    CliEnvironment& m_env;
    Selection m_selection;
};

int usageError(CliEnvironment& env, const std::string& problem)
{
    env.err << "tessely-cli: " << problem << "\nTry 'tessely-cli --help' for more information.\n";
    return exitUsage;
}

/// The folder that relative paths are taken from. When the current folder is gone, relative paths stay
/// relative, and opening them reports the system's reason.
std::string baseFolder(const CliEnvironment& env)
{
    if (!env.workingFolder.empty())
        return env.workingFolder;
    std::error_code gone;
    const std::filesystem::path current = std::filesystem::current_path(gone);
    // A folder that was deleted may still be reported by some name; only one that is still this process's
    // folder is used.
    if (gone || !std::filesystem::equivalent(current, ".", gone) || gone)
        return {};
    return current.u8string();
}

/// The file's path as given, put after the base folder when it is relative. Nothing else is changed: "." and
/// ".." are left for the system to resolve after the links before them, as it does when it opens the file.
std::string absolutePath(const std::string& base, const std::string& file)
{
    if (base.empty() || !isRelativePath(file))
        return file;
    return joinPath(base, file);
}

/// Checks that a regular file is at `path`; throws FileError with the reason otherwise.
void requireInputFile(FileSystem& fs, const std::string& path)
{
    switch (fs.kindOf(path)) {
    case PathKind::File:
        return;
    case PathKind::Folder:
    case PathKind::Other:
        throw FileError("cannot open file", path, FileErrc::NotRegularFile);
    case PathKind::None:
    case PathKind::BrokenLink:
        fs.openRead(path); // throws with the system's reason
        throw FileError("cannot open file", path, std::make_error_code(std::errc::no_such_file_or_directory));
    }
}

/// The selection of the files to recombine. They must be in one folder: their parent folders, links
/// resolved, must be the same; the selection's folder is the first file's, as given.
Selection recombineSelection(FileSystem& fs, const std::string& base, const std::vector<std::string>& files)
{
    Selection selection;
    std::string realFolder;
    // Files are mostly given in one folder: its real path is asked for once per distinct spelling.
    std::string lastFolder;
    std::string lastReal;
    // Each file is checked when the job opens it: a file that cannot be read ends the job before the
    // combined file replaces anything.
    for (const std::string& file : files) {
        const std::string path = absolutePath(base, file);
        // A bare name, left relative when the current folder has no usable path, is in the current folder.
        const std::string folder = Selection::ofPath(path).folder;
        if (folder != lastFolder || lastReal.empty()) {
            lastFolder = folder;
            lastReal = fs.realFolder(openableFolder(folder));
        }
        const std::string& real = lastReal;
        if (selection.names.empty()) {
            selection.folder = folder;
            realFolder = real;
        } else if (real != realFolder) {
            return {};
        }
        selection.names.push_back(GetFileName(path));
    }
    return selection;
}

/// The exit status for how the controller said the command ended.
int exitStatusFor(Outcome outcome, const CliEnvironment& env)
{
    switch (outcome) {
    case Outcome::Succeeded:
        return exitSuccess;
    case Outcome::FileFailed:
        return exitFileError;
    case Outcome::Stopped:
        if (env.stopSignal != nullptr && env.stopSignal() != 0)
            return 128 + env.stopSignal();
        return exitNothingOrFailed;
    case Outcome::Cancelled:
    case Outcome::NothingToProcess:
    case Outcome::Failed:
        return exitNothingOrFailed;
    }
    return exitNothingOrFailed;
}

bool isHelp(const std::string& arg)
{
    return arg == "--help" || arg == "-h";
}

} // namespace

int runCli(const std::vector<std::string>& args, CliEnvironment& env)
{
    if (args.empty())
        return usageError(env, "missing command");
    const std::string& command = args[0];
    if (isHelp(command) || command == "help") {
        env.out << usageText << exitStatusText;
        return exitSuccess;
    }
    if (command == "--version") {
        env.out << "tessely " << versionText << '\n';
        return exitSuccess;
    }

    OperationKind kind {};
    const char* help = nullptr;
    if (command == "split") {
        kind = OperationKind::Split;
        help = splitHelp;
    } else if (command == "export") {
        kind = OperationKind::Export;
        help = exportHelp;
    } else if (command == "recombine") {
        kind = OperationKind::Recombine;
        help = recombineHelp;
    } else {
        return usageError(env, "unknown command '" + command + "'");
    }

    bool nameFromContact = false;
    std::vector<std::string> files;
    bool optionsDone = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsDone && isHelp(arg)) {
            env.out << help << exitStatusText;
            return exitSuccess;
        }
        if (!optionsDone && arg == "--") {
            optionsDone = true;
        } else if (!optionsDone && kind == OperationKind::Split && arg.rfind("--naming=", 0) == 0) {
            const std::string naming = arg.substr(9);
            if (naming == "number")
                nameFromContact = false;
            else if (naming == "contact")
                nameFromContact = true;
            else
                return usageError(env, "unknown naming '" + naming + "' (use number or contact)");
        } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
            return usageError(env, "unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }

    for (const std::string& file : files) {
        if (file.empty())
            return usageError(env, "a FILE must not be empty");
    }
    if (kind == OperationKind::Recombine && files.empty())
        return usageError(env, "recombine needs the files to join");
    if (kind != OperationKind::Recombine && files.size() != 1)
        return usageError(env, command + " needs exactly one FILE");

    Selection selection;
    try {
        // Asked once: a recombine of thousands of files would otherwise ask the system for every one.
        const std::string base = baseFolder(env);
        if (kind == OperationKind::Recombine) {
            selection = recombineSelection(env.fs, base, files);
            if (selection.empty())
                return usageError(env, "the files to recombine must all be in one folder");
        } else {
            selection = Selection::ofPath(absolutePath(base, files[0]));
            requireInputFile(env.fs, selection.path());
        }
    } catch (const FileError& error) {
        env.err << "tessely-cli: " << error.what() << '\n';
        return exitFileError;
    }

    CliUi ui(env, std::move(selection));
    CliHost host(env, nameFromContact);
    const int status = exitStatusFor(RunOperation(kind, ui, env.fs, host), env);
    // A message that could not be written (a full disk, a closed pipe) is a failure like any other.
    env.out.flush();
    if (!env.out) {
        env.err << "tessely-cli: cannot write the message to standard output\n";
        return status == exitSuccess ? exitFileError : status;
    }
    return status;
}

} // namespace tessely
