// Turning the address of one result page into cleaned page text: download
// into the fetch file, clean into the clean file, read the clean file.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>

#include "search_limits.h"
#include "search_state.h"
#include "whole_file.h"

namespace sorvik {

// The most a page download may bring: a real result page is under 1 MB,
// and a server that sends without end must not fill the disk.
constexpr std::size_t kMaxPageBytes = 16u << 20;

enum class DownloadStatus {
    Done,     // a completed transfer with an HTTP status below 400
    Failed,   // anything else
    Stopped,  // the stop flag ended the transfer
};

struct Download {
    DownloadStatus status = DownloadStatus::Failed;
    std::string failure;  // what went wrong, in English, when Failed
};

enum class PageLoadResult {
    Loaded,          // m_pageText holds the new page
    DownloadFailed,  // nothing after the download ran
    Stopped,         // the stop flag was seen between two steps, or ended the download
};

struct PageLoad {
    PageLoadResult result;
    int tidyStatus;       // 0 when the cleaning did not run
    std::string failure;  // why the download failed, with DownloadFailed
};

// Downloads `url` into `file` with a cache-bypassing GET, replacing the file.
// Success only for a completed transfer with an HTTP status below 400 and a
// body of at most kMaxPageBytes. Follows up to five redirects (http and https
// only); gives up when it cannot connect within 30 s, receives nothing for
// 60 s or has not finished within `timeLimit`. With `stop`, the transfer
// ends within a few tens of milliseconds of `*stop` becoming true. No pause.
Download DownloadToFile(const std::string& url, const std::string& file,
                        const std::atomic<bool>* stop = nullptr,
                        std::chrono::milliseconds timeLimit = DefaultPageTimeLimit());

// The download of a page load: DownloadToFile, then a pause of 500 ms,
// whatever the result. True for success.
bool DownloadPage(const std::string& url, const std::string& file);

// Downloads, cleans and reads one page into m_pageText, with the fixed
// pauses. With `stopTests`, a stop flag seen after the download, after the
// cleaning or after the read gives Stopped. The cleaning runs in memory
// while the pause after a successful download goes by; its files and
// diagnostics are written after the stop test that follows that pause, and
// not at all when that test stops the load. With EndTransfer, a stop flag
// raised while the page downloads ends the transfer and gives Stopped at
// once (with or without `stopTests`). The download takes at most the
// limits' page time limit.
PageLoad LoadResultPage(SearchState& state, const std::string& url, bool stopTests,
                        const SearchLimits& limits = {});

}  // namespace sorvik
