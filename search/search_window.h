// What the search needs of a window: the operations on its controls and the
// message box. The dialog and the console front end implement it; the search
// code calls nothing else of a front end.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "form_check.h"
#include "search_state.h"

namespace sorvik {

// " -> 已停止查询" in GBK: the mark a stopped search leaves in the status line.
extern const char* const kStoppedMark;

// One row of the result list. Texts are GBK.
struct ResultRow {
    std::string rank;
    std::string title;
    std::string seller;
    std::string price;
    std::string sales;
    std::string link;
};

class WorkerTracker;

class SearchWindow {
  public:
    SearchWindow();
    virtual ~SearchWindow();
    SearchWindow(const SearchWindow&) = delete;
    SearchWindow& operator=(const SearchWindow&) = delete;

    SearchState& State() { return m_state; }
    const SearchState& State() const { return m_state; }

    // --- Window operations called by the search ---

    // Deletes every row of the result list.
    virtual void ClearResults() = 0;
    // Copies the three form fields into m_keyword, m_sellerName, m_itemLink,
    // whatever the mode, exactly as the fields hold them, and what the front
    // end noted of the keyword into m_keywordOutsideGbk.
    void ReadForm();
    // Replaces the whole status line.
    virtual void SetStatusText(const std::string& text) = 0;
    // Copies the status line's text into m_statusText.
    void GetStatusText();
    // Appends kStoppedMark to the status line unless it holds it anywhere.
    // Safe to call from the window thread and a worker at once.
    void AppendStoppedMark();
    // Appends one row at index rank - 1 and scrolls the last row into view.
    virtual void AppendResultRow(const ResultRow& row) = 0;
    // Enables the Start button.
    virtual void EnableStart() = 0;
    // What the Stop button asks of the search: raises the stop flag, and
    // cancels a run that still waits for the previous worker to end, so
    // that it never begins. Safe on any thread.
    void RequestStop();
    // Enables the Start button unless a run is queued behind the running
    // one: that run keeps Start disabled until it has ended. Tested and done
    // as one step, so that a Start pressed meanwhile is never undone.
    void EnableStartUnlessQueued();
    // Shows a modal message box and returns when the user has closed it.
    virtual void ShowMessage(const std::string& text) = 0;
    // Result page `page` (1-based) starts downloading. Nothing by default:
    // a front end that shows progress says which page is loading.
    virtual void PageLoading(std::int32_t page) { (void)page; }

    // Shared with the search workers of this window (see search_run.h).
    const std::shared_ptr<WorkerTracker>& Workers() const { return m_workers; }

  protected:
    virtual FormTexts ReadFormFields() = 0;
    virtual std::string ReadStatusLine() = 0;
    // Runs `op` so that no other RunExclusive of this window overlaps it.
    // The default takes a mutex; a front end whose operations run on one
    // thread overrides it to run `op` there as a whole.
    virtual void RunExclusive(const std::function<void()>& op);

  private:
    SearchState m_state;
    std::mutex m_exclusive;
    std::shared_ptr<WorkerTracker> m_workers;
};

}  // namespace sorvik
