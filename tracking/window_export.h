// What the tracker window exports for people to read in a spreadsheet: the
// table's Chinese captions and words, times in the local time zone, CSV
// that Excel opens with its Chinese intact (UTF-8 with a byte-order mark).
// sorvik-cli keeps its field names and values for scripts.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "line_notes.h"
#include "tracker_table.h"

namespace sorvik {

// The table's rows as CSV, under the table's captions, each time in the
// local time zone ("2026-12-08 15:04").
std::string TableAsCsv(const std::vector<TableRow>& rows,
                       const std::vector<std::string>& checkedAt);

// A table of the window's own as CSV: `captions`, then one line per row.
std::string CellsAsCsv(const std::vector<std::string>& captions,
                       const std::vector<std::vector<std::string>>& rows);

// Every record of the history file at `path` as CSV: 检查时间, 关键词, 目标,
// 方式, 分组, 结果, 排名, 页, 变化, 最佳, 结果数, 已读页数, 备注, the group being
// that of the line of `lines` with the record's keyword and target (empty
// when no line has them now), the note that of `notes` on the record's line
// and check. Damaged lines are left out. False, with `error` set, when the
// file can't be read.
bool HistoryAsTable(const std::string& path, const std::vector<BatchLine>& lines, std::string& csv,
                    std::string& error, const std::vector<LineNote>& notes = {});

// A file name for an export made at `now`: `stem` and the local date,
// "排名_2026-12-09.csv".
std::string DatedFileName(const std::string& stem, std::time_t now);

}  // namespace sorvik
