// One search run from the form to its last message, and the worker threads
// that carry it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "search_outcome.h"
#include "search_window.h"

namespace sorvik {

// What a front end may limit in one run.
struct SearchLimits {
    int maxPages = 0;  // result pages to read at most; 0: no limit
};

// One run on `window`'s state: validates the form, builds the first address,
// loads the first page and analyses the pages. Returns 0 when a field was
// empty or the analysis returned, -1 when the item link was malformed or the
// first download failed. `outcome`, when given, receives how it ended.
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

    // Used by the workers: Enter when a worker is started (its run is queued
    // until Began), Leave when it has ended.
    void Enter();
    void Began();
    void Leave();
    std::mutex& RunLock() { return m_runLock; }

  private:
    std::mutex m_runLock;
    std::mutex m_countLock;
    std::condition_variable m_idle;
    int m_alive = 0;
    int m_queued = 0;
};

}  // namespace sorvik
