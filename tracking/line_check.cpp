#include "line_check.h"

#include <ctime>

#include "summary.h"

namespace sorvik {

LineCheck CheckLine(const SearchForm& form, const std::string& target, const std::string& problem,
                    const SearchRunner& search) {
    LineCheck check;
    if (!problem.empty()) {
        check.checkedAt = std::time(nullptr);
        check.summary = MakeSummary(form.keyword, target, form.mode, CheckOutcome::FormRejected,
                                    SearchReport{}, check.checkedAt);
        return check;
    }
    check.result = search(form);
    check.checkedAt = std::time(nullptr);
    check.summary = SummarizeCheck(form.keyword, target, form.mode, check.result, check.checkedAt);
    return check;
}

StoredCheck LineCheck::Stored() const {
    StoredCheck stored;
    stored.keyword = summary.keyword;
    stored.target = summary.target.value_or(std::string());
    stored.mode = summary.mode;
    stored.checkedAt = checkedAt;
    stored.outcome = summary.outcome;
    stored.rank = summary.rank;
    stored.rows = result.rows;
    return stored;
}

LineCheck CheckLine(const BatchLine& line, const SearchRunner& search) {
    return CheckLine(FormOf(line), line.target, line.problem, search);
}

}  // namespace sorvik
