// The history of a tracker, shared by the window thread, which reads it,
// and a check run's worker, which records in it. Readers get copies, and
// never wait on the disk: a record is written and flushed to the file
// before the readers' lock is taken to show it.
#pragma once

#include <cstddef>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "alerts.h"
#include "rank_history.h"

namespace sorvik {

class SharedHistory {
  public:
    // Receives each warning of the history file (on the thread that loads
    // or records).
    explicit SharedHistory(RankHistory::Warn warn);
    SharedHistory(const SharedHistory&) = delete;
    SharedHistory& operator=(const SharedHistory&) = delete;

    // As RankHistory's: reads the earlier records of `path`, then opens it
    // for appending.
    bool Load(const std::string& path, std::string& error);
    bool OpenForAppend(std::string& error);

    // As RankHistory::Record: fills in the history fields of `summary` and
    // appends it to the file; readers see it once it is written. False
    // when the line could not be written.
    bool Record(SummaryRecord& summary);
    // The alerts `summary` raises against the earlier checks of its line
    // (as AlertsOfCheck), worked out under the recording lock; called right
    // before Record by the one thread that records, so that no other record
    // of the line comes between.
    std::vector<Alert> AlertsBeforeRecording(const SummaryRecord& summary,
                                             const StoredCheck* stored,
                                             const StoredCheck* previousStored, int topN);

    // The checks of `key` in file order; none when it has none.
    std::vector<CheckPoint> Checks(const RankHistory::Key& key) const;
    // The latest check's record of `key`, with its history fields.
    std::optional<SummaryRecord> Latest(const RankHistory::Key& key) const;
    // Records read or written, lines skipped as damaged, and records skipped
    // for their outcome or time.
    std::size_t RecordCount() const;
    int SkippedLines() const;
    int SkippedRecords() const;

  private:
    // What readers see of one key.
    struct View {
        std::vector<CheckPoint> checks;
        std::optional<SummaryRecord> latest;
    };
    // Takes in what the history holds of `key` after a new record of it.
    void Show(const RankHistory::Key& key, bool newRecordOnly);

    // The file and the history fields: held by whoever loads or records,
    // across the disk's writes.
    std::mutex m_recordLock;  // guards m_history
    RankHistory m_history;

    // What readers see.
    mutable std::mutex m_lock;  // guards m_views, m_records, m_skippedLines, m_skippedRecords
    std::map<RankHistory::Key, View> m_views;
    std::size_t m_records = 0;
    int m_skippedLines = 0;
    int m_skippedRecords = 0;
};

}  // namespace sorvik
