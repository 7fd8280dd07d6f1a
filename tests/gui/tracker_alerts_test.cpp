// 提醒 in the tracker window, against the demo marketplace: a check that
// leaves the top places raises alerts, which the 提醒 list shows beside the
// scheduled runs' alerts read at the start, the table marks until the list
// is seen, the alerts file keeps, a desktop notice tells and the group robot
// of 提醒设置 receives; the settings refuse an address the alerts can't go to.
// An alert the daily check raises while the window is closed is new at the
// next start.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>

#include "../e2e/robot_server.h"
#include "alert_settings_dialog.h"
#include "alerts_view.h"
#include "list_views.h"
#include "local_time.h"
#include "robot_message.h"
#include "test_environment.h"
#include "tracker_person.h"

using namespace gui_test;
using namespace tracker_test;
using sorvik::FileText;
using sorvik::Lines;

namespace {

TEST_F(Tracker, ACheckThatLeavesTheTopShowsMarksKeepsNotifiesAndPostsItsAlerts) {
    sorvik::SetEnv(sorvik::kAllowHttpLoopbackVariable, "1");
    sorvik::test::RobotServer robot;
    DemoMarket demo({});
    ASSERT_TRUE(demo.Running());
    // The seller ranked 5th a day ago; the demo ranks it 57th. A scheduled
    // run's alert of another line, and a half-written line, are in the file.
    WriteListRankedFifthADayAgo("连衣裙\t深夜小铺\t女装\n");
    std::ofstream(DataFile("alerts.jsonl"))
        << R"({"keyword":"毛衣","target":"店A","kind":"failing","rank":null,"previous_rank":3,)"
        << R"("checked_at":"2026-12-01T09:00:05+08:00","text":"毛衣 / 店A：连续两次检查失败"})"
        << "\n{\"keyword\":\"半";

    std::vector<std::string> notices;
    double noticeSeconds = 0;
    sorvik_tracker::TrackerSeams seams = m_person.Seams();
    // The real notice, which must neither fail nor wait without a
    // notification service (Xvfb has none).
    seams.notify = [&](const wxString& title, const wxString& text, wxWindow* owner) {
        notices.push_back(title.utf8_string() + "|" + text.utf8_string());
        const auto start = std::chrono::steady_clock::now();
        sorvik_tracker::TrackerSeams().notify(title, text, owner);
        noticeSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    // 提醒设置: an http:// address is refused with its reason, the robot's
    // own is kept.
    std::string refused;
    seams.showAlertSettings = [&](sorvik_tracker::AlertSettingsDialog& dialog) -> int {
        dialog.Webhook()->SetValue("http://oapi.dingtalk.com/robot/send?access_token=x");
        dialog.Accept();
        if (dialog.IsShown() || dialog.GetReturnCode() == wxID_OK) return wxID_CANCEL;
        refused = m_person.messages.empty() ? "" : m_person.messages.back();
        m_person.messages.clear();
        dialog.TopN()->SetValue(40);
        dialog.Webhook()->SetValue(wxString::FromUTF8(robot.DingTalkUrl()));
        dialog.Secret()->SetValue("SECtest");
        dialog.Accept();
        return dialog.GetReturnCode();
    };
    auto owned = std::make_unique<TrackerFrame>(Folder(), seams);
    TrackerFrame& frame = *owned;
    frame.Show();
    sorvik_tracker::AlertsDialog* alerts = frame.Alerts();
    ASSERT_NE(alerts, nullptr);
    EXPECT_EQ(alerts->Count(), 1u);
    EXPECT_EQ(frame.AlertsButton()->GetLabel(), U("提醒"));

    Command(frame, sorvik_tracker::ID_ALERT_SETTINGS);
    EXPECT_EQ(refused.rfind("群机器人地址必须以 https:// 开头", 0), 0u) << refused;
    const std::string ini = FileText(DataFile("tracker.ini"));
    EXPECT_NE(ini.find("webhook=" + robot.DingTalkUrl()), std::string::npos) << ini;
    EXPECT_NE(ini.find("webhook_secret=SECtest"), std::string::npos) << ini;

    ASSERT_TRUE(CheckToTheEnd(frame, sorvik_tracker::ID_CHECK_ALL));
    ASSERT_EQ(Cell(frame, 0, sorvik::TableColumn::Rank), "57");
    Pump(50);
    EXPECT_TRUE(m_person.messages.empty());

    // Both alerts of the check above the scheduled one, newest first.
    wxListCtrl* list = alerts->List();
    ASSERT_EQ(list->GetItemCount(), 3);
    std::vector<std::string> kinds;
    for (long row = 0; row < 2; ++row) {
        EXPECT_EQ(list->GetItemText(row, 1).utf8_string(), "连衣裙");
        EXPECT_EQ(list->GetItemText(row, 2).utf8_string(), "深夜小铺");
        EXPECT_EQ(list->GetItemText(row, 3).utf8_string(), "女装");
        kinds.push_back(list->GetItemText(row, 4).utf8_string());
    }
    std::sort(kinds.begin(), kinds.end());
    EXPECT_EQ(kinds, (std::vector<std::string>{"大幅下跌", "跌出前40名"}));
    EXPECT_EQ(list->GetItemText(2, 4).utf8_string(), "连续失败");
    EXPECT_EQ(list->GetItemText(2, 0).utf8_string(), "2026-12-01 09:00");
    // Marked in the table and counted on the button until the list is seen.
    EXPECT_EQ(Cell(frame, 0, sorvik::TableColumn::Outcome).rfind("⚠ ", 0), 0u);
    EXPECT_EQ(frame.AlertsButton()->GetLabel(), U("提醒 (2)"));

    const std::vector<std::string> kept = Lines(FileText(DataFile("alerts.jsonl")));
    // The half-written line stays as it was, the new ones start after it.
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(kept[1], "{\"keyword\":\"半");
    for (std::size_t i = 2; i < kept.size(); ++i)
        EXPECT_NE(kept[i].find(R"("keyword":"连衣裙","target":"深夜小铺","group":"女装")"),
                  std::string::npos)
            << kept[i];

    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].rfind("Sorvik 排名提醒|连衣裙 / 深夜小铺：", 0), 0u) << notices[0];
    EXPECT_NE(notices[0].find(" 等 2 条"), std::string::npos) << notices[0];
    EXPECT_LT(noticeSeconds, 3.0);
    // The robot got each alert, signed.
    const auto posts = robot.Posts();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_FALSE(posts[0].sign.empty());
    EXPECT_NE(posts[0].body.find("深夜小铺"), std::string::npos) << posts[0].body;

