// The console's stop requests: Ctrl-C, termination requests and a closed
// terminal (SIGHUP) act as the Stop button. The one platform-specific file
// of the console front end.
#pragma once

#include <atomic>

namespace sorvik {
namespace cli {

// Installs the handlers (on the first call) and makes every later stop
// request raise `*stopFlag`. Call again with another flag, or with null,
// before the flag's owner goes away.
void InstallStopSignals(std::atomic<bool>* stopFlag);

// True once any stop request has come since the handlers were installed,
// whichever flag it raised; never cleared.
bool StopSignalReceived();

}  // namespace cli
}  // namespace sorvik
