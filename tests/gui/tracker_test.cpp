// The tracker window driven as a person would, against the demo
// marketplace: lines added through the form, all checked, ranks and moves
// in the table, a restart on the same files, a failed check marked on the
// chart, the competition of a check and the rivals from the rows kept, Stop
// and closing during a check, changes of the list beside an editor's, one
// window per data folder, and files that can't be used.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>

#include "chart_layout.h"
#include "competition_view.h"
#include "daily_schedule.h"
#include "folder_claim.h"
#include "group_filter.h"
#include "gui_harness.h"
#include "item_title.h"
#include "list_views.h"
#include "local_time.h"
#include "rank_chart.h"
#include "rivals_view.h"
#include "schedule_dialog.h"
#include "scheduled_run.h"
#include "test_environment.h"
#include "tracker_frame.h"
#include "tracker_person.h"
#include "tracker_table.h"

using namespace gui_test;
using namespace tracker_test;
using sorvik::FileText;
using sorvik::Lines;
using sorvik_tracker::TrackerFrame;

namespace {

using Clock = std::chrono::steady_clock;

TEST_F(Tracker, LinesAddedCheckedAndCheckedAgainAfterARestartShowTheirRanksAndChart) {
    auto demo = std::make_unique<DemoMarket>(std::vector<std::string>{});
    ASSERT_TRUE(demo->Running());
    const std::string host = demo->Host();
    auto frame = std::make_unique<TrackerFrame>(Folder(), m_person.Seams());
    frame->Show();
    Pump(100);

    // Three lines through the form; a link of another host is refused with
    // the dialog's message and nothing is added.
    const std::string link = "https://" + host + "/item.htm?id=10000000055";
    for (const Typed& typed :
         {Typed{1, "连衣裙", ""}, Typed{2, " 连衣裙 ", "深夜小铺"},
          Typed{3, "连衣裙", "https://elsewhere/item.htm?id=1"}, Typed{3, "连衣裙", link}}) {
        m_person.toType = typed;
        Command(*frame, sorvik_tracker::ID_ADD_LINE);
    }
    ASSERT_EQ(m_person.messages.size(), 1u) << m_person.messages[0];
    EXPECT_EQ(m_person.messages[0].rfind("请输入正确的宝贝链接,如http://" + host, 0), 0u);
    // The tracker's form says what is wrong with the link, and that https is fine.
    EXPECT_NE(m_person.messages[0].find("这个链接的网站是 elsewhere"), std::string::npos);
    EXPECT_NE(m_person.messages[0].find("https://" + host + "/item.htm"), std::string::npos);
    ASSERT_EQ(frame->Table()->GetItemCount(), 3);
    EXPECT_EQ(FileText(DataFile("keywords.txt")),
              "连衣裙\n连衣裙\t深夜小铺\n连衣裙\t" + link + "\n");
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Outcome), "未检查");
    // The form's buttons are Chinese whatever locales the system has.
    EXPECT_EQ(m_person.buttons, "确定/取消");

    // Check all: each row shows its rank, page and move.
    ASSERT_TRUE(CheckToTheEnd(*frame, sorvik_tracker::ID_CHECK_ALL));
    EXPECT_EQ(Cell(*frame, 0, sorvik::TableColumn::Outcome), "已列完");
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Rank), "57");
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Page), "2");
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Change), "新");
    EXPECT_EQ(Cell(*frame, 2, sorvik::TableColumn::Rank), "55");
    EXPECT_EQ(frame->Progress()->GetValue(), frame->Progress()->GetRange());

    // Restart on the same files: the table is as it was; then a check while
    // the marketplace is down fails without a rank, and the next one after
    // it is back up compares with the last check that ran to its end.
    frame.reset();
    Pump(100);
    frame = std::make_unique<TrackerFrame>(Folder(), m_person.Seams());
    frame->Show();
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Rank), "57");
    const std::string port = host.substr(host.rfind(':') + 1);
    demo.reset();
    setenv("SORVIK_SEARCH_HOST", host.c_str(), 1);
    setenv("SORVIK_ITEM_HOST", host.c_str(), 1);
    // The window opens with its first line selected, its chart shown.
    EXPECT_EQ(frame->Table()->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), 0);
    EXPECT_EQ(frame->Chart()->CurrentLayout().marks.size(), 1u);
    ASSERT_TRUE(CheckToTheEnd(*frame, sorvik_tracker::ID_CHECK_ALL));
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Outcome), "下载失败");
    // Every line failed: the status says how many, which and why.
    const std::string failed = frame->StatusText()->GetLabelText().utf8_string();
    EXPECT_EQ(failed.rfind("检查完毕：3 行，其中 3 行失败（“连衣裙”下载失败：", 0), 0u) << failed;
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Rank), "");
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::BestRank), "57");
    demo = std::make_unique<DemoMarket>(std::vector<std::string>{"--port", port});
    ASSERT_TRUE(demo->Running());
    Select(*frame, 1);
    ASSERT_TRUE(CheckToTheEnd(*frame, sorvik_tracker::ID_CHECK_SELECTED));
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Change), "=");
    // The failed check of the other lines is shown in a colour of its own.
    EXPECT_EQ(Cell(*frame, 2, sorvik::TableColumn::Outcome), "下载失败");
    EXPECT_EQ(frame->Table()->Row(2).state, sorvik::LineState::Failed);
    EXPECT_NE(sorvik_tracker::StateColour(sorvik::LineState::Failed),
              sorvik_tracker::StateColour(frame->Table()->Row(1).state));
    EXPECT_EQ(Lines(FileText(DataFile("history.jsonl"))).size(), 7u);

    // The selected line's chart: two points at rank 57, the failed check a
    // mark on the time axis between them; the past checks, newest first.
    Select(*frame, 1);
    const sorvik::ChartLayout& chart = frame->Chart()->CurrentLayout();
    ASSERT_EQ(chart.marks.size(), 3u);
    EXPECT_EQ(chart.marks[0].kind, sorvik::MarkKind::Rank);
    EXPECT_EQ(chart.marks[1].kind, sorvik::MarkKind::Failed);
    EXPECT_DOUBLE_EQ(chart.marks[1].y, chart.axisY);
    EXPECT_EQ(chart.marks[2].kind, sorvik::MarkKind::Rank);
    EXPECT_EQ(chart.bestRank, 57);
    EXPECT_TRUE(chart.segments.empty());  // the failed check breaks the line
    ASSERT_EQ(frame->PastChecks()->GetItemCount(), 3);
    // Every column of the past checks shows whole beside the chart, and the
    // chart has at least 40% of the window's height.
    wxListCtrl* past = frame->PastChecks();
    ExpectTextsWhole(*past, {}, "past checks");
    ExpectColumnsInside(*past, "past checks");
    EXPECT_GE(frame->Chart()->GetSize().GetHeight() * 10, frame->GetClientSize().GetHeight() * 4);
    EXPECT_EQ(frame->PastChecks()->GetItemText(0, 1).utf8_string(), "找到");
    EXPECT_EQ(frame->PastChecks()->GetItemText(1, 1).utf8_string(), "下载失败");

    // A check that sorvik-cli appended meanwhile shows when the window is
    // next activated.
    std::ofstream(DataFile("history.jsonl"), std::ios::app)
        << R"({"keyword":"连衣裙","target":"深夜小铺","mode":2,"outcome":"found","rank":12,)"
        << R"("page":1,"pages_read":1,"checked_at":"2026-12-09T09:00:00+08:00"})"
        << "\n";
    wxActivateEvent activated(wxEVT_ACTIVATE, true);
    frame->ProcessWindowEvent(activated);
    ASSERT_TRUE(
        PumpUntil([&] { return Cell(*frame, 1, sorvik::TableColumn::Rank) == "12"; }, 5000));
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Change), "↑45");
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::BestRank), "12");
    Select(*frame, 1);
    ASSERT_EQ(frame->PastChecks()->GetItemCount(), 4);
    EXPECT_EQ(frame->PastChecks()->GetItemText(0, 2).utf8_string(), "12");  // newest first
    EXPECT_EQ(frame->PastChecks()->GetItemText(3, 2).utf8_string(), "57");

    // The exports speak the table's words: Chinese captions and outcomes.
    m_person.file = m_dir.Path() + "/ranks.csv";
    Command(*frame, sorvik_tracker::ID_EXPORT_RESULTS);
    const std::vector<std::string> ranks = Lines(FileText(m_person.file));
    ASSERT_EQ(ranks.size(), 4u);
    EXPECT_EQ(ranks[0], "\xEF\xBB\xBF关键词,目标,方式,分组,排名,页,变化,最佳,上次检查,结果\r");
    EXPECT_EQ(ranks[2].rfind("连衣裙,深夜小铺,用户名,,12,1,↑45,12,2026-12-09 ", 0), 0u) << ranks[2];
    m_person.file = m_dir.Path() + "/history.csv";
    Command(*frame, sorvik_tracker::ID_EXPORT_HISTORY);
    const std::vector<std::string> history = Lines(FileText(m_person.file));
    ASSERT_EQ(history.size(), 9u);
    EXPECT_NE(history[4].find(",下载失败,"), std::string::npos) << history[4];
}

