#ifndef TESSELY_CLI_STOPSIGNALS_H
#define TESSELY_CLI_STOPSIGNALS_H

namespace tessely
{

/// Makes the requests to stop that a terminal sends (SIGINT, SIGTERM and SIGHUP on Linux; Ctrl+C and the
/// closing of the console on Windows) stop the running job at its next safe point instead of ending the
/// program at once, so the job removes its unfinished file. A second request ends the program at once, as
/// usual, after removing the files the job has begun.
void installStopHandlers();
/// The signal number of the first request to stop (SIGINT 2, SIGHUP 1, SIGTERM 15), 0 while none came.
int stopSignal();

} // namespace tessely

#endif
