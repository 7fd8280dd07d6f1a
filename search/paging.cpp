#include "paging.h"

#include "messages.h"
#include "page_analysis.h"
#include "page_fetch.h"

namespace sorvik {
namespace {

// Runs the stop path: the stop mark, no message box.
AnalysisResult StopPath(SearchWindow& window, int runResult) {
    if (window.State().m_stopRequested.load()) window.AppendStoppedMark();
    return {runResult, SearchOutcome::Stopped};
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

AnalysisResult AnalyseResultPages(SearchWindow& window) {
    SearchState& state = window.State();
    state.m_pageNumber = 1;
    if (state.m_pageText.empty()) {
        window.ShowMessage(messages::NothingToAnalyse());
        return {-2, SearchOutcome::NothingToAnalyse};
    }

    PageAnalysis page(window);
    std::string previousLastLink;
    int runResult = 0;

    page.Parse();
    if (!page.ReadTotal()) {
        MessageThenStatus(window, messages::NoItems());
        return {-1, SearchOutcome::NoItems};
    }
    if (state.m_stopRequested.load()) return StopPath(window, runResult);

    for (bool firstPage = true;; firstPage = false) {
        page.nextPageUrl.clear();
        const int pageStartRank = page.rank;

        if (page.WalkPage(firstPage) == WalkEnd::ItemFound) {
            StatusThenMessage(window, messages::Found(page.rank, page.total, state.m_pageNumber));
            return {0, SearchOutcome::Found};
        }

        // Page-end tests: the first that holds ends the search.
        if (page.rank >= page.total || page.rank == pageStartRank) {
            StatusThenMessage(window, messages::AllSeen(page.rank, page.total, state.m_pageNumber));
            return {0, SearchOutcome::AllSeen};
        }
        if (page.nextPageUrl.empty() || previousLastLink == state.m_itemHref) {
            StatusThenMessage(window,
                              messages::NoNextPage(page.rank, page.total, state.m_pageNumber));
            return {-1, SearchOutcome::NoNextPage};
        }

        previousLastLink = state.m_itemHref;
        ++state.m_pageNumber;
        if (state.m_stopRequested.load()) return StopPath(window, runResult);

        const PageLoad load = LoadResultPage(state, page.nextPageUrl, true);
        runResult = load.tidyStatus;
        if (load.result == PageLoadResult::DownloadFailed) {
            MessageThenStatus(window, messages::LaterDownloadFailed());
            return {-1, SearchOutcome::DownloadFailed};
        }
        if (load.result == PageLoadResult::Stopped) return StopPath(window, runResult);

        page.Parse();
        if (state.m_stopRequested.load()) return StopPath(window, runResult);
    }
}

}  // namespace sorvik
