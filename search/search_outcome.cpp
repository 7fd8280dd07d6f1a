#include "search_outcome.h"

namespace sorvik {

const char* OutcomeName(SearchOutcome outcome) {
    switch (outcome) {
        case SearchOutcome::None:
            return "none";
        case SearchOutcome::FormRejected:
            return "form rejected";
        case SearchOutcome::FirstDownloadFailed:
            return "first download failed";
        case SearchOutcome::NothingToAnalyse:
            return "nothing to analyse";
        case SearchOutcome::NoItems:
            return "no items";
        case SearchOutcome::Found:
            return "found";
        case SearchOutcome::AllSeen:
            return "all seen";
        case SearchOutcome::NoNextPage:
            return "no next page";
        case SearchOutcome::DownloadFailed:
            return "download failed";
        case SearchOutcome::Stopped:
            return "stopped";
        case SearchOutcome::PageLimitReached:
            return "page limit reached";
    }
    return "unknown";
}

}  // namespace sorvik
