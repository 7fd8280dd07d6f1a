// Alerts of sorvik-cli against the demo marketplace moving its items: a
// crafted history and four batches that raise each kind of alert, written
// to the alerts file and posted to a robot of the tests' own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "child_process.h"
#include "robot_server.h"
#include "test_environment.h"

namespace sorvik {
namespace test {
namespace {

const char* const kItemLink = "http://item.test/item.htm?id=10000000003";

// A check of 深夜小铺's line as the history file keeps it.
std::string FoundBefore(int day, int rank) {
    return "{\"keyword\":\"abc\",\"target\":\"深夜小铺\",\"mode\":2,\"outcome\":\"found\","
           "\"rank\":" +
           std::to_string(rank) +
           ",\"total\":100,\"page\":1,\"pages_read\":1,"
           "\"checked_at\":\"2026-11-0" +
           std::to_string(day) + "T10:00:00+08:00\"}\n";
}

TEST(CliAlerts, EachKindIsRaisedAfterItsCheckWrittenAndPosted) {
    WorkDir dir;
    RobotServer robot;
    std::filesystem::create_directories(dir.File("data/sorvik"));
    dir.Write("data/sorvik/tracker.ini", "[tracker]\nalert_top_n=40\nwebhook=" +
                                             robot.DingTalkUrl() + "\nwebhook_secret=SECtest\n");
    dir.Write("batch.txt", std::string("abc\t") + kItemLink + "\nabc\t深夜小铺\n");
    // 深夜小铺 has stood at 12 or 13: the demo marketplace has it at 57.
    dir.Write("history.jsonl",
              FoundBefore(1, 12) + FoundBefore(2, 13) + FoundBefore(3, 12) + FoundBefore(4, 12));
    const std::map<std::string, std::string> env = {{"XDG_DATA_HOME", dir.File("data")},
                                                    {"SORVIK_ITEM_HOST", "item.test"},
                                                    {"SORVIK_WEBHOOK_ALLOW_HTTP_LOOPBACK", "1"}};
    const std::vector<std::string> args = {"--batch",  "batch.txt",   "--history", "history.jsonl",
                                           "--store",  "rows.db",     "--alerts",  "alerts.jsonl",
                                           "--notify", "--max-pages", "3"};
    auto alerts = [&] {
        std::vector<nlohmann::json> lines;
        for (const std::string& line : Lines(FileText(dir.File("alerts.jsonl"))))
            lines.push_back(nlohmann::json::parse(line));
        return lines;
    };
    auto kinds = [](const std::vector<nlohmann::json>& lines, std::size_t from) {
        std::vector<std::string> names;
        for (std::size_t i = from; i < lines.size(); ++i)
            names.push_back(lines[i]["target"].get<std::string>() + " " +
                            lines[i]["kind"].get<std::string>());
        return names;
    };
    using Names = std::vector<std::string>;

    {
        DemoMarket market;
        CliRun run = RunCli(market, dir, args, env);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
    }
    std::vector<nlohmann::json> lines = alerts();
    ASSERT_EQ(kinds(lines, 0), (Names{"深夜小铺 left_top", "深夜小铺 dropped"}));
    EXPECT_EQ(lines[1]["text"], "abc / 深夜小铺：排名从第 12 名跌到第 57 名");
    EXPECT_EQ(lines[1]["rank"], 57);
    EXPECT_EQ(lines[1]["previous_rank"], 12);
    const nlohmann::ordered_json first =
        nlohmann::ordered_json::parse(Lines(FileText(dir.File("alerts.jsonl")))[0]);
    std::vector<std::string> keys;
    for (auto item = first.begin(); item != first.end(); ++item) keys.push_back(item.key());
    EXPECT_EQ(keys,
              (Names{"keyword", "target", "kind", "rank", "previous_rank", "checked_at", "text"}));

    // The order turns by 5: the item at 3 goes to 98, below new sellers;
    // 深夜小铺 moves up to 52.
    {
        DemoMarket turned({"--rotate", "5"});
        CliRun run = RunCli(turned, dir, args, env);
        ASSERT_EQ(run.exitStatus, 0) << run.err;
    }
    lines = alerts();
    const Names second = kinds(lines, 2);
    ASSERT_GE(second.size(), 3u);
    EXPECT_EQ(Names(second.begin(), second.begin() + 2),
              (Names{std::string(kItemLink) + " left_top", std::string(kItemLink) + " dropped"}));
    // The item's own seller, at other places too, is never a rival.
    const std::string ownSeller = DemoMarket::Catalog({})[3][3];
    bool lastShop = false;
    for (std::size_t i = 4; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i]["kind"], "new_rival");
        const std::string text = lines[i]["text"];
        EXPECT_EQ(text.find(ownSeller), std::string::npos) << text;
        lastShop = lastShop || text.find("最后") != std::string::npos;
    }
    EXPECT_TRUE(lastShop) << lines.back().dump();

