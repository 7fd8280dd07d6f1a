// The loop over result pages: analyses the first page and every next one
// until the search ends, and shows how it ended.
#pragma once

#include "search_outcome.h"
#include "search_window.h"

namespace sorvik {

struct AnalysisResult {
    int result;  // 0 found or all seen; -1 no items, no next page, failed download;
                 // -2 nothing to analyse; the last cleaning status on the stop path
    SearchOutcome outcome;
};

// Expects m_pageText to hold the cleaned first page, m_searchUrl its address
// and the result list to be empty.
AnalysisResult AnalyseResultPages(SearchWindow& window);

}  // namespace sorvik
