// The daily check's run of sorvik-cli, with the very arguments the
// scheduler is given: how it ended recorded beside the list, and a run that
// finds the one before it still going skips instead of overlapping it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <thread>

#include "child_process.h"
#include "daily_schedule.h"
#include "local_time.h"
#include "scheduled_run.h"
#include "test_environment.h"

namespace sorvik {
namespace test {
namespace {

nlohmann::json LastRun(const WorkDir& dir) {
    return nlohmann::json::parse(FileText(dir.File(kLastScheduledRunName)), nullptr, false);
}

TEST(CliScheduled, ARunRecordsItsEndAndASecondOneWhileItRunsSkips) {
    WorkDir dir;
    // Page 2 is slow: the first run is still on line 2 when the second starts.
    DemoMarket market({"--slow-page", "2", "--slow-ms", "8000"});
    dir.Write("keywords.txt", "abc\t小美的店\nabc\tnobody\n");
    DailyCheck check;
    check.program = SORVIK_CLI;
    check.dataFolder = dir.Path();
    check.maxPages = 10;
    std::vector<std::string> command = DailyCheckArguments(check);
    command.insert(command.begin(), SORVIK_CLI);
    const std::map<std::string, std::string> env = {{"SORVIK_SEARCH_HOST", market.Host()},
                                                    {"SORVIK_ITEM_HOST", market.Host()},
                                                    {"XDG_DATA_HOME", dir.File("xdg")}};

    BackgroundProcess first(command, dir.Path(), env);
    for (int i = 0; i < 500 && market.Requests().size() < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(market.Requests().size(), 3u);
    const ProcessResult second = RunProcess(command, dir.Path(), env);
    EXPECT_EQ(second.exitStatus, 0) << second.err;
    EXPECT_NE(second.err.find("skipped"), std::string::npos) << second.err;
    EXPECT_EQ(market.Requests().size(), 3u);  // it checked nothing
    EXPECT_FALSE(std::filesystem::exists(dir.File(kLastScheduledRunName)));

    const ProcessResult done = first.Wait();
    EXPECT_EQ(done.exitStatus, 0) << done.err;
    nlohmann::json record = LastRun(dir);
    ASSERT_TRUE(record.is_object()) << FileText(dir.File(kLastScheduledRunName));
    EXPECT_EQ(record["exit_status"], 0);
    EXPECT_EQ(record["checked"], 2);
    EXPECT_EQ(record["failed"], 0);
    EXPECT_EQ(record["stopped"], 0);
    const auto started = ParseTimestamp(record["started"].get<std::string>());
    const auto ended = ParseTimestamp(record["ended"].get<std::string>());
    ASSERT_TRUE(started && ended);
    EXPECT_GE(*ended - *started, 7);  // the slow page was waited for
    EXPECT_EQ(Lines(FileText(dir.File("history.jsonl"))).size(), 2u);

    // The lock is free again: the next run checks, and its failed line
    // shows in the record and the status.
    dir.Write("keywords.txt", "abc\t小美的店\na\tb\tc\td\n");
    const ProcessResult third = RunProcess(command, dir.Path(), env);
    EXPECT_EQ(third.exitStatus, 2) << third.err;
    record = LastRun(dir);
    ASSERT_TRUE(record.is_object());
    EXPECT_EQ(record["exit_status"], 2);
    EXPECT_EQ(record["checked"], 1);
    EXPECT_EQ(record["failed"], 1);

    // Only a batch is scheduled.
    const ProcessResult single =
        RunProcess({SORVIK_CLI, "--keyword", "abc", "--scheduled"}, dir.Path(), env);
    EXPECT_EQ(single.exitStatus, 2);
    EXPECT_NE(single.err.find("--scheduled checks the list of --batch FILE"), std::string::npos)
        << single.err;
}

}  // namespace
}  // namespace test
}  // namespace sorvik
