// A run of the daily check (--scheduled): one at a time per list, and how
// it ended recorded beside the list for the tracker window.
#pragma once

#include "cli_options.h"

namespace sorvik {
namespace cli {

// Runs the batch as RunSearches does while holding the scheduled runs' lock
// of the batch file's folder; skips with a message, status 0 and no record
// while another scheduled run holds it. Returns the exit status.
int RunScheduled(const CliOptions& options);

}  // namespace cli
}  // namespace sorvik
