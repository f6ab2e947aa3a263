#include "StopSignals.h"

#include <csignal>
#include <initializer_list>

namespace tessely
{
namespace
{

volatile std::sig_atomic_t received = 0;

extern "C" void rememberStop(int signal)
{
    if (received == 0)
        received = signal;
}

} // namespace

void installStopHandlers()
{
    struct sigaction action {
    };
    action.sa_handler = rememberStop;
    sigemptyset(&action.sa_mask);
    // SA_RESETHAND: the first request stops the job; a second one ends the program the usual way.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    for (const int signal : { SIGINT, SIGTERM, SIGHUP })
        sigaction(signal, &action, nullptr);
    // A file-size limit then shows up as a write error with its reason instead of killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

int stopSignal()
{
    return received;
}

} // namespace tessely
