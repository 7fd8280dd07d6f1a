#include "cli_search.h"

#include <cstdio>
#include <thread>

#include "stop_signal.h"

namespace sorvik {

CliSearchResult RunCliSearch(const SearchForm& form, const SearchLimits& limits,
                             CliWindow::RowSink rows, FinalStatus finalStatus) {
    CliWindow window(form.keyword, form.seller, form.item, std::move(rows), stderr);
    window.State().m_searchMode.store(form.mode);
    InstallStopSignals(&window.State().m_stopRequested);

    CliSearchResult result;
    std::thread worker([&] { SearchThreadProc(window, limits, &result.report); });
    worker.join();
    InstallStopSignals(nullptr);  // the window's flag goes away with it

    result.stopRequested = window.State().m_stopRequested.load();
    if (!result.report.downloadFailure.empty())
        std::fprintf(stderr, "sorvik-cli: the download failed: %s\n",
                     result.report.downloadFailure.c_str());
    if (finalStatus == FinalStatus::Always || result.report.outcome != SearchOutcome::FormRejected)
        window.PrintFinalStatus();
    return result;
}

}  // namespace sorvik
