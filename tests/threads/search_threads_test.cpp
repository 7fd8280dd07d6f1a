// The window thread and search workers together: stop flag, the stop mark's
// two callers, and a Start that comes while the previous worker still runs.
#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "../e2e/robot_server.h"
#include "check_run.h"
#include "gbk_text.h"
#include "page_fetch.h"
#include "page_server.h"
#include "search_run.h"
#include "test_environment.h"
#include "test_window.h"
#include "tidy_page.h"
#include "whole_file.h"
#include "work_dir.h"

namespace sorvik {
namespace {

using namespace std::chrono_literals;
using test::PageServer;
using test::RawResultPage;

const std::string kStopped = " -> 已停止查询";

// Runs the searches in a fresh directory holding config.txt.
class SearchThreads : public ::testing::Test {
  protected:
    SearchThreads() : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(m_dir.Path());
    }
    ~SearchThreads() override { std::filesystem::current_path(m_previous); }

    // A marketplace of `pages` full pages; each page after the first waits
    // `delay` before it answers.
    std::unique_ptr<PageServer> Market(int pages, std::chrono::milliseconds delay,
                                       int itemsPerPage = 40) {
        return std::make_unique<PageServer>(
            [this, pages, delay, itemsPerPage](int page, httplib::Response& response) {
                m_highestPageAsked = std::max(m_highestPageAsked.load(), page);
                if (page > 1) std::this_thread::sleep_for(delay);
                response.set_content(
                    RawResultPage((page - 1) * itemsPerPage + 1, page <= pages ? itemsPerPage : 0,
                                  pages * itemsPerPage, page < pages),
                    "text/html; charset=gbk");
            });
    }

    void PointAt(const PageServer& server) {
        SetEnv("SORVIK_SEARCH_HOST", server.Host());
        SetEnv("SORVIK_ITEM_HOST", server.Host());
    }

    static bool WaitFor(const std::function<bool()>& condition,
                        std::chrono::milliseconds timeout = 20s) {
        for (auto end = std::chrono::steady_clock::now() + timeout;
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(5ms))
            if (condition()) return true;
        return condition();
    }

    // The highest page the server was asked for: page 2 asked means page 1's
    // walk has ended and page 2's download has begun.
    std::atomic<int> m_highestPageAsked{0};
    CleaningBuffers m_buffers;

