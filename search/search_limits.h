// What a front end chooses for one run beyond the form: how far it reads
// and what a stop request does to a download in progress.
#pragma once

namespace sorvik {

// What a stop request does to a page download that is under way.
enum class StopDuringDownload {
    LetItFinish,  // the download runs to its end; the stop is seen after it
    EndTransfer,  // the transfer is ended at once and the load counts as stopped
};

struct SearchLimits {
    int maxPages = 0;  // result pages to read at most; 0: no limit
    StopDuringDownload stopDuringDownload = StopDuringDownload::LetItFinish;
};

}  // namespace sorvik
