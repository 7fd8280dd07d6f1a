// A search window that records what the search shows, for tests. Texts are
// kept as the search passes them (GBK); helpers convert for comparisons.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "search_window.h"

namespace sorvik {

class TestWindow : public SearchWindow {
  public:
    void ClearResults() override;
    void SetStatusText(const std::string& text) override;
    void AppendResultRow(const ResultRow& row) override;
    void EnableStart() override;
    void ShowMessage(const std::string& text) override;

    // The form as the user typed it, in UTF-8.
    void FillForm(const std::string& keyword, const std::string& seller, const std::string& item);

    // Snapshots in UTF-8, safe while a worker runs.
    std::vector<ResultRow> Rows();
    std::string Status();
    std::vector<std::string> StatusHistory();
    std::vector<std::string> Messages();
    int EnableStartCount();
    // Every call in order: "clear", "status:TEXT", "row:RANK", "message:TEXT", "enable".
    std::vector<std::string> Calls();

  protected:
    FormTexts ReadFormFields() override;
    std::string ReadStatusLine() override;

  private:
    std::mutex m_lock;
    FormTexts m_form;
    std::string m_status;
    std::vector<ResultRow> m_rows;
    std::vector<std::string> m_statusHistory;
    std::vector<std::string> m_messages;
    std::vector<std::string> m_calls;
    int m_enableStart = 0;
};

// A UTF-8 literal in GBK.
std::string Gbk(const std::string& utf8);

// `text` written `times` times.
std::string Repeat(const std::string& text, int times);

}  // namespace sorvik