    Command(frame, sorvik_tracker::ID_SHOW_ALERTS);
    EXPECT_TRUE(alerts->IsShown());
    EXPECT_EQ(Cell(frame, 0, sorvik::TableColumn::Outcome).find("⚠"), std::string::npos);
    EXPECT_EQ(frame.AlertsButton()->GetLabel(), U("提醒"));
    alerts->Hide();

    // Closed; the daily check raises an alert of the line later on. The
    // next start counts it as new and marks its line until the list is
    // seen; the start after that, nothing is new.
    owned.reset();
    Pump(50);
    std::ofstream(DataFile("alerts.jsonl"), std::ios::app)
        << R"({"keyword":"连衣裙","target":"深夜小铺","kind":"new_rival","rank":57,)"
        << R"("previous_rank":57,"checked_at":")" << sorvik::LocalTimestamp(std::time(nullptr) + 60)
        << R"(","text":"连衣裙 / 深夜小铺：新对手"})"
        << "\n";
    for (const char* shown : {"提醒 (1)", "提醒"}) {
        TrackerFrame again(Folder(), seams);
        again.Show();
        Pump(50);
        EXPECT_EQ(again.Alerts()->Count(), 4u);
        EXPECT_EQ(again.AlertsButton()->GetLabel(), U(shown));
        EXPECT_EQ(Cell(again, 0, sorvik::TableColumn::Outcome).rfind("⚠ ", 0),
                  again.AlertsButton()->GetLabel() == U("提醒") ? std::string::npos : 0u);
        Command(again, sorvik_tracker::ID_SHOW_ALERTS);
        again.Alerts()->Hide();
    }
    sorvik::UnsetEnv(sorvik::kAllowHttpLoopbackVariable);
}

}  // namespace
