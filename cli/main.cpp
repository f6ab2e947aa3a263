#include "Cli.h"

#include <csignal>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    // A file-size limit then shows up as a write error with its reason instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    tessely::CliEnvironment env { tessely::localFileSystem(), std::cout, std::cerr };
    env.showProgress = ::isatty(STDERR_FILENO) != 0;
    const int status = tessely::runCli(args, env);
    std::cout.flush();
    return status;
}