TEST_F(Tracker, EmptyTableHintItemTitlesResultCountChartAndEditsThatKeepTheHistory) {
    auto demo = std::make_unique<DemoMarket>(std::vector<std::string>{});
    ASSERT_TRUE(demo->Running());
    const std::string host = demo->Host();
    auto frame = std::make_unique<TrackerFrame>(Folder(), m_person.Seams());
    frame->Show();
    Pump(100);
    // With no lines, the table says how to begin, and the status names no F5.
    const wxStaticText* hint = frame->Table()->EmptyHint();
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->IsShown());
    EXPECT_EQ(hint->GetLabelText().utf8_string().find("还没有要跟踪的关键词"), 0u);
    EXPECT_EQ(frame->StatusText()->GetLabelText().Find("F5"), wxNOT_FOUND);

    const std::string link = "http://" + host + "/item.htm?id=10000000055";
    for (const Typed& typed : {Typed{1, "连衣裙", ""}, Typed{3, "连衣裙", link}}) {
        m_person.toType = typed;
        Command(*frame, sorvik_tracker::ID_ADD_LINE);
    }
    ASSERT_EQ(frame->Table()->GetItemCount(), 2);
    EXPECT_EQ(frame->Table()->EmptyHint(), nullptr);
    EXPECT_FALSE(hint->IsShown());
    EXPECT_NE(frame->StatusText()->GetLabelText().Find("F5"), wxNOT_FOUND);
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Target), link);
    ASSERT_TRUE(CheckToTheEnd(*frame, sorvik_tracker::ID_CHECK_ALL));

    // The item line reads as its item's title from the rows kept; the link
    // stays in the row (copies, exports) and is the row's tool tip.
    ASSERT_NE(frame->Store(), nullptr);
    const std::optional<std::string> title =
        sorvik::LastFoundTitle(frame->Store().get(), sorvik::BatchLine(1, "连衣裙", link, ""));
    ASSERT_TRUE(title);
    EXPECT_NE(*title, link);
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Target), *title);
    EXPECT_EQ(frame->Table()->Row(1).cells[static_cast<std::size_t>(sorvik::TableColumn::Target)],
              link);
    std::set<std::string> tips;
    for (int y = 0; y < 200; y += 2)
        if (const wxString tip = frame->Table()->RowTip(wxPoint(20, y)); !tip.empty())
            tips.insert(tip.utf8_string());
    EXPECT_EQ(tips, std::set<std::string>{link});

    // The keyword-only line is charted by its result count, said on the axis.
    Select(*frame, 0);
    const sorvik::ChartLayout& counts = frame->Chart()->CurrentLayout();
    EXPECT_EQ(counts.axisCaption, "结果数");
    ASSERT_EQ(counts.marks.size(), 1u);
    EXPECT_EQ(counts.marks[0].kind, sorvik::MarkKind::Rank);
    const std::string history = FileText(DataFile("history.jsonl"));
    const std::size_t at = history.find("\"total\":");
    ASSERT_NE(at, std::string::npos);
    const double total = std::stod(history.substr(at + 8));
    ASSERT_GT(total, 0);
    const sorvik::ChartTick &top = counts.rankTicks.front(), &bottom = counts.rankTicks.back();
    const double high = std::stod(top.label), low = std::stod(bottom.label);
    EXPECT_NEAR(counts.marks[0].y,
                bottom.position + (top.position - bottom.position) * (total - low) / (high - low),
                0.5);
    Select(*frame, 1);
    EXPECT_EQ(frame->Chart()->CurrentLayout().axisCaption, "");

    // A new target asks whether to keep the history: yes appends the old
    // checks under the new link; no starts it empty, as before.
    const std::size_t lines = Lines(history).size();
    const std::string moved = "http://" + host + "/item.htm?id=10000000041";
    m_person.toType = Typed{3, "连衣裙", moved};
    Command(*frame, sorvik_tracker::ID_EDIT_LINE);
    ASSERT_FALSE(m_person.questions.empty());
    EXPECT_EQ(m_person.questions.back(), "保留这一行的排名历史吗？");
    const std::string after = FileText(DataFile("history.jsonl"));
    EXPECT_EQ(after.substr(0, history.size()), history);
    EXPECT_EQ(Lines(after).size(), lines + 1);
    EXPECT_NE(after.find(moved, history.size()), std::string::npos);
    Select(*frame, 1);
    EXPECT_EQ(frame->Chart()->CurrentLayout().marks.size(), 1u);
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Rank), "55");
    m_person.yes = false;
    m_person.toType = Typed{3, "连衣裙", "http://" + host + "/item.htm?id=10000000042"};
    Command(*frame, sorvik_tracker::ID_EDIT_LINE);
    EXPECT_EQ(Lines(FileText(DataFile("history.jsonl"))).size(), lines + 1);
    Select(*frame, 1);
    EXPECT_TRUE(frame->Chart()->CurrentLayout().marks.empty());
    EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(Tracker, CompetitionBesideTheChartWhyTheRankMovedAndTheRivalsFromStoredRows) {
    // Two checks of a seller line: the demo's order turned by 7 places
    // (the seller's item at 50), then as it is (at 57): the 7 items that
    // came back to the top are new above it, every other item fell by 7.
    auto demo = std::make_unique<DemoMarket>(std::vector<std::string>{"--rotate", "7"});
    ASSERT_TRUE(demo->Running());
    std::filesystem::create_directories(Folder());
    std::ofstream(DataFile("keywords.txt")) << "连衣裙\t深夜小铺\n";
    auto frame = std::make_unique<TrackerFrame>(Folder(), m_person.Seams());
    frame->Show();
    ASSERT_NE(frame->Store(), nullptr);
    ASSERT_TRUE(CheckToTheEnd(*frame, sorvik_tracker::ID_CHECK_ALL));
    demo.reset();
    demo = std::make_unique<DemoMarket>(std::vector<std::string>{});
    ASSERT_TRUE(demo->Running());
    const std::time_t first = std::time(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return std::time(nullptr) > first; }, 3000));
    ASSERT_TRUE(CheckToTheEnd(*frame, sorvik_tracker::ID_CHECK_ALL));
    ASSERT_EQ(Cell(*frame, 0, sorvik::TableColumn::Rank), "57");
    EXPECT_TRUE(m_person.messages.empty());

    // The latest check: the 56 items above, with their moves; why it fell.
    Select(*frame, 0);
    sorvik_tracker::CompetitionList* list = frame->Competition()->List();
    ASSERT_EQ(list->GetItemCount(), 56);
    EXPECT_NE(frame->Competition()->Heading().utf8_string().find("排在你前面的 56 个宝贝"),
              std::string::npos);
    const std::vector<wxString> top = RowTexts(*list, 0);
    EXPECT_EQ(top[0], "1");
    EXPECT_EQ(top[3].utf8_string().rfind("￥", 0), 0u) << top[3];
    for (long row : {0L, 6L}) EXPECT_EQ(list->GetItemText(row, 5).utf8_string(), "新");
    for (long row : {7L, 55L}) EXPECT_EQ(list->GetItemText(row, 5).utf8_string(), "↓7");
    const std::string why = frame->WhyLine()->GetLabelText().utf8_string();
    EXPECT_EQ(why.rfind("比上次：7 个新宝贝排到你前面", 0), 0u) << why;
    // At the window's default size the competition's columns lie inside
    // its list, each number and change whole; the group filter ends inside
    // the window.
    Pump(100);
    ExpectColumnsInside(*list, "competition");
    ExpectTextsWhole(*list, {0, 3, 4, 5}, "competition");
    const wxWindow* groups = frame->Groups();
    EXPECT_LE(groups->GetScreenRect().GetRight(), frame->GetScreenRect().GetRight());
    EXPECT_GE(groups->GetSize().GetWidth(), groups->GetBestSize().GetWidth());
    // A double click hands the item's link to the browser.
    wxListEvent activated(wxEVT_LIST_ITEM_ACTIVATED, list->GetId());
    activated.SetIndex(0);
    activated.SetEventObject(list);
    list->GetEventHandler()->ProcessEvent(activated);
    EXPECT_EQ(m_person.links, std::vector<std::string>{list->Row(0).row.link});
    EXPECT_EQ(m_person.links[0].rfind("http://" + demo->Host() + "/item.htm?", 0), 0u);

    // The older check chosen in the past checks: the 49 items above it,
    // nothing to compare with, no why.
    frame->PastChecks()->SetItemState(1, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    Pump(50);
    EXPECT_EQ(frame->Chart()->ChosenCheck(), 0u);
    EXPECT_EQ(list->GetItemCount(), 49);
    EXPECT_EQ(list->GetItemText(0, 5), "");
    EXPECT_EQ(frame->WhyLine()->GetLabelText(), "");

    // A failed check, and one sorvik-cli made without the store, say so.
    demo.reset();
    ASSERT_TRUE(CheckToTheEnd(*frame, sorvik_tracker::ID_CHECK_ALL));
    Select(*frame, 0);
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_EQ(frame->Competition()->Heading().utf8_string().rfind("这次检查失败", 0), 0u);
    std::ofstream(DataFile("history.jsonl"), std::ios::app)
        << R"({"keyword":"连衣裙","target":"深夜小铺","mode":2,"outcome":"found","rank":9,)"
        << R"("page":1,"pages_read":1,"checked_at":")"
        << sorvik::LocalTimestamp(std::time(nullptr) + 60) << "\"}\n";
    wxActivateEvent active(wxEVT_ACTIVATE, true);
    frame->ProcessWindowEvent(active);
    ASSERT_TRUE(PumpUntil([&] { return Cell(*frame, 0, sorvik::TableColumn::Rank) == "9"; }, 5000));
    Select(*frame, 0);
    EXPECT_EQ(frame->Competition()->Heading(), U("这次检查没有保存宝贝行"));

    // 对手: the sellers above in both checks, never the user's own, and
    // their CSV.
    Command(*frame, sorvik_tracker::ID_SHOW_RIVALS);
    sorvik_tracker::RivalsDialog* rivals = frame->Rivals();
    ASSERT_NE(rivals, nullptr);
    wxListCtrl* table = rivals->Table();
    ASSERT_EQ(table->GetItemCount(), 9);
    std::string shopB;  // the best rank of the seller of position 41 alone
    for (long row = 0; row < table->GetItemCount(); ++row) {
        const std::vector<wxString> cells = RowTexts(*table, row);
        EXPECT_NE(cells[0], U("深夜小铺"));
        EXPECT_EQ(cells[1], "2") << cells[0];
        EXPECT_EQ(cells[2], "1") << cells[0];
        if (cells[0] == "shopB") shopB = cells[3].utf8_string();
    }
    EXPECT_EQ(shopB, "34");
    m_person.file = m_dir.Path() + "/rivals.csv";
    rivals->Export();
    const std::vector<std::string> csv = Lines(FileText(m_person.file));
    ASSERT_EQ(csv.size(), 10u);
    EXPECT_EQ(csv[0], "\xEF\xBB\xBF掌柜,排在你前面(次),关键词数,最好排名,第1页占比,趋势\r");
    EXPECT_EQ(csv[1].rfind(table->GetItemText(0, 0).utf8_string() + ",2,1,", 0), 0u) << csv[1];
}

