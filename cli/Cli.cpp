#include "Cli.h"

#include "controller/RunOperation.h"
#include "platform/FileError.h"
#include "platform/Paths.h"
#include "platform/Version.h"

#include <chrono>
#include <filesystem>
#include <ostream>

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
  3  a file that cannot be read or written
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
        return true;
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
    CliUi(CliEnvironment& env, std::string selection)
        : m_env(env)
        , m_selection(std::move(selection))
    {
    }

    std::string showOpen(const DialogSetup& /*setup*/) override
    {
        return m_selection;
    }
    void showMessage(const Message& message) override
    {
        std::ostream& stream = message.style == MessageStyle::Information ? m_env.out : m_env.err;
        stream << message.title << '\n' << toNewlines(message.text) << '\n' << std::flush;
    }

    static std::string toNewlines(std::string text)
    {
        std::string out;
        out.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                continue;
            out.push_back(text[i]);
        }
        return out;
    }

private:
    CliEnvironment& m_env;
    std::string m_selection;
};

int usageError(CliEnvironment& env, const std::string& problem)
{
    env.err << "tessely-cli: " << problem << "\nTry 'tessely-cli --help' for more information.\n";
    return exitUsage;
}

/// The folder that relative paths are taken from. When the current folder is gone, relative paths stay
/// relative, and opening them reports the system's reason.
std::filesystem::path baseFolder(const CliEnvironment& env)
{
    if (!env.workingFolder.empty())
        return env.workingFolder;
    std::error_code gone;
    return std::filesystem::current_path(gone);
}

std::string absolutePath(const std::filesystem::path& base, const std::string& file)
{
    std::filesystem::path path(file);
    if (path.is_relative())
        path = base / path;
    return path.lexically_normal().string();
}

/// Checks that `path` is a readable regular file; throws FileError with the system's reason otherwise.
void requireInputFile(FileSystem& fs, const std::string& path)
{
    if (fs.fileExists(path))
        return;
    fs.openRead(path); // throws with the system's reason when nothing readable is there
    throw FileError("cannot open file", path, std::make_error_code(std::errc::is_a_directory));
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

    try {
        // Asked once: a recombine of thousands of files would otherwise ask the system for every one.
        const std::filesystem::path base = baseFolder(env);
        std::string selection;
        if (kind == OperationKind::Recombine) {
            if (files.empty())
                return usageError(env, "recombine needs the files to join");
            std::string folder;
            std::string names;
            for (const std::string& file : files) {
                const std::string path = absolutePath(base, file);
                const std::string parent = GetParentFolderName(path);
                if (folder.empty())
                    folder = parent;
                else if (parent != folder)
                    return usageError(env, "the files to recombine must all be in one folder");
                requireInputFile(env.fs, path);
                names += '\0';
                names += path.substr(parent.size() + 1);
            }
            // One file is handed over as its full path, as the open dialog does; the controller refuses it.
            selection = files.size() == 1 ? absolutePath(base, files[0]) : folder + names;
        } else {
            if (files.size() != 1)
                return usageError(env, command + " needs exactly one FILE");
            selection = absolutePath(base, files[0]);
            requireInputFile(env.fs, selection);
        }

        CliUi ui(env, selection);
        CliHost host(env, nameFromContact);
        switch (RunOperation(kind, ui, env.fs, host)) {
        case Outcome::Succeeded:
            return exitSuccess;
        case Outcome::Cancelled:
        case Outcome::NothingToProcess:
        case Outcome::Failed:
        case Outcome::Stopped:
            return exitNothingOrFailed;
        }
        return exitNothingOrFailed;
    } catch (const FileError& error) {
        env.err << "tessely-cli: " << error.what() << '\n';
        return exitFileError;
    }
}

} // namespace tessely
