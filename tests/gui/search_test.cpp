// Whole searches driven through the dialog's controls against the demo
// marketplace: rows, status line, message boxes, Start's state, Stop during
// a search, a new Start while the stopped worker still runs, the About box
// during a search, and closing during a download.
#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>

#include "gui_harness.h"
#include "resource.h"
#include "search_run.h"
#include "sorvik_dlg.h"

using namespace gui_test;

namespace {

using Clock = std::chrono::steady_clock;

wxString Filled(const char* format, int rank, int total, int page) {
    return wxString::Format(U(format), rank, total, page);
}

// Seller, price and sales are listed without blanks and line feeds.
std::string Cleaned(std::string text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\n') out += c;
    return out;
}

bool StartEnabled(CsorvikDlg& dlg) {
    return dlg.FindWindow(IDC_START)->IsEnabled();
}

// A Start press delivered whatever the button's state, as a second click
// that was queued before the first one disabled the button.
void PressStartEvenIfDisabled(CsorvikDlg& dlg) {
    wxCommandEvent click(wxEVT_BUTTON, IDC_START);
    click.SetEventObject(dlg.FindWindow(IDC_START));
    dlg.ProcessWindowEvent(click);
}

// Presses Start and dispatches events until the search has ended. Returns
// false when it did not end within `timeoutMs`.
bool SearchToTheEnd(CsorvikDlg& dlg, int timeoutMs) {
    if (!Click(dlg, IDC_START)) return false;
    return PumpUntil([&] { return StartEnabled(dlg) && dlg.Workers()->Idle(); }, timeoutMs);
}

void ExpectRowsMatchCatalog(wxListCtrl& list, const std::vector<std::vector<std::string>>& catalog,
                            long rows) {
    ASSERT_GE(catalog.size(), static_cast<size_t>(rows));
    for (long i = 0; i < rows; ++i) {
        const std::vector<std::string>& item = catalog[i];
        ASSERT_EQ(item.size(), 7u);
        const std::vector<wxString> expected = {
            std::to_string(i + 1),       U(item[2].c_str()),          U(Cleaned(item[3]).c_str()),
            U(Cleaned(item[4]).c_str()), U(Cleaned(item[5]).c_str()), U(item[6].c_str())};
        ASSERT_EQ(RowTexts(list, i), expected) << "row " << i;
    }
}

class SearchTest : public testing::Test {
  protected:
    TempWorkDir m_dir;
    Recorder m_recorder;
};

}  // namespace

TEST_F(SearchTest, KeywordSearchListsEveryItemOneByOneAndReportsTheEnd) {
    DemoMarket demo({"--items", "50"});
    ASSERT_TRUE(demo.Running());
    const auto catalog = demo.Catalog(50);
    CsorvikDlg dlg(nullptr, m_recorder.Seams());
    dlg.Show();
    Edit(dlg, IDC_KEYWORD)->ChangeValue(U("连衣裙"));

    ASSERT_TRUE(Click(dlg, IDC_START));
    EXPECT_FALSE(StartEnabled(dlg));
    wxListCtrl* list = Results(dlg);
    std::set<int> countsSeen;
    bool startEnabledMidSearch = false;
    ASSERT_TRUE(PumpUntil(
        [&] {
            const int rows = list->GetItemCount();
            countsSeen.insert(rows);
            if (rows > 0 && rows < 50 && StartEnabled(dlg)) startEnabledMidSearch = true;
            return StartEnabled(dlg) && dlg.Workers()->Idle();
        },
        30000));
    EXPECT_FALSE(startEnabledMidSearch);
    // Page 1's rows stood in the list while page 2 was still on its way.
    EXPECT_EQ(countsSeen.count(40), 1u);

    ASSERT_EQ(list->GetItemCount(), 50);
    ExpectRowsMatchCatalog(*list, catalog, 50);
    EXPECT_GE(list->GetTopItem() + list->GetCountPerPage(), 50);

    const wxString ending = Filled("查找进度:%d/%d 第%d页->查找完毕1", 50, 50, 2);
    EXPECT_EQ(Edit(dlg, IDC_STATUS)->GetValue(), ending);
    const std::vector<ShownMessage> messages = m_recorder.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, ending);
    EXPECT_EQ(messages[0].owner, &dlg);
}

