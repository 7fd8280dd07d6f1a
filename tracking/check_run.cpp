#include "check_run.h"

#include "check_window.h"
#include "gbk_text.h"
#include "line_check.h"
#include "run_folder.h"
#include "search_form.h"
#include "webhook_post.h"

namespace sorvik {

// The search window of one line's check: hands the status line on as
// progress, and takes a stop wanted before the run began.
class CheckRun::LineWindow : public CheckWindow {
  public:
    LineWindow(CheckRun& run, std::size_t index, SearchForm form)
        : CheckWindow(std::move(form)), m_run(run), m_index(index) {}

  protected:
    bool StopWanted() override { return m_run.m_stopWanted.load(); }
    void OnStatus(const std::string& gbkText) override {
        if (m_run.m_events.progress)
            m_run.m_events.progress(m_index, GbkToUtf8(gbkText), State().m_pageNumber);
    }
    // While a page downloads the status still tells of the page before:
    // the progress names the page that is loading, the pages before it done.
    void PageLoading(std::int32_t page) override {
        if (m_run.m_events.progress)
            m_run.m_events.progress(m_index, "正在下载第" + std::to_string(page) + "页…", page - 1);
    }

  private:
    CheckRun& m_run;
    const std::size_t m_index;
};

CheckRun::CheckRun(std::vector<BatchLine> lines, SearchLimits limits,
                   std::shared_ptr<SharedHistory> history, std::shared_ptr<RowStore> store,
                   Events events, Alerting alerting)
    : m_lines(std::move(lines)),
      m_limits(limits),
      m_history(std::move(history)),
      m_store(std::move(store)),
      m_events(std::move(events)),
      m_alerting(std::move(alerting)),
      m_worker([this] { Run(); }) {}

CheckRun::~CheckRun() {
    Stop();
    if (m_worker.joinable()) m_worker.join();
}

void CheckRun::Stop() {
    m_stopWanted.store(true);
    std::lock_guard<std::mutex> lock(m_windowLock);
    if (m_window) m_window->RequestStop();
}

bool CheckRun::WaitUntilEnded(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_endLock);
    return m_endSignal.wait_for(lock, timeout, [this] { return m_ended; });
}

bool CheckRun::Ended() {
    std::lock_guard<std::mutex> lock(m_endLock);
    return m_ended;
}

void CheckRun::Run() {
    // The pages of this run's own, in a folder beside where they were kept
    // before. When none can be made there, the pages keep the fixed names
    // (a folder that can't be written then fails the download, which says
    // why).
    std::string ignored;
    std::unique_ptr<RunFolder> folder = RunFolder::Create(".", ignored);
    if (!m_alerting.file.empty()) m_alertFileOpen = m_alertFile.Open(m_alerting.file, ignored);
    std::vector<Alert> toPost;
    bool stopped = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_stopWanted.load()) {
            stopped = true;
            break;
        }
        LineCheck check = CheckLine(m_lines[i], [&](const SearchForm& form) {
            auto window = std::make_shared<LineWindow>(*this, i, form);
            if (folder) folder->Use(window->State());
            {
                std::lock_guard<std::mutex> lock(m_windowLock);
                m_window = window;
            }
            // A stop that came before the window was in place.
            if (m_stopWanted.load()) window->RequestStop();
            CheckResult result = RunCheck(*window, m_limits);
            std::lock_guard<std::mutex> lock(m_windowLock);
            m_window.reset();
            return result;
        });
        if (check.result.stopRequested) stopped = true;
        // A rejected line saw no rows: the store keeps the checks that ran.
        // The line's completed check before this one is read before this
        // one is kept.
        std::optional<StoredCheck> stored, previous;
        if (m_store && m_lines[i].problem.empty()) {
            stored = check.Stored();
            previous = m_store->PreviousCompleted(*stored, RowStore::RowDetail::Whole);
            std::string problem;
            if (m_store->Record(*stored, problem) != RowStore::Kept::Yes && m_events.storeProblem)
                m_events.storeProblem(problem);
        }
        // The alerts compare the check with the line's history before it.
        RaiseAlerts(i, check.summary, stored ? &*stored : nullptr, previous ? &*previous : nullptr,
                    toPost);
        const bool recorded = m_history->Record(check.summary);
        const std::string why = !check.result.report.downloadFailure.empty()
                                    ? check.result.report.downloadFailure
                                    : m_lines[i].problem;
        if (m_events.checked) m_events.checked(i, check.summary, why, recorded);
        if (stopped) break;
    }
    // Gone before the run says it has ended.
    folder.reset();
    // After the checks, so that a slow robot never holds one up.
    if (m_alerting.robot && !toPost.empty()) PostAlerts(toPost);
    if (m_events.finished) m_events.finished(stopped || m_stopWanted.load());
    std::lock_guard<std::mutex> lock(m_endLock);
    m_ended = true;
    m_endSignal.notify_all();
}

void CheckRun::RaiseAlerts(std::size_t index, const SummaryRecord& summary,
                           const StoredCheck* stored, const StoredCheck* previous,
                           std::vector<Alert>& toPost) {
    std::vector<Alert> alerts =
        m_history->AlertsBeforeRecording(summary, stored, previous, m_alerting.topN);
    if (alerts.empty()) return;
    for (Alert& alert : alerts) alert.group = m_lines[index].group;
    const bool kept = m_alerting.file.empty() || (m_alertFileOpen && m_alertFile.Append(alerts));
    toPost.insert(toPost.end(), alerts.begin(), alerts.end());
    if (m_events.alerts) m_events.alerts(index, alerts, kept);
}

void CheckRun::PostAlerts(const std::vector<Alert>& alerts) {
    std::size_t posted = 0;
    std::string failure;
    for (const Alert& alert : alerts) {
        // A stop (closing the window included) ends the posts: only the one
        // under way is waited for.
        if (m_stopWanted.load()) {
            failure = "the run was stopped before they were posted";
            break;
        }
        const WebhookResult result =
            PostRobotMessage(*m_alerting.robot, m_alerting.secret, alert.text);
        if (!result.sent) {
            // A robot that refused one would refuse the rest as well.
            failure = result.failure;
            break;
        }
        ++posted;
    }
    if (m_events.posted) m_events.posted(posted, failure);
}

}  // namespace sorvik
