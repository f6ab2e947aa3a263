#include "Cli.h"

#include "controller/RunOperation.h"
#include "platform/FileError.h"
#include "platform/Paths.h"
#include "platform/Version.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <ostream>
#include <system_error>
#include <utility>

namespace tessely
{
namespace
{

// The help texts. Where Linux and Windows differ, "{/}" stands for the folder separator, "{help}" for the
// ways to ask for help, "{file}" for an example file with its folder and "{stop}" for the lines of the
// statuses of a stopped job; `helpText` puts in each system's own.
constexpr const char* usageText = R"(Usage: tessely-cli COMMAND [OPTIONS] FILE...

Split a multi-contact vCard file into one file per contact, join vCard files
back into one, or export every raw field of a vCard file into a CSV table or
an Excel workbook.

Commands:
  split [--naming=number|contact] FILE
                     write each contact of FILE to its own file in the
                     Split-vCards folder beside FILE (contact0001.vcf, ...)
  split [--per-file=N] [--max-size=SIZE] FILE
                     write the contacts of FILE, in order, into files of at
                     most N contacts or SIZE bytes (contacts0001-0250.vcf,
                     ...) in the Split-vCards folder beside FILE
  export [--format=csv|xlsx] FILE
                     write Split-vCards{/}Contacts_Export.csv (or .xlsx)
                     beside FILE
  recombine FILE FILE [FILE...]
                     join files of one folder, in the order given, into
                     mm-dd-yyyy_CONBINED_CONTACTS.vcf in that folder

Options:
  {help}show this help (COMMAND --help: that command's help)
  --version          show the version

Example:
  tessely-cli split --naming=contact {file}
)";

constexpr const char* exitStatusText = R"(
Exit status:
  0  success
  1  nothing to process (fewer than two contacts or files), or the job failed
  2  bad usage
  3  a file or folder that cannot be read or written
{stop})";

constexpr const char* splitHelp = R"(Usage: tessely-cli split [--naming=number|contact] FILE
       tessely-cli split [--per-file=N] [--max-size=SIZE] FILE

Write each contact of FILE to a file of its own in the Split-vCards folder
beside FILE, or the contacts in groups, for a service that takes one file
with a limited number of contacts or a limited size.

Options:
  --naming=number    name the files contact0001.vcf, contact0002.vcf, ...
                     (the default)
  --naming=contact   name each file from the contact's formatted name, name,
                     title or e-mail address; a taken name gets "-#1", "-#2"...
  --per-file=N       write N contacts to a file (a whole number from 1 up);
                     the last file holds the rest
  --max-size=SIZE    close a file before a contact would take it past SIZE:
                     bytes, or a number with K, M or G for units of 1024
                     (2.5M), at least 1K; a single contact larger than SIZE
                     gets a file of its own
                     Group files are named by their first and last contact:
                     contacts0001-0250.vcf, contacts0251-0500.vcf, ...
                     Both may be given: a file closes at whichever comes
                     first. Neither goes with --naming.
  {help}show this help

Example:
  tessely-cli split --naming=number contacts.vcf
  for a service that takes files of at most 2.5 MB and 1000 contacts:
  tessely-cli split --max-size=2.5M --per-file=1000 contacts.vcf
)";

constexpr const char* exportHelp = R"(Usage: tessely-cli export [--format=csv|xlsx] FILE

Write every raw field of the contacts in FILE into a table in the Split-vCards
folder beside FILE: one column per distinct field name, one row per contact.

Options:
  --format=csv       write Contacts_Export.csv (the default)
  --format=xlsx      write the same table as the Excel workbook
                     Contacts_Export.xlsx, every cell text as written; a cell
                     longer than a workbook holds (32,767 characters) is
                     shortened, and a table of more than 1,048,576 rows or
                     16,384 columns is refused: export it as CSV
  {help}show this help

Example:
  tessely-cli export --format=xlsx contacts.vcf
)";

constexpr const char* recombineHelp = R"(Usage: tessely-cli recombine FILE FILE [FILE...]