TEST_F(Tracker, ListChangesKeepLinesWrittenElsewhereAndOneWindowHasTheFolder) {
    std::filesystem::create_directories(Folder());
    std::ofstream(DataFile("keywords.txt")) << "a\nb\nc\nd\n";
    std::unique_ptr<sorvik_tracker::FolderClaim> claim, secondClaim;
    TrackerFrame* frame = sorvik_tracker::OpenTrackerWindow(Folder(), m_person.Seams(), claim);
    ASSERT_NE(frame, nullptr);
    frame->Show();
    Pump(50);

    // A second window on the folder is refused with a message; another
    // folder opens.
    EXPECT_EQ(sorvik_tracker::OpenTrackerWindow(Folder(), m_person.Seams(), secondClaim), nullptr);
    ASSERT_EQ(m_person.messages.size(), 1u);
    EXPECT_NE(m_person.messages[0].find("已在另一个窗口中打开"), std::string::npos);
    EXPECT_NE(sorvik_tracker::FolderClaim::Take(m_dir.Path() + "/other"), nullptr);

    // A line added in an editor meanwhile stays when one is added here.
    std::ofstream(DataFile("keywords.txt"), std::ios::app) << "外加\n";
    m_person.toType = {1, "新", ""};
    Command(*frame, sorvik_tracker::ID_ADD_LINE);
    EXPECT_EQ(FileText(DataFile("keywords.txt")), "a\nb\nc\nd\n外加\n新\n");
    ASSERT_EQ(frame->Table()->GetItemCount(), 6);

    // Two lines removed: the two chosen.
    for (long row : {1, 3})
        frame->Table()->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    frame->Table()->SetItemState(5, 0, wxLIST_STATE_SELECTED);
    Pump(50);
    Command(*frame, sorvik_tracker::ID_REMOVE_LINES);
    EXPECT_EQ(m_person.questions.size(), 1u);
    EXPECT_EQ(FileText(DataFile("keywords.txt")), "a\nc\n外加\n新\n");
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Keyword), "c");

    // The page count is kept for the next start, with the list.
    frame->PagesPerCheck()->SetValue(7);
    wxSpinEvent changed(wxEVT_SPINCTRL, frame->PagesPerCheck()->GetId());
    frame->PagesPerCheck()->ProcessWindowEvent(changed);
    wxWeakRef<TrackerFrame> alive(frame);
    frame->Close();
    ASSERT_TRUE(PumpUntil([&] { return !alive; }, 5000));
    claim.reset();
    frame = sorvik_tracker::OpenTrackerWindow(Folder(), m_person.Seams(), claim);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->PagesPerCheck()->GetValue(), 7);
    EXPECT_EQ(frame->Table()->GetItemCount(), 4);
    frame->Destroy();
    Pump(50);
    EXPECT_EQ(m_person.messages.size(), 1u);
}

