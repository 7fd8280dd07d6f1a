// Window operations called from a worker thread: they run on the window
// thread while the worker waits, and return at once once closing began.
#include <gtest/gtest.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <atomic>
#include <thread>

#include "gbk_text.h"
#include "gui_harness.h"
#include "resource.h"
#include "sorvik_dlg.h"
#include "window_thread_bridge.h"

using namespace gui_test;
using sorvik_app::WindowThreadBridge;

namespace {

// Exposes the protected reads of the window interface.
class TestDlg : public CsorvikDlg {
  public:
    using CsorvikDlg::CsorvikDlg;
    using CsorvikDlg::ReadFormFields;
    using CsorvikDlg::ReadStatusLine;
};

}  // namespace

TEST(Bridge, RunsAtOnceOnTheWindowThreadAndNotAfterClose) {
    wxEvtHandler window;
    auto bridge = WindowThreadBridge::Create(window);
    int runs = 0;
    EXPECT_TRUE(bridge->Run([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
    bridge->Close();
    EXPECT_FALSE(bridge->Run([&] { ++runs; }));
    EXPECT_EQ(runs, 1);
}

TEST(Bridge, WorkerWaitsForTheWindowThreadAndIsReleasedByClose) {
    wxEvtHandler window;
    auto bridge = WindowThreadBridge::Create(window);
    std::atomic<bool> returned{false};
    std::thread::id ranOn;
    std::thread worker([&] {
        EXPECT_TRUE(bridge->Run([&] { ranOn = std::this_thread::get_id(); }));
        returned = true;
    });
    // Nothing dispatches events: the worker must still be waiting.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(returned.load());
    ASSERT_TRUE(PumpUntil([&] { return returned.load(); }, 5000));
    worker.join();
    EXPECT_EQ(ranOn, std::this_thread::get_id());

    // A queued call that has not begun is dropped by Close and its caller
    // released without the window thread running anything.
    std::atomic<bool> ran{false};
    std::atomic<int> result{-1};
    std::thread late([&] { result = bridge->Run([&] { ran = true; }) ? 1 : 0; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    bridge->Close();
    late.join();
    EXPECT_EQ(result.load(), 0);
    Pump(50);
    EXPECT_FALSE(ran.load());
}

TEST(Bridge, WindowOperationsFromAWorkerRunOnTheWindowThread) {
    Recorder recorder;
    TestDlg dlg(nullptr, recorder.Seams());
    dlg.Show();
    Edit(dlg, IDC_KEYWORD)->ChangeValue(U("连衣裙 夏"));
    Edit(dlg, IDC_SELLER)->ChangeValue(U("小美"));
    Edit(dlg, IDC_ITEMLINK)->ChangeValue(U("http://a/item.htm?id=1"));
    Edit(dlg, IDC_STATUS)->ChangeValue(U("旧"));
    dlg.FindWindow(IDC_START)->Disable();

    std::atomic<int> step{0};
    sorvik::FormTexts form;
    std::string status;
    std::thread worker([&] {
        form = dlg.ReadFormFields();
        status = dlg.ReadStatusLine();
        step = 1;
        dlg.SetStatusText(sorvik::Utf8ToGbk("查找进度:1/2 第1页"));
        step = 2;
        for (int rank = 1; rank <= 3; ++rank) {
            const std::string r = std::to_string(rank);
            dlg.AppendResultRow({r, sorvik::Utf8ToGbk("标题" + r), "seller" + r, "p" + r, "n" + r,
                                 "http://h/item.htm?id=" + r});
        }
        dlg.EnableStart();
        dlg.ShowMessage(sorvik::Utf8ToGbk("找到咯"));
        step = 3;
    });
    // The worker's first read waits for the window thread.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(step.load(), 0);
    ASSERT_TRUE(PumpUntil([&] { return step.load() == 3; }, 5000));
    worker.join();

    EXPECT_EQ(form.keyword, sorvik::Utf8ToGbk("连衣裙 夏"));
    EXPECT_EQ(form.sellerName, sorvik::Utf8ToGbk("小美"));
    EXPECT_EQ(form.itemLink, "http://a/item.htm?id=1");
    EXPECT_EQ(status, sorvik::Utf8ToGbk("旧"));
    EXPECT_EQ(Edit(dlg, IDC_STATUS)->GetValue(), U("查找进度:1/2 第1页"));
    wxListCtrl* list = Results(dlg);
    ASSERT_EQ(list->GetItemCount(), 3);
    const std::vector<wxString> second = {"2",  U("标题2"), "seller2",
                                          "p2", "n2",       "http://h/item.htm?id=2"};
    EXPECT_EQ(RowTexts(*list, 1), second);
    EXPECT_TRUE(dlg.FindWindow(IDC_START)->IsEnabled());
    ASSERT_EQ(recorder.Messages().size(), 1u);
    EXPECT_EQ(recorder.Messages()[0].text, U("找到咯"));
}

TEST(Bridge, RowGoesToIndexOfItsRankAndLastRowIsScrolledIntoView) {
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());
    dlg.Show();
    wxListCtrl* list = Results(dlg);
    for (int rank = 1; rank <= 60; ++rank)
        dlg.AppendResultRow({std::to_string(rank), "t", "s", "p", "n", "http://h/"});
    Pump(50);
    EXPECT_EQ(list->GetItemCount(), 60);
    // Last row visible: the page shown ends at it.
    EXPECT_GE(list->GetTopItem() + list->GetCountPerPage(), 60);
    EXPECT_GT(list->GetTopItem(), 0);

    // Rank 2 again goes in at index 1; a rank past the end or no number at
    // all goes to the end.
    dlg.AppendResultRow({"2", "again", "s", "p", "n", "http://h/"});
    EXPECT_EQ(list->GetItemText(1, 1), "again");
    dlg.AppendResultRow({"500", "far", "s", "p", "n", "http://h/"});
    dlg.AppendResultRow({"x", "odd", "s", "p", "n", "http://h/"});
    dlg.AppendResultRow({"0", "zero", "s", "p", "n", "http://h/"});
    EXPECT_EQ(list->GetItemText(61, 1), "far");
    EXPECT_EQ(list->GetItemText(62, 1), "odd");
    EXPECT_EQ(list->GetItemText(63, 1), "zero");
    EXPECT_EQ(list->GetItemText(0, 1), "t");
    dlg.ClearResults();
    EXPECT_EQ(list->GetItemCount(), 0);
}

TEST(Bridge, OperationsAfterClosingBeganReturnAtOnceAndChangeNothing) {
    Recorder recorder;
    TestDlg dlg(nullptr, recorder.Seams());
    dlg.Show();
    Edit(dlg, IDC_KEYWORD)->ChangeValue("kw");
    dlg.SetStatusText("before");
    dlg.FindWindow(IDC_START)->Disable();

    const auto before = std::chrono::steady_clock::now();
    dlg.Close();  // the dialog is not modal here: closing hides it
    const auto took = std::chrono::steady_clock::now() - before;
    EXPECT_GE(took, std::chrono::milliseconds(500));
    EXPECT_LT(took, std::chrono::milliseconds(900));
    EXPECT_TRUE(dlg.State().m_stopRequested.load());
    EXPECT_FALSE(dlg.IsShown());

    std::atomic<bool> done{false};
    sorvik::FormTexts form{"x", "y", "z", ""};
    std::thread worker([&] {
        dlg.ClearResults();
        dlg.SetStatusText("after");
        dlg.AppendResultRow({"1", "t", "s", "p", "n", "http://h/"});
        dlg.EnableStart();
        dlg.ShowMessage("late");
        dlg.AppendStoppedMark();
        form = dlg.ReadFormFields();
        done = true;
    });
    // No event is dispatched: nothing may wait for the window thread.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!done.load() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(done.load()) << "a window operation waited for the closed window";
    // Lets a wrongly waiting worker go, so that the test ends either way.
    PumpUntil([&] { return done.load(); }, 10000);
    worker.join();
    Pump(50);
    EXPECT_EQ(Edit(dlg, IDC_STATUS)->GetValue(), "before");
    EXPECT_EQ(Results(dlg)->GetItemCount(), 0);
    EXPECT_FALSE(dlg.FindWindow(IDC_START)->IsEnabled());
    EXPECT_TRUE(recorder.Messages().empty());
    EXPECT_TRUE(form.keyword.empty());
}

TEST(Bridge, StopButtonAndWorkerStopPathNeverDoubleTheMark) {
    Recorder recorder;
    CsorvikDlg dlg(nullptr, recorder.Seams());
    dlg.Show();
    for (int round = 0; round < 10; ++round) {
        dlg.SetStatusText("round " + std::to_string(round));
        std::atomic<bool> done{false};
        std::thread worker([&] {
            dlg.AppendStoppedMark();
            done = true;
        });
        ASSERT_TRUE(Click(dlg, IDC_STOP));
        ASSERT_TRUE(PumpUntil([&] { return done.load(); }, 5000));
        worker.join();
        EXPECT_EQ(Edit(dlg, IDC_STATUS)->GetValue(),
                  wxString::Format("round %d", round) + U(" -> 已停止查询"));
    }
}