    // Every page fails: once raises nothing, twice raises failing.
    const std::size_t before = lines.size();
    for (int run = 0; run < 2; ++run) {
        DemoMarket failing({"--fail-page", "1"});
        EXPECT_EQ(RunCli(failing, dir, args, env).exitStatus, 3);
        if (run == 0) {
            EXPECT_EQ(alerts().size(), before);
        }
    }
    lines = alerts();
    EXPECT_EQ(kinds(lines, before),
              (Names{std::string(kItemLink) + " failing", "深夜小铺 failing"}));
    EXPECT_EQ(lines.back()["text"], "abc / 深夜小铺：连续两次检查失败");

    // Each alert went to the robot as its text, signed.
    const std::vector<RobotServer::Post> posts = robot.Posts();
    ASSERT_EQ(posts.size(), lines.size());
    for (std::size_t i = 0; i < posts.size(); ++i) {
        EXPECT_EQ(nlohmann::json::parse(posts[i].body)["text"]["content"], lines[i]["text"]);
        EXPECT_FALSE(posts[i].sign.empty());
    }
}

TEST(CliAlerts, AlertsGoWithABatchAndAHistoryOfTheirOwn) {
    WorkDir dir;
    DemoMarket market;
    dir.Write("batch.txt", "abc\t深夜小铺\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--batch", "batch.txt", "--alerts", "alerts.jsonl"},
          {"--keyword", "abc", "--history", "h.jsonl", "--alerts", "alerts.jsonl"},
          {"--batch", "batch.txt", "--history", "h.jsonl", "--alerts", "h.jsonl"},
          {"--batch", "batch.txt", "--notify"}}) {
        CliRun run = RunCli(market, dir, args);
        EXPECT_EQ(run.exitStatus, 2) << args.back();
        EXPECT_NE(run.err.find("--"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("alerts.jsonl")));
        EXPECT_FALSE(std::filesystem::exists(dir.File("h.jsonl")));
    }
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    CliRun fifo =
        RunCli(market, dir, {"--batch", "batch.txt", "--history", "h.jsonl", "--alerts", "fifo"});
    EXPECT_EQ(fifo.exitStatus, 2);
    EXPECT_NE(fifo.err.find("no regular file"), std::string::npos) << fifo.err;
    EXPECT_EQ(FileText(dir.File("h.jsonl")), "");
    // No robot set: a warning, and the checks go on.
    CliRun run = RunCli(market, dir, {"--batch", "batch.txt", "--history", "h.jsonl", "--notify"},
                        {{"XDG_DATA_HOME", dir.File("nothing")}});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_NE(run.err.find("no webhook"), std::string::npos) << run.err;
    EXPECT_EQ(Lines(FileText(dir.File("h.jsonl"))).size(), 1u);

    // A robot that refuses: reported, tried no further in the run, and the
    // checks and their alerts are kept as ever.
    RobotServer refusing(RobotServer::Answer::RobotError);
    std::filesystem::create_directories(dir.File("data/sorvik"));
    dir.Write("data/sorvik/tracker.ini", "webhook=" + refusing.DingTalkUrl() + "\n");
    dir.Write("h2.jsonl", FoundBefore(1, 12));
    CliRun refused = RunCli(
        market, dir,
        {"--batch", "batch.txt", "--history", "h2.jsonl", "--alerts", "alerts.jsonl", "--notify"},
        {{"XDG_DATA_HOME", dir.File("data")}, {"SORVIK_WEBHOOK_ALLOW_HTTP_LOOPBACK", "1"}});
    EXPECT_EQ(refused.exitStatus, 0) << refused.err;
    EXPECT_NE(refused.err.find("errcode 310000"), std::string::npos) << refused.err;
    EXPECT_EQ(refusing.Posts().size(), 2u);
    EXPECT_EQ(Lines(FileText(dir.File("alerts.jsonl"))).size(), 2u);
    EXPECT_EQ(Lines(FileText(dir.File("h2.jsonl"))).size(), 2u);
}

}  // namespace
}  // namespace test
}  // namespace sorvik