  private:
    test::WorkDir m_dir;
    std::filesystem::path m_previous;
};

TEST_F(SearchThreads, AStopBetweenPagesTakesTheStopPath) {
    auto server = Market(3, 1500ms);
    PointAt(*server);
    TestWindow window;
    window.FillForm("abc", "", "");
    ASSERT_TRUE(StartSearchWorker(window));
    ASSERT_TRUE(WaitFor([&] { return m_highestPageAsked == 2; }));
    window.State().m_stopRequested = true;  // page 2 is on its way
    ASSERT_TRUE(window.Workers()->WaitUntilIdle(20s));
    EXPECT_EQ(window.Rows().size(), 40u);
    EXPECT_EQ(window.Status(), "查找进度:40/120 第1页" + kStopped);
    EXPECT_TRUE(window.Messages().empty());
    EXPECT_EQ(window.EnableStartCount(), 1);
}

// Page 2's cleaning runs while the pause after its download goes by; a stop
// seen after that pause must leave no trace of it: no cleaned page, no
// write-back over the downloaded page, no diagnostics.
TEST_F(SearchThreads, AStopAfterPageTwosDownloadDropsItsCleaningUnwritten) {
    const std::string page1 = RawResultPage(1, 40, 80, true);
    const std::string page2 = RawResultPage(41, 40, 80, false);
    const std::string config = ReadWholeFile("config.txt");
    auto write = [](const char* file, const std::string& bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
    };
    for (const char* extra : {"quiet: no\n", "write-back: yes\nquiet: no\n"}) {
        // Page 1 cleaned as the repository's settings clean it: what the
        // search reads, whatever `extra` makes the cleaning write.
        write("config.txt", config);
        write("data.html", page1);
        TidyPage("data_backup.html", "data.html");
        const std::string cleanedPage1 = ReadWholeFile("data_backup.html");
        // What cleaning page 1 with `extra` writes to standard error.
        write("config.txt", config + extra);
        write("data.html", page1);
        testing::internal::CaptureStderr();
        TidyPageDirectly("data_backup.html", "data.html", m_buffers);
        const std::string page1Diagnostics = testing::internal::GetCapturedStderr();
        ASSERT_FALSE(page1Diagnostics.empty()) << extra;

        TestWindow window;
        // The stop comes while page 2 downloads: the worker sees it after
        // the pause that follows, while page 2 is being cleaned.
        PageServer server([&](int page, httplib::Response& response) {
            if (page == 2) window.State().m_stopRequested = true;
            response.set_content(page == 1 ? page1 : page2, "text/html; charset=gbk");
        });
        PointAt(server);
        window.FillForm("abc", "", "");
        testing::internal::CaptureStderr();
        SearchOutcome outcome = SearchOutcome::Found;
        SearchThreadProc(window, &outcome);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), page1Diagnostics) << extra;
        EXPECT_EQ(outcome, SearchOutcome::Stopped) << extra;
        EXPECT_EQ(window.Rows().size(), 40u) << extra;
        EXPECT_EQ(window.Status(), "查找进度:40/80 第1页" + kStopped) << extra;
        EXPECT_TRUE(window.Messages().empty()) << extra;
        // Whole pages: compared without printing them.
        EXPECT_TRUE(ReadWholeFile("data_backup.html") == cleanedPage1)
            << extra << "data_backup.html is not page 1's";
        std::string downloaded;
        ReadFileBytes("data.html", downloaded);
        EXPECT_TRUE(downloaded == page2) << extra << "data.html is not page 2 as downloaded";
    }
}

// A stop raised while page 1 downloads: the dialog lets the download end
// and takes the stop path before the first walk, with page 1 read; a front
// end that asks for it has the transfer ended at once.
TEST_F(SearchThreads, AStopDuringTheFirstDownloadEndsItOnlyWhenTheFrontEndAsks) {
    for (StopDuringDownload choice :
         {StopDuringDownload::LetItFinish, StopDuringDownload::EndTransfer}) {
        TestWindow window;
        PageServer server([&](int, httplib::Response& response) {
            window.State().m_stopRequested = true;
            std::this_thread::sleep_for(1500ms);
            response.set_content(RawResultPage(1, 40, 100, true), "text/html; charset=gbk");
        });
        PointAt(server);
        window.FillForm("abc", "", "");
        // The run clears the flag as its first step; the server raises it.
        SearchLimits limits;
        limits.stopDuringDownload = choice;
        SearchReport report;
        const auto start = std::chrono::steady_clock::now();
        SearchThreadProc(window, limits, &report);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(report.outcome, SearchOutcome::Stopped);
        EXPECT_TRUE(window.Rows().empty());
        EXPECT_TRUE(window.Messages().empty());
        EXPECT_EQ(window.Status(), kStopped);
        if (choice == StopDuringDownload::LetItFinish) {
            EXPECT_GE(took, 1500ms + 500ms + 100ms);  // the answer, and both pauses
            EXPECT_EQ(report.total, 100);
            EXPECT_EQ(report.pagesRead, 1);
        } else {
            // Ended before the page came: nothing of it was read.
            EXPECT_EQ(report.total, std::nullopt);
            EXPECT_EQ(report.pagesRead, 0);
        }
    }
}

