// What the tracker window shows of a keyword list line and its checks: the
// texts of its table row, and the checks a line must pass to be kept.
// Texts are UTF-8, in Simplified Chinese.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "batch_file.h"
#include "output_format.h"
#include "search_mode.h"
#include "summary.h"

namespace sorvik {

// The table's columns, in order.
enum class TableColumn {
    Keyword,
    Target,
    Mode,
    Group,
    Rank,
    Page,
    Change,
    BestRank,
    CheckedAt,
    Outcome,
};
constexpr std::size_t kTableColumnCount = 10;
const char* TableColumnCaption(TableColumn column);

// What the latest check of a line says, for its colour.
enum class LineState {
    NeverChecked,
    Ranked,     // found at a rank
    NotRanked,  // ran to its end without finding the target, or listed the results
    Failed,     // download failed, stopped or rejected: no rank, and not "not ranked"
};

struct TableRow {
    std::vector<std::string> cells;  // one per TableColumn
    LineState state = LineState::NeverChecked;
    // The line raised an alert the user has not seen in 提醒 yet: the table
    // marks its result.
    bool alerted = false;
    // An item link line's item title, shown in place of its link, which
    // stays in the 目标 cell for copies and exports; empty when unknown.
    std::string itemTitle;

    // The text the table shows in `column`.
    const std::string& Shown(TableColumn column) const;
};

// The row of `line`, whose latest check (with its history fields) is
// `latest`, or null when it has never been checked. `itemTitle`: the title
// of the item an item link line last found, when known.
TableRow DescribeLine(const BatchLine& line, const SummaryRecord* latest,
                      const std::optional<std::string>& itemTitle = std::nullopt);

// What an empty table says: how to add a line or read a list.
const char* EmptyListHint();

// The mode as a word: 关键词, 用户名 or 宝贝链接.
std::string ModeWord(SearchMode mode);
// The outcome of a check in words, by its name or as a CheckOutcome.
std::string OutcomeWords(const std::string& outcome);
std::string OutcomeWords(CheckOutcome outcome);
// The move since the previous check: ↑3, ↓2, =, 新 (ranked now, not then),
// or empty when there is no rank now.
std::string ChangeWords(const SummaryRecord& summary);
// "2026-12-08 15:04" of "2026-12-08T15:04:05+08:00"; other texts as they are.
std::string ShortTime(const std::string& checkedAt);

// Rows as tab-separated lines, one per row, for pasting into a spreadsheet;
// the first line holds the captions.
std::string RowsAsTsv(const std::vector<TableRow>& rows);

// Why a line of `mode` with `keyword` and `target` (already without the
// blanks around them) can't be kept in `list`, as a message for the user;
// no value when it can. The search's form check first (ValidateForm, with
// its messages), then what the list file can't hold, then a line the list has
// already (other than the one at `editing`, when editing).
std::optional<std::string> LineProblem(SearchMode mode, const std::string& keyword,
                                       const std::string& target,
                                       const std::vector<BatchLine>& list,
                                       std::optional<std::size_t> editing = std::nullopt);

// Why `group` can't be kept in a list file, as a message for the user; no
// value when it can (an empty group is none).
std::optional<std::string> GroupProblem(const std::string& group);

// The groups the lines are in, each once, in the order they first appear;
// lines without a group add none.
std::vector<std::string> GroupsInUse(const std::vector<BatchLine>& lines);

// The places of the lines in `group`, in list order; every line's for an
// empty `group`.
std::vector<std::size_t> LinesInGroup(const std::vector<BatchLine>& lines,
                                      const std::string& group);

}  // namespace sorvik
