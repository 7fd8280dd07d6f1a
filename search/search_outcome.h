// How a search ended, for front ends that act on it (the console front end
// turns it into its exit status and its summaries).
#pragma once

#include <optional>
#include <string>

namespace sorvik {

enum class SearchOutcome {
    None,                 // no search has ended yet
    FormRejected,         // a form field was empty or the item link malformed
    FirstDownloadFailed,  // "网络连接失败1"
    NothingToAnalyse,     // the first page text was empty: "网络连接失败"
    NoItems,              // no count on page 1, or a count of 0
    Found,                // the wanted item came up
    AllSeen,              // all items seen: by the total or by a page without rows
    NoNextPage,           // no pager, or a page ending on the same link as the one before
    DownloadFailed,       // a later page failed: "网络连接失败2"
    Stopped,              // the stop path
    PageLimitReached,     // the run's page limit was reached before any other end
};

// What one run saw, for front ends that summarise searches.
struct SearchReport {
    SearchOutcome outcome = SearchOutcome::None;
    int rowsListed = 0;           // rows appended; the found item's rank when Found
    std::optional<int> total;     // the count read from page 1, when it had one (0 included)
    int pagesRead = 0;            // result pages loaded and parsed, page 1 included; the last
                                  // one read is page pagesRead
    std::string downloadFailure;  // why the download failed, with a failed download
};

const char* OutcomeName(SearchOutcome outcome);

}  // namespace sorvik
