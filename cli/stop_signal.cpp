#include "stop_signal.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

namespace sorvik {
namespace cli {
namespace {

// Read in the signal handler (on Windows, the control handler's thread):
// lock-free atomics only.
std::atomic<std::atomic<bool>*> g_stopFlag{nullptr};
std::atomic<bool> g_received{false};
std::atomic<bool> g_installed{false};

void RaiseStop() {
    g_received.store(true);
    if (std::atomic<bool>* flag = g_stopFlag.load()) flag->store(true);
}

#ifdef _WIN32

// Ctrl-C and Ctrl-Break raise the flag of the search that runs; the process
// goes on to end the search its own way. Other events (the console closing,
// the user logging off) keep their default handling.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    RaiseStop();
    return TRUE;
}

#else

// SIGINT, SIGTERM and SIGHUP (the terminal was closed) raise the flag of
// the search that runs: the run ends as stopped, keeping what it checked.
extern "C" void OnStopSignal(int) {
    RaiseStop();
}

#endif

}  // namespace

void InstallStopSignals(std::atomic<bool>* stopFlag) {
    g_stopFlag.store(stopFlag);
    if (g_installed.exchange(true)) return;
#ifdef _WIN32
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // A write blocked on a full pipe goes on after the signal instead of
    // failing half way through a line.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
#endif
}

bool StopSignalReceived() {
    return g_received.load();
}

}  // namespace cli
}  // namespace sorvik
