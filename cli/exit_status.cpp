#include "exit_status.h"

#include <algorithm>

#include "search_state.h"

namespace sorvik {
namespace cli {

int SearchExitStatus(SearchOutcome outcome, std::int32_t mode) {
    switch (outcome) {
        case SearchOutcome::Found:
            return kExitDone;
        case SearchOutcome::AllSeen:
        case SearchOutcome::NoNextPage:
        case SearchOutcome::PageLimitReached:
            return mode == kModeKeyword ? kExitDone : kExitNotFound;
        case SearchOutcome::NoItems:
            return kExitNotFound;
        case SearchOutcome::FormRejected:
            return kExitRejected;
        case SearchOutcome::FirstDownloadFailed:
        case SearchOutcome::DownloadFailed:
        case SearchOutcome::NothingToAnalyse:
            return kExitDownload;
        case SearchOutcome::Stopped:
            return kExitStopped;
        case SearchOutcome::None:
            break;
    }
    return kExitNotFound;
}

int BatchExitStatus(const RunEnd& end) {
    auto any = [&](CheckOutcome outcome) {
        return std::find(end.outcomes.begin(), end.outcomes.end(), outcome) != end.outcomes.end();
    };
    if (end.stopRaised || any(CheckOutcome::Stopped)) return kExitStopped;
    if (end.recordLost) return kExitRecordLost;
    if (any(CheckOutcome::DownloadFailed)) return kExitDownload;
    if (any(CheckOutcome::FormRejected)) return kExitRejected;
    return kExitDone;
}

}  // namespace cli
}  // namespace sorvik