TEST_F(SearchTest, SellerFoundOnPageTwoReportsRankTotalAndPage) {
    DemoMarket demo({"--items", "80"});
    ASSERT_TRUE(demo.Running());
    const auto catalog = demo.Catalog(80);
    ASSERT_EQ(catalog.size(), 80u);
    // The first seller whose first item stands on page 2. Sellers are
    // compared as listed, without blanks.
    std::set<std::string> earlier;
    int wanted = 0;
    for (int i = 0; i < 80 && !wanted; ++i) {
        if (i >= 40 && !earlier.count(Cleaned(catalog[i][3]))) wanted = i + 1;
        earlier.insert(Cleaned(catalog[i][3]));
    }
    ASSERT_GT(wanted, 40) << "the demo catalog has no seller first seen on page 2";

    CsorvikDlg dlg(nullptr, m_recorder.Seams());
    dlg.Show();
    ChooseRadio(dlg, IDC_MODE_SELLER);
    Edit(dlg, IDC_KEYWORD)->ChangeValue(U("连衣裙"));
    Edit(dlg, IDC_SELLER)->ChangeValue(U(Cleaned(catalog[wanted - 1][3]).c_str()));
    ASSERT_TRUE(SearchToTheEnd(dlg, 30000));

    const wxString found = Filled("找到咯，排名为:%d/%d 第%d页", wanted, 80, 2);
    EXPECT_EQ(Edit(dlg, IDC_STATUS)->GetValue(), found);
    const std::vector<ShownMessage> messages = m_recorder.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, found);
    ASSERT_EQ(Results(dlg)->GetItemCount(), wanted);
    ExpectRowsMatchCatalog(*Results(dlg), catalog, wanted);
}

TEST_F(SearchTest, StopDuringSearchThenStartAgainWhileTheOldWorkerStillRuns) {
    RequestLog log;
    DemoMarket demo(
        {"--items", "80", "--slow-page", "2", "--slow-ms", "2500", "--log", log.Path()});
    ASSERT_TRUE(demo.Running());
    const auto catalog = demo.Catalog(80);
    CsorvikDlg dlg(nullptr, m_recorder.Seams());
    dlg.Show();
    Edit(dlg, IDC_KEYWORD)->ChangeValue(U("连衣裙"));
    wxListCtrl* list = Results(dlg);

    ASSERT_TRUE(Click(dlg, IDC_START));
    // Page 1 listed; page 2 is on its slow way.
    ASSERT_TRUE(PumpUntil([&] { return list->GetItemCount() == 40; }, 20000));
    ASSERT_TRUE(PumpUntil([&] { return log.Requests() >= 2; }, 20000));
    ASSERT_FALSE(StartEnabled(dlg));
    ASSERT_TRUE(Click(dlg, IDC_STOP));
    EXPECT_TRUE(StartEnabled(dlg));
    const wxString stopped = Filled("查找进度:%d/%d 第%d页", 40, 80, 1) + U(" -> 已停止查询");
    EXPECT_EQ(Edit(dlg, IDC_STATUS)->GetValue(), stopped);
    EXPECT_FALSE(dlg.Workers()->Idle());

    // Start at once: the window thread does not wait for the old worker.
    const auto before = Clock::now();
    ASSERT_TRUE(Click(dlg, IDC_START));
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(100));
    EXPECT_FALSE(StartEnabled(dlg));
    // The window keeps answering while the new worker waits for the old one.
    const auto pumpStart = Clock::now();
    Pump(200);
    EXPECT_LT(Clock::now() - pumpStart, std::chrono::milliseconds(400));

    // The old worker ends and the new search begins (page 1 asked again);
    // through the new search's slow page 2, Start stays disabled, and
    // neither Start nor Stop queues a third search.
    ASSERT_TRUE(PumpUntil([&] { return log.Requests() >= 4; }, 20000));
    EXPECT_FALSE(StartEnabled(dlg));
    EXPECT_FALSE(Click(dlg, IDC_START));
    ASSERT_TRUE(PumpUntil([&] { return StartEnabled(dlg) && dlg.Workers()->Idle(); }, 30000));
    EXPECT_EQ(log.Requests(), 4u);
    // The old worker left nothing in the new search: its own stop path found
    // the mark present, and the new search listed all 80 items once.
    ASSERT_EQ(list->GetItemCount(), 80);
    ExpectRowsMatchCatalog(*list, catalog, 80);
    EXPECT_EQ(Edit(dlg, IDC_STATUS)->GetValue(),
              Filled("查找进度:%d/%d 第%d页->查找完毕1", 80, 80, 2));
    ASSERT_EQ(m_recorder.Messages().size(), 1u);
}

