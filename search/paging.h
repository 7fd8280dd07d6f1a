// The loop over result pages: analyses the first page and every next one
// until the search ends, and shows how it ended.
#pragma once

#include "search_outcome.h"
#include "search_window.h"

namespace sorvik {

struct AnalysisResult {
    int result;  // 0 found or all seen; -1 no items, no next page, failed download,
                 // page limit; -2 nothing to analyse; the last cleaning status on the
                 // stop path
    SearchReport report;
};

// Expects m_pageText to hold the cleaned first page, m_searchUrl its address
// and the result list to be empty. With `maxPages` above 0, a search that
// would go on past page `maxPages` ends there as PageLimitReached, with no
// message box and the last progress text left in the status line; 0 sets no
// limit.
AnalysisResult AnalyseResultPages(SearchWindow& window, int maxPages = 0);

}  // namespace sorvik