// The pause after a download (500 ms) and the one after the cleaning
// (100 ms) lie between one page's request and the next, and the first also
// follows a failed download. Lower bounds only: a busy machine makes the
// gaps longer, never shorter. A stop that comes later than the short pause
// but well within the long one after page 2's download is seen at the test
// that follows the long pause, before page 2's cleaning is written.
TEST_F(SearchThreads, ThePausesFollowTheDownloadAndTheCleaning) {
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::duration d) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
    };
    auto threePages = Market(3, 0ms);
    PointAt(*threePages);
    TestWindow window;
    window.FillForm("abc", "", "");
    SearchOutcome outcome = SearchOutcome::None;
    SearchThreadProc(window, &outcome);
    EXPECT_EQ(outcome, SearchOutcome::AllSeen);
    std::vector<Clock::time_point> asked = threePages->RequestTimes();
    ASSERT_EQ(asked.size(), 3u);
    for (std::size_t k = 1; k < asked.size(); ++k)
        EXPECT_GE(ms(asked[k] - asked[k - 1]), 600) << "before page " << k + 1;

    PageServer missing([](int, httplib::Response& response) { response.status = 404; });
    PointAt(missing);
    SearchThreadProc(window, &outcome);
    const Clock::time_point searchEnded = Clock::now();
    EXPECT_EQ(outcome, SearchOutcome::FirstDownloadFailed);
    EXPECT_FALSE(DownloadPage("http://" + missing.Host() + "/search", "data.html"));
    const Clock::time_point downloadEnded = Clock::now();
    asked = missing.RequestTimes();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_GE(ms(searchEnded - asked[0]), 500);
    EXPECT_GE(ms(downloadEnded - asked[1]), 500);

    auto twoPages = Market(2, 0ms);
    PointAt(*twoPages);
    std::thread stopper([&] {
        if (!WaitFor([&] { return twoPages->RequestTimes().size() == 2; })) return;
        std::this_thread::sleep_until(twoPages->RequestTimes()[1] + 250ms);
        window.State().m_stopRequested = true;
    });
    SearchThreadProc(window, &outcome);
    stopper.join();
    EXPECT_EQ(outcome, SearchOutcome::Stopped);
    EXPECT_EQ(window.Rows().size(), 40u);
    const std::string cleaned = ReadWholeFile("data_backup.html");
    EXPECT_NE(FindAnsi(cleaned, Gbk("宝贝 40")), std::string::npos) << "not page 1 cleaned";
    EXPECT_EQ(FindAnsi(cleaned, Gbk("宝贝 41")), std::string::npos) << "page 2 cleaned";
}

TEST_F(SearchThreads, AStopDuringAWalkEndsThePageAndTheSearchWithItsMessage) {
    auto server = Market(1, 0ms, 20000);
    PointAt(*server);
    TestWindow window;
    window.FillForm("abc", "", "");
    ASSERT_TRUE(StartSearchWorker(window));
    ASSERT_TRUE(WaitFor([&] { return !window.Rows().empty(); }));
    window.State().m_stopRequested = true;
    ASSERT_TRUE(window.Workers()->WaitUntilIdle(60s));
    const std::size_t rows = window.Rows().size();
    EXPECT_LT(rows, 20000u);
    // No pager was met: the search ends as having no next page.
    const std::string text = "查找进度:" + std::to_string(rows) + "/20000 第1页->分析完成";
    EXPECT_EQ(window.Status(), text);
    EXPECT_EQ(window.Messages(), std::vector<std::string>{text});
}

TEST_F(SearchThreads, TheStopMarkIsAppendedOnceByManyCallers) {
    TestWindow window;
    window.SetStatusText(Gbk("查找进度:1/9 第1页"));
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t)
        callers.emplace_back([&] {
            for (int i = 0; i < 500; ++i) window.AppendStoppedMark();
        });
    for (std::thread& caller : callers) caller.join();
    EXPECT_EQ(window.Status(), "查找进度:1/9 第1页" + kStopped);
}

