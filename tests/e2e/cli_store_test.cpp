// The row store of sorvik-cli: every row of every check kept with it, the
// why of a move against the demo marketplace moving its items, the rivals
// across lines, and the store whole after a run killed outright or two runs
// writing it at once.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <thread>

#include "child_process.h"
#include "row_store.h"
#include "test_environment.h"

namespace sorvik {
namespace test {
namespace {

using namespace std::chrono_literals;

std::map<std::string, std::string> Hosts(const DemoMarket& market) {
    return {{"SORVIK_SEARCH_HOST", market.Host()}, {"SORVIK_ITEM_HOST", market.Host()}};
}

std::vector<nlohmann::json> JsonLines(const std::string& text) {
    std::vector<nlohmann::json> records;
    for (const std::string& line : Lines(text)) records.push_back(nlohmann::json::parse(line));
    return records;
}

std::vector<StoredCheck> StoredChecks(const std::string& path) {
    std::string report;
    std::unique_ptr<RowStore> store = RowStore::Open(path, report);
    EXPECT_TRUE(store) << report;
    EXPECT_EQ(report, "");
    return store ? store->ChecksSince(0, RowStore::RowDetail::Whole) : std::vector<StoredCheck>{};
}

class CliStore : public ::testing::Test {
  protected:
    WorkDir dir;
};

TEST_F(CliStore, KeepsTheRowsOfEachCheckAndSaysWhoRanksAboveAndWhy) {
    dir.Write("batch.txt", "abc\t末位小店\nabc\t深夜小铺\nabc\n");
    {
        DemoMarket market;
        CliRun run =
            RunCli(market, dir, {"--batch", "batch.txt", "--store", "rows.db", "--max-pages", "2"});
        ASSERT_EQ(run.exitStatus, 0) << run.err;
    }
    std::vector<StoredCheck> checks = StoredChecks(dir.File("rows.db"));
    ASSERT_EQ(checks.size(), 3u);
    // Every row read, up to the found item: 40 on page 1, 57 over two pages,
    // and the keyword-only line's two pages.
    EXPECT_EQ(checks[0].rows.size(), 40u);
    EXPECT_EQ(checks[1].rows.size(), 57u);
    EXPECT_EQ(checks[2].rows.size(), 80u);
    const SeenRow& first = checks[1].rows.front();
    EXPECT_EQ(first.rank, 1);
    EXPECT_EQ(first.page, 1);
    EXPECT_EQ(first.itemId, "10000000001");
    EXPECT_EQ(first.priceFen, 7613);  // ￥76.13
    EXPECT_EQ(first.sales, 54);       // 最近成交 54 笔
    EXPECT_EQ(checks[1].rows.back().page, 2);
    EXPECT_EQ(checks[1].rank, 57);

    // The marketplace turns its order: other items rank above the sellers'.
    DemoMarket turned({"--rotate", "7"});
    CliRun run = RunCli(turned, dir,
                        {"--batch", "batch.txt", "--store", "rows.db", "--max-pages", "2",
                         "--explain", "--format", "json"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    ProcessResult json = RunProcess({SORVIK_CLI, "--batch", "batch.txt", "--store", "rows.db",
                                     "--max-pages", "2", "--explain", "--format", "json"},
                                    dir.Path(), Hosts(turned));
    std::vector<nlohmann::json> summaries = JsonLines(json.out);
    ASSERT_EQ(summaries.size(), 3u) << json.err;
    for (const nlohmann::json& summary : summaries) {
        ASSERT_TRUE(summary.contains("why")) << summary.dump();
        // The third run finds what the second found: nothing new above.
        EXPECT_EQ(summary["why"].get<std::string>().rfind("比上次：", 0), 0u) << summary.dump();
    }
    EXPECT_EQ(StoredChecks(dir.File("rows.db")).size(), 9u);

    // The rivals: sellers above the two sellers' items, never the sellers
    // themselves, most often first.
    ProcessResult rivals = RunProcess(
        {SORVIK_CLI, "--rivals", "--store", "rows.db", "--days", "7", "--format", "json"},
        dir.Path(), {});
    ASSERT_EQ(rivals.exitStatus, 0) << rivals.err;
    std::vector<nlohmann::json> records = JsonLines(rivals.out);
    ASSERT_GE(records.size(), 5u);
    int previousTimes = 1 << 30;
    for (const nlohmann::json& rival : records) {
        const std::string seller = rival["seller"];
        EXPECT_EQ(seller.find("末位"), std::string::npos);
        EXPECT_EQ(seller.find("深夜"), std::string::npos);
        const int times = rival["times_above"];
        EXPECT_LE(times, previousTimes);
        EXPECT_LE(times, 6);  // two lines found three times each
        previousTimes = times;
        EXPECT_GE(rival["page1_share"].get<double>(), 0.0);
        EXPECT_LE(rival["page1_share"].get<double>(), 1.0);
        EXPECT_LE(rival["lines"].get<int>(), 2);
        EXPECT_GE(rival["best_rank"].get<int>(), 1);
    }
    EXPECT_EQ(records.front()["times_above"], 6);
}

TEST_F(CliStore, AKilledRunLeavesItsFinishedChecksAndTwoRunsWriteOneStore) {
    // Page 2 stalls: the first line (found on page 1) is kept, then the run
    // is killed outright in the middle of the second.
    dir.Write("batch.txt", "abc\t末位小店\nabc\t深夜小铺\n");
    {
        DemoMarket stalled({"--slow-page", "2", "--slow-ms", "120000"});
        BackgroundProcess run({SORVIK_CLI, "--batch", "batch.txt", "--store", "rows.db"},
                              dir.Path(), Hosts(stalled));
        EXPECT_NE(run.ReadLine().find("found"), std::string::npos);
        std::this_thread::sleep_for(300ms);
        run.Signal(SIGKILL);
        run.Wait();
    }
    std::vector<StoredCheck> checks = StoredChecks(dir.File("rows.db"));
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].rows.size(), 40u);

    // Two runs at once, their pages slow enough to overlap.
    DemoMarket plain({"--slow-page", "2", "--slow-ms", "200"});
    DemoMarket turned({"--rotate", "7", "--slow-page", "2", "--slow-ms", "200"});
    dir.Write("more.txt", "abc\t深夜小铺\nabc\t末位小店\nabc\t深夜小铺\nabc\t末位小店\n");
    auto start = [&](const DemoMarket& market) {
        return std::make_unique<BackgroundProcess>(
            std::vector<std::string>{SORVIK_CLI, "--batch", "more.txt", "--store", "rows.db"},
            dir.Path(), Hosts(market));
    };
    auto one = start(plain);
    auto two = start(turned);
    const ProcessResult first = one->Wait();
    const ProcessResult second = two->Wait();
    EXPECT_EQ(first.exitStatus, 0) << first.err;
    EXPECT_EQ(second.exitStatus, 0) << second.err;
    checks = StoredChecks(dir.File("rows.db"));
    ASSERT_EQ(checks.size(), 9u);
    for (const StoredCheck& check : checks) {
        ASSERT_TRUE(check.rank);
        EXPECT_EQ(check.rows.size(), static_cast<std::size_t>(*check.rank));
    }
}

}  // namespace
}  // namespace test
}  // namespace sorvik