Join vCard files of one folder, in the order given, into the file
mm-dd-yyyy_CONBINED_CONTACTS.vcf (today's date) in that folder, with an empty
line between two files. The files must all be in one folder.

Options:
  {help}show this help

Example:
  tessely-cli recombine Split-vCards{/}contact0001.vcf Split-vCards{/}contact0002.vcf
)";

/// A help text in the conventions of the system it is shown on.
std::string helpText(std::string text, bool windows)
{
    const std::pair<const char*, const char*> words[] = {
        { "{/}", windows ? "\\" : "/" },
        { "{help}", windows ? "-h, --help, /?     " : "-h, --help         " },
        { "{file}", windows ? "C:\\Users\\Ann\\Documents\\contacts.vcf" : "~/phone/contacts.vcf" },
        { "{stop}",
            windows ? "  130  stopped by Ctrl+C or Ctrl+Break\n"
                      "  129  stopped by closing the console window\n"
                      "  143  stopped by signing out or shutting down\n"
                    : "  129, 130, 143  stopped by SIGHUP, SIGINT or SIGTERM\n" },
    };
    for (const auto& [token, word] : words)
        for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at))
            text.replace(at, std::string_view(token).size(), word);
    return text;
}

/// Reports progress on the terminal at most ten times a second, so a fast job is not slowed by drawing.
class CliHost final : public JobHost
{
public:
    explicit CliHost(CliEnvironment& env)
        : m_env(env)
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
    Date today() override
    {
        return m_env.today();
    }

private:
    CliEnvironment& m_env;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_lastDraw;
};

/// Prints the controller's messages: the title on the first line, then the text; a success on standard
/// output, anything else on standard error.
class CliMessages final : public MessageSink
{
public:
    explicit CliMessages(CliEnvironment& env)
        : m_env(env)
    {
    }

