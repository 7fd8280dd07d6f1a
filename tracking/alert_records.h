// The alerts as the tracker window shows them: read back from the alerts
// file, their kinds in words, the desktop notice of a run's alerts, and
// whether a robot address can take them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "alerts.h"

namespace sorvik {

// The most alerts the window reads back from the file: the latest ones.
constexpr std::size_t kMaxReadAlerts = 2000;

// The alert of the kind named `name` ("left_top" ...); none for another name.
std::optional<AlertKind> AlertKindOfName(const std::string& name);

// The alerts of the file at `path` (UTF-8) in file order, at most the last
// kMaxReadAlerts; `skipped` counts the lines that were no alert (damaged,
// half written). A missing file holds none.
std::vector<Alert> ReadAlertFile(const std::string& path, int& skipped);

// The kind in words: 跌出前N名 (with `topN`), 大幅下跌, 新对手, 连续失败.
std::string AlertKindWords(AlertKind kind, int topN);

// The desktop notice of a run's alerts: the first one's text, and
// "等 N 条" when there are more. Empty for none.
std::string AlertNotice(const std::vector<Alert>& alerts);

// Why the group robot address `webhook` can't be used, in Chinese; empty
// when it can. The checks are those of RobotAddressOf.
std::string RobotAddressProblem(const std::string& webhook);

}  // namespace sorvik
