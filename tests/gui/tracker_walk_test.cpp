// The tracker window's daily routine in the Windows build, as a seller on a
// Chinese Windows walks it: run by scripts/windows/tracker-walk in Wine's
// zh_CN prefix, against the demo marketplace that SORVIK_SEARCH_HOST names,
// from a folder laid out as the installer lays it out (sorvik-cli.exe and
// the toolkit's catalog beside the program). The toolkit speaks Chinese;
// the first line is selected at the start; a group is chosen and checked,
// its alerts fill 提醒; the past checks show every column whole and take a
// note, exported with the history; the daily check is registered with the
// Task Scheduler and removed.
// With SORVIK_SCREENSHOTS set, the window, the 提醒 list and the 每天自动检查
// dialog are kept there as tracker.bmp, alerts.bmp and schedule.bmp.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/intl.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "alerts_view.h"
#include "competition_view.h"
#include "list_views.h"
#include "local_time.h"
#include "test_environment.h"
#include "toolkit_language.h"
#include "tracker_person.h"

using namespace gui_test;
using namespace tracker_test;
using sorvik::FileText;
using sorvik::Lines;

namespace {

// Where Windows keeps the Task Scheduler's task `name` (e.g. "Sorvik\\…").
std::filesystem::path TaskFile(const wchar_t* name) {
    const wchar_t* windows = _wgetenv(L"windir");
    return std::filesystem::path(windows ? windows : L"C:\\windows") / L"system32" / L"tasks" /
           name;
}

TEST_F(Tracker, TheDailyRoutineOnAChineseWindows) {
    ASSERT_NE(std::getenv("SORVIK_SEARCH_HOST"), nullptr)
        << "run through scripts/windows/tracker-walk, which starts the demo marketplace";
    // The toolkit's own texts from the catalog beside the program.
    ASSERT_TRUE(sorvik_ui::LoadToolkitTexts());
    EXPECT_EQ(wxGetTranslation("&Yes").utf8_string(), "是(&Y)");
    EXPECT_EQ(wxGetTranslation("Cancel").utf8_string(), "取消");

    // The seller ranked 5th a day ago; the demo ranks it 57th.
    WriteListRankedFifthADayAgo("abc\tshopA\t童装\n连衣裙\t深夜小铺\t女装\n");
    int choose = wxID_NONE;
    std::vector<std::string> notices;
    sorvik_tracker::TrackerSeams seams = m_person.Seams();
    seams.chooseFromMenu = [&](wxMenu&, wxWindow*) { return choose; };
    seams.enterText = [](const wxString&, const wxString&, const wxString&, wxWindow*) {
        return std::optional<wxString>(wxString::FromUTF8("改价 79→69"));
    };
    seams.notify = [&](const wxString&, const wxString& text, wxWindow*) {
        notices.push_back(text.utf8_string());
    };
    TrackerFrame frame(Folder(), seams);
    frame.Show();
    Pump(300);
    EXPECT_EQ(frame.Table()->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), 0);

    // 女装 alone, checked: it fell out of the top 40 and by far.
    ASSERT_EQ(frame.Groups()->GetString(2).utf8_string(), "女装");
    ChooseGroup(frame, 2);
    ASSERT_EQ(frame.Table()->GetItemCount(), 1);
    ASSERT_TRUE(CheckToTheEnd(frame, sorvik_tracker::ID_CHECK_ALL));
    EXPECT_EQ(Cell(frame, 0, sorvik::TableColumn::Rank), "57");
    EXPECT_EQ(Lines(FileText(DataFile("history.jsonl"))).size(), 2u);
    EXPECT_EQ(frame.AlertsButton()->GetLabel(), U("提醒 (2)"));
    EXPECT_EQ(notices.size(), 1u);
    Command(frame, sorvik_tracker::ID_SHOW_ALERTS);
    sorvik_tracker::AlertsDialog* alerts = frame.Alerts();
    ASSERT_TRUE(alerts->IsShown());
    wxListCtrl* list = alerts->List();
    ASSERT_EQ(list->GetItemCount(), 2);
    std::vector<std::string> kinds;
    for (long row = 0; row < 2; ++row) {
        EXPECT_EQ(list->GetItemText(row, 3).utf8_string(), "女装");
        kinds.push_back(list->GetItemText(row, 4).utf8_string());
    }
    std::sort(kinds.begin(), kinds.end());
    EXPECT_EQ(kinds, (std::vector<std::string>{"大幅下跌", "跌出前40名"}));
    Pump(300);
    EXPECT_TRUE(SaveClientPicture(*alerts, "alerts"));
    alerts->Hide();
    EXPECT_EQ(frame.AlertsButton()->GetLabel(), U("提醒"));

