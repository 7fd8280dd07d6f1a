// sorvik-cli --rivals: the sellers whose items ranked above the user's, from
// the rows a store kept.
#pragma once

#include "cli_options.h"

namespace sorvik {
namespace cli {

// Writes one record per rival over the last `options.days` days of
// `options.storeFile`; the exit status (0, or 2 when the store can't be
// read or the output written).
int ListRivals(const CliOptions& options);

}  // namespace cli
}  // namespace sorvik
