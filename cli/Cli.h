#ifndef TESSELY_CLI_CLI_H
#define TESSELY_CLI_CLI_H

#include "platform/FileSystem.h"
#include "platform/JobHost.h"
#include "platform/Paths.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace tessely
{

/// Exit statuses of tessely-cli.
enum ExitStatus : int {
    exitSuccess = 0,
    exitNothingOrFailed = 1,
    exitUsage = 2,
    exitFileError = 3,
};

/// Everything tessely-cli touches, so that it runs in-process in tests.
struct CliEnvironment {
    CliEnvironment(FileSystem& files, std::ostream& output, std::ostream& errors)
        : fs(files)
        , out(output)
        , err(errors)
    {
    }

    FileSystem& fs;
    std::ostream& out;
    std::ostream& err;
    /// Draw a live "Processing N" line on `err` (when it is a terminal).
    bool showProgress = false;
    /// Today's date for the recombined file's name.
    Date (*today)() = localToday;
    /// The folder that relative paths are taken from; empty means the process's current folder.
    std::string workingFolder;
    /// The signal that asked the running job to stop, 0 while none did; none when not set.
    int (*stopSignal)() = nullptr;
    /// Windows conventions: "/?" asks for help, the help shows Windows paths and words, and the paths in
    /// messages use "\" whatever separator was typed. On by default on Windows.
    bool windows = pathSeparator == '\\';
};

/// Runs tessely-cli with `args` (the program name excluded) and gives the exit status: those above, or 128
/// plus the number of the signal that stopped the job.
int runCli(const std::vector<std::string>& args, CliEnvironment& env);

} // namespace tessely

#endif
