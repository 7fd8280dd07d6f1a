#include "cli_window.h"

#include <cstdlib>

#include "console.h"
#include "gbk_text.h"
#include "stop_signal.h"

namespace sorvik {
namespace cli {

CliWindow::CliWindow(SearchForm form, RowSink rows, FILE* messages)
    : CheckWindow(std::move(form)),
      m_rows(std::move(rows)),
      m_messages(messages),
      m_drawProgress(IsProgressTerminal(messages)) {}

bool CliWindow::StopWanted() {
    return StopSignalReceived();
}

void CliWindow::OnStatus(const std::string& gbkText) {
    if (!m_drawProgress) return;
    std::fprintf(m_messages, "\r\033[K%s", RowField(GbkToUtf8(gbkText)).c_str());
    std::fflush(m_messages);
    m_progressShown = true;
}

void CliWindow::ClearProgress() {
    if (m_progressShown) {
        std::fputs("\r\033[K", m_messages);
        m_progressShown = false;
    }
}

void CliWindow::OnRow(const ResultRow& row) {
    m_rows({static_cast<int>(std::strtol(row.rank.c_str(), nullptr, 10)), GbkToUtf8(row.title),
            GbkToUtf8(row.seller), GbkToUtf8(row.price), GbkToUtf8(row.sales), GbkToUtf8(row.link),
            State().m_pageNumber, Form().keyword});
}

void CliWindow::OnMessage(const std::string& gbkText) {
    ClearProgress();
    std::fprintf(m_messages, "message: %s\n", RowField(GbkToUtf8(gbkText)).c_str());
    std::fflush(m_messages);
}

void CliWindow::PrintFinalStatus() {
    const std::string status = StatusLine();
    std::lock_guard<std::mutex> lock(m_statusLock);
    ClearProgress();
    std::fprintf(m_messages, "status: %s\n", RowField(GbkToUtf8(status)).c_str());
    std::fflush(m_messages);
}

}  // namespace cli
}  // namespace sorvik
