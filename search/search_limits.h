// What a front end chooses for one run beyond the form: how far it reads,
// how long one page may take and what a stop request does to a download in
// progress.
#pragma once

#include <chrono>

namespace sorvik {

// What a stop request does to a page download that is under way.
enum class StopDuringDownload {
    LetItFinish,  // the download runs to its end; the stop is seen after it
    EndTransfer,  // the transfer is ended at once and the load counts as stopped
};

// The most one page download may take, from its start to its last byte:
// SORVIK_PAGE_TIME_LIMIT in whole seconds (1 to 3600) when it is set so,
// else 60 s. The environment is read once.
std::chrono::milliseconds DefaultPageTimeLimit();
// The limit a value of SORVIK_PAGE_TIME_LIMIT gives (null: unset): its
// whole seconds from 1 to 3600, else 60 s.
std::chrono::milliseconds PageTimeLimitOf(const char* value);

struct SearchLimits {
    int maxPages = 0;  // result pages to read at most; 0: no limit
    StopDuringDownload stopDuringDownload = StopDuringDownload::LetItFinish;
    // A server that trickles a byte now and then passes the low-speed
    // limit; this ends such a page as a failed download.
    std::chrono::milliseconds pageTimeLimit = DefaultPageTimeLimit();
};

}  // namespace sorvik