TEST_F(Tracker, StopAndClosingDuringAStalledCheckEndAtOnceAndKeepTheRecords) {
    RequestLog log;
    DemoMarket demo({"--slow-page", "2", "--slow-ms", "120000", "--log", log.Path()});
    ASSERT_TRUE(demo.Running());
    std::filesystem::create_directories(Folder());
    std::ofstream(DataFile("keywords.txt")) << "连衣裙\t最后一家\n连衣裙\t深夜小铺\n";
    auto* frame = new TrackerFrame(Folder(), m_person.Seams());
    frame->Show();

    // Esc while page 2 of the first line stalls: the check ends at once as
    // stopped, and the second line is not checked.
    Command(*frame, sorvik_tracker::ID_CHECK_ALL);
    ASSERT_TRUE(PumpUntil([&] { return log.Requests() >= 2; }, 20000));
    Pump(100);
    const auto escape = Clock::now();
    PressKey(*frame->Table(), WXK_ESCAPE);
    ASSERT_TRUE(PumpUntil([&] { return !frame->Checking(); }, 5000));
    EXPECT_LT(Clock::now() - escape, std::chrono::seconds(2));
    EXPECT_EQ(Cell(*frame, 0, sorvik::TableColumn::Outcome), "已停止");
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Outcome), "未检查");
    EXPECT_EQ(log.Requests(), 2u);
    // The line that was cut short was not checked.
    EXPECT_EQ(
        frame->StatusText()->GetLabelText().utf8_string().rfind("检查已停止：已检查 0/2 行", 0), 0u)
        << frame->StatusText()->GetLabelText().utf8_string();

    // Closing during the next check: the window is gone within a second,
    // and the stopped check is recorded after the first one.
    wxWeakRef<TrackerFrame> alive(frame);
    Command(*frame, sorvik_tracker::ID_CHECK_ALL);
    ASSERT_TRUE(PumpUntil([&] { return log.Requests() >= 4; }, 20000));
    Pump(100);
    const auto closing = Clock::now();
    frame->Close();
    ASSERT_TRUE(PumpUntil([&] { return !alive; }, 5000));
    EXPECT_LT(Clock::now() - closing, std::chrono::milliseconds(1500));
    const std::vector<std::string> records = Lines(FileText(DataFile("history.jsonl")));
    ASSERT_EQ(records.size(), 2u);
    for (const std::string& record : records)
        EXPECT_NE(record.find("\"outcome\":\"stopped\""), std::string::npos) << record;
}

