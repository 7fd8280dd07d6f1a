// The alerts raised after a check of a line: its rank left the top places,
// dropped by more than it usually swings, a new seller ranks right above
// it, or it failed twice in a row.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "output_format.h"
#include "rank_history.h"
#include "seen_row.h"

namespace sorvik {

enum class AlertKind : std::uint8_t {
    LeftTop,   // "left_top"
    Dropped,   // "dropped"
    NewRival,  // "new_rival"
    Failing,   // "failing"
};
const char* AlertKindName(AlertKind kind);

struct Alert {
    std::string keyword;
    std::string target;  // empty in mode 1
    std::string group;   // the line's group; empty when it has none
    AlertKind kind = AlertKind::Failing;
    std::optional<int> rank;          // the line's rank in this check, when found
    std::optional<int> previousRank;  // in the line's completed check before, when found
    std::string checkedAt;            // the check's LocalTimestamp
    std::string text;                 // one sentence for the seller, Simplified Chinese
};

// The places a rank must stay within by default: page 1.
constexpr int kDefaultAlertTopN = 40;
// The fewest places a drop must have to raise `dropped`.
constexpr int kLeastAlertDrop = 5;
// The completed checks before this one whose moves give a line's usual swing.
constexpr int kSwingChecks = 14;
// The places right above the user's item that a new seller is watched in.
constexpr int kRivalPlaces = 5;

// The line's usual swing: the median of the absolute rank changes between
// consecutive completed checks among the last kSwingChecks of `before`
// (pairs of two ranked checks only). 0 when fewer than 3 completed checks
// are known: too few to tell a swing, so any drop of kLeastAlertDrop places
// counts.
double UsualSwing(const std::vector<CheckPoint>& before);

// What the check `summary` raises, against `before`, the line's earlier
// checks in the order they were made (this one not among them):
// - left_top: the completed check before ranked within `topN`, this one is
//   completed and not ranked within it (not found, or ranked lower);
// - dropped: both ranked, and this one more than twice the usual swing and
//   at least kLeastAlertDrop places lower;
// - new_rival: one for each seller, in the kRivalPlaces rows right above
//   the user's item in `stored`, none of whose items ranked above it in
//   `previousStored` (the line's completed check before, from the row
//   store). The user's own sellers (the line's seller, the found item's
//   seller) never count. None without both stored checks;
// - failing: this check and the one right before it both failed.
// A failed check raises no rank alert, and a single failure raises nothing.
std::vector<Alert> AlertsOf(const SummaryRecord& summary, const std::vector<CheckPoint>& before,
                            const StoredCheck* stored, const StoredCheck* previousStored,
                            int topN = kDefaultAlertTopN);

// An alert as one JSON line, line end included: keyword, target (null in
// mode 1), kind, rank, previous_rank (null when there is none), checked_at,
// text, and group when it has one.
std::string FormatAlert(const Alert& alert);

}  // namespace sorvik
