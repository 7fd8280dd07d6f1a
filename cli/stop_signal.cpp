#include "stop_signal.h"

#include <csignal>

namespace sorvik {
namespace {

// Both are read in the signal handler: lock-free atomics only.
std::atomic<std::atomic<bool>*> g_stopFlag{nullptr};
std::atomic<bool> g_received{false};
std::atomic<bool> g_installed{false};

// SIGINT and SIGTERM raise the flag of the search that runs.
extern "C" void OnStopSignal(int) {
    g_received.store(true);
    if (std::atomic<bool>* flag = g_stopFlag.load()) flag->store(true);
}

}  // namespace

void InstallStopSignals(std::atomic<bool>* stopFlag) {
    g_stopFlag.store(stopFlag);
    if (g_installed.exchange(true)) return;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // A write blocked on a full pipe goes on after the signal instead of
    // failing half way through a line.
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopSignalReceived() {
    return g_received.load();
}

}  // namespace sorvik
