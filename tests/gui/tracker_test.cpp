// The tracker window driven as a person would, against the demo
// marketplace: lines added through the form, all checked, ranks and moves
// in the table, a restart on the same files, a failed check marked on the
// chart, Stop and closing during a check, changes of the list beside an
// editor's, one window per data folder, and files that can't be used.
#include <gtest/gtest.h>
#include <wx/gauge.h>
#include <wx/listctrl.h>
#include <wx/radiobox.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "chart_layout.h"
#include "folder_claim.h"
#include "gui_harness.h"
#include "line_dialog.h"
#include "list_views.h"
#include "rank_chart.h"
#include "test_environment.h"
#include "tracker_frame.h"
#include "tracker_table.h"

using namespace gui_test;
using sorvik::FileText;
using sorvik::Lines;
using sorvik_tracker::LineDialog;
using sorvik_tracker::TrackerFrame;

namespace {

using Clock = std::chrono::steady_clock;

// A line as typed into the form: mode 1 to 3, keyword, target.
struct Typed {
    int mode;
    std::string keyword;
    std::string target;
};

// Seams that record messages and answer the form and the questions from
// queues the test fills.
class Person {
  public:
    sorvik_tracker::TrackerSeams Seams() {
        sorvik_tracker::TrackerSeams seams;
        seams.message = [this](const wxString& text, wxWindow*) {
            messages.push_back(text.utf8_string());
        };
        seams.ask = [this](const wxString& question, wxWindow*) {
            questions.push_back(question.utf8_string());
            return yes;
        };
        seams.chooseFile = [this](const wxString&, const wxString&, const wxString&, bool,
                                  wxWindow*) { return wxString::FromUTF8(file); };
        seams.editLine = [this](LineDialog& dialog) {
            // Filled in and accepted inside the form's own modal loop; a
            // form that stays open (its check failed) is cancelled.
            dialog.CallAfter([this, &dialog] {
                const Typed typed = toType;
                dialog.ModeChoice()->SetSelection(typed.mode - 1);
                wxCommandEvent chosen(wxEVT_RADIOBOX, dialog.ModeChoice()->GetId());
                chosen.SetInt(typed.mode - 1);
                chosen.SetEventObject(dialog.ModeChoice());
                dialog.ModeChoice()->GetEventHandler()->ProcessEvent(chosen);
                dialog.KeywordField()->ChangeValue(wxString::FromUTF8(typed.keyword));
                dialog.TargetField()->ChangeValue(wxString::FromUTF8(typed.target));
                buttons = dialog.FindWindow(wxID_OK)->GetLabel().utf8_string() + "/" +
                          dialog.FindWindow(wxID_CANCEL)->GetLabel().utf8_string();
                Click(dialog, wxID_OK);
                if (dialog.IsModal()) dialog.EndModal(wxID_CANCEL);
            });
            return dialog.ShowModal() == wxID_OK;
        };
        // The window giving up on a check it can't stop would end the test
        // program too: the test in which it happens fails instead.
        seams.endProgramNow = [] { ADD_FAILURE() << "the window ended the program"; };
        return seams;
    }

    Typed toType;
    std::string buttons;  // the labels of the form's OK and Cancel
    std::string file;
    bool yes = true;
    std::vector<std::string> messages;
    std::vector<std::string> questions;
};

void Command(TrackerFrame& frame, int id) {
    wxCommandEvent command(wxEVT_MENU, id);
    frame.ProcessWindowEvent(command);
}

bool CheckToTheEnd(TrackerFrame& frame, int id, int timeoutMs = 60000) {
    Command(frame, id);
    if (!frame.Checking()) return false;
    return PumpUntil([&] { return !frame.Checking(); }, timeoutMs);
}

std::string Cell(TrackerFrame& frame, long row, sorvik::TableColumn column) {
    return frame.Table()->GetItemText(row, static_cast<int>(column)).utf8_string();
}

void Select(TrackerFrame& frame, long row) {
    wxListCtrl* table = frame.Table();
    for (long i = 0; i < table->GetItemCount(); ++i)
        table->SetItemState(i, i == row ? wxLIST_STATE_SELECTED : 0, wxLIST_STATE_SELECTED);
    Pump(50);
}

class Tracker : public testing::Test {
  protected:
    std::string Folder() const { return m_dir.Path() + "/data"; }
    std::string DataFile(const char* name) const { return Folder() + "/" + name; }
    TempWorkDir m_dir;
    Person m_person;
};

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
    ASSERT_EQ(m_person.messages.size(), 1u);
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
    int columns = 0;
    for (int column = 0; column < past->GetColumnCount(); ++column) {
        columns += past->GetColumnWidth(column);
        EXPECT_GT(past->GetColumnWidth(column),
                  past->GetTextExtent(past->GetItemText(1, column)).GetWidth())
            << column;
    }
    EXPECT_LE(columns, past->GetClientSize().GetWidth());
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
    EXPECT_EQ(ranks[0], "\xEF\xBB\xBF关键词,目标,方式,排名,页,变化,最佳,上次检查,结果\r");
    EXPECT_EQ(ranks[2].rfind("连衣裙,深夜小铺,用户名,12,1,↑45,12,2026-12-09 ", 0), 0u) << ranks[2];
    m_person.file = m_dir.Path() + "/history.csv";
    Command(*frame, sorvik_tracker::ID_EXPORT_HISTORY);
    const std::vector<std::string> history = Lines(FileText(m_person.file));
    ASSERT_EQ(history.size(), 9u);
    EXPECT_NE(history[4].find(",下载失败,"), std::string::npos) << history[4];
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
    // A list in GBK, and a history with a damaged line.
    const std::string gbkList = "\xC1\xAC\xD2\xC2\xC8\xB9\n";
    std::ofstream(DataFile("keywords.txt"), std::ios::binary) << gbkList;
    std::ofstream(DataFile("history.jsonl"))
        << "{\"keyword\":\"k\",\"outcome\":\"found\",\"rank\":3,"
           "\"checked_at\":\"2026-12-01T09:00:00+08:00\"}\nbroken\n";
    {
        TrackerFrame frame(Folder(), m_person.Seams());
        ASSERT_EQ(m_person.messages.size(), 2u);
        EXPECT_NE(m_person.messages[0].find("无法读取关键词列表"), std::string::npos);
        EXPECT_NE(m_person.messages[1].find("1 行已损坏"), std::string::npos);
        EXPECT_EQ(frame.Table()->GetItemCount(), 0);
        // An empty list: how to begin, and no word of F5.
        const std::string status = frame.StatusText()->GetLabelText().utf8_string();
        EXPECT_NE(status.find("Ctrl+N"), std::string::npos) << status;
        EXPECT_EQ(status.find("F5"), std::string::npos) << status;
    }
    // The list was put aside whole, the history left as it was.
    int aside = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Folder()))
        if (entry.path().filename().string().rfind("keywords.txt.unreadable-", 0) == 0 &&
            FileText(entry.path().string()) == gbkList)
            ++aside;
    EXPECT_EQ(aside, 1);
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

}  // namespace