TEST_F(Tracker, FilesThatCannotBeUsedAreReportedAndKept) {
    std::filesystem::create_directories(Folder());
    // A list in GBK, a history with a damaged line, and no row store.
    const std::string gbkList = "\xC1\xAC\xD2\xC2\xC8\xB9\n";
    std::ofstream(DataFile("keywords.txt"), std::ios::binary) << gbkList;
    std::ofstream(DataFile("rows.db")) << "not a store\n";
    std::ofstream(DataFile("history.jsonl"))
        << "{\"keyword\":\"k\",\"outcome\":\"found\",\"rank\":3,"
           "\"checked_at\":\"2026-12-01T09:00:00+08:00\"}\nbroken\n";
    {
        TrackerFrame frame(Folder(), m_person.Seams());
        ASSERT_EQ(m_person.messages.size(), 3u);
        EXPECT_NE(m_person.messages[0].find("无法读取关键词列表"), std::string::npos);
        EXPECT_NE(m_person.messages[1].find("1 行已损坏"), std::string::npos);
        EXPECT_EQ(m_person.messages[2].rfind("宝贝行的存储无法使用", 0), 0u)
            << m_person.messages[2];
        EXPECT_NE(frame.Store(), nullptr);  // a new one
        EXPECT_EQ(frame.Table()->GetItemCount(), 0);
        // An empty list: how to begin, and no word of F5.
        const std::string status = frame.StatusText()->GetLabelText().utf8_string();
        EXPECT_NE(status.find("Ctrl+N"), std::string::npos) << status;
        EXPECT_EQ(status.find("F5"), std::string::npos) << status;
    }
    // The list and the store were put aside whole, the history left as it
    // was.
    int aside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
        const std::string name = entry.path().filename().string();
        if ((name.rfind("keywords.txt.unreadable-", 0) == 0 &&
             FileText(entry.path().string()) == gbkList) ||
            (name.rfind("rows.db.damaged-", 0) == 0 &&
             FileText(entry.path().string()) == "not a store\n"))
            ++aside;
    }
    EXPECT_EQ(aside, 2);
    EXPECT_EQ(Lines(FileText(DataFile("history.jsonl"))).size(), 2u);

    // A data folder that can't be made: said once, and nothing is checked.
    m_person.messages.clear();
    std::ofstream(m_dir.Path() + "/plain") << "x";
    TrackerFrame frame(m_dir.Path() + "/plain/sorvik", m_person.Seams());
    ASSERT_EQ(m_person.messages.size(), 1u);
    EXPECT_NE(m_person.messages[0].find("无法使用数据文件夹"), std::string::npos);
    m_person.toType = {1, "连衣裙", ""};
    Command(frame, sorvik_tracker::ID_ADD_LINE);
    EXPECT_EQ(frame.Table()->GetItemCount(), 0);
    EXPECT_EQ(m_person.messages.size(), 2u);
}

