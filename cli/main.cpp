#include "Cli.h"
#include "StopSignals.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    tessely::installStopHandlers();
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    tessely::CliEnvironment env { tessely::localFileSystem(), std::cout, std::cerr };
    env.showProgress = ::isatty(STDERR_FILENO) != 0;
    env.stopSignal = tessely::stopSignal;
    return tessely::runCli(args, env);
}
