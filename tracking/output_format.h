// The records sorvik-cli writes, result rows and search summaries, in its
// three formats: tsv, csv (RFC 4180; a text cell a spreadsheet would run as
// a formula starts with an apostrophe) and json (JSON Lines).
#pragma once

#include <optional>
#include <string>

#include "check_outcome.h"

namespace sorvik {

enum class OutputFormat { Tsv, Csv, Json };

// "tsv", "csv" or "json"; no value for any other name.
std::optional<OutputFormat> OutputFormatNamed(const std::string& name);

// One result row as written. Texts are UTF-8.
struct RowRecord {
    int rank = 0;
    std::string title;
    std::string seller;
    std::string price;
    std::string sales;
    std::string link;
    int page = 0;
    std::string keyword;
};

// One search as written. Texts are UTF-8; a missing value is written as
// null (json) or an empty field (tsv, csv).
struct SummaryRecord {
    std::string keyword;
    std::optional<std::string> target;  // none in mode 1
    int mode = 1;
    CheckOutcome outcome = CheckOutcome::Other;  // written as its name
    std::optional<int> rank;                     // only when found
    std::optional<int> total;
    std::optional<int> page;
    int pagesRead = 0;
    std::string checkedAt;

    // With a history only.
    bool withHistory = false;
    std::optional<int> previousRank;
    std::optional<int> change;  // previousRank - rank: positive when the item moved up
    std::optional<int> bestRank;

    // With an explanation only: why the rank moved since the line's check
    // before (empty when the rows say nothing).
    bool withWhy = false;
    std::string why;

    // In csv and json, for a batch with groups only: the line's group, last.
    bool withGroup = false;
    std::string group;
};

// What a stream of records begins with: for csv the byte-order mark and the
// header line, else nothing.
std::string StreamHeader(OutputFormat format, bool summaries, bool withHistory,
                         bool withWhy = false, bool withGroup = false);

// One record as a whole line, line end included. A row in tsv has its
// first six fields; in csv and json it ends with the price in yuan and the
// sales count read from its texts (none when they hold no number).
std::string FormatRow(OutputFormat format, const RowRecord& row);
std::string FormatSummary(OutputFormat format, const SummaryRecord& summary);

// The records of `sorvik-cli --rivals`: seller, times_above, lines,
// best_rank, page1_share (0 to 1) and trend.
struct Rival;
std::string RivalsHeader(OutputFormat format);
std::string FormatRival(OutputFormat format, const Rival& rival);

// The change as a tsv summary shows it: "↑3", "↓2", "=", "new" (ranked now,
// not at the previous check) or empty (not ranked now).
std::string ChangeMark(const SummaryRecord& summary);

// A field for a tab-separated line: tab, CR and LF become one blank each.
std::string RowField(const std::string& utf8);

// A text cell of a CSV line: an apostrophe before a text a spreadsheet
// would run as a formula, then quoted as RFC 4180 asks.
std::string CsvCell(const std::string& utf8);

}  // namespace sorvik
