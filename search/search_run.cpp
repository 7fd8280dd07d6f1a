#include "search_run.h"

#include <ctime>
#include <functional>
#include <system_error>
#include <thread>

#include "form_check.h"
#include "messages.h"
#include "page_fetch.h"
#include "paging.h"
#include "search_address.h"

namespace sorvik {
namespace {

// The form check of the fields the run has read, in the mode set now.
FormCheck CheckForm(const SearchState& state) {
    return ValidateForm(
        static_cast<SearchMode>(state.m_searchMode.load()),
        {state.m_keyword, state.m_sellerName, state.m_itemLink, state.m_keywordOutsideGbk});
}

// Runs `run` with a report of its own and passes on how the run ended.
std::int32_t WithOutcome(SearchOutcome* outcome,
                         const std::function<std::int32_t(SearchReport*)>& run) {
    SearchReport report;
    const std::int32_t result = run(&report);
    if (outcome) *outcome = report.outcome;
    return result;
}

}  // namespace

std::int32_t RunSearch(SearchWindow& window, SearchOutcome* outcome) {
    return WithOutcome(
        outcome, [&](SearchReport* report) { return RunSearch(window, SearchLimits{}, report); });
}

std::int32_t RunSearch(SearchWindow& window, const SearchLimits& limits, SearchReport* report) {
    SearchState& state = window.State();
    SearchReport seen;
    std::int32_t result = 0;

    state.m_stopRequested.store(false);
    window.ClearResults();
    window.ReadForm();
    window.SetStatusText(std::string());

    const FormCheck check = CheckForm(state);
    if (check.rejection != FormRejection::None) {
        window.ShowMessage(check.message);
        seen.outcome = SearchOutcome::FormRejected;
        // A malformed link ends the run as a failure; a missing or unsendable
        // field as a run that had nothing to do.
        result = check.rejection == FormRejection::BadItemLink ? -1 : 0;
    } else {
        state.m_searchUrl = BuildSearchUrl(state.m_keyword, std::time(nullptr));
        window.PageLoading(1);
        const PageLoad first = LoadResultPage(state, state.m_searchUrl, false, limits);
        if (first.result == PageLoadResult::DownloadFailed) {
            window.ShowMessage(messages::FirstDownloadFailed());
            seen.outcome = SearchOutcome::FirstDownloadFailed;
            seen.downloadFailure = first.failure;
            result = -1;
        } else if (first.result == PageLoadResult::Stopped) {
            // Only a front end that lets a stop end the transfer gets here:
            // the search takes the stop path before it has a page.
            window.AppendStoppedMark();
            seen.outcome = SearchOutcome::Stopped;
        } else {
            seen = AnalyseResultPages(window, limits).report;
        }
    }
    // A run started behind this one keeps Start disabled until it ends itself.
    window.EnableStartUnlessQueued();
    if (report) *report = seen;
    return result;
}

namespace {

// Waits for the run lock, then runs one search. `begin` runs once the lock
// is held, before the run's first step; when it returns false (the run was
// cancelled while it waited) the run ends there and leaves the window as it
// is.
std::int32_t RunWhenFree(SearchWindow& window, const SearchLimits& limits, SearchReport* report,
                         const std::function<bool()>& begin) {
    // Hold the tracker, not the window, for the lock: it outlives the window.
    std::shared_ptr<WorkerTracker> workers = window.Workers();
    std::lock_guard<std::mutex> oneRunAtATime(workers->RunLock());
    if (!begin()) return 0;
    return RunSearch(window, limits, report);
}

}  // namespace

std::int32_t SearchThreadProc(SearchWindow& window, SearchOutcome* outcome) {
    return WithOutcome(outcome, [&](SearchReport* report) {
        return SearchThreadProc(window, SearchLimits{}, report);
    });
}

std::int32_t SearchThreadProc(SearchWindow& window, const SearchLimits& limits,
                              SearchReport* report) {
    return RunWhenFree(window, limits, report, [] { return true; });
}

bool StartSearchWorker(SearchWindow& window) {
    std::shared_ptr<WorkerTracker> workers = window.Workers();
    const std::uint64_t ticket = workers->Enter();
    try {
        std::thread([workers, ticket, &window] {
            RunWhenFree(window, SearchLimits{}, nullptr, [&] { return workers->Begin(ticket); });
            workers->Leave();
        }).detach();
    } catch (const std::system_error&) {
        workers->Begin(ticket);
        workers->Leave();
        return false;
    }
    return true;
}

bool WorkerTracker::WaitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_countLock);
    return m_idle.wait_for(lock, timeout, [this] { return m_alive == 0; });
}

bool WorkerTracker::Idle() {
    std::lock_guard<std::mutex> lock(m_countLock);
    return m_alive == 0;
}

bool WorkerTracker::RunQueued() {
    std::lock_guard<std::mutex> lock(m_countLock);
    return m_queued > 0;
}

void WorkerTracker::CancelQueuedRuns() {
    std::lock_guard<std::mutex> lock(m_countLock);
    m_cancelledUpTo = m_lastTicket;
    m_queued = 0;
}

std::uint64_t WorkerTracker::Enter() {
    std::lock_guard<std::mutex> lock(m_countLock);
    ++m_alive;
    ++m_queued;
    return ++m_lastTicket;
}

bool WorkerTracker::Begin(std::uint64_t ticket) {
    std::lock_guard<std::mutex> lock(m_countLock);
    if (ticket <= m_cancelledUpTo) return false;  // no longer counted as queued
    --m_queued;
    return true;
}

void WorkerTracker::Leave() {
    std::lock_guard<std::mutex> lock(m_countLock);
    if (--m_alive == 0) m_idle.notify_all();
}

}  // namespace sorvik
