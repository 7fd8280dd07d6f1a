#include "process_signals.h"

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#include <thread>
#else
#include <pthread.h>
#include <signal.h>

#include <ctime>
#endif

namespace sorvik::demo {

#ifdef _WIN32

namespace {

// The console's events arrive on a thread of their own; the watcher polls
// this flag.
std::atomic<bool> g_stopRequested{false};

// The longest a close, logoff or shutdown event is held up. The system ends
// the process when the handler returns, or after a grace period of its own
// (a few seconds), whichever comes first.
constexpr DWORD kEndingGraceMs = 10000;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            g_stopRequested = true;
            return TRUE;  // the program goes on, stops the server and exits
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            g_stopRequested = true;
            // Give main the time to stop the server and exit first; its exit
            // ends this thread too.
            Sleep(kEndingGraceMs);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void TakeOverSignals() {
    // A parent that started the program in a process group of its own, to
    // keep the console's Ctrl-C from it, is obeyed: Ctrl-C stays ignored then,
    // and Ctrl-Break (which can be sent to that group alone) stops it.
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool WaitForStopRequest(std::chrono::milliseconds step) {
    if (g_stopRequested) return true;
    std::this_thread::sleep_for(step);
    return g_stopRequested;
}

#else

namespace {

const sigset_t& StopSignals() {
    static const sigset_t signals = [] {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        return set;
    }();
    return signals;
}

}  // namespace

void TakeOverSignals() {
    pthread_sigmask(SIG_BLOCK, &StopSignals(), nullptr);
    signal(SIGPIPE, SIG_IGN);
}

bool WaitForStopRequest(std::chrono::milliseconds step) {
    const timespec wait{static_cast<std::time_t>(step.count() / 1000),
                        static_cast<long>(step.count() % 1000 * 1000000)};
    return sigtimedwait(&StopSignals(), nullptr, &wait) > 0;
}

#endif

}  // namespace sorvik::demo