TEST_F(SearchThreads, AStartWhileThePreviousWorkerRunsWaitsForItAndKeepsStartDisabled) {
    auto server = Market(2, 1000ms);
    PointAt(*server);
    TestWindow window;
    window.FillForm("abc", "", "");
    auto pressStop = [&] {  // what the Stop button does, but for its pause
        window.RequestStop();
        window.EnableStartUnlessQueued();
        window.AppendStoppedMark();
    };
    auto count = [&](const char* call) {
        const std::vector<std::string> calls = window.Calls();
        return std::count(calls.begin(), calls.end(), call);
    };
    ASSERT_TRUE(StartSearchWorker(window));
    ASSERT_TRUE(WaitFor([&] { return m_highestPageAsked == 2; }));
    // Stop, and Start again at once, while page 2 is still on its way: the
    // new run waits for the old worker, and Start stays disabled.
    pressStop();
    EXPECT_EQ(window.EnableStartCount(), 1);
    ASSERT_TRUE(StartSearchWorker(window));
    EXPECT_TRUE(window.Workers()->RunQueued());
    EXPECT_EQ(window.EnableStartCount(), 1);
    // Stop once more while it still waits: it never begins. Start is
    // enabled as after any Stop, and the status line keeps its mark.
    pressStop();
    EXPECT_FALSE(window.Workers()->RunQueued());
    EXPECT_EQ(window.EnableStartCount(), 2);
    ASSERT_TRUE(window.Workers()->WaitUntilIdle(30s));
    EXPECT_EQ(count("clear"), 1);
    EXPECT_EQ(window.Rows().size(), 40u);
    EXPECT_EQ(window.Status(), "查找进度:40/80 第1页" + kStopped);
    EXPECT_TRUE(window.State().m_stopRequested);
    EXPECT_EQ(m_highestPageAsked, 2);
    EXPECT_TRUE(window.Messages().empty());

    // A Start after that Stop queues a run as ever: it begins once the old
    // worker has ended and runs whole, and only its end enables Start.
    m_highestPageAsked = 0;
    ASSERT_TRUE(StartSearchWorker(window));
    ASSERT_TRUE(WaitFor([&] { return m_highestPageAsked == 2; }));
    pressStop();
    ASSERT_TRUE(StartSearchWorker(window));
    const int enabledBefore = window.EnableStartCount();
    ASSERT_TRUE(window.Workers()->WaitUntilIdle(30s));
    EXPECT_EQ(count("clear"), 3);
    EXPECT_EQ(window.EnableStartCount(), enabledBefore + 1);
    EXPECT_EQ(window.Calls().back(), "enable");
    const auto rows = window.Rows();
    ASSERT_EQ(rows.size(), 80u);
    for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i].rank, std::to_string(i + 1));
    EXPECT_EQ(window.Status(), "查找进度:80/80 第2页->查找完毕1");
    EXPECT_FALSE(window.Workers()->RunQueued());
}

