// What the stored rows of a line's checks say: the items ranked above the
// seller's item, what changed among them since the check before, why the
// rank moved, and the sellers that rank above the user most often.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "seen_row.h"

namespace sorvik {

// The rows that rank above the line's own item in `check`: every row
// before the target's rank when it was found, every row read when it was
// not; page 1 for a keyword-only line. None of a failed check.
std::vector<const SeenRow*> RowsAbove(const StoredCheck& check);

// The row of the line's own item, when the check found it.
const SeenRow* OwnRow(const StoredCheck& check);

// One item above the seller's item, with what changed since the previous
// check of the line.
struct CompetitorRow {
    SeenRow row;
    bool isNew = false;                        // not above the seller's item last time
    std::optional<std::int32_t> rankChange;    // previous rank - rank: positive when it moved up
    std::optional<double> priceChangePercent;  // (price - previous) / previous * 100
    std::optional<std::int64_t> salesGained;   // sales - previous sales
};

// The items above the seller's item in `check`, compared with `previous`
// (the line's check before it that ran to its end; null when there is none:
// nothing is then new).
std::vector<CompetitorRow> CompetitionOf(const StoredCheck& check, const StoredCheck* previous);

// What the change column of the competition shows: "新", "↑3", "↓2", "="
// and, when known, the price change ("降价15%", "涨价5%") and the sales
// gained ("+12笔"), separated by blanks.
std::string ChangeText(const CompetitorRow& row);

// One sentence on why the rank moved since `previous`, from what the stored
// rows show, for example
// "比上次：2 个新宝贝排到你前面；1 个降价 15%；你前面 5 名的价格中位数 ￥69（你 ￥79）".
// Empty when `check` failed or there is no previous check to compare.
std::string ExplainMove(const StoredCheck& check, const StoredCheck* previous);

// A seller whose items ranked above the user's.
struct Rival {
    std::string seller;
    std::int32_t timesAbove = 0;  // checks in which one of their items ranked above the target
    std::int32_t lines = 0;       // keyword + target lines in which they did
    std::int32_t bestRank = 0;    // their best rank above the target
    double page1Share = 0;        // their share of page 1's rows in the checks counted, 0 to 1
    // The share of the checks of the period's later half in which they
    // ranked above, minus that of its earlier half: -1 to 1, positive when
    // they are above more often lately; 0 when either half has no checks.
    double trend = 0;
};

// The rivals in `checks` (of every line, in any order) made at `since` or
// later and before `until`: only checks that ended found or not_found count,
// keyword-only lines never do; the sellers the lines look for, and the
// seller of a found item, are the user's own and never rivals. Sorted by
// timesAbove, most first, then by bestRank, then by name.
std::vector<Rival> RivalsOf(const SellerChecks& checks, std::time_t since, std::time_t until);
// The same of checks read whole.
std::vector<Rival> RivalsOf(const std::vector<StoredCheck>& checks, std::time_t since,
                            std::time_t until);

// Checks cut down to their sellers.
SellerChecks SellersOf(const std::vector<StoredCheck>& checks);

// "上升" or "下降" for a trend of a tenth or more either way, else "持平".
std::string TrendText(double trend);

}  // namespace sorvik
