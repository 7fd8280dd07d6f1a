// What the operating system tells the program from outside: requests to stop
// (SIGINT and SIGTERM on POSIX systems; Ctrl-C, Ctrl-Break, closing the
// console, logging off and shutting down on Windows) and a client that hangs
// up (SIGPIPE on POSIX systems).
#pragma once

#include <chrono>

namespace sorvik::demo {

// Takes the stop requests over from their default action, which would end
// the program at once, and keeps a client that hangs up from ending it. Call
// once, at the start of main, before any other thread starts: on POSIX
// systems the stop signals are blocked, every thread inherits that, and only
// WaitForStopRequest sees them.
void TakeOverSignals();

// Waits up to `step` for a stop request; true when one has come.
bool WaitForStopRequest(std::chrono::milliseconds step);

}  // namespace sorvik::demo
