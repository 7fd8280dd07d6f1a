#include "test_window.h"

#include "gbk_text.h"

namespace sorvik {

std::string Gbk(const std::string& utf8) {
    return Utf8ToGbk(utf8);
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    out.reserve(text.size() * times);
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

void TestWindow::ClearResults() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_rows.clear();
    m_calls.push_back("clear");
}

void TestWindow::SetStatusText(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_status = text;
    m_statusHistory.push_back(GbkToUtf8(text));
    m_calls.push_back("status:" + GbkToUtf8(text));
}

void TestWindow::AppendResultRow(const ResultRow& row) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_rows.push_back({GbkToUtf8(row.rank), GbkToUtf8(row.title), GbkToUtf8(row.seller),
                      GbkToUtf8(row.price), GbkToUtf8(row.sales), GbkToUtf8(row.link)});
    m_calls.push_back("row:" + GbkToUtf8(row.rank));
}

void TestWindow::EnableStart() {
    std::lock_guard<std::mutex> lock(m_lock);
    ++m_enableStart;
    m_calls.push_back("enable");
}

void TestWindow::ShowMessage(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_messages.push_back(GbkToUtf8(text));
    m_calls.push_back("message:" + GbkToUtf8(text));
}

void TestWindow::FillForm(const std::string& keyword, const std::string& seller,
                          const std::string& item) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_form = GbkForm(keyword, seller, item);
}

FormTexts TestWindow::ReadFormFields() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_form;
}

std::string TestWindow::ReadStatusLine() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_status;
}

std::vector<ResultRow> TestWindow::Rows() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_rows;
}

std::string TestWindow::Status() {
    std::lock_guard<std::mutex> lock(m_lock);
    return GbkToUtf8(m_status);
}

std::vector<std::string> TestWindow::StatusHistory() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_statusHistory;
}

std::vector<std::string> TestWindow::Messages() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_messages;
}

int TestWindow::EnableStartCount() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_enableStart;
}

std::vector<std::string> TestWindow::Calls() {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_calls;
}

}  // namespace sorvik
