// sorvik-cli: one search from the command line, on the same search run as
// the dialog's worker.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>
#include <thread>

#include "cli_options.h"
#include "cli_window.h"
#include "search_run.h"

namespace {

std::atomic<bool>* g_stopFlag = nullptr;

// SIGINT and SIGTERM act as the Stop button: they raise the stop flag.
extern "C" void OnStopSignal(int) {
    if (g_stopFlag) g_stopFlag->store(true);
}

int ExitStatusFor(sorvik::SearchOutcome outcome, std::int32_t mode) {
    using sorvik::SearchOutcome;
    switch (outcome) {
        case SearchOutcome::Found:
            return 0;
        case SearchOutcome::AllSeen:
        case SearchOutcome::NoNextPage:
            return mode == sorvik::kModeKeyword ? 0 : 1;
        case SearchOutcome::NoItems:
            return 1;
        case SearchOutcome::FormRejected:
            return 2;
        case SearchOutcome::FirstDownloadFailed:
        case SearchOutcome::DownloadFailed:
        case SearchOutcome::NothingToAnalyse:
            return 3;
        case SearchOutcome::Stopped:
            return 130;
        case SearchOutcome::None:
            break;
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    std::optional<sorvik::CliOptions> options = sorvik::ParseCliOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "sorvik-cli: %s\n%s", error.c_str(), sorvik::kCliUsage);
        return 2;
    }
    if (options->help) {
        std::fputs(sorvik::kCliUsage, stdout);
        return 0;
    }

    sorvik::CliWindow window(options->keyword, options->seller, options->item, stdout, stderr);
    window.State().m_searchMode.store(options->mode);

    g_stopFlag = &window.State().m_stopRequested;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    sorvik::SearchOutcome outcome = sorvik::SearchOutcome::None;
    std::thread worker([&] { sorvik::SearchThreadProc(window, &outcome); });
    worker.join();

    window.PrintFinalStatus();
    return ExitStatusFor(outcome, window.State().m_searchMode.load());
}
