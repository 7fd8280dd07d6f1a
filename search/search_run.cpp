#include "search_run.h"

#include <ctime>
#include <functional>
#include <optional>
#include <system_error>
#include <thread>

#include "gbk_text.h"
#include "messages.h"
#include "page_fetch.h"
#include "paging.h"
#include "search_address.h"

namespace sorvik {
namespace {

struct Rejection {
    const std::string* fixedText;  // null: the item-link message
    std::int32_t result;
};

// The first failing test of the mode's form rules, if any.
std::optional<Rejection> ValidateForm(const SearchState& state, std::int32_t mode) {
    switch (mode) {
        case kModeKeyword:
            if (state.m_keyword.empty()) return Rejection{&messages::KeywordEmpty(), 0};
            break;
        case kModeSeller:
            if (state.m_keyword.empty() || state.m_sellerName.empty())
                return Rejection{&messages::KeywordOrSellerEmpty(), 0};
            break;
        case kModeItemLink:
            if (state.m_keyword.empty() || state.m_itemLink.empty())
                return Rejection{&messages::KeywordOrLinkEmpty(), 0};
            if (FindAnsi(state.m_itemLink, "http://" + ItemHost()) != 0 ||
                FindAnsi(state.m_itemLink, "id=") == std::string::npos)
                return Rejection{nullptr, -1};
            break;
        default:
            break;
    }
    return std::nullopt;
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

    if (auto rejection = ValidateForm(state, state.m_searchMode.load())) {
        window.ShowMessage(rejection->fixedText ? *rejection->fixedText : messages::BadItemLink());
        seen.outcome = SearchOutcome::FormRejected;
        result = rejection->result;
    } else {
        state.m_searchUrl = BuildSearchUrl(state.m_keyword, std::time(nullptr));
        const PageLoad first =
            LoadResultPage(state, state.m_searchUrl, false, limits.stopDuringDownload);
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
