#include "history_carry.h"

#include <ctime>

#include "local_time.h"
#include "search_mode.h"
#include "summary.h"

namespace sorvik {

std::vector<SummaryRecord> CarriedRecords(const std::vector<CheckPoint>& checks,
                                          const BatchLine& line) {
    const TrackKey key = KeyOf(line);
    std::vector<SummaryRecord> records;
    records.reserve(checks.size());
    for (const CheckPoint& check : checks) {
        if (check.when == 0) continue;
        SummaryRecord record;
        record.keyword = key.keyword;
        record.target = key.target;
        record.mode = line.Mode();
        record.outcome = check.outcome;
        // Only a found check has a rank; a failed one has no page either.
        if (check.outcome == CheckOutcome::Found && check.rank > 0) record.rank = check.rank;
        if (check.page > 0) record.page = check.page;
        if (check.total >= 0) record.total = check.total;
        record.pagesRead = check.pagesRead;
        record.checkedAt = LocalTimestamp(static_cast<std::time_t>(check.when));
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace sorvik
