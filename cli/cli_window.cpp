#include "cli_window.h"

#include <cstdlib>

#include "console.h"
#include "gbk_text.h"
#include "stop_signal.h"

namespace sorvik {

CliWindow::CliWindow(std::string keyword, std::string seller, std::string item, RowSink rows,
                     FILE* messages)
    : m_keyword(std::move(keyword)),
      m_form{Utf8ToGbk(m_keyword), Utf8ToGbk(seller), Utf8ToGbk(item)},
      m_rows(std::move(rows)),
      m_messages(messages),
      m_drawProgress(IsProgressTerminal(messages)) {}

void CliWindow::ClearResults() {
    // The run has just cleared its stop flag as its first step.
    if (StopSignalReceived()) State().m_stopRequested.store(true);
}

FormTexts CliWindow::ReadFormFields() {
    return m_form;
}

std::string CliWindow::ReadStatusLine() {
    std::lock_guard<std::mutex> lock(m_statusLock);
    return m_statusLine;
}

void CliWindow::SetStatusText(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_statusLock);
    m_statusLine = text;
    if (m_drawProgress) {
        std::fprintf(m_messages, "\r\033[K%s", RowField(GbkToUtf8(text)).c_str());
        std::fflush(m_messages);
        m_progressShown = true;
    }
}

void CliWindow::ClearProgress() {
    if (m_progressShown) {
        std::fputs("\r\033[K", m_messages);
        m_progressShown = false;
    }
}

void CliWindow::AppendResultRow(const ResultRow& row) {
    m_rows({std::atoi(row.rank.c_str()), GbkToUtf8(row.title), GbkToUtf8(row.seller),
            GbkToUtf8(row.price), GbkToUtf8(row.sales), GbkToUtf8(row.link), State().m_pageNumber,
            m_keyword});
}

void CliWindow::ShowMessage(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_statusLock);
    ClearProgress();
    std::fprintf(m_messages, "message: %s\n", RowField(GbkToUtf8(text)).c_str());
    std::fflush(m_messages);
}

void CliWindow::PrintFinalStatus() {
    std::lock_guard<std::mutex> lock(m_statusLock);
    ClearProgress();
    std::fprintf(m_messages, "status: %s\n", RowField(GbkToUtf8(m_statusLine)).c_str());
    std::fflush(m_messages);
}

}  // namespace sorvik
