// The search window of the console: rows to a sink, messages and the status
// line on stderr.
#pragma once

#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

#include "output_format.h"
#include "search_window.h"

namespace sorvik {

class CliWindow : public SearchWindow {
  public:
    // Receives every row as it is appended, on the worker thread.
    using RowSink = std::function<void(const RowRecord&)>;

    // Texts are UTF-8 and converted to GBK as the dialog would read them.
    CliWindow(std::string keyword, std::string seller, std::string item, RowSink rows,
              FILE* messages);

    // A stop request that came before the run cleared its stop flag still
    // stops the run.
    void ClearResults() override;
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

    std::string m_keyword;  // UTF-8, as given
    FormTexts m_form;
    RowSink m_rows;
    FILE* m_messages;
    bool m_drawProgress;
    bool m_progressShown = false;
    std::mutex m_statusLock;  // the status line is written by the worker and read by Stop
    std::string m_statusLine;
};

}  // namespace sorvik
