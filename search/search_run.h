// One search run from the form to its last message, and the worker threads
// that carry it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "search_limits.h"
#include "search_outcome.h"
#include "search_window.h"

namespace sorvik {

// One run on `window`'s state: validates the form, builds the first address,
// loads the first page and analyses the pages. Returns 0 when a field was
// empty or its keyword can't be sent whole, or the analysis returned, -1 when the item link was
// malformed or the first download failed. `outcome`, when given, receives how it ended.
std::int32_t RunSearch(SearchWindow& window, SearchOutcome* outcome = nullptr);

// The same run within `limits`; `report`, when given, receives what it saw.
std::int32_t RunSearch(SearchWindow& window, const SearchLimits& limits, SearchReport* report);

// The worker's entry: waits until no earlier worker of the same window works
// on its state, then runs one search. Returns RunSearch's result.
std::int32_t SearchThreadProc(SearchWindow& window, SearchOutcome* outcome = nullptr);
std::int32_t SearchThreadProc(SearchWindow& window, const SearchLimits& limits,
                              SearchReport* report);

// Starts SearchThreadProc on a new detached thread. Returns false when the
// thread cannot be created. Never blocks on an earlier worker. The run counts
// as queued from here until it begins, so that the worker it waits for does
// not enable Start on its way out.
bool StartSearchWorker(SearchWindow& window);

// Counts the workers of one window and keeps their runs apart. Workers hold
// it by shared pointer, so it outlives a window that is destroyed first.
class WorkerTracker {
  public:
    // Waits until no worker of the window is alive, at most `timeout`.
    // Returns true when none is.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);
    bool Idle();

    // True while a run has been started but waits for an earlier worker:
    // that earlier worker must then leave the Start button as it is.
    bool RunQueued();

    // Cancels every run that waits for an earlier worker now: none of them
    // will begin. A Stop pressed after Start stops that run even when it
    // has not begun yet. Runs started later are not affected.
    void CancelQueuedRuns();

    // Used by the workers: Enter when a worker is started (its run is queued
    // until Begin), Leave when it has ended. Enter gives the run's ticket;
    // Begin takes it and returns false when the run was cancelled while
    // queued, which must then not run at all.
    std::uint64_t Enter();
    bool Begin(std::uint64_t ticket);
    void Leave();
    std::mutex& RunLock() { return m_runLock; }

  private:
    // Held by the run that works on the window's state, and waited for by
    // the runs queued behind it.
    std::mutex m_runLock;
    // Guards the counts and tickets below.
    std::mutex m_countLock;
    std::condition_variable m_idle;
    int m_alive = 0;                    // workers started and not yet ended
    int m_queued = 0;                   // runs waiting to begin, cancelled ones left out
    std::uint64_t m_lastTicket = 0;     // the ticket of the run started last
    std::uint64_t m_cancelledUpTo = 0;  // runs with a ticket up to this one never begin
};

}  // namespace sorvik
