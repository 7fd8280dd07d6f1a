#include "cli_window.h"

#include <unistd.h>

#include "gbk_text.h"

namespace sorvik {

std::string RowField(const std::string& utf8) {
    std::string field = utf8;
    for (char& c : field) {
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    return field;
}

CliWindow::CliWindow(std::string keyword, std::string seller, std::string item, FILE* rows,
                     FILE* messages)
    : m_form{Utf8ToGbk(keyword), Utf8ToGbk(seller), Utf8ToGbk(item)},
      m_rows(rows),
      m_messages(messages),
      m_drawProgress(isatty(fileno(messages)) == 1) {}

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
    std::fprintf(m_rows, "%s\t%s\t%s\t%s\t%s\t%s\n", RowField(GbkToUtf8(row.rank)).c_str(),
                 RowField(GbkToUtf8(row.title)).c_str(), RowField(GbkToUtf8(row.seller)).c_str(),
                 RowField(GbkToUtf8(row.price)).c_str(), RowField(GbkToUtf8(row.sales)).c_str(),
                 RowField(GbkToUtf8(row.link)).c_str());
    std::fflush(m_rows);
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
