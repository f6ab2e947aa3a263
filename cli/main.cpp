#include "Cli.h"
#include "StopSignals.h"

#include <iostream>

#ifdef _WIN32
#include "WindowsConsole.h"
#include "platform/WideText.h"

#include <windows.h>
#else
#include <unistd.h>
#endif

namespace
{

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool interactive)
{
    tessely::CliEnvironment env { tessely::localFileSystem(), out, err };
    env.showProgress = interactive;
    env.stopSignal = tessely::stopSignal;
    return tessely::runCli(args, env);
}

} // namespace

#ifdef _WIN32
// The arguments come in UTF-16 and are handed on in UTF-8, the program's encoding for text and paths.
int wmain(int argc, wchar_t** argv)
{
    tessely::installStopHandlers();
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(tessely::toUtf8(argv[i]));
    tessely::WindowsConsoleStream out(STD_OUTPUT_HANDLE, std::cout);
    tessely::WindowsConsoleStream err(STD_ERROR_HANDLE, std::cerr);
    return run(args, out.stream(), err.stream(), err.isInteractive());
}
#else
int main(int argc, char** argv)
{
    tessely::installStopHandlers();
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return run(args, std::cout, std::cerr, ::isatty(STDERR_FILENO) != 0);
}
#endif
