// sorvik-cli's exit status, from how its searches ended (see kCliUsage).
#pragma once

#include <cstdint>
#include <vector>

#include "search_outcome.h"
#include "summary.h"

namespace sorvik {
namespace cli {

// The exit statuses callers branch on.
enum ExitStatus : int {
    kExitDone = 0,        // every check ran to its end (a single search: found)
    kExitNotFound = 1,    // a single search did not find its target
    kExitRejected = 2,    // bad input, or a line that could not be checked
    kExitDownload = 3,    // a download failed
    kExitRecordLost = 4,  // not every record was kept
    kExitStopped = 130,   // a stop request (Ctrl-C, SIGTERM, SIGHUP)
};

// The status of one search by how it ended.
int SearchExitStatus(SearchOutcome outcome, std::int32_t mode);

// How a run ended, for its status.
struct RunEnd {
    std::vector<CheckOutcome> outcomes;  // of a batch's checks, in order
    bool stopRaised = false;             // a stop request came at any time
    bool recordLost = false;             // a record or the output could not be written
};

// The status of a batch: stopped over everything (the rest was never
// checked), then a lost record, then the worst of its checks: a failed
// download over a rejected line.
int BatchExitStatus(const RunEnd& end);

}  // namespace cli
}  // namespace sorvik
