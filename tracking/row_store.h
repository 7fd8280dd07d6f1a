// The store of the rows each check saw: an SQLite database beside the
// history file (rows.db in the tracker's data folder, --store in the
// console). The history file stays the record of checks; the store keeps
// what the competition and the rivals are worked out from.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "seen_row.h"

struct sqlite3;

namespace sorvik {

class Statement;

// Safe to use from several threads; several processes may write one store
// at once (WAL, with a busy timeout).
class RowStore {
  public:
    // Rows of checks older than this many days are dropped after a check.
    static constexpr std::int32_t kDefaultRetentionDays = 180;

    // Opens the store at `path`, creating it when missing. A file that is
    // no store of this program's or is damaged is renamed aside (to
    // PATH.damaged-YYYYMMDD-HHMMSS) and a new store started; `report` then
    // says so. Null, with `report` saying why, when no store can be opened.
    static std::unique_ptr<RowStore> Open(const std::string& path, std::string& report);
    ~RowStore();
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    void SetRetentionDays(std::int32_t days) { m_retentionDays = days; }

    // How much of each row a reading fills in.
    enum class RowDetail : std::uint8_t {
        None,     // no rows
        Sellers,  // rank, page, seller, price and sales (what the rivals need)
        Whole,    // every field
    };

    // What became of a check given to Record.
    enum class Kept : std::uint8_t {
        Yes,
        InNewStore,  // the store was found damaged, set aside, and a new one holds it
        No,
    };
    // Keeps `check` and its rows, in one transaction, then drops the checks
    // older than the retention before it. Unless Yes, `error` says what
    // happened.
    Kept Record(const StoredCheck& check, std::string& error);

    // The checks of one line (keyword, target, mode) made at `since` or
    // later, oldest first. A check whose rows can't be read is left out.
    std::vector<StoredCheck> ChecksOf(const std::string& keyword, const std::string& target,
                                      std::int32_t mode, std::time_t since, RowDetail detail);
    // The checks of every line made at `since` or later, oldest first.
    std::vector<StoredCheck> ChecksSince(std::time_t since, RowDetail detail);
    // The checks of every line made at `since` or later, cut down to their
    // sellers: what the rivals are counted from.
    SellerChecks SellerChecksSince(std::time_t since);
    // The latest check of `check`'s line that ran to its end before it
    // (by time, then by the order they were stored): what it is compared
    // with.
    std::optional<StoredCheck> PreviousCompleted(const StoredCheck& check, RowDetail detail);
    // The latest check of a line that found its target, with the found row
    // alone among its rows.
    std::optional<StoredCheck> LatestFound(const std::string& keyword, const std::string& target,
                                           std::int32_t mode);

    const std::string& Path() const { return m_path; }

  private:
    RowStore(std::string path, sqlite3* db);
    // With m_lock held.
    int RecordCheck(const StoredCheck& check);
    // Also with m_lock held; the tail of a query after its WHERE.
    // With `allItems`, every item is read in one pass first.
    std::vector<StoredCheck> Read(const char* whereAndOrder,
                                  const std::function<void(Statement&)>& bind, RowDetail detail,
                                  bool allItems = false);

    std::string m_path;
    // The window's worker records while its window thread reads.
    std::mutex m_lock;  // guards m_db and every statement on it
    sqlite3* m_db;
    std::int32_t m_retentionDays = kDefaultRetentionDays;
};

}  // namespace sorvik
