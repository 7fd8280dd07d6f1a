// The loop over result pages: analyses the first page and every next one
// until the search ends, and shows how it ended.
#pragma once

#include "search_limits.h"
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
// and the result list to be empty. With `limits.maxPages` above 0, a search
// that would go on past that page ends there as PageLimitReached, with no
// message box and the last progress text left in the status line; 0 sets no
// limit. Next pages are loaded with `limits.stopDuringDownload`.
AnalysisResult AnalyseResultPages(SearchWindow& window, const SearchLimits& limits = {});

}  // namespace sorvik
