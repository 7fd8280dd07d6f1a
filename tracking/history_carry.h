// A line whose keyword or target is edited keeps its past checks: the old
// pair's checks are appended again under the new pair, since the history
// file is only ever appended to.
#pragma once

#include <vector>

#include "batch_file.h"
#include "output_format.h"
#include "rank_history.h"

namespace sorvik {

// The records that carry `checks` (the old pair's, in file order) over to
// `line`: each check as it was (time, outcome, rank, page, result count,
// pages read) under the line's keyword, target and mode, without history
// fields (recording fills them in). Checks whose time is unknown are left
// out, as the history would skip them.
std::vector<SummaryRecord> CarriedRecords(const std::vector<CheckPoint>& checks,
                                          const BatchLine& line);

}  // namespace sorvik
