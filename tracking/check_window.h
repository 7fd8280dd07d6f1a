// One check of a tracked search: the search window it runs on (no display:
// what the search shows goes to the front end's hooks) and its summary.
#pragma once

#include <cstdint>
#include <ctime>
#include <mutex>
#include <string>
#include <vector>

#include "output_format.h"
#include "search_form.h"
#include "search_run.h"
#include "search_window.h"
#include "seen_row.h"

namespace sorvik {

// A search window whose form is fixed when it is made. The worker calls it
// from its own thread; the hooks run there.
class CheckWindow : public SearchWindow {
  public:
    explicit CheckWindow(SearchForm form);

    // A stop the front end wanted before the run cleared its stop flag, as
    // the run's first step, still stops the run.
    void ClearResults() override;
    void SetStatusText(const std::string& gbkText) override;
    void AppendResultRow(const ResultRow& row) override;
    void EnableStart() override {}
    void ShowMessage(const std::string& gbkText) override;

    const SearchForm& Form() const { return m_form; }
    // The rows appended so far, in UTF-8 with their numbers read. Read by
    // the thread that ran the search once it has ended.
    std::vector<SeenRow>& SeenRows() { return m_seenRows; }
    // The status line's text (GBK).
    std::string StatusLine();

  protected:
    FormTexts ReadFormFields() override;
    std::string ReadStatusLine() override;

    // True when the front end has asked every check to stop.
    virtual bool StopWanted() { return false; }
    // What the search shows, handed on (texts in GBK). OnStatus and
    // OnMessage run while the status line's lock is held, so that a message
    // and the progress drawn from the status never interleave.
    virtual void OnStatus(const std::string& gbkText) { (void)gbkText; }
    virtual void OnRow(const ResultRow& row) { (void)row; }
    virtual void OnMessage(const std::string& gbkText) { (void)gbkText; }

    // Guards m_statusLine, and the hooks' output with it.
    std::mutex m_statusLock;

  private:
    SearchForm m_form;
    FormTexts m_gbkForm;
    std::string m_statusLine;         // guarded by m_statusLock
    std::vector<SeenRow> m_seenRows;  // the search's thread only
};

// How a check ended.
struct CheckResult {
    SearchReport report;
    std::vector<SeenRow> rows;   // every row the search listed, in rank order
    bool stopRequested = false;  // the run's stop flag was raised
};

// Runs the search of `window`'s form on the calling thread.
CheckResult RunCheck(CheckWindow& window, const SearchLimits& limits);

// The summary of a check of `keyword` and `target` in `mode` that ended as
// `result`.
SummaryRecord SummarizeCheck(const std::string& keyword, const std::string& target,
                             std::int32_t mode, const CheckResult& result, std::time_t checkedAt);

}  // namespace sorvik
