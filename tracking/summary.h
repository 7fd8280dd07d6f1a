// A finished search turned into its summary record.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "output_format.h"
#include "search_outcome.h"

namespace sorvik {

// The summary's name for how a search ended. A search that saw a stop
// request and did not find its target is "stopped", never "not_found" or
// "finished": its walk may have been cut short.
std::string SummaryOutcome(SearchOutcome outcome, int mode, bool stopRequested);

// How a check ended, by the summary's name for it.
enum class CheckOutcome : std::uint8_t {
    Found,           // "found"
    NotFound,        // "not_found"
    Finished,        // "finished"
    NoItems,         // "no_items"
    DownloadFailed,  // "download_failed"
    FormRejected,    // "form_rejected"
    Stopped,         // "stopped"
    Other,           // a name this program does not know
};
CheckOutcome CheckOutcomeNamed(const std::string& name);
// The summary's name of an outcome; "other" for Other.
const char* CheckOutcomeName(CheckOutcome outcome);

// True for the outcomes of a check that ran to its end: found, not_found,
// finished, no_items. Every other check failed and says nothing of a rank.
bool IsCompletedCheck(CheckOutcome outcome);
bool IsCompletedCheck(const std::string& outcome);

// The summary of one search. `target` is ignored in mode 1. The rank is
// given only when the target was found.
SummaryRecord MakeSummary(const std::string& keyword, const std::string& target, int mode,
                          const std::string& outcome, const SearchReport& report,
                          std::time_t checkedAt);

}  // namespace sorvik
