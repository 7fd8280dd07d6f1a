// The alerts of each check of a run: worked out from the line's history
// and stored rows, appended to an alerts file, posted to a group robot.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "alerts.h"
#include "file_names.h"
#include "rank_history.h"
#include "robot_message.h"
#include "tracker_files.h"

namespace sorvik {

// The alerts `summary` raises against the earlier checks of its line in
// `history` (made with keepChecks). Called before the summary is recorded
// there. `stored` is the check's stored rows and `previousStored` the
// line's completed check before it from the row store (both null without
// a store).
std::vector<Alert> AlertsOfCheck(const RankHistory& history, const SummaryRecord& summary,
                                 const StoredCheck* stored, const StoredCheck* previousStored,
                                 int topN);

// A file the alerts are appended to, one JSON line each.
class AlertFile {
  public:
    // Opens `path` for appending, creating it when missing. False, with
    // `error` set, when it cannot be written.
    bool Open(const std::string& path, std::string& error);
    // Appends the alerts in one write. False when they were not written
    // whole; the file is then cut back to what it held.
    bool Append(const std::vector<Alert>& alerts);

  private:
    UniqueFile m_file;
    bool m_startLine = false;  // the file ends in the middle of a line
};

// The robot of the settings' webhook. No value, and `problem` set, when
// none is set or its address can't be used.
std::optional<RobotAddress> SettingsRobot(const TrackerSettings& settings, std::string& problem);

}  // namespace sorvik
