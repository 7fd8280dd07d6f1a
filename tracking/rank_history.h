// The history file: every summary appended as one JSON line, and what the
// earlier lines say about the same keyword and target.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "flat_json.h"
#include "output_format.h"
#include "summary.h"

namespace sorvik {

// One past check of a keyword and target, as a chart draws it.
struct CheckPoint {
    std::int64_t when = 0;  // seconds since 1970-01-01 UTC; 0 when its time can't be read
    std::int32_t rank = 0;  // 0: no rank
    std::int32_t page = 0;  // 0: no page
    CheckOutcome outcome = CheckOutcome::Other;
};

class RankHistory {
  public:
    // Receives each warning as one line of text (without a line end).
    using Warn = std::function<void(const std::string&)>;
    // The key of a tracked search: keyword, and target (none in mode 1).
    using Key = std::pair<std::string, std::optional<std::string>>;

    // With `keepChecks`, every check read or recorded is kept for Checks
    // and Latest; without, only what the history fields need.
    explicit RankHistory(Warn warn, bool keepChecks = false);
    ~RankHistory();
    RankHistory(const RankHistory&) = delete;
    RankHistory& operator=(const RankHistory&) = delete;

    // Reads the earlier records of `path`; a missing file has none. A line
    // that is no record (damaged, or half written by a run that was cut
    // off) is skipped with a warning. False, with `error` set, when the file
    // is a directory or cannot be read.
    bool Load(const std::string& path, std::string& error);

    // Opens the file for appending, creating it when missing. False, with
    // `error` set, when it cannot be written.
    bool OpenForAppend(std::string& error);

    // Fills in the history fields of `summary` from the earlier records of
    // its keyword and target, appends it to the file as one line in one
    // write, and counts it among the earlier records from then on. False
    // (after a warning, the first time) when the line could not be written.
    bool Record(SummaryRecord& summary);

    // With `keepChecks`: the checks of `key` in file order, and the latest
    // one's record with its history fields; null when it has none.
    const std::vector<CheckPoint>* Checks(const Key& key) const;
    const SummaryRecord* Latest(const Key& key) const;

    // Receives every record read or recorded from now on, with its history
    // fields.
    void SetRecordHook(std::function<void(const SummaryRecord&)> hook) { m_hook = std::move(hook); }

    // Records read or written, and lines skipped as damaged.
    std::size_t RecordCount() const { return m_records; }
    int SkippedLines() const { return m_skipped; }

  private:
    struct Track {
        std::optional<int> lastRank;  // of the latest check that ran to its end
        std::optional<int> bestRank;
        std::vector<CheckPoint> checks;       // with keepChecks
        std::optional<SummaryRecord> latest;  // with keepChecks
    };

    // Fills in the history fields of `summary` and remembers it; returns
    // its track.
    Track& Remember(SummaryRecord& summary);
    bool ReadRecord(std::string_view line, SummaryRecord& summary);
    // The map key of a keyword and target, built in m_keyText.
    const std::string& KeyText(const std::string& keyword,
                               const std::optional<std::string>& target);
    const Track* Find(const Key& key) const;

    Warn m_warn;
    std::function<void(const SummaryRecord&)> m_hook;
    bool m_keepChecks;
    std::string m_path;
    FILE* m_file = nullptr;
    bool m_endsWithLineFeed = true;  // false: the next record starts with a line feed
    bool m_writeFailed = false;
    std::size_t m_records = 0;
    int m_skipped = 0;
    std::unordered_map<std::string, Track> m_tracks;  // by KeyText
    std::string m_keyText;
    FlatObject m_line;  // the line being read, its memory kept from line to line
};

// The records of the history file at `path` as CSV: UTF-8 with a
// byte-order mark, the console's summary columns with the history fields.
// Damaged lines are left out. False, with `error` set, when the file can't
// be read.
bool HistoryAsCsv(const std::string& path, std::string& csv, std::string& error);

}  // namespace sorvik
