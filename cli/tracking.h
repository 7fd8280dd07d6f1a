// Everything sorvik-cli does after reading its options: one search or a
// batch, its rows or summaries, the history file.
#pragma once

#include "cli_options.h"

namespace sorvik {
namespace cli {

struct RunEnd;

// Checks the input files, runs the searches one after another and writes
// their records. Returns the exit status (see kCliUsage). Bad input files
// are reported on stderr with status 2 before anything is written.
// `ended`, when given, is told how the checks of a batch ended.
int RunSearches(const CliOptions& options, RunEnd* ended = nullptr);

}  // namespace cli
}  // namespace sorvik
