// Checks of keyword list lines, one after another on a worker thread of
// their own, each recorded in the history as it ends, with the alerts it
// raises.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "alert_check.h"
#include "alerts.h"
#include "batch_file.h"
#include "robot_message.h"
#include "row_store.h"
#include "search_limits.h"
#include "shared_history.h"

namespace sorvik {

// What a check run does with the alerts its checks raise.
struct CheckAlerting {
    std::string file;                   // appended to; empty: none
    int topN = kDefaultAlertTopN;       // the top places left_top watches
    std::optional<RobotAddress> robot;  // posted to after the checks; none: not posted
    std::string secret;                 // DingTalk's signing secret, or empty
};

class CheckRun {
  public:
    // What a run tells its front end, on the worker thread.
    struct Events {
        // The check of line `index` (of the run's lines) shows `statusUtf8`
        // in its status line while reading result page `page`.
        std::function<void(std::size_t index, const std::string& statusUtf8, int page)> progress;
        // The check of line `index` ended as `summary` (with its history
        // fields); `why` says why a failed check failed (the download's
        // failure, or the line's problem), else empty; `recorded` is false
        // when the history file could not be written.
        std::function<void(std::size_t index, const SummaryRecord& summary, const std::string& why,
                           bool recorded)>
            checked;
        // The rows of a check could not be kept in the store; `problem` says
        // why (a damaged store set aside included). The check and its
        // history record stand.
        std::function<void(const std::string& problem)> storeProblem;
        // The check of line `index` raised `alerts` (never empty), told
        // before its `checked`; `kept` is false when the alerts file could
        // not keep them.
        std::function<void(std::size_t index, const std::vector<Alert>& alerts, bool kept)> alerts;
        // The run's alerts went to the robot after its checks: `posted` of
        // them were taken; `failure` says why the next one was not (empty
        // when all were). Told before `finished`, and only when a robot is
        // set and the run raised alerts. A stopped run posts none.
        std::function<void(std::size_t posted, const std::string& failure)> posted;
        // The run has ended: every line checked, or stopped.
        std::function<void(bool stopped)> finished;
    };

    using Alerting = CheckAlerting;

    // Starts checking `lines` in order with `limits`, recording each check
    // in `history` (already loaded and open for appending) and the rows it
    // saw in `store` (none: the rows are not kept). A line with a problem is
    // recorded as rejected without a search. Each check's alerts are worked
    // out before it is recorded, appended to `alerting.file` and, after the
    // last check, posted to `alerting.robot`.
    CheckRun(std::vector<BatchLine> lines, SearchLimits limits,
             std::shared_ptr<SharedHistory> history, std::shared_ptr<RowStore> store, Events events,
             Alerting alerting = Alerting());
    // Stops the run and waits for its worker.
    ~CheckRun();
    CheckRun(const CheckRun&) = delete;
    CheckRun& operator=(const CheckRun&) = delete;

    // Ends the running check at once (a download under way included) and
    // starts no further one. Safe on any thread.
    void Stop();
    // Waits until the worker has ended, at most `timeout`; true when it has.
    bool WaitUntilEnded(std::chrono::milliseconds timeout);
    bool Ended();

  private:
    class LineWindow;
    void Run();
    // Works out, keeps and tells the alerts of line `index`'s check; adds
    // them to `toPost`.
    void RaiseAlerts(std::size_t index, const SummaryRecord& summary, const StoredCheck* stored,
                     const StoredCheck* previous, std::vector<Alert>& toPost);
    // Posts `alerts` to the robot, one message each, until one fails.
    void PostAlerts(const std::vector<Alert>& alerts);

    const std::vector<BatchLine> m_lines;
    const SearchLimits m_limits;
    const std::shared_ptr<SharedHistory> m_history;
    const std::shared_ptr<RowStore> m_store;
    const Events m_events;
    const Alerting m_alerting;
    AlertFile m_alertFile;  // used by the worker only
    bool m_alertFileOpen = false;

    std::atomic<bool> m_stopWanted{false};
    std::mutex m_windowLock;               // guards m_window
    std::shared_ptr<LineWindow> m_window;  // the window of the running check
    std::mutex m_endLock;                  // guards m_ended
    std::condition_variable m_endSignal;
    bool m_ended = false;
    std::thread m_worker;  // last: started when everything above exists
};

}  // namespace sorvik
