#include "line_check.h"

#include <ctime>

#include "summary.h"

namespace sorvik {

LineCheck CheckLine(const SearchForm& form, const std::string& target, const std::string& problem,
                    const SearchRunner& search) {
    LineCheck check;
    if (!problem.empty()) {
        check.summary = MakeSummary(form.keyword, target, form.mode, CheckOutcome::FormRejected,
                                    SearchReport{}, std::time(nullptr));
        return check;
    }
    check.result = search(form);
    check.summary =
        SummarizeCheck(form.keyword, target, form.mode, check.result, std::time(nullptr));
    return check;
}

LineCheck CheckLine(const BatchLine& line, const SearchRunner& search) {
    return CheckLine(FormOf(line), line.target, line.problem, search);
}

}  // namespace sorvik