TEST_F(SearchThreads, ACheckRunRaisesAlertsKeepsThemAndPostsThemAfterItsChecks) {
    auto server = Market(1, 0ms);
    PointAt(*server);
    // The seller ranked first before; the market ranks it fifth.
    std::ofstream("history.jsonl")
        << R"({"keyword":"abc","target":"店5","mode":2,"outcome":"found","rank":1,"total":40,)"
           R"("page":1,"pages_read":1,"checked_at":"2026-12-01T10:00:00+08:00"})"
        << "\n";
    auto history = std::make_shared<SharedHistory>([](const std::string&) {});
    std::string error;
    ASSERT_TRUE(history->Load("history.jsonl", error)) << error;
    ASSERT_TRUE(history->OpenForAppend(error)) << error;
    SetEnv(kAllowHttpLoopbackVariable, "1");
    test::RobotServer robot;
    CheckRun::Alerting alerting;
    alerting.file = "alerts.jsonl";
    alerting.topN = 3;
    alerting.robot = RobotAddressOf(robot.WeComUrl(), error);
    ASSERT_TRUE(alerting.robot) << error;

    std::mutex lock;  // guards what the events collect
    std::vector<std::string> told;
    CheckRun::Events events;
    events.alerts = [&](std::size_t index, const std::vector<Alert>& alerts, bool kept) {
        std::lock_guard<std::mutex> guard(lock);
        for (const Alert& alert : alerts)
            told.push_back(std::to_string(index) + ":" + AlertKindName(alert.kind) + ":" +
                           alert.group + (kept ? "" : "!"));
    };
    events.checked = [&](std::size_t index, const SummaryRecord&, const std::string&, bool) {
        std::lock_guard<std::mutex> guard(lock);
        told.push_back(std::to_string(index) + ":checked");
    };
    events.posted = [&](std::size_t posted, const std::string& failure) {
        std::lock_guard<std::mutex> guard(lock);
        told.push_back("posted:" + std::to_string(posted) + failure);
    };
    {
        CheckRun run({{1, "abc", "店5", "", "女装"}, {2, "abc", "店9", ""}}, SearchLimits(),
                     history, nullptr, events, alerting);
        ASSERT_TRUE(run.WaitUntilEnded(30s));
    }
    UnsetEnv(kAllowHttpLoopbackVariable);
    // Told before the line's check, the post after every check; a line
    // with nothing before raises nothing.
    EXPECT_EQ(told,
              (std::vector<std::string>{"0:left_top:女装", "0:checked", "1:checked", "posted:1"}));
    const std::string kept = ReadWholeFile("alerts.jsonl");
    EXPECT_NE(kept.find(R"("kind":"left_top","rank":5,"previous_rank":1)"), std::string::npos)
        << kept;
    EXPECT_EQ(std::count(kept.begin(), kept.end(), '\n'), 1);
    ASSERT_EQ(robot.Posts().size(), 1u);
    EXPECT_NE(robot.Posts()[0].body.find("abc / 店5"), std::string::npos) << robot.Posts()[0].body;
    // Compared before it was recorded: the history now holds the new check.
    EXPECT_EQ(history->Latest({"abc", std::string("店5")})->rank, 5);

    // A stop after an alert: the run posts nothing, and says so.
    told.clear();
    // Set by this thread once the run exists, read by its worker.
    std::atomic<CheckRun*> stopped{nullptr};
    events.alerts = [&](std::size_t, const std::vector<Alert>&, bool) {
        // The run is in place long before its first check ends; waited for,
        // a bounded time.
        for (int i = 0; i < 5000 && stopped.load() == nullptr; ++i)
            std::this_thread::sleep_for(1ms);
        if (CheckRun* run = stopped.load()) run->Stop();
    };
    {
        // The seller of rank 7 ranked first before.
        SummaryRecord first;
        first.keyword = "abc";
        first.target = "店7";
        first.mode = 2;
        first.outcome = CheckOutcome::Found;
        first.rank = 1;
        first.checkedAt = "2026-12-01T10:00:00+08:00";
        ASSERT_TRUE(history->Record(first));
        CheckRun run({{1, "abc", "店7", ""}, {2, "abc", "店9", ""}}, SearchLimits(), history,
                     nullptr, events, alerting);
        stopped.store(&run);
        ASSERT_TRUE(run.WaitUntilEnded(30s));
    }
    EXPECT_EQ(told, (std::vector<std::string>{"0:checked",
                                              "posted:0the run was stopped before "
                                              "they were posted"}));
    EXPECT_EQ(robot.Posts().size(), 1u);
}

