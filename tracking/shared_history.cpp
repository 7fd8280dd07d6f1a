#include "shared_history.h"

#include <set>
#include <utility>

#include "alert_check.h"

namespace sorvik {

SharedHistory::SharedHistory(RankHistory::Warn warn) : m_history(std::move(warn), true) {}

bool SharedHistory::Load(const std::string& path, std::string& error) {
    std::lock_guard<std::mutex> recording(m_recordLock);
    std::set<RankHistory::Key> keys;
    m_history.SetRecordHook(
        [&keys](const SummaryRecord& summary) { keys.emplace(summary.keyword, summary.target); });
    const bool loaded = m_history.Load(path, error);
    m_history.SetRecordHook(nullptr);
    for (const RankHistory::Key& key : keys) Show(key, false);
    std::lock_guard<std::mutex> lock(m_lock);
    m_records = m_history.RecordCount();
    m_skippedLines = m_history.SkippedLines();
    m_skippedRecords = m_history.SkippedRecords();
    return loaded;
}

bool SharedHistory::OpenForAppend(std::string& error) {
    std::lock_guard<std::mutex> recording(m_recordLock);
    return m_history.OpenForAppend(error);
}

bool SharedHistory::Record(SummaryRecord& summary) {
    std::lock_guard<std::mutex> recording(m_recordLock);
    // Written and flushed without the readers' lock.
    const bool written = m_history.Record(summary);
    Show({summary.keyword, summary.target}, true);
    std::lock_guard<std::mutex> lock(m_lock);
    m_records = m_history.RecordCount();
    return written;
}

std::vector<Alert> SharedHistory::AlertsBeforeRecording(const SummaryRecord& summary,
                                                        const StoredCheck* stored,
                                                        const StoredCheck* previousStored,
                                                        int topN) {
    std::lock_guard<std::mutex> recording(m_recordLock);
    return AlertsOfCheck(m_history, summary, stored, previousStored, topN);
}

void SharedHistory::Show(const RankHistory::Key& key, bool newRecordOnly) {
    // m_history is read under m_recordLock, which the caller holds.
    const std::vector<CheckPoint>* checks = m_history.Checks(key);
    const SummaryRecord* latest = m_history.Latest(key);
    std::lock_guard<std::mutex> lock(m_lock);
    View& view = m_views[key];
    if (checks && newRecordOnly && view.checks.size() + 1 == checks->size())
        view.checks.push_back(checks->back());
    else if (checks)
        view.checks = *checks;
    if (latest) view.latest = *latest;
}

std::vector<CheckPoint> SharedHistory::Checks(const RankHistory::Key& key) const {
    std::lock_guard<std::mutex> lock(m_lock);
    const auto found = m_views.find(key);
    return found == m_views.end() ? std::vector<CheckPoint>() : found->second.checks;
}

std::optional<SummaryRecord> SharedHistory::Latest(const RankHistory::Key& key) const {
    std::lock_guard<std::mutex> lock(m_lock);
    const auto found = m_views.find(key);
    return found == m_views.end() ? std::nullopt : found->second.latest;
}

std::size_t SharedHistory::RecordCount() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_records;
}

int SharedHistory::SkippedLines() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_skippedLines;
}

int SharedHistory::SkippedRecords() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_skippedRecords;
}

}  // namespace sorvik
