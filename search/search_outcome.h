// How a search ended, for front ends that act on it (the console front end
// turns it into its exit status).
#pragma once

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
};

const char* OutcomeName(SearchOutcome outcome);

}  // namespace sorvik