TEST_F(SearchThreads, ACheckRunRecordsEachLineAndAStopEndsItAtOnce) {
    auto server = Market(3, 6000ms);  // page 2 answers only after 6 s
    PointAt(*server);
    auto history = std::make_shared<SharedHistory>([](const std::string&) {});
    std::string error;
    ASSERT_TRUE(history->Load("history.jsonl", error)) << error;
    ASSERT_TRUE(history->OpenForAppend(error)) << error;

    std::mutex lock;  // guards what the events collect
    std::vector<std::string> progress, outcomes;
    std::atomic<int> finished{0};
    CheckRun::Events events;
    events.progress = [&](std::size_t index, const std::string& status, int page) {
        std::lock_guard<std::mutex> guard(lock);
        progress.push_back(std::to_string(index) + ":" + std::to_string(page) + ":" + status);
    };
    events.checked = [&](std::size_t index, const SummaryRecord& summary, const std::string&,
                         bool recorded) {
        std::lock_guard<std::mutex> guard(lock);
        outcomes.push_back(std::to_string(index) + ":" + CheckOutcomeName(summary.outcome) + ":" +
                           std::to_string(summary.rank.value_or(0)) + (recorded ? "" : "!"));
    };
    events.finished = [&](bool stopped) { finished = stopped ? 2 : 1; };
    SearchLimits limits;
    limits.stopDuringDownload = StopDuringDownload::EndTransfer;
    // Found on page 1; then a seller on page 2, which stalls; never begun.
    std::shared_ptr<RowStore> store = RowStore::Open("rows.db", error);
    ASSERT_TRUE(store) << error;
    CheckRun run({{1, "abc", "店5", ""}, {2, "abc", "店70", ""}, {3, "abc", "", ""}}, limits,
                 history, store, events);
    ASSERT_TRUE(WaitFor([&] { return m_highestPageAsked == 2; }));
    // The run keeps its pages in a folder of its own, gone at its end.
    auto runFolders = [] {
        int folders = 0;
        for (const auto& entry : std::filesystem::directory_iterator("."))
            folders += entry.path().filename().string().rfind(".sorvik-run-", 0) == 0;
        return folders;
    };
    EXPECT_EQ(runFolders(), 1);
    EXPECT_FALSE(std::filesystem::exists("data.html"));
    std::this_thread::sleep_for(100ms);
    const auto stop = std::chrono::steady_clock::now();
    run.Stop();
    ASSERT_TRUE(run.WaitUntilEnded(10s));
    EXPECT_EQ(runFolders(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - stop, 3s);  // the page was not waited for
    EXPECT_EQ(finished, 2);
    EXPECT_EQ(outcomes, (std::vector<std::string>{"0:found:5", "1:stopped:0"}));
    // Each check empties its status line first; a page that downloads is
    // named while it loads, the pages before it counted done.
    ASSERT_GE(progress.size(), 3u);
    EXPECT_EQ(progress[0], "0:0:");
    EXPECT_EQ(progress[1], "0:0:正在下载第1页…");
    EXPECT_EQ(progress[2], "0:1:查找进度:1/120 第1页");
    EXPECT_NE(std::find(progress.begin(), progress.end(), "1:1:正在下载第2页…"), progress.end());
    EXPECT_EQ(progress.back(), "1:2:查找进度:40/120 第1页 -> 已停止查询");
    EXPECT_EQ(history->RecordCount(), 2u);
    EXPECT_EQ(history->Latest({"abc", std::string("店5")})->rank, 5);
    EXPECT_EQ(std::count(std::istreambuf_iterator<char>(std::ifstream("history.jsonl").rdbuf()), {},
                         '\n'),
              2);
    // The store kept both checks with the rows each saw, read while the
    // worker wrote: the found one up to its item, the stopped one page 1.
    const auto stored = store->ChecksSince(0, RowStore::RowDetail::Whole);
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(stored[0].rows.size(), 5u);
    EXPECT_EQ(stored[0].rank, 5);
    EXPECT_EQ(stored[0].rows.back().seller, "店5");
    EXPECT_EQ(stored[1].outcome, CheckOutcome::Stopped);
    EXPECT_EQ(stored[1].rows.size(), 40u);
}

TEST_F(SearchThreads, TheModeIsReadAgainAtEveryItem) {
    auto server = Market(2, 800ms);
    PointAt(*server);
    TestWindow window;
    window.FillForm("abc", "店 60", "");
    ASSERT_TRUE(StartSearchWorker(window));
    ASSERT_TRUE(WaitFor([&] { return window.Rows().size() == 40; }));
    window.State().m_searchMode = kModeSeller;  // the radio button, during the search
    ASSERT_TRUE(window.Workers()->WaitUntilIdle(30s));
    // Seller names lose their blanks, so "店 60" never matches.
    EXPECT_EQ(window.Rows().size(), 80u);
    window.FillForm("abc", "店60", "");
    ASSERT_TRUE(StartSearchWorker(window));
    ASSERT_TRUE(window.Workers()->WaitUntilIdle(30s));
    EXPECT_EQ(window.Rows().size(), 60u);
    EXPECT_EQ(window.Status(), "找到咯，排名为:60/80 第2页");
}

}  // namespace
}  // namespace sorvik
