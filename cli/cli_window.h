// The search window of the console: rows to a sink, messages and the status
// line on stderr.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "check_window.h"
#include "output_format.h"

namespace sorvik {
namespace cli {

class CliWindow : public CheckWindow {
  public:
    // Receives every row as it is appended, on the worker thread.
    using RowSink = std::function<void(const RowRecord&)>;

    // Texts of the form are UTF-8 and converted to GBK as the dialog would
    // read them. Progress and messages go to `messages`.
    CliWindow(SearchForm form, RowSink rows, FILE* messages);

    // Writes "status: TEXT" with the status line's final text.
    void PrintFinalStatus();

  protected:
    // A Ctrl-C that came before the run cleared its stop flag.
    bool StopWanted() override;
    void OnStatus(const std::string& gbkText) override;
    void OnRow(const ResultRow& row) override;
    void OnMessage(const std::string& gbkText) override;

  private:
    void ClearProgress();

    RowSink m_rows;
    FILE* m_messages;
    bool m_drawProgress;
    bool m_progressShown = false;  // guarded by m_statusLock
};

}  // namespace cli
}  // namespace sorvik
