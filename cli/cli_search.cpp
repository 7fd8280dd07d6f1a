#include "cli_search.h"

#include <cstdio>
#include <thread>

#include "stop_signal.h"

namespace sorvik {
namespace cli {

CheckResult RunCliSearch(const SearchForm& form, const SearchLimits& limits,
                         CliWindow::RowSink rows, FinalStatus finalStatus,
                         const RunFolder* folder) {
    CliWindow window(form, std::move(rows), stderr);
    if (folder) folder->Use(window.State());
    InstallStopSignals(&window.State().m_stopRequested);

    CheckResult result;
    std::thread worker([&] { result = RunCheck(window, limits); });
    worker.join();
    InstallStopSignals(nullptr);  // the window's flag goes away with it

    if (!result.report.downloadFailure.empty())
        std::fprintf(stderr, "sorvik-cli: the download failed: %s\n",
                     result.report.downloadFailure.c_str());
    if (finalStatus == FinalStatus::Always || result.report.outcome != SearchOutcome::FormRejected)
        window.PrintFinalStatus();
    return result;
}

}  // namespace cli
}  // namespace sorvik
