// The history file: every summary appended as one JSON line, and what the
// earlier lines say about the same keyword and target.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "batch_file.h"
#include "file_names.h"
#include "flat_json.h"
#include "output_format.h"
#include "summary.h"

namespace sorvik {

// The key of a tracked search: its keyword, and its target (none in mode 1).
// Records, list lines and the window's rows all find their history by it.
struct TrackKey {
    TrackKey() = default;
    TrackKey(std::string keyword, std::optional<std::string> target)
        : keyword(std::move(keyword)), target(std::move(target)) {}
    std::string keyword;
    std::optional<std::string> target;

    bool operator==(const TrackKey& other) const {
        return keyword == other.keyword && target == other.target;
    }
    bool operator<(const TrackKey& other) const {
        return std::tie(keyword, target) < std::tie(other.keyword, other.target);
    }
};

// The key of a list line (its target only when its mode has one) and of a
// record.
TrackKey KeyOf(const BatchLine& line);
TrackKey KeyOf(const SummaryRecord& summary);

// One past check of a keyword and target, as a chart draws it.
struct CheckPoint {
    std::int64_t when = 0;  // seconds since 1970-01-01 UTC; 0 when its time can't be read
    std::int32_t rank = 0;  // 0: no rank
    std::int32_t page = 0;  // 0: no page
    CheckOutcome outcome = CheckOutcome::Other;
    std::int32_t total = -1;  // the result count read from page 1; -1: not known
    std::int32_t pagesRead = 0;
};

class RankHistory {
  public:
    // Receives each warning as one line of text (without a line end).
    using Warn = std::function<void(const std::string&)>;
    using Key = TrackKey;

    // With `keepChecks`, every check read or recorded is kept for Checks
    // and Latest; without, only what the history fields need.
    explicit RankHistory(Warn warn, bool keepChecks = false);
    ~RankHistory();
    RankHistory(const RankHistory&) = delete;
    RankHistory& operator=(const RankHistory&) = delete;

    // Reads the earlier records of `path`; a missing file has none. A line
    // that is no record (damaged, or half written by a run that was cut
    // off) is skipped with a warning. Records that can't be placed in time
    // (an outcome this program does not know, a `checked_at` that can't be
    // read or more than a day ahead of now) are skipped too, with one
    // warning for all of them at the end. False, with `error` set, when the
    // file is not a regular file or cannot be read.
    bool Load(const std::string& path, std::string& error);

    // Opens the file for appending, creating it when missing. False, with
    // `error` set, when it cannot be written.
    bool OpenForAppend(std::string& error);

    // Fills in the history fields of `summary` from the earlier records of
    // its keyword and target, appends it to the file as one line in one
    // write, and counts it among the earlier records from then on. False
    // (after a warning, the first time) when the line could not be written
    // whole; the file is then cut back to what it held before.
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
    // Records skipped for their outcome or time.
    int SkippedRecords() const { return m_skippedRecords; }

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
    const Track* Find(const Key& key) const;

    Warn m_warn;
    std::function<void(const SummaryRecord&)> m_hook;
    bool m_keepChecks;
    std::string m_path;
    UniqueFile m_file;
    bool m_endsWithLineFeed = true;  // false: the next record starts with a line feed
    bool m_writeFailed = false;
    std::size_t m_records = 0;
    int m_skipped = 0;
    int m_skippedRecords = 0;
    std::unordered_map<std::string, Track> m_tracks;  // by KeyText of their key
    std::string m_keyText;  // the key of the record being remembered, its memory kept
    FlatObject m_line;      // the line being read, its memory kept from line to line
};

}  // namespace sorvik
