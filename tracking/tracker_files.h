// The tracker window's files in its data folder: the keyword list
// (keywords.txt, the batch file format), the history (history.jsonl, the
// console's history format) and the settings (tracker.ini). The list and
// the settings are written whole under a temporary name and renamed into
// place; the history only ever grows by whole lines.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch_file.h"
#include "row_store.h"

namespace sorvik {

struct TrackerSettings {
    int pagesPerCheck = 10;  // result pages read at most per check
    // The share of the height the table takes above the chart, in percent
    // (20 to 60): the chart has at least 40% by default.
    int tablePercent = 40;
    // How many days the rows of each check are kept in the row store.
    int storeDays = RowStore::kDefaultRetentionDays;
    // An alert is raised when a rank leaves the top alertTopN places.
    int alertTopN = 40;
    // The group robot the alerts are posted to (empty: none), and
    // DingTalk's signing secret for it (empty: unsigned).
    std::string webhook;
    std::string webhookSecret;
    // The daily check run by the system's scheduler, and its time of day
    // (local, "HH:MM"); what the window last registered.
    bool dailyCheck = false;
    std::string dailyTime = "09:00";
    // The check time (a LocalTimestamp) of the latest alert the user has
    // seen in the window's list; later ones, the daily check's among them,
    // are counted as new. Empty: the window has never kept one.
    std::string alertsSeenUntil{};
};

// The most places alertTopN may be: 100 pages of 40 items.
constexpr int kMaxAlertTopN = 4000;

// The most days of rows the settings may ask the store to keep.
constexpr int kMaxStoreDays = 3650;

// The most pages per check the window lets a user choose.
constexpr int kMaxPagesPerCheck = 100;

class TrackerFiles {
  public:
    // `folder` in UTF-8, without a separator at its end.
    explicit TrackerFiles(std::string folder) : m_folder(std::move(folder)) {}

    const std::string& Folder() const { return m_folder; }
    std::string ListFile() const { return m_folder + "/keywords.txt"; }
    std::string HistoryFile() const { return m_folder + "/history.jsonl"; }
    std::string SettingsFile() const { return m_folder + "/tracker.ini"; }
    std::string StoreFile() const { return m_folder + "/rows.db"; }

    // Creates the folder (and those above it) when missing. False, with
    // `error` set, when that fails or no file can be created in it.
    bool Prepare(std::string& error) const;

    // The keyword list; empty when the file does not exist yet. No value,
    // and `error` set, when it cannot be read or is not UTF-8; lines that
    // can't be used are kept with their problem set.
    std::optional<std::vector<BatchLine>> ReadList(std::string& error) const;
    bool WriteList(const std::vector<BatchLine>& lines, std::string& error) const;

    // The settings; the defaults for a missing file or a value that can't
    // be used.
    TrackerSettings ReadSettings() const;
    bool WriteSettings(const TrackerSettings& settings, std::string& error) const;

  private:
    std::string m_folder;
};

// Writes `text` to `path` under a temporary name beside it and renames it
// into place: `path` holds the old content or the new, never a part.
bool WriteFileWhole(const std::string& path, const std::string& text, std::string& error);

}  // namespace sorvik
