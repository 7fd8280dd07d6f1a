// The command line of sorvik-cli.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "output_format.h"

namespace sorvik {
namespace cli {

struct CliOptions {
    std::int32_t mode = 0;  // 0 until chosen; see ParseCliOptions
    std::string keyword;    // UTF-8, as given
    std::string seller;
    std::string item;
    bool help = false;

    std::string batchFile;  // one search per line of this file instead of the form options
    OutputFormat format = OutputFormat::Tsv;
    bool summary = false;  // one record per search instead of the rows
    bool rows = false;     // the rows even in a batch
    int maxPages = 0;      // result pages to read at most per search; 0: no limit
    std::string historyFile;
    std::string outputFile;
    std::string storeFile;   // the rows of every check kept in this SQLite store
    bool explain = false;    // summaries say why the rank moved since the check before
    bool rivals = false;     // list the sellers ranked above the user's from the store
    int days = 30;           // with rivals: the days looked back over
    std::string alertsFile;  // the alerts raised after each check appended here
    bool notify = false;     // the alerts posted to the tracker's group robot
    bool scheduled = false;  // a run of the daily check: one at a time, its end recorded

    bool Alerting() const { return !alertsFile.empty() || notify; }

    bool Batch() const { return !batchFile.empty(); }
    // Summaries are written instead of rows: asked for, or a batch's default.
    bool Summaries() const { return summary || (Batch() && !rows); }
};

struct CliError {
    std::string message;
    bool showUsage = true;  // false for a bad value of an option: the message says it all
};

// Parses the options of kCliUsage (also in the "--name=value" form).
// Without --mode: 3 when --item is given, else 2 when --seller is given,
// else 1. On a bad command line returns no value and fills `error`.
std::optional<CliOptions> ParseCliOptions(int argc, const char* const* argv, CliError& error);

extern const char* const kCliUsage;

}  // namespace cli
}  // namespace sorvik
