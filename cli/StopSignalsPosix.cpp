#include "StopSignals.h"
#include "platform/FileSystem.h"

#include <csignal>
#include <initializer_list>

namespace tessely
{
namespace
{

volatile std::sig_atomic_t received = 0;

extern "C" void onStopRequest(int signal)
{
    if (received == 0) {
        received = signal;
        return;
    }
    // A second request ends the program at once, as the system's default would, but first removes the
    // files the job has begun: they would never be completed, and nobody else knows their names.
    removeUnfinishedFiles();
    std::signal(signal, SIG_DFL);
    // Blocked while this handler runs, the signal comes again as it returns, and ends the program.
    std::raise(signal);
}

} // namespace

void installStopHandlers()
{
    struct sigaction action {
    };
    action.sa_handler = onStopRequest;
    sigemptyset(&action.sa_mask);
    // One request at a time: a second one never interrupts the handling of the first.
    for (const int signal : { SIGINT, SIGTERM, SIGHUP })
        sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESTART;
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
