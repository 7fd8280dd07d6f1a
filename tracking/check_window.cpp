#include "check_window.h"

#include "gbk_text.h"
#include "summary.h"

namespace sorvik {

CheckWindow::CheckWindow(SearchForm form)
    : m_form(std::move(form)), m_gbkForm(GbkForm(m_form.keyword, m_form.seller, m_form.item)) {
    State().m_searchMode.store(m_form.mode);
}

void CheckWindow::ClearResults() {
    // The run has just cleared its stop flag as its first step.
    if (StopWanted()) State().m_stopRequested.store(true);
}

void CheckWindow::SetStatusText(const std::string& gbkText) {
    std::lock_guard<std::mutex> lock(m_statusLock);
    m_statusLine = gbkText;
    OnStatus(gbkText);
}

void CheckWindow::AppendResultRow(const ResultRow& row) {
    OnRow(row);
}

void CheckWindow::ShowMessage(const std::string& gbkText) {
    std::lock_guard<std::mutex> lock(m_statusLock);
    OnMessage(gbkText);
}

std::string CheckWindow::StatusLine() {
    std::lock_guard<std::mutex> lock(m_statusLock);
    return m_statusLine;
}

FormTexts CheckWindow::ReadFormFields() {
    return m_gbkForm;
}

std::string CheckWindow::ReadStatusLine() {
    return StatusLine();
}

CheckResult RunCheck(CheckWindow& window, const SearchLimits& limits) {
    CheckResult result;
    SearchThreadProc(window, limits, &result.report);
    result.stopRequested = window.State().m_stopRequested.load();
    return result;
}

SummaryRecord SummarizeCheck(const std::string& keyword, const std::string& target,
                             std::int32_t mode, const CheckResult& result, std::time_t checkedAt) {
    return MakeSummary(keyword, target, mode,
                       SummaryOutcome(result.report.outcome, mode, result.stopRequested),
                       result.report, checkedAt);
}

}  // namespace sorvik
