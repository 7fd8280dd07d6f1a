#include "window_export.h"

#include <map>

#include "local_time.h"
#include "rank_history.h"

namespace sorvik {
namespace {

constexpr const char* kByteOrderMark = "\xEF\xBB\xBF";

// A check's time in the local time zone, to the minute; the recorded text
// when it can't be read.
std::string LocalTimeOf(const std::string& checkedAt) {
    if (const auto when = ParseTimestamp(checkedAt)) {
        std::string local = ShortLocalTime(*when);
        if (!local.empty()) return local;
    }
    return ShortTime(checkedAt);
}

std::string CsvLine(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) line += (i ? "," : "") + CsvCell(cells[i]);
    return line + "\r\n";
}

std::string Number(const std::optional<int>& number) {
    return number ? std::to_string(*number) : std::string();
}

}  // namespace

std::string TableAsCsv(const std::vector<TableRow>& rows,
                       const std::vector<std::string>& checkedAt) {
    std::vector<std::string> captions;
    for (std::size_t i = 0; i < kTableColumnCount; ++i)
        captions.emplace_back(TableColumnCaption(static_cast<TableColumn>(i)));
    std::string csv = kByteOrderMark + CsvLine(captions);
    for (std::size_t row = 0; row < rows.size(); ++row) {
        std::vector<std::string> cells = rows[row].cells;
        const auto time = static_cast<std::size_t>(TableColumn::CheckedAt);
        if (row < checkedAt.size() && !checkedAt[row].empty() && time < cells.size())
            cells[time] = LocalTimeOf(checkedAt[row]);
        csv += CsvLine(cells);
    }
    return csv;
}

std::string CellsAsCsv(const std::vector<std::string>& captions,
                       const std::vector<std::vector<std::string>>& rows) {
    std::string csv = kByteOrderMark + CsvLine(captions);
    for (const std::vector<std::string>& cells : rows) csv += CsvLine(cells);
    return csv;
}

bool HistoryAsTable(const std::string& path, const std::vector<BatchLine>& lines, std::string& csv,
                    std::string& error, const std::vector<LineNote>& notes) {
    std::map<std::pair<TrackKey, std::int64_t>, std::string> noteOf;
    for (const LineNote& note : notes)
        noteOf.emplace(std::make_pair(note.key, note.when), note.text);
    // Records carry no group: it is the list's, found by the search's key.
    std::map<TrackKey, std::string> groups;
    for (const BatchLine& line : lines)
        if (!line.group.empty()) groups.emplace(KeyOf(line), line.group);
    RankHistory history([](const std::string&) {});
    csv = kByteOrderMark + CsvLine({"检查时间", "关键词", "目标", "方式", "分组", "结果", "排名",
                                    "页", "变化", "最佳", "结果数", "已读页数", "备注"});
    history.SetRecordHook([&csv, &groups, &noteOf](const SummaryRecord& summary) {
        const auto group = groups.find(KeyOf(summary));
        const std::optional<std::int64_t> when = ParseTimestamp(summary.checkedAt);
        const auto note = when ? noteOf.find({KeyOf(summary), *when}) : noteOf.end();
        csv += CsvLine({LocalTimeOf(summary.checkedAt), summary.keyword,
                        summary.target.value_or(std::string()),
                        ModeWord(static_cast<SearchMode>(summary.mode)),
                        group == groups.end() ? std::string() : group->second,
                        OutcomeWords(summary.outcome), Number(summary.rank), Number(summary.page),
                        ChangeWords(summary), Number(summary.bestRank), Number(summary.total),
                        std::to_string(summary.pagesRead),
                        note == noteOf.end() ? std::string() : note->second});
    });
    return history.Load(path, error);
}

std::string DatedFileName(const std::string& stem, std::time_t now) {
    std::tm local{};
    char date[16] = "";
    if (ToLocalTime(now, local)) std::strftime(date, sizeof date, "%Y-%m-%d", &local);
    return stem + (*date ? std::string("_") + date : std::string()) + ".csv";
}

}  // namespace sorvik