TEST_F(SearchTest, AStopWhileTheNextSearchWaitsForTheOldWorkerCancelsIt) {
    RequestLog log;
    DemoMarket demo(
        {"--items", "80", "--slow-page", "2", "--slow-ms", "2500", "--log", log.Path()});
    ASSERT_TRUE(demo.Running());
    CsorvikDlg dlg(nullptr, m_recorder.Seams());
    dlg.Show();
    Edit(dlg, IDC_KEYWORD)->ChangeValue(U("连衣裙"));
    wxListCtrl* list = Results(dlg);
    const wxString stopped = Filled("查找进度:%d/%d 第%d页", 40, 80, 1) + U(" -> 已停止查询");
    // Start, and Stop once page 2 is on its slow way.
    auto startThenStopOnPageTwo = [&](std::size_t requestsBefore) {
        ASSERT_TRUE(Click(dlg, IDC_START));
        ASSERT_TRUE(PumpUntil([&] { return log.Requests() >= requestsBefore + 2; }, 20000));
        ASSERT_TRUE(PumpUntil([&] { return list->GetItemCount() == 40; }, 20000));
        ASSERT_TRUE(Click(dlg, IDC_STOP));
    };

    // Start, Stop; Start again while the old worker still downloads, and
    // Stop again: the waiting search never begins.
    startThenStopOnPageTwo(0);
    ASSERT_TRUE(Click(dlg, IDC_START));
    EXPECT_FALSE(StartEnabled(dlg));
    ASSERT_TRUE(Click(dlg, IDC_STOP));
    EXPECT_TRUE(StartEnabled(dlg));
    EXPECT_EQ(Edit(dlg, IDC_STATUS)->GetValue(), stopped);
    ASSERT_TRUE(PumpUntil([&] { return dlg.Workers()->Idle(); }, 20000));
    Pump(300);
    EXPECT_EQ(log.Requests(), 2u);
    EXPECT_EQ(list->GetItemCount(), 40);
    EXPECT_EQ(Edit(dlg, IDC_STATUS)->GetValue(), stopped);
    EXPECT_TRUE(StartEnabled(dlg));
    EXPECT_TRUE(m_recorder.Messages().empty());

    // Start, Stop, then Start twice while the old worker still runs: one
    // search waits for it, and it runs whole once.
    startThenStopOnPageTwo(2);
    PressStartEvenIfDisabled(dlg);
    PressStartEvenIfDisabled(dlg);
    ASSERT_TRUE(PumpUntil([&] { return StartEnabled(dlg) && dlg.Workers()->Idle(); }, 30000));
    Pump(300);
    EXPECT_EQ(log.Requests(), 6u);
    EXPECT_EQ(list->GetItemCount(), 80);
    EXPECT_EQ(Edit(dlg, IDC_STATUS)->GetValue(),
              Filled("查找进度:%d/%d 第%d页->查找完毕1", 80, 80, 2));
    EXPECT_EQ(m_recorder.Messages().size(), 1u);
}

