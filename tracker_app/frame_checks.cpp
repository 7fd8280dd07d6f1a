// The window's checks: all lines or the selected ones, one after another on
// the check run's worker; progress, each line's row as its check ends, Stop,
// and closing while a check runs.
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>

#include <algorithm>
#include <chrono>

#include "list_views.h"
#include "rivals_view.h"
#include "tracker_frame.h"
#include "tracker_table.h"
#include "ui_text.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;

// How long closing waits for a stopped check to record its end.
constexpr auto kCloseWait = std::chrono::milliseconds(900);

}  // namespace

void TrackerFrame::OnCheckAll(wxCommandEvent&) {
    std::vector<long> rows;
    // Every line the group filter shows.
    for (long row = 0; row < m_table->Rows(); ++row) rows.push_back(row);
    StartChecks(rows);
}

void TrackerFrame::OnCheckSelected(wxCommandEvent&) {
    StartChecks(SelectedRows());
}

void TrackerFrame::StartChecks(const std::vector<long>& rows) {
    if (m_run || rows.empty()) return;
    ReloadHistoryIfChanged();
    if (!m_historyWritable) {
        Message(U("无法写入检查记录 " + m_files.HistoryFile() +
                  "，检查的结果将无法保存，所以不开始检查。"));
        return;
    }
    std::vector<sorvik::BatchLine> lines;
    lines.reserve(rows.size());
    for (long row : rows) lines.push_back(LineOfRow(row));
    m_runRows = rows;
    m_runDone = 0;
    m_runChecked = 0;
    m_runFailed = 0;
    m_firstFailure.clear();
    m_storeProblem.clear();

    sorvik::SearchLimits limits;
    limits.maxPages = m_settings.pagesPerCheck;
    // Stop ends a check at once, a download under way included.
    limits.stopDuringDownload = sorvik::StopDuringDownload::EndTransfer;

    sorvik::CheckRun::Events events;
    events.progress = [this](std::size_t index, const std::string& status, int page) {
        {
            std::lock_guard<std::mutex> lock(m_progressLock);
            m_latestProgress = {index, status, page};
        }
        if (!m_progressPending.exchange(true)) CallAfter(&TrackerFrame::OnCheckProgress);
    };
    events.checked = [this](std::size_t index, const sorvik::SummaryRecord& summary,
                            const std::string& why, bool recorded) {
        CallAfter([this, index, summary, why, recorded] {
            OnLineChecked(index, summary, why, recorded);
        });
    };
    events.storeProblem = [this](const std::string& problem) {
        CallAfter([this, problem] {
            m_storeProblem = problem;
            m_status->SetLabelText(U("无法保存这次检查看到的宝贝：" + problem));
        });
    };
    events.alerts = [this](std::size_t, const std::vector<sorvik::Alert>& alerts, bool kept) {
        CallAfter([this, alerts, kept] { OnRunAlerts(alerts, kept); });
    };
    events.posted = [this](std::size_t posted, const std::string& failure) {
        CallAfter([this, posted, failure] { OnAlertsPosted(posted, failure); });
    };
    events.finished = [this](bool stopped) {
        CallAfter([this, stopped] { OnChecksFinished(stopped); });
    };

    m_progress->SetRange(static_cast<int>(rows.size()) * m_settings.pagesPerCheck);
    m_progress->SetValue(0);
    m_status->SetLabelText(U("开始检查 " + std::to_string(rows.size()) + " 行…"));
    m_run = std::make_unique<sorvik::CheckRun>(std::move(lines), limits, m_history, m_store,
                                               std::move(events), RunAlerting());
    UpdateCommands();
}

void TrackerFrame::OnCheckProgress() {
    CheckProgress progress;
    {
        std::lock_guard<std::mutex> lock(m_progressLock);
        progress = m_latestProgress;
        m_progressPending = false;
    }
    if (!m_run || progress.runIndex >= m_runRows.size()) return;
    const sorvik::BatchLine& line = LineOfRow(m_runRows[progress.runIndex]);
    const int pages = m_settings.pagesPerCheck;
    m_progress->SetValue(std::min(
        m_progress->GetRange(),
        static_cast<int>(progress.runIndex) * pages + std::min(std::max(progress.page, 0), pages)));
    std::string what = line.keyword;
    if (!line.target.empty()) what += " · " + line.target;
    // The label's text as it is: a link's '&' is no mnemonic.
    m_status->SetLabelText(U("正在检查 " + std::to_string(progress.runIndex + 1) + "/" +
                             std::to_string(m_runRows.size()) + "：" + what + "  " +
                             progress.status));
}