    void showMessage(const Message& message) override
    {
        std::ostream& stream = message.icon == MessageIcon::Information ? m_env.out : m_env.err;
        stream << message.title << '\n' << message.text() << '\n' << std::flush;
    }

private:
    CliEnvironment& m_env;
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

/// The file's path as given, put after the base folder when it is relative. With Windows conventions every
/// "/" becomes "\", so the paths in messages read as Windows writes them. Nothing else is changed: "." and
/// ".." are left for the system to resolve after the links before them, as it does when it opens the file.
std::string absolutePath(const CliEnvironment& env, const std::string& base, const std::string& file)
{
    std::string path = base.empty() || !isRelativePath(file) ? file : joinPath(base, file);
    if (env.windows)
        std::replace(path.begin(), path.end(), '/', '\\');
    return path;
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
Selection recombineSelection(const CliEnvironment& env, const std::string& base, const std::vector<std::string>& files)
{
    Selection selection;
    std::string realFolder;
    // Files are mostly given in one folder: its real path is asked for once per distinct spelling.
    std::string lastFolder;
    std::string lastReal;
    // Each file is checked when the job opens it: a file that cannot be read ends the job before the
    // combined file replaces anything.
    for (const std::string& file : files) {
        const std::string path = absolutePath(env, base, file);
        // A bare name, left relative when the current folder has no usable path, is in the current folder.
        const std::string folder = Selection::ofPath(path).folder;
        if (folder != lastFolder || lastReal.empty()) {
            lastFolder = folder;
            lastReal = env.fs.realFolder(openableFolder(folder));
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
    case Outcome::NothingToProcess:
    case Outcome::Failed:
        return exitNothingOrFailed;
    }
    return exitNothingOrFailed;
}

bool isHelp(const CliEnvironment& env, const std::string& arg)
{
    return arg == "--help" || arg == "-h" || (env.windows && arg == "/?");
}

/// The status of a run whose messages are all written: a message that could not be written (a full disk,
/// a closed pipe) is a failure like any other.
int finish(CliEnvironment& env, int status)
{
    env.out.flush();
    if (!env.out) {
        env.err << "tessely-cli: cannot write the message to standard output\n";
        return status == exitSuccess ? exitFileError : status;
    }
    return status;
}

/// Shows a help text, the exit statuses after it.
int showHelp(CliEnvironment& env, const char* text)
{
    env.out << helpText(text, env.windows) << helpText(exitStatusText, env.windows);
    return finish(env, exitSuccess);
}

} // namespace

int runCli(const std::vector<std::string>& args, CliEnvironment& env)
{
    if (args.empty())
        return usageError(env, "missing command");
    const std::string& command = args[0];
    if (isHelp(env, command) || command == "help")
        return showHelp(env, usageText);
    if (command == "--version") {
        env.out << "tessely " << versionText << '\n';
        return finish(env, exitSuccess);
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

    OperationRequest request;
    request.kind = kind;
    std::vector<std::string> files;
    bool optionsDone = false;
    bool namingGiven = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsDone && isHelp(env, arg))
            return showHelp(env, help);
        if (!optionsDone && arg == "--") {
            optionsDone = true;
        } else if (!optionsDone && kind == OperationKind::Split && arg.rfind("--naming=", 0) == 0) {
            const std::string naming = arg.substr(9);
            namingGiven = true;
            if (naming == "number")
                request.naming = SplitNaming::Numbered;
            else if (naming == "contact")
                request.naming = SplitNaming::FromContact;
            else
                return usageError(env, "unknown naming '" + naming + "' (use number or contact)");
        } else if (!optionsDone && kind == OperationKind::Split && arg.rfind("--per-file=", 0) == 0) {
            const std::string count = arg.substr(11);
            const auto read = std::from_chars(count.data(), count.data() + count.size(), request.groups.perFile);
            if (count.empty() || read.ec != std::errc() || read.ptr != count.data() + count.size()
                || request.groups.perFile == 0)
                return usageError(env, "--per-file needs a whole number of contacts from 1 up, not '" + count + "'");
        } else if (!optionsDone && kind == OperationKind::Split && arg.rfind("--max-size=", 0) == 0) {
            const std::string size = arg.substr(11);
            const std::optional<std::uint64_t> bytes = parseSize(size);
            if (!bytes || *bytes < 1024)
                return usageError(env,
                    "--max-size needs a size of at least 1K (1024 bytes): bytes, or a number with K, M or G "
                    "(2.5M), not '"
                        + size + "'");
            request.groups.largestBytes = *bytes;
        } else if (!optionsDone && command == "export" && arg.rfind("--format=", 0) == 0) {
            const std::string format = arg.substr(9);
            if (format == "csv")
                request.kind = OperationKind::Export;
            else if (format == "xlsx")
                request.kind = OperationKind::ExportWorkbook;
            else
                return usageError(env, "unknown format '" + format + "' (use csv or xlsx)");
        } else if (!optionsDone && arg.size() > 1 && arg[0] == '-') {
            return usageError(env, "unknown option '" + arg + "'");
        } else {
            files.push_back(arg);
        }
    }

    if (request.groups.perFile != 0 || request.groups.largestBytes != 0) {
        if (namingGiven)
            return usageError(env,
                "--per-file and --max-size do not go with --naming: files of several contacts are named by "
                "their first and last contact");
        request.kind = OperationKind::SplitGroups;
    }
    for (const std::string& file : files) {
        if (file.empty())
            return usageError(env, "a FILE must not be empty");
    }
    if (kind == OperationKind::Recombine && files.empty())
        return usageError(env, "recombine needs the files to join");
    if (kind != OperationKind::Recombine && files.size() != 1)
        return usageError(env, command + " needs exactly one FILE");

    try {
        // Asked once: a recombine of thousands of files would otherwise ask the system for every one.
        const std::string base = baseFolder(env);
        if (kind == OperationKind::Recombine) {
            request.selection = recombineSelection(env, base, files);
            if (request.selection.empty())
                return usageError(env, "the files to recombine must all be in one folder");
        } else {
            request.selection = Selection::ofPath(absolutePath(env, base, files[0]));
            requireInputFile(env.fs, request.selection.path());
        }
    } catch (const FileError& error) {
        env.err << "tessely-cli: " << error.what() << '\n';
        return exitFileError;
    }

    CliMessages messages(env);
    CliHost host(env);
    return finish(env, exitStatusFor(RunOperation(request, messages, env.fs, host), env));
}

} // namespace tessely
