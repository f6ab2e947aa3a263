#include "StopSignals.h"
#include "platform/FileSystem.h"

#include <atomic>
#include <cstdlib>
#include <windows.h>

namespace tessely
{
namespace
{

// The console's requests answer to the POSIX signals a terminal sends, so the exit statuses match.
constexpr int hangUp = 1;
constexpr int interrupt = 2;
constexpr int terminate = 15;

std::atomic<int> received { 0 };
std::atomic<bool> finished { false };

BOOL WINAPI onConsoleEvent(DWORD event)
{
    int signal = 0;
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        signal = interrupt;
        break;
    case CTRL_CLOSE_EVENT:
        signal = hangUp;
        break;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        signal = terminate;
        break;
    default:
        return FALSE;
    }
    int none = 0;
    // A second request goes on to the system's handler, which ends the program at once; the files the job
    // has begun are removed first, since they would never be completed.
    if (!received.compare_exchange_strong(none, signal)) {
        removeUnfinishedFiles();
        return FALSE;
    }
    if (signal == interrupt)
        return TRUE;
    // The system ends the process as soon as this returns, 5 seconds after the request at the latest: the
    // job gets that time to stop and remove its unfinished file.
    for (int waited = 0; !finished && waited < 4500; waited += 20)
        ::Sleep(20);
    return TRUE;
}

void markFinished()
{
    finished = true;
}

} // namespace

void installStopHandlers()
{
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    std::atexit(markFinished);
}

int stopSignal()
{
    return received;
}

} // namespace tessely
