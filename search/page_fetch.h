// Turning the address of one result page into cleaned page text: download
// into the fetch file, clean into the clean file, read the clean file.
#pragma once

#include <string>

#include "search_state.h"
#include "whole_file.h"

namespace sorvik {

enum class PageLoadResult {
    Loaded,          // m_pageText holds the new page
    DownloadFailed,  // nothing after the download ran
    Stopped,         // the stop flag was seen between two steps
};

struct PageLoad {
    PageLoadResult result;
    int tidyStatus;  // 0 when the cleaning did not run
};

// Downloads `url` into `file` with a cache-bypassing GET, replacing the file.
// Success only for a completed transfer with an HTTP status below 400.
// Follows up to five redirects (http and https only); gives up when it cannot
// connect within 30 s or receives nothing for 60 s. Pauses 500 ms afterwards,
// whatever the result.
bool DownloadPage(const std::string& url, const std::string& file);

// The same download without the pause.
bool DownloadToFile(const std::string& url, const std::string& file);

// Downloads, cleans and reads one page into m_pageText, with the fixed
// pauses. With `stopTests`, a stop flag seen after the download, after the
// cleaning or after the read gives Stopped. The cleaning runs in memory
// while the pause after a successful download goes by; its files and
// diagnostics are written after the stop test that follows that pause, and
// not at all when that test stops the load.
PageLoad LoadResultPage(SearchState& state, const std::string& url, bool stopTests);

}  // namespace sorvik