TEST_F(Tracker, AGroupChosenAboveTheTableShowsAndChecksOnlyItsLines) {
    auto demo = std::make_unique<DemoMarket>(std::vector<std::string>{});
    ASSERT_TRUE(demo->Running());
    std::filesystem::create_directories(Folder());
    std::ofstream(DataFile("keywords.txt"))
        << "abc\t深夜小铺\t夏装\nabc\tnobody\t冬装\nabc\t\t夏装\n";
    auto frame = std::make_unique<TrackerFrame>(Folder(), m_person.Seams());
    frame->Show();
    Pump(100);
    sorvik_tracker::GroupFilter* groups = frame->Groups();
    ASSERT_EQ(groups->GetCount(), 3u);
    EXPECT_EQ(groups->GetString(0).utf8_string(), "全部分组");
    EXPECT_EQ(groups->GetString(2).utf8_string(), "冬装");
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Group), "冬装");

    // 夏装: its two lines, and 全部检查 checks them and no other.
    ChooseGroup(*frame, 1);
    ASSERT_EQ(frame->Table()->GetItemCount(), 2);
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Mode), "关键词");
    ASSERT_TRUE(CheckToTheEnd(*frame, sorvik_tracker::ID_CHECK_ALL));
    EXPECT_EQ(frame->StatusText()->GetLabelText().utf8_string().rfind("检查完毕：2 行", 0), 0u);
    EXPECT_EQ(Cell(*frame, 0, sorvik::TableColumn::Rank), "57");
    EXPECT_EQ(Cell(*frame, 1, sorvik::TableColumn::Outcome), "已列完");
    EXPECT_EQ(Lines(FileText(DataFile("history.jsonl"))).size(), 2u);
    EXPECT_EQ(FileText(DataFile("history.jsonl")).find("nobody"), std::string::npos);

    // 冬装: its one line, not checked yet; 检查所选 checks that line.
    ChooseGroup(*frame, 2);
    ASSERT_EQ(frame->Table()->GetItemCount(), 1);
    EXPECT_EQ(Cell(*frame, 0, sorvik::TableColumn::Outcome), "未检查");
    Select(*frame, 0);
    ASSERT_TRUE(CheckToTheEnd(*frame, sorvik_tracker::ID_CHECK_SELECTED));
    EXPECT_EQ(Cell(*frame, 0, sorvik::TableColumn::Outcome), "未找到");
    const std::vector<std::string> records = Lines(FileText(DataFile("history.jsonl")));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_NE(records[2].find("\"nobody\""), std::string::npos) << records[2];

    // The form: a line added under 冬装 is in 冬装, an edited line keeps
    // its group until another is typed; a line moved out of the group
    // shows among every line, and its new group is offered.
    m_person.toType = {2, "abc", "小美的店"};
    Command(*frame, sorvik_tracker::ID_ADD_LINE);
    EXPECT_EQ(m_person.groupShown, "冬装");
    ASSERT_EQ(frame->Table()->GetItemCount(), 2);
    Select(*frame, 0);
    m_person.toType = {2, "abc", "nobody"};
    Command(*frame, sorvik_tracker::ID_EDIT_LINE);
    EXPECT_EQ(m_person.groupShown, "冬装");
    m_person.groupToType = "秋装";
    Command(*frame, sorvik_tracker::ID_EDIT_LINE);
    EXPECT_EQ(FileText(DataFile("keywords.txt")),
              "abc\t深夜小铺\t夏装\nabc\tnobody\t秋装\nabc\t\t夏装\nabc\t小美的店\t冬装\n");
    ASSERT_EQ(frame->Table()->GetItemCount(), 4);
    EXPECT_EQ(groups->GetSelection(), 0);
    EXPECT_EQ(frame->Table()->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED), 1);
    ASSERT_EQ(groups->GetCount(), 4u);
    EXPECT_EQ(groups->GetString(2).utf8_string(), "秋装");
    EXPECT_TRUE(m_person.messages.empty());
}

