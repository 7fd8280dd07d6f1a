// One search of sorvik-cli: the library's run on a worker thread, with the
// stop requests pointed at it while it runs.
#pragma once

#include <cstdint>
#include <string>

#include "cli_window.h"
#include "run_folder.h"
#include "search_form.h"
#include "search_run.h"

namespace sorvik {
namespace cli {

// Whether the status line's final text is written when the form was
// rejected: a single search always writes it; a batch line that was
// rejected has its message and no status line.
enum class FinalStatus { Always, UnlessRejected };

// Runs one search: rows go to `rows`, message boxes, why a download failed
// and the final status line to stderr. The pages are kept in `folder`, or
// under the fixed names in the current folder without one.
CheckResult RunCliSearch(const SearchForm& form, const SearchLimits& limits,
                         CliWindow::RowSink rows, FinalStatus finalStatus = FinalStatus::Always,
                         const RunFolder* folder = nullptr);

}  // namespace cli
}  // namespace sorvik
