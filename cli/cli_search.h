// One search of sorvik-cli: the library's run on a worker thread, with the
// stop requests pointed at it while it runs.
#pragma once

#include <cstdint>
#include <string>

#include "cli_window.h"
#include "search_run.h"

namespace sorvik {

// The form of one search. Texts are UTF-8.
struct SearchForm {
    std::int32_t mode = 1;
    std::string keyword;
    std::string seller;
    std::string item;
};

// Whether the status line's final text is written when the form was
// rejected: a single search always writes it; a batch line that was
// rejected has its message and no status line.
enum class FinalStatus { Always, UnlessRejected };

struct CliSearchResult {
    SearchReport report;
    bool stopRequested = false;  // the run's stop flag was raised
};

// Runs one search: rows go to `rows`, message boxes, why a download failed
// and the final status line to stderr.
CliSearchResult RunCliSearch(const SearchForm& form, const SearchLimits& limits,
                             CliWindow::RowSink rows,
                             FinalStatus finalStatus = FinalStatus::Always);

}  // namespace sorvik