TEST_F(Tracker, DailyCheckSwitchedOnAndOffInItsDialogShowsTheNextAndTheLastScheduledRun) {
    // The units go to a scratch config folder and no scheduler command runs;
    // the environment is put back however the test ends.
    struct Environment {
        std::optional<std::string> zone;
        ~Environment() {
            for (const char* name :
                 {"XDG_CONFIG_HOME", "SORVIK_SCHEDULE_DRY_RUN", "SORVIK_CLI_PROGRAM"})
                sorvik::UnsetEnv(name);
            if (zone)
                sorvik::SetEnv("TZ", *zone);
            else
                sorvik::UnsetEnv("TZ");
        }
    } environment;
    if (const char* zone = std::getenv("TZ")) environment.zone = zone;
    sorvik::SetEnv("TZ", "CST-8");
    sorvik::SetEnv("XDG_CONFIG_HOME", m_dir.Path() + "/config");
    sorvik::SetEnv("SORVIK_SCHEDULE_DRY_RUN", "1");
    sorvik::SetEnv("SORVIK_CLI_PROGRAM", m_dir.Path() + "/no-such-cli");
    const std::string units = m_dir.Path() + "/config/systemd/user/";
    auto frame = std::make_unique<TrackerFrame>(Folder(), m_person.Seams());
    frame->Show();
    Pump(100);
    sorvik::ScheduledRunRecord record;
    record.started = *sorvik::ParseTimestamp("2026-12-09T09:00:00+08:00");
    record.ended = record.started + 300;
    record.checked = 12;
    record.failed = 1;
    std::string error;
    ASSERT_TRUE(sorvik::WriteScheduledRunRecord(Folder(), record, error)) << error;

    WithScheduleDialog(*frame, [&](sorvik_tracker::ScheduleDialog& dialog) {
        EXPECT_EQ(dialog.LastRun()->GetLabel().utf8_string(),
                  "上次自动检查：12-09 09:00，12 行完成，1 行失败");
        EXPECT_EQ(dialog.NextRun()->GetLabel().utf8_string(), "每天自动检查未开启");
        EXPECT_FALSE(dialog.DailySwitch()->GetValue());
        // Without sorvik-cli nothing is registered, and the dialog says so.
        dialog.DailySwitch()->SetValue(true);
        Click(dialog, wxID_APPLY);
        EXPECT_TRUE(dialog.Problem()->IsShown());
        EXPECT_NE(dialog.Problem()->GetValue().utf8_string().find("找不到 sorvik-cli"),
                  std::string::npos);
        EXPECT_FALSE(dialog.DailySwitch()->GetValue());
    });
    EXPECT_FALSE(std::filesystem::exists(units + "sorvik-daily.timer"));

    // The dialog only needs the program to be there: the dry run runs nothing.
    sorvik::SetEnv("SORVIK_CLI_PROGRAM", SORVIK_APP);
    std::string shownNext;
    WithScheduleDialog(*frame, [&](sorvik_tracker::ScheduleDialog& dialog) {
        dialog.DailySwitch()->SetValue(true);
        dialog.Hour()->SetValue(6);
        dialog.Minute()->SetValue(30);
        Click(dialog, wxID_APPLY);
        EXPECT_FALSE(dialog.Problem()->IsShown()) << dialog.Problem()->GetValue().utf8_string();
        shownNext = dialog.NextRun()->GetLabel().utf8_string();
    });
    const std::time_t next = sorvik::NextDailyRun(std::time(nullptr), {6, 30});
    std::tm local{};
    ASSERT_TRUE(sorvik::ToLocalTime(next, local));
    char expected[64];
    std::strftime(expected, sizeof expected, "下次自动检查：%m-%d 06:30", &local);
    EXPECT_EQ(shownNext, expected);
    EXPECT_NE(FileText(units + "sorvik-daily.timer").find("OnCalendar=*-*-* 06:30:00"),
              std::string::npos);
    const std::string service = FileText(units + "sorvik-daily.service");
    EXPECT_NE(service.find(std::string("ExecStart=") + SORVIK_APP + " --batch " + Folder() +
                           "/keywords.txt"),
              std::string::npos)
        << service;
    EXPECT_NE(service.find(" --scheduled\n"), std::string::npos) << service;
    // The window's own later writes of the settings keep the daily check.
    frame->PagesPerCheck()->SetValue(8);
    wxSpinEvent changed(wxEVT_SPINCTRL, frame->PagesPerCheck()->GetId());
    frame->PagesPerCheck()->ProcessWindowEvent(changed);
    std::string ini = FileText(DataFile("tracker.ini"));
    EXPECT_NE(ini.find("daily_check=on\ndaily_time=06:30\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("pages_per_check=8\n"), std::string::npos) << ini;

    // Opened again it shows the check as it is, and switches it off.
    WithScheduleDialog(*frame, [&](sorvik_tracker::ScheduleDialog& dialog) {
        EXPECT_TRUE(dialog.DailySwitch()->GetValue());
        EXPECT_EQ(dialog.Hour()->GetValue(), 6);
        EXPECT_EQ(dialog.Minute()->GetValue(), 30);
        EXPECT_EQ(dialog.NextRun()->GetLabel().utf8_string(), shownNext);
        dialog.DailySwitch()->SetValue(false);
        Click(dialog, wxID_APPLY);
        EXPECT_EQ(dialog.NextRun()->GetLabel().utf8_string(), "每天自动检查未开启");
    });
    EXPECT_FALSE(std::filesystem::exists(units + "sorvik-daily.timer"));
    EXPECT_FALSE(std::filesystem::exists(units + "sorvik-daily.service"));
    ini = FileText(DataFile("tracker.ini"));
    EXPECT_NE(ini.find("daily_check=off\n"), std::string::npos) << ini;
    EXPECT_TRUE(m_person.messages.empty());
}

}  // namespace