void TrackerFrame::OnLineChecked(std::size_t runIndex, const sorvik::SummaryRecord& summary,
                                 const std::string& why, bool recorded) {
    if (runIndex >= m_runRows.size()) return;
    const long row = m_runRows[runIndex];
    m_runDone = runIndex + 1;
    // A check that a stop cut short was not a check of the line.
    if (summary.outcome != sorvik::CheckOutcome::Stopped) ++m_runChecked;
    if (!sorvik::IsCompletedCheck(summary.outcome) &&
        summary.outcome != sorvik::CheckOutcome::Stopped && m_runFailed++ == 0) {
        m_firstFailure = "“" + summary.keyword + "”" + sorvik::OutcomeWords(summary.outcome);
        if (!why.empty()) m_firstFailure += "：" + why;
    }
    m_historySize = HistoryFileSize();
    m_progress->SetValue(
        std::min(m_progress->GetRange(), static_cast<int>(m_runDone) * m_settings.pagesPerCheck));
    ShowRow(row);
    const std::vector<long> selected = SelectedRows();
    if (selected.size() == 1 && selected[0] == row) ShowSelectedHistory();
    if (!recorded && !m_closing)
        Message(U("无法写入检查记录 " + m_files.HistoryFile() + "，这次检查的结果没有保存。"));
}

void TrackerFrame::OnChecksFinished(bool stopped) {
    if (!m_run) return;
    // The worker has reported its end; it ends right after.
    m_run->WaitUntilEnded(std::chrono::seconds(5));
    m_run.reset();
    const std::size_t total = m_runRows.size();
    m_runRows.clear();
    m_progress->SetValue(stopped ? m_progress->GetValue() : m_progress->GetRange());
    std::string text = stopped ? "检查已停止：已检查 " + std::to_string(m_runChecked) + "/" +
                                     std::to_string(total) + " 行"
                               : "检查完毕：" + std::to_string(total) + " 行";
    if (m_runFailed > 0)
        text += "，其中 " + std::to_string(m_runFailed) + " 行失败（" + m_firstFailure +
                (m_runFailed > 1 ? " 等" : "") + "）";
    text += stopped ? "，已完成的记录都已保存。" : "。";
    // The checks stand; only what they saw was not kept.
    if (!m_storeProblem.empty()) text += "看到的宝贝未能全部保存：" + m_storeProblem;
    m_status->SetLabelText(U(text));
    EndRunAlerts();
    if (m_rivals && m_rivals->IsShown()) m_rivals->Reload();
    UpdateCommands();
}

void TrackerFrame::OnStopCheck(wxCommandEvent&) {
    if (!m_run) return;
    m_run->Stop();
    m_status->SetLabelText(U("正在停止…"));
}

void TrackerFrame::OnCharHook(wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_ESCAPE && m_run) {
        wxCommandEvent stop(wxEVT_MENU, ID_STOP_CHECK);
        OnStopCheck(stop);
        return;
    }
    event.Skip();
}

void TrackerFrame::OnPagesChanged(wxSpinEvent&) {
    m_settings.pagesPerCheck = m_pages->GetValue();
    std::string error;
    if (m_folderWritable && !m_files.WriteSettings(m_settings, error))
        Message(U("无法保存设置：" + error));
}

void TrackerFrame::OnQuit(wxCommandEvent&) {
    Close();
}

void TrackerFrame::OnClose(wxCloseEvent&) {
    m_closing = true;
    if (m_run) {
        // Stopped at once: the check records how it ended, and every check
        // before it is recorded already.
        m_run->Stop();
        if (!m_run->WaitUntilEnded(kCloseWait)) {
            // A worker that can't end in time (never seen) must not hold the
            // program: every record written so far is whole on the disk.
            m_seams.endProgramNow();
        }
        m_run.reset();
    }
    Destroy();
}

}  // namespace sorvik_tracker