    // The past checks and the competition show their texts whole in the
    // prefix's Chinese font; a note goes on the latest check.
    Select(frame, 0);
    wxListCtrl* past = frame.PastChecks();
    ASSERT_EQ(past->GetItemCount(), 2);
    choose = sorvik_tracker::ID_ADD_NOTE;
    wxListEvent rightClick(wxEVT_LIST_ITEM_RIGHT_CLICK, past->GetId());
    rightClick.m_itemIndex = 0;
    rightClick.SetEventObject(past);
    past->GetEventHandler()->ProcessEvent(rightClick);
    EXPECT_EQ(past->GetItemText(0, 4).utf8_string(), "改价 79→69");
    EXPECT_NE(FileText(DataFile("notes.jsonl")).find("改价 79→69"), std::string::npos);
    // The history exported for people, with its group and its note.
    m_person.file = m_dir.Path() + "/history.csv";
    Command(frame, sorvik_tracker::ID_EXPORT_HISTORY);
    const std::string csv = FileText(m_person.file);
    EXPECT_EQ(csv.rfind("\xEF\xBB\xBF检查时间,关键词,目标,方式,分组,", 0), 0u) << csv;
    EXPECT_NE(csv.find(",连衣裙,深夜小铺,用户名,女装,找到,57,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",改价 79→69\r\n"), std::string::npos) << csv;
    Pump(300);
    ExpectTextsWhole(*past, {}, "past checks");
    wxListCtrl* competition = frame.Competition()->List();
    ASSERT_EQ(competition->GetItemCount(), 56);
    ExpectColumnsInside(*competition, "competition");
    EXPECT_TRUE(SaveClientPicture(frame, "tracker"));

    // 每天自动检查: registered with the Task Scheduler at 06:30, then removed.
    const std::filesystem::path task = TaskFile(L"Sorvik\\每日排名检查");
    WithScheduleDialog(frame, [&](sorvik_tracker::ScheduleDialog& dialog) {
        EXPECT_EQ(dialog.NextRun()->GetLabel().utf8_string(), "每天自动检查未开启");
        dialog.DailySwitch()->SetValue(true);
        dialog.Hour()->SetValue(6);
        dialog.Minute()->SetValue(30);
        Click(dialog, wxID_APPLY);
        EXPECT_FALSE(dialog.Problem()->IsShown()) << dialog.Problem()->GetValue().utf8_string();
        EXPECT_EQ(dialog.NextRun()->GetLabel().utf8_string().rfind("下次自动检查：", 0), 0u);
        Pump(300);
        EXPECT_TRUE(SaveClientPicture(dialog, "schedule"));
    });
    EXPECT_TRUE(std::filesystem::exists(task)) << task.string();
    EXPECT_NE(FileText(DataFile("tracker.ini")).find("daily_check=on\ndaily_time=06:30\n"),
              std::string::npos);
    WithScheduleDialog(frame, [&](sorvik_tracker::ScheduleDialog& dialog) {
        EXPECT_TRUE(dialog.DailySwitch()->GetValue());
        dialog.DailySwitch()->SetValue(false);
        Click(dialog, wxID_APPLY);
        EXPECT_FALSE(dialog.Problem()->IsShown()) << dialog.Problem()->GetValue().utf8_string();
    });
    EXPECT_FALSE(std::filesystem::exists(task)) << task.string();
    EXPECT_TRUE(m_person.messages.empty())
        << (m_person.messages.empty() ? "" : m_person.messages.front());
}

}  // namespace
