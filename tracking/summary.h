// A finished search turned into its summary record.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "check_outcome.h"
#include "output_format.h"
#include "search_outcome.h"

namespace sorvik {

// How a search ended, as its summary says. A search that saw a stop
// request and did not find its target is Stopped, never NotFound or
// Finished: its walk may have been cut short.
CheckOutcome SummaryOutcome(SearchOutcome outcome, int mode, bool stopRequested);

// True for the outcomes of a check that ran to its end: found, not_found,
// finished, no_items. Every other check failed and says nothing of a rank.
bool IsCompletedCheck(CheckOutcome outcome);

// The summary of one search. `target` is ignored in mode 1. The rank is
// given only when the target was found.
SummaryRecord MakeSummary(const std::string& keyword, const std::string& target, int mode,
                          CheckOutcome outcome, const SearchReport& report, std::time_t checkedAt);

}  // namespace sorvik
