// The check of one tracked search, the same in the console and the window:
// a line that can't be used is rejected without a search, any other runs
// its search and is summarised.
#pragma once

#include <ctime>
#include <functional>
#include <string>

#include "batch_file.h"
#include "check_window.h"
#include "output_format.h"
#include "search_form.h"

namespace sorvik {

struct LineCheck {
    SummaryRecord summary;  // without its history fields
    CheckResult result;     // empty for a line rejected without a search
    std::time_t checkedAt = 0;

    // The check with the rows it saw, as the row store keeps it.
    StoredCheck Stored() const;
};

// Runs the search of `form` on a check window of the front end's, on the
// calling thread.
using SearchRunner = std::function<CheckResult(const SearchForm& form)>;

// Checks `form`, whose seller or item link is `target`; `problem` (when not
// empty) says why it can't be used, and it is then rejected unsearched.
LineCheck CheckLine(const SearchForm& form, const std::string& target, const std::string& problem,
                    const SearchRunner& search);
// The same for a line of a keyword list.
LineCheck CheckLine(const BatchLine& line, const SearchRunner& search);

}  // namespace sorvik