TEST_F(SearchTest, WorkerStopPathAddsTheMarkOnceWhenStoppedBetweenPages) {
    RequestLog log;
    DemoMarket demo(
        {"--items", "80", "--slow-page", "2", "--slow-ms", "1500", "--log", log.Path()});
    ASSERT_TRUE(demo.Running());
    CsorvikDlg dlg(nullptr, m_recorder.Seams());
    dlg.Show();
    Edit(dlg, IDC_KEYWORD)->ChangeValue(U("连衣裙"));
    ASSERT_TRUE(Click(dlg, IDC_START));
    ASSERT_TRUE(PumpUntil([&] { return Results(dlg)->GetItemCount() == 40; }, 20000));
    ASSERT_TRUE(PumpUntil([&] { return log.Requests() >= 2; }, 20000));
    // The stop flag alone, as closing would raise it, then the worker's own
    // stop path writes the mark; a Stop press afterwards adds nothing.
    dlg.State().m_stopRequested = true;
    ASSERT_TRUE(PumpUntil([&] { return StartEnabled(dlg) && dlg.Workers()->Idle(); }, 20000));
    const wxString stopped = Filled("查找进度:%d/%d 第%d页", 40, 80, 1) + U(" -> 已停止查询");
    EXPECT_EQ(Edit(dlg, IDC_STATUS)->GetValue(), stopped);
    ASSERT_TRUE(Click(dlg, IDC_STOP));
    EXPECT_EQ(Edit(dlg, IDC_STATUS)->GetValue(), stopped);
    for (const ShownMessage& message : m_recorder.Messages())
        ADD_FAILURE() << "message box: " << message.text.utf8_str().data();
    EXPECT_EQ(Results(dlg)->GetItemCount(), 40);
}

TEST_F(SearchTest, SearchGoesOnBehindTheAboutBox) {
    DemoMarket demo({"--items", "80", "--slow-page", "2", "--slow-ms", "800"});
    ASSERT_TRUE(demo.Running());
    CsorvikDlg dlg(nullptr, m_recorder.Seams());
    dlg.Show();
    Edit(dlg, IDC_KEYWORD)->ChangeValue(U("连衣裙"));
    wxListCtrl* list = Results(dlg);
    int rowsWhenOpened = -1;
    int rowsWhenClosing = -1;
    m_recorder.whileAboutOpen = [&] {
        rowsWhenOpened = list->GetItemCount();
        PumpUntil([&] { return list->GetItemCount() == 80; }, 20000);
        rowsWhenClosing = list->GetItemCount();
    };
    ASSERT_TRUE(Click(dlg, IDC_START));
    ASSERT_TRUE(PumpUntil([&] { return list->GetItemCount() >= 1; }, 20000));
    wxCommandEvent about(wxEVT_MENU, IDM_ABOUTBOX);
    dlg.GetEventHandler()->ProcessEvent(about);
    EXPECT_EQ(m_recorder.AboutShown(), 2);
    EXPECT_LT(rowsWhenOpened, 80);
    EXPECT_EQ(rowsWhenClosing, 80);
    ASSERT_TRUE(PumpUntil([&] { return StartEnabled(dlg) && dlg.Workers()->Idle(); }, 20000));
}

TEST_F(SearchTest, ClosingDuringADownloadEndsTheModalLoopAfterHalfASecond) {
    DemoMarket demo({"--items", "80", "--slow-page", "2", "--slow-ms", "2000"});
    ASSERT_TRUE(demo.Running());
    CsorvikDlg dlg(nullptr, m_recorder.Seams());
    Edit(dlg, IDC_KEYWORD)->ChangeValue(U("连衣裙"));
    wxListCtrl* list = Results(dlg);
    Clock::time_point closing;
    bool reachedPageTwo = false;
    wxString statusAtClose;
    dlg.CallAfter([&] {
        Click(dlg, IDC_START);
        reachedPageTwo = PumpUntil([&] { return list->GetItemCount() == 40; }, 20000);
        Pump(200);
        statusAtClose = Edit(dlg, IDC_STATUS)->GetValue();
        closing = Clock::now();
        dlg.Close();
    });
    dlg.ShowModal();
    const auto took = Clock::now() - closing;
    ASSERT_TRUE(reachedPageTwo);
    EXPECT_GE(took, std::chrono::milliseconds(500));
    EXPECT_LT(took, std::chrono::milliseconds(1000));
    EXPECT_TRUE(dlg.State().m_stopRequested.load());
    // The worker is still inside the slow download.
    EXPECT_FALSE(dlg.Workers()->Idle());

    // When it comes out, it finds the window closed and changes nothing.
    ASSERT_TRUE(dlg.Workers()->WaitUntilIdle(std::chrono::seconds(20)));
    Pump(100);
    EXPECT_EQ(list->GetItemCount(), 40);
    EXPECT_EQ(Edit(dlg, IDC_STATUS)->GetValue(), statusAtClose);
    EXPECT_FALSE(StartEnabled(dlg));
    EXPECT_TRUE(m_recorder.Messages().empty());
}
