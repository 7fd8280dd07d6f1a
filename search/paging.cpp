#include "paging.h"

#include "messages.h"
#include "page_analysis.h"
#include "page_fetch.h"

namespace sorvik {
namespace {

// Runs the stop path: the stop mark, no message box. Returns the run's result.
int StopPath(SearchWindow& window, int runResult) {
    if (window.State().m_stopRequested.load()) window.AppendStoppedMark();
    return runResult;
}

// Shows an outcome in the status line first, then in a message box.
void StatusThenMessage(SearchWindow& window, const std::string& text) {
    window.SetStatusText(text);
    window.ShowMessage(text);
}

// Shows an outcome in a message box first, then in the status line.
void MessageThenStatus(SearchWindow& window, const std::string& text) {
    window.ShowMessage(text);
    window.SetStatusText(text);
}

}  // namespace

AnalysisResult AnalyseResultPages(SearchWindow& window, const SearchLimits& limits) {
    SearchState& state = window.State();
    state.m_pageNumber = 1;
    SearchReport report;
    if (state.m_pageText.empty()) {
        window.ShowMessage(messages::NothingToAnalyse());
        report.outcome = SearchOutcome::NothingToAnalyse;
        return {-2, report};
    }

    PageAnalysis page(window);
    std::string previousLastLink;
    int runResult = 0;
    // Every way out fills the report from the run state.
    auto end = [&](int result, SearchOutcome outcome) {
        report.outcome = outcome;
        report.rowsListed = page.Rank();
        return AnalysisResult{result, report};
    };

    page.Parse();
    ++report.pagesRead;
    if (!page.ReadTotal()) {
        if (page.HasCount()) report.total = page.Total();
        MessageThenStatus(window, messages::NoItems());
        return end(-1, SearchOutcome::NoItems);
    }
    report.total = page.Total();
    if (state.m_stopRequested.load())
        return end(StopPath(window, runResult), SearchOutcome::Stopped);

    for (bool firstPage = true;; firstPage = false) {
        page.ForgetNextPage();
        const int pageStartRank = page.Rank();

        const WalkEnd walkEnd = page.WalkPage(firstPage);
        if (walkEnd == WalkEnd::ItemFound) {
            StatusThenMessage(window,
                              messages::Found(page.Rank(), page.Total(), state.m_pageNumber));
            return end(0, SearchOutcome::Found);
        }

        // Page-end tests: the first that holds ends the search.
        if (page.Rank() >= page.Total() || page.Rank() == pageStartRank) {
            StatusThenMessage(window,
                              messages::AllSeen(page.Rank(), page.Total(), state.m_pageNumber));
            return end(0, SearchOutcome::AllSeen);
        }
        if (page.NextPageUrl().empty() || previousLastLink == state.m_itemHref) {
            StatusThenMessage(window,
                              messages::NoNextPage(page.Rank(), page.Total(), state.m_pageNumber));
            return end(-1, SearchOutcome::NoNextPage);
        }
        if (limits.maxPages > 0 && state.m_pageNumber >= limits.maxPages)
            return end(-1, SearchOutcome::PageLimitReached);

        previousLastLink = state.m_itemHref;
        ++state.m_pageNumber;
        if (state.m_stopRequested.load())
            return end(StopPath(window, runResult), SearchOutcome::Stopped);

        window.PageLoading(state.m_pageNumber);
        const PageLoad load = LoadResultPage(state, page.NextPageUrl(), true, limits);
        runResult = load.tidyStatus;
        if (load.result == PageLoadResult::DownloadFailed) {
            report.downloadFailure = load.failure;
            MessageThenStatus(window, messages::LaterDownloadFailed());
            return end(-1, SearchOutcome::DownloadFailed);
        }
        if (load.result == PageLoadResult::Stopped)
            return end(StopPath(window, runResult), SearchOutcome::Stopped);

        page.Parse();
        ++report.pagesRead;
        if (state.m_stopRequested.load())
            return end(StopPath(window, runResult), SearchOutcome::Stopped);
    }
}

}  // namespace sorvik
