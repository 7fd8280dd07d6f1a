// The search window of the console: rows on stdout, messages and the status
// line on stderr.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "search_window.h"

namespace sorvik {

class CliWindow : public SearchWindow {
  public:
    // Texts are UTF-8 and converted to GBK as the dialog would read them.
    CliWindow(std::string keyword, std::string seller, std::string item, FILE* rows,
              FILE* messages);

    void ClearResults() override {}
    void SetStatusText(const std::string& text) override;
    void AppendResultRow(const ResultRow& row) override;
    void EnableStart() override {}
    void ShowMessage(const std::string& text) override;

    // Writes "status: TEXT" with the status line's final text.
    void PrintFinalStatus();

  protected:
    FormTexts ReadFormFields() override;
    std::string ReadStatusLine() override;

  private:
    void ClearProgress();

    FormTexts m_form;
    FILE* m_rows;
    FILE* m_messages;
    bool m_drawProgress;
    bool m_progressShown = false;
    std::mutex m_statusLock;  // the status line is written by the worker and read by Stop
    std::string m_statusLine;
};

// A field for a tab-separated line: tab, CR and LF become one blank each.
std::string RowField(const std::string& utf8);

}  // namespace sorvik
