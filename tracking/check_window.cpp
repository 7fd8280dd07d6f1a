#include "check_window.h"

#include <cstdlib>

#include "gbk_text.h"
#include "page_analysis.h"
#include "row_numbers.h"
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
    SeenRow seen;
    seen.rank = static_cast<std::int32_t>(std::strtol(row.rank.c_str(), nullptr, 10));
    seen.page = State().m_pageNumber;
    seen.title = GbkToUtf8(row.title);
    seen.seller = GbkToUtf8(row.seller);
    seen.link = GbkToUtf8(row.link);
    seen.itemId = ItemIdOf(row.link).value_or(seen.link);
    const std::string sales = GbkToUtf8(row.sales);
    seen.priceFen = PriceFen(GbkToUtf8(row.price));
    seen.sales = SalesCount(sales);
    m_seenRows.push_back(std::move(seen));
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
    result.rows = std::move(window.SeenRows());
    return result;
}

SummaryRecord SummarizeCheck(const std::string& keyword, const std::string& target,
                             std::int32_t mode, const CheckResult& result, std::time_t checkedAt) {
    return MakeSummary(keyword, target, mode,
                       SummaryOutcome(result.report.outcome, mode, result.stopRequested),
                       result.report, checkedAt);
}

}  // namespace sorvik
