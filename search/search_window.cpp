#include "search_window.h"

#include "gbk_text.h"
#include "search_run.h"

namespace sorvik {

// " -> 已停止查询" in GBK, 14 bytes.
const char* const kStoppedMark = " -> \xD2\xD1\xCD\xA3\xD6\xB9\xB2\xE9\xD1\xAF";

SearchWindow::SearchWindow() : m_workers(std::make_shared<WorkerTracker>()) {}

SearchWindow::~SearchWindow() = default;

void SearchWindow::ReadForm() {
    FormTexts form = ReadFormFields();
    m_state.m_keyword = std::move(form.keyword);
    m_state.m_sellerName = std::move(form.sellerName);
    m_state.m_itemLink = std::move(form.itemLink);
    m_state.m_keywordOutsideGbk = std::move(form.keywordOutsideGbk);
}

void SearchWindow::GetStatusText() {
    m_state.m_statusText = ReadStatusLine();
}

void SearchWindow::AppendStoppedMark() {
    // Read, test and write back as one step, so that Stop on the window
    // thread and the worker's stop path never both append the mark.
    RunExclusive([this] {
        GetStatusText();
        if (FindAnsi(m_state.m_statusText, kStoppedMark) != std::string::npos) return;
        m_state.m_statusText += kStoppedMark;
        SetStatusText(m_state.m_statusText);
    });
}

void SearchWindow::RequestStop() {
    m_state.m_stopRequested.store(true);
    m_workers->CancelQueuedRuns();
}

void SearchWindow::EnableStartUnlessQueued() {
    RunExclusive([this] {
        if (!m_workers->RunQueued()) EnableStart();
    });
}

void SearchWindow::RunExclusive(const std::function<void()>& op) {
    std::lock_guard<std::mutex> lock(m_exclusive);
    op();
}

}  // namespace sorvik
