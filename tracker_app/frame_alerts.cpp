// 提醒 in the window: the alerts list read at start and added to by each
// check, the lines with alerts not yet seen marked in the table, a desktop
// notice per run with alerts, the robot's posts and 提醒设置.
#include <wx/button.h>
#include <wx/stattext.h>

#include <algorithm>
#include <ctime>
#include <optional>
#include <vector>

#include "alert_records.h"
#include "alert_settings_dialog.h"
#include "alerts_view.h"
#include "list_views.h"
#include "local_time.h"
#include "tracker_frame.h"
#include "ui_text.h"

namespace sorvik_tracker {
namespace {

using sorvik_ui::U;

}  // namespace

std::string TrackerFrame::AlertsFile() const {
    // The file the scheduled console run appends to as well.
    return m_files.Folder() + "/alerts.jsonl";
}

void TrackerFrame::LoadAlerts() {
    Bind(wxEVT_MENU, &TrackerFrame::OnShowAlerts, this, ID_SHOW_ALERTS);
    Bind(wxEVT_MENU, &TrackerFrame::OnAlertSettings, this, ID_ALERT_SETTINGS);
    m_alerts = new AlertsDialog(this, m_settings.alertTopN);
    int skipped = 0;
    std::vector<sorvik::Alert> alerts = sorvik::ReadAlertFile(AlertsFile(), skipped);
    const std::optional<std::int64_t> seen = sorvik::ParseTimestamp(m_settings.alertsSeenUntil);
    if (seen) {
        // Raised since the list was last seen, by the daily check while the
        // window was closed: new to the user.
        for (const sorvik::Alert& alert : alerts)
            if (const auto when = sorvik::ParseTimestamp(alert.checkedAt); when && *when > *seen)
                MarkUnseen(alert);
    } else {
        // The first start that keeps the mark: what the file holds is known.
        KeepAlertsSeen(alerts, std::time(nullptr));
    }
    m_alerts->SetAlerts(alerts);
    ShowAlertCount();
}

void TrackerFrame::MarkUnseen(const sorvik::Alert& alert) {
    // A keyword-only line has no target in its key.
    m_unseenAlerts.insert({alert.keyword, alert.target.empty()
                                              ? std::nullopt
                                              : std::optional<std::string>(alert.target)});
    ++m_unseenAlertCount;
}

void TrackerFrame::KeepAlertsSeen(const std::vector<sorvik::Alert>& alerts, std::time_t atLeast) {
    std::int64_t latest = atLeast;
    for (const sorvik::Alert& alert : alerts)
        if (const auto when = sorvik::ParseTimestamp(alert.checkedAt))
            latest = std::max(latest, *when);
    m_settings.alertsSeenUntil = sorvik::LocalTimestamp(static_cast<std::time_t>(latest));
    std::string error;
    if (m_folderWritable && !m_files.WriteSettings(m_settings, error))
        Message(U("无法保存设置：" + error));
}

sorvik::CheckAlerting TrackerFrame::RunAlerting() const {
    sorvik::CheckAlerting alerting;
    if (m_folderWritable) alerting.file = AlertsFile();
    alerting.topN = m_settings.alertTopN;
    std::string problem;
    // No robot set, or one that can't be used: the alerts are only shown.
    if (!m_settings.webhook.empty()) alerting.robot = sorvik::SettingsRobot(m_settings, problem);
    alerting.secret = m_settings.webhookSecret;
    return alerting;
}

void TrackerFrame::OnRunAlerts(const std::vector<sorvik::Alert>& alerts, bool kept) {
    for (const sorvik::Alert& alert : alerts) MarkUnseen(alert);
    m_runAlerts.insert(m_runAlerts.end(), alerts.begin(), alerts.end());
    if (!kept) m_alertProblem = "无法写入提醒记录 " + AlertsFile();
    m_alerts->Add(alerts);
    ShowAlertCount();
}

void TrackerFrame::OnAlertsPosted(std::size_t posted, const std::string& failure) {
    if (!failure.empty())
        m_alertProblem =
            "提醒没有全部发到群机器人（已发送 " + std::to_string(posted) + " 条）：" + failure;
}

void TrackerFrame::EndRunAlerts() {
    if (!m_runAlerts.empty() && !m_closing)
        m_seams.notify(U("Sorvik 排名提醒"), U(sorvik::AlertNotice(m_runAlerts)), this);
    m_runAlerts.clear();
    if (!m_alertProblem.empty())
        m_status->SetLabelText(m_status->GetLabelText() + U("  " + m_alertProblem));
    m_alertProblem.clear();
}

void TrackerFrame::ShowAlertCount() {
    m_alertsButton->SetLabel(m_unseenAlertCount == 0
                                 ? U("提醒")
                                 : U("提醒 (" + std::to_string(m_unseenAlertCount) + ")"));
    m_alertsButton->GetParent()->Layout();
}

void TrackerFrame::OnShowAlerts(wxCommandEvent&) {
    m_alerts->Show();
    m_alerts->Raise();
    // Seen: the lines are no longer marked.
    if (m_unseenAlertCount == 0) return;
    m_unseenAlerts.clear();
    m_unseenAlertCount = 0;
    // Kept, so that the next start counts only the alerts after these.
    KeepAlertsSeen(m_alerts->Alerts(), 0);
    for (long row = 0; row < m_table->Rows(); ++row) ShowRow(row);
    ShowAlertCount();
}

void TrackerFrame::OnAlertSettings(wxCommandEvent&) {
    AlertSettingsDialog dialog(this, m_settings, m_seams);
    if (m_seams.showAlertSettings(dialog) != wxID_OK) return;
    m_settings = dialog.Applied(m_settings);
    m_alerts->SetTopN(m_settings.alertTopN);
    std::string error;
    if (m_folderWritable && !m_files.WriteSettings(m_settings, error))
        Message(U("无法保存设置：" + error));
}

bool TrackerFrame::LineAlerted(const sorvik::RankHistory::Key& key) const {
    return m_unseenAlerts.count(key) > 0;
}

}  // namespace sorvik_tracker
