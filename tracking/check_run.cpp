#include "check_run.h"

#include "check_window.h"
#include "gbk_text.h"
#include "line_check.h"
#include "run_folder.h"
#include "search_form.h"

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
                   Events events)
    : m_lines(std::move(lines)),
      m_limits(limits),
      m_history(std::move(history)),
      m_store(std::move(store)),
      m_events(std::move(events)),
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
        const bool recorded = m_history->Record(check.summary);
        // A rejected line saw no rows: the store keeps the checks that ran.
        if (m_store && m_lines[i].problem.empty()) {
            std::string problem;
            if (m_store->Record(check.Stored(), problem) != RowStore::Kept::Yes &&
                m_events.storeProblem)
                m_events.storeProblem(problem);
        }
        const std::string why = !check.result.report.downloadFailure.empty()
                                    ? check.result.report.downloadFailure
                                    : m_lines[i].problem;
        if (m_events.checked) m_events.checked(i, check.summary, why, recorded);
        if (stopped) break;
    }
    // Gone before the run says it has ended.
    folder.reset();
    if (m_events.finished) m_events.finished(stopped || m_stopWanted.load());
    std::lock_guard<std::mutex> lock(m_endLock);
    m_ended = true;
    m_endSignal.notify_all();
}

}  // namespace sorvik
