#include "summary.h"

#include <utility>

#include "local_time.h"
#include "search_state.h"

namespace sorvik {

CheckOutcome SummaryOutcome(SearchOutcome outcome, int mode, bool stopRequested) {
    switch (outcome) {
        case SearchOutcome::Found:
            return CheckOutcome::Found;
        case SearchOutcome::AllSeen:
        case SearchOutcome::NoNextPage:
        case SearchOutcome::PageLimitReached:
            if (stopRequested) return CheckOutcome::Stopped;
            return mode == kModeKeyword ? CheckOutcome::Finished : CheckOutcome::NotFound;
        case SearchOutcome::NoItems:
            return CheckOutcome::NoItems;
        case SearchOutcome::FirstDownloadFailed:
        case SearchOutcome::DownloadFailed:
        case SearchOutcome::NothingToAnalyse:
            return CheckOutcome::DownloadFailed;
        case SearchOutcome::FormRejected:
            return CheckOutcome::FormRejected;
        case SearchOutcome::Stopped:
        case SearchOutcome::None:  // no run ended: nothing was checked
            break;
    }
    return CheckOutcome::Stopped;
}

namespace {

const std::pair<const char*, CheckOutcome> kOutcomeNames[] = {
    {"found", CheckOutcome::Found},
    {"not_found", CheckOutcome::NotFound},
    {"finished", CheckOutcome::Finished},
    {"no_items", CheckOutcome::NoItems},
    {"download_failed", CheckOutcome::DownloadFailed},
    {"form_rejected", CheckOutcome::FormRejected},
    {"stopped", CheckOutcome::Stopped}};

}  // namespace

CheckOutcome CheckOutcomeNamed(const std::string& name) {
    for (const auto& [text, outcome] : kOutcomeNames)
        if (name == text) return outcome;
    return CheckOutcome::Other;
}

const char* CheckOutcomeName(CheckOutcome outcome) {
    for (const auto& [text, known] : kOutcomeNames)
        if (outcome == known) return text;
    return "other";
}

bool IsCompletedCheck(CheckOutcome outcome) {
    return outcome == CheckOutcome::Found || outcome == CheckOutcome::NotFound ||
           outcome == CheckOutcome::Finished || outcome == CheckOutcome::NoItems;
}

SummaryRecord MakeSummary(const std::string& keyword, const std::string& target, int mode,
                          CheckOutcome outcome, const SearchReport& report, std::time_t checkedAt) {
    SummaryRecord summary;
    summary.keyword = keyword;
    if (mode != kModeKeyword) summary.target = target;
    summary.mode = mode;
    summary.outcome = outcome;
    if (outcome == CheckOutcome::Found) summary.rank = report.rowsListed;
    summary.total = report.total;
    if (report.pagesRead > 0) summary.page = report.pagesRead;
    summary.pagesRead = report.pagesRead;
    summary.checkedAt = LocalTimestamp(checkedAt);
    return summary;
}

}  // namespace sorvik
