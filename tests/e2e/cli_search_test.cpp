// Whole searches: sorvik-cli as a process against the demo marketplace, with
// the real libcurl, libtidy and the repository's config.txt.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <cctype>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

#include "child_process.h"
#include "gbk_text.h"
#include "page_server.h"
#include "search_address.h"

namespace sorvik {
namespace test {
namespace {

const std::string kStopped = " -> 已停止查询";

std::string Today() {
    return MakeDateStamp(std::time(nullptr));
}

// The rows the catalog should give: blanks and line feeds leave seller,
// price and sales.
std::vector<std::vector<std::string>> ExpectedRows(const std::vector<std::string>& options,
                                                   int count, const DemoMarket& market) {
    std::vector<std::vector<std::string>> rows;
    for (const auto& item : DemoMarket::Catalog(options)) {
        if (item.size() < 7 || item[0].empty() || !std::isdigit(item[0][0])) continue;
        if (static_cast<int>(rows.size()) == count) break;
        auto strip = [](std::string s) { return GbkToUtf8(RemoveBlanks(Utf8ToGbk(s))); };
        rows.push_back({std::to_string(rows.size() + 1), item[2], strip(item[3]), strip(item[4]),
                        strip(item[5]), "http://" + market.Host() + item[6]});
    }
    return rows;
}

class CliSearch : public ::testing::Test {
  protected:
    WorkDir dir;
};

TEST_F(CliSearch, FindsTheWantedItemOnALaterPage) {
    DemoMarket market;
    const auto catalog = ExpectedRows({}, 100, market);
    ASSERT_EQ(catalog.size(), 100u);
    // By item link: position 55 stands on page 2. The link's host is the demo's own.
    std::string link = catalog[54][5];
    CliRun run = RunCli(market, dir, {"--keyword", "连衣裙", "--item", link});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.status, "找到咯，排名为:55/100 第2页");
    EXPECT_EQ(run.messages, std::vector<std::string>{"找到咯，排名为:55/100 第2页"});
    ASSERT_EQ(run.rows.size(), 55u);
    EXPECT_EQ(run.rows,
              std::vector<std::vector<std::string>>(catalog.begin(), catalog.begin() + 55));
    // A link copied from a browser: the id stands between other parameters.
    const std::string id = link.substr(link.rfind("id=") + 3);
    run = RunCli(market, dir,
                 {"--keyword", "连衣裙", "--item",
                  "http://" + market.Host() + "/item.htm?spm=a21n57.1.0.0.3f2a&id=" + id +
                      "&ns=1&abbucket=5"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.status, "找到咯，排名为:55/100 第2页");
    EXPECT_EQ(run.rows.size(), 55u);

    // By seller: the first item of the seller of position 45 (sellers repeat).
    const std::string seller = catalog[44][2];
    int first = 0;
    while (catalog[first][2] != seller) ++first;
    run = RunCli(market, dir, {"--mode", "2", "--keyword", "abc", "--seller", seller});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.rows.size(), static_cast<std::size_t>(first + 1));
    EXPECT_EQ(run.status, "找到咯，排名为:" + std::to_string(first + 1) + "/100 第" +
                              std::to_string(first / 40 + 1) + "页");
}

TEST_F(CliSearch, ListsEverythingAndEndsAsAllSeenByTheTotal) {
    DemoMarket market;
    CliRun run = RunCli(market, dir, {"--keyword", "abc"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.rows, ExpectedRows({}, 100, market));
    EXPECT_EQ(run.status, "查找进度:100/100 第3页->查找完毕1");
    EXPECT_EQ(run.messages, std::vector<std::string>{run.status});
    // The addresses of pages 1 to 3, as the server received them.
    const std::string first =
        "/search?initiative_id=staobaoz_" + Today() + "&tab=all&style=list&q=%61%62%63";
    EXPECT_EQ(market.Requests(), (std::vector<std::string>{first, first + "&bcoffset=4&s=40",
                                                           first + "&bcoffset=4&s=80"}));
    // Working files stay: the raw page and the cleaned page.
    EXPECT_TRUE(std::filesystem::exists(dir.File("data.html")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("data_backup.html")));
}

TEST_F(CliSearch, EndsAsAllSeenOnAPageWithoutItems) {
    DemoMarket market({"--total", "150", "--pager-on-last", "--past-end", "empty"});
    CliRun run = RunCli(market, dir, {"--keyword", "abc"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.rows.size(), 100u);
    EXPECT_EQ(run.status, "查找进度:100/150 第4页->查找完毕1");
    // Not found in mode 2: exit 1.
    run = RunCli(market, dir, {"--keyword", "abc", "--seller", "nobody"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.status, "查找进度:100/150 第4页->查找完毕1");
}

TEST_F(CliSearch, EndsAsNoNextPageWithoutAPagerOrOnARepeatedPage) {
    {
        DemoMarket market({"--total", "150"});
        CliRun run = RunCli(market, dir, {"--keyword", "abc"});
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        EXPECT_EQ(run.rows.size(), 100u);
        EXPECT_EQ(run.status, "查找进度:100/150 第3页->分析完成");
        EXPECT_EQ(run.messages, std::vector<std::string>{run.status});
        run = RunCli(market, dir, {"--keyword", "abc", "--seller", "nobody"});
        EXPECT_EQ(run.exitStatus, 1);
    }
    {
        // The last page again past the end: its items come again as new rows.
        DemoMarket market({"--total", "150", "--pager-on-last", "--past-end", "last"});
        CliRun run = RunCli(market, dir, {"--keyword", "abc"});
        EXPECT_EQ(run.exitStatus, 0) << run.err;
        ASSERT_EQ(run.rows.size(), 120u);
        EXPECT_EQ(run.rows[100][0], "101");
        EXPECT_EQ(run.rows[100][5], run.rows[80][5]);
        EXPECT_EQ(run.status, "查找进度:120/150 第4页->分析完成");
    }
}

TEST_F(CliSearch, ReportsNoItems) {
    for (auto options : std::vector<std::vector<std::string>>{{"--items", "0"}, {"--no-count"}}) {
        DemoMarket market(options);
        CliRun run = RunCli(market, dir, {"--keyword", "abc"});
        EXPECT_EQ(run.exitStatus, 1) << run.err;
        EXPECT_TRUE(run.rows.empty());
        EXPECT_EQ(run.messages, std::vector<std::string>{"没有查询到任何宝贝"});
        EXPECT_EQ(run.status, "没有查询到任何宝贝");
    }
}

TEST_F(CliSearch, ReportsFailedDownloads) {
    for (const char* mode : {"status", "close"}) {
        DemoMarket market({"--fail-page", "2", "--fail-mode", mode});
        CliRun run = RunCli(market, dir, {"--keyword", "abc"});
        EXPECT_EQ(run.exitStatus, 3) << mode << run.err;
        EXPECT_EQ(run.rows.size(), 40u) << mode;
        EXPECT_EQ(run.messages, std::vector<std::string>{"网络连接失败2"}) << mode;
        EXPECT_EQ(run.status, "网络连接失败2") << mode;
    }
    DemoMarket market({"--fail-page", "1"});
    CliRun run = RunCli(market, dir, {"--keyword", "abc"});
    EXPECT_EQ(run.exitStatus, 3);
    EXPECT_TRUE(run.rows.empty());
    EXPECT_EQ(run.messages, std::vector<std::string>{"网络连接失败1"});
    EXPECT_EQ(run.status, "");
}

TEST_F(CliSearch, ReportsNothingToAnalyseWhenTheCleaningWritesNothing) {
    DemoMarket market;
    dir.Write("config.txt", "markup: no\n");  // the cleaning writes no page
    CliRun run = RunCli(market, dir, {"--keyword", "abc"});
    EXPECT_EQ(run.exitStatus, 3);
    EXPECT_EQ(run.messages, std::vector<std::string>{"网络连接失败"});
    EXPECT_EQ(run.status, "");
}

TEST_F(CliSearch, GivesTheSameRowsInEveryWhitespaceStyle) {
    for (const char* style : {"minified", "lines", "pretty"}) {
        DemoMarket market({"--style", style});
        CliRun run = RunCli(market, dir, {"--keyword", "abc"});
        EXPECT_EQ(run.exitStatus, 0) << style << run.err;
        EXPECT_EQ(run.rows, ExpectedRows({}, 100, market)) << style;
    }
}

TEST_F(CliSearch, RejectsIncompleteOrMalformedForms) {
    DemoMarket market;
    const std::string item = "http://" + market.Host() + "/item.htm?id=10000000001";
    const std::string badLink =
        "请输入正确的宝贝链接,如http://" + market.Host() + "/item.htm?id=16421734568";
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--mode", "1", "--seller", "x"}, "关键词不能为空"},
        {{"--mode", "2", "--keyword", "k"}, "关键词和用户名不能为空"},
        {{"--mode", "2", "--seller", "s"}, "关键词和用户名不能为空"},
        {{"--mode", "3", "--item", item}, "关键词和宝贝链接不能为空"},
        {{"--mode", "3", "--keyword", "k"}, "关键词和宝贝链接不能为空"},
        // An https link is taken as its http form only on the item host.
        {{"--keyword", "k", "--item", "https://elsewhere.example/item.htm?id=1"}, badLink},
        {{"--keyword", "k", "--item", " " + item}, badLink},
        {{"--keyword", "k", "--item", "http://" + market.Host() + "/item.htm?ID=1"}, badLink},
    };
    for (const Case& c : cases) {
        CliRun run = RunCli(market, dir, c.args);
        EXPECT_EQ(run.exitStatus, 2) << c.message;
        EXPECT_EQ(run.messages, std::vector<std::string>{c.message});
        EXPECT_EQ(run.status, "");
        EXPECT_TRUE(run.rows.empty());
    }
    // Nothing was fetched and no working file was written.
    EXPECT_TRUE(market.Requests().empty());
    EXPECT_FALSE(std::filesystem::exists(dir.File("data.html")));

    // "id=" anywhere after the prefix passes; two blanks are a keyword.
    CliRun run =
        RunCli(market, dir, {"--keyword", "  ", "--item", "http://" + market.Host() + "/id=/x"});
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    ASSERT_EQ(market.Requests().size(), 3u);
    EXPECT_NE(market.Requests()[0].find("&q=%20%20"), std::string::npos);
    // Bad options.
    EXPECT_EQ(RunCli(market, dir, {"--mode", "4", "--keyword", "k"}).exitStatus, 2);
    EXPECT_EQ(RunCli(market, dir, {"--bogus"}).exitStatus, 2);
}

TEST_F(CliSearch, RefusesKeywordsThatCannotBeSentWhole) {
    // Over the address's length, or with a character GBK cannot hold: sent,
    // the keyword would be searched as something else (an empty q, a '?').
    DemoMarket market;
    const std::string item = "http://" + market.Host() + "/item.htm?id=10000000001";
    const std::string tooLong = "关键词太长：编码后超过 5119 字节，请缩短关键词。";
    const std::string emoji = "关键词中的“U+1F600”无法按 GBK 编码发送，请删去它。";
    std::string chinese569;
    for (int i = 0; i < 569; ++i) chinese569 += "中";
    struct Case {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--keyword", std::string(1707, 'a')}, tooLong},
        {{"--keyword", chinese569, "--item", item}, tooLong},
        {{"--keyword", "连衣裙😀", "--seller", "店"}, emoji},
    };
    for (const Case& c : cases) {
        CliRun run = RunCli(market, dir, c.args);
        EXPECT_EQ(run.exitStatus, 2) << c.message;
        EXPECT_EQ(run.messages, std::vector<std::string>{c.message});
        EXPECT_TRUE(run.rows.empty());
    }
    // A batch reports such a line by its number and goes on.
    dir.Write("list.txt", "连衣裙😀\n" + std::string(1707, 'a') + "\nabc\n");
    CliRun batch = RunCli(market, dir, {"--batch", "list.txt", "--max-pages", "1"});
    EXPECT_EQ(batch.exitStatus, 2) << batch.err;
    EXPECT_EQ(batch.messages, (std::vector<std::string>{emoji, tooLong}));
    EXPECT_NE(batch.err.find("line 1:"), std::string::npos) << batch.err;
    EXPECT_NE(batch.err.find("line 2:"), std::string::npos) << batch.err;
    ASSERT_EQ(batch.rows.size(), 3u);
    EXPECT_EQ(batch.rows[0][3], "form_rejected");
    EXPECT_EQ(batch.rows[1][3], "form_rejected");
    // Only the third line's page was asked for.
    ASSERT_EQ(market.Requests().size(), 1u);
    EXPECT_NE(market.Requests()[0].find("&q=%61%62%63"), std::string::npos);

    // A seller name is not sent: a character GBK cannot hold becomes '?'
    // there, as the dialog takes it, and simply never matches.
    CliRun run = RunCli(market, dir, {"--keyword", "连衣裙", "--seller", "小美 的店😀"});
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    EXPECT_EQ(run.rows.size(), 100u);
}

TEST_F(CliSearch, StopsWhilePageTwoDownloads) {
    DemoMarket market({"--slow-page", "2", "--slow-ms", "3000"});
    BackgroundProcess cli(
        {SORVIK_CLI, "--keyword", "abc"}, dir.Path(),
        {{"SORVIK_SEARCH_HOST", market.Host()}, {"SORVIK_ITEM_HOST", market.Host()}});
    // Page 1 is listed once its 40th row is out; page 2 is then on its way.
    for (int row = 1; row <= 40; ++row) ASSERT_FALSE(cli.ReadLine().empty()) << row;
    for (int i = 0; i < 100 && market.Requests().size() < 2; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    cli.Signal(SIGINT);
    CliRun run = ParseCliOutput(cli.Wait());
    EXPECT_EQ(run.exitStatus, 130) << run.err;
    EXPECT_EQ(run.status, "查找进度:40/100 第1页" + kStopped);
    EXPECT_TRUE(run.messages.empty());
}

// Tidy's settings: the HTML_TIDY file first, config.txt over it, then raw
// encoding and the output file over both.
TEST_F(CliSearch, TidySettingsTakeEffectInTheirOrder) {
    DemoMarket market;
    const std::string repoConfig = std::string(SORVIK_SOURCE_DIR) + "/config.txt";
    auto config = [&](const std::string& extra) {
        std::ifstream in(repoConfig);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        return text + extra;
    };
    {
        // The HTML_TIDY file's write-back applies: the cleaning overwrites
        // data.html, data_backup.html is never written and the page is empty.
        WorkDir d;
        d.Write("user.cfg", "write-back: yes\n");
        CliRun run = RunCli(market, d, {"--keyword", "a"}, {{"HTML_TIDY", d.File("user.cfg")}});
        EXPECT_EQ(run.messages, std::vector<std::string>{"网络连接失败"});
        EXPECT_FALSE(std::filesystem::exists(d.File("data_backup.html")));
        std::ifstream data(d.File("data.html"));
        std::string first;
        std::getline(data, first);
        EXPECT_EQ(first, "<!DOCTYPE html>");  // cleaned in place
    }
    {
        // config.txt overrides the HTML_TIDY file.
        WorkDir d;
        d.Write("user.cfg", "write-back: yes\nforce-output: no\n");
        d.Write("config.txt", config("write-back: no\nforce-output: yes\n"));
        CliRun run = RunCli(market, d, {"--keyword", "a"}, {{"HTML_TIDY", d.File("user.cfg")}});
        EXPECT_EQ(run.rows.size(), 100u) << run.err;
    }
    {
        // -raw and -output override an encoding and an output file of both files.
        WorkDir d;
        d.Write("user.cfg", "char-encoding: utf8\noutput-file: user-out.html\n");
        d.Write("config.txt", config("output-encoding: ascii\noutput-file: cfg-out.html\n"));
        CliRun run = RunCli(market, d, {"--keyword", "a"}, {{"HTML_TIDY", d.File("user.cfg")}});
        EXPECT_EQ(run.rows, ExpectedRows({}, 100, market));
        EXPECT_FALSE(std::filesystem::exists(d.File("user-out.html")));
        EXPECT_FALSE(std::filesystem::exists(d.File("cfg-out.html")));
    }
    {
        // An error-file setting sends the diagnostics there.
        WorkDir d;
        d.Write("config.txt", config("error-file: tidy-errors.txt\nquiet: no\n"));
        CliRun run = RunCli(market, d, {"--keyword", "a"});
        EXPECT_EQ(run.rows.size(), 100u);
        EXPECT_TRUE(std::filesystem::exists(d.File("tidy-errors.txt")));
    }
}

TEST_F(CliSearch, ACleaningWithErrorsAndNoForcedOutputGivesThePreviousPageAgain) {
    // Page 2 holds an element Tidy does not know, which it counts as an error.
    PageServer server([](int page, httplib::Response& response) {
        response.set_content(page == 1 ? RawResultPage(1, 40, 100, true)
                                       : RawResultPage(41, 40, 100, true, "<blink2>x</blink2>"),
                             "text/html; charset=gbk");
    });
    std::ifstream in(std::string(SORVIK_SOURCE_DIR) + "/config.txt");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    const std::string key = "force-output: yes";
    ASSERT_NE(text.find(key), std::string::npos);
    text.replace(text.find(key), key.size(), "force-output: no");
    dir.Write("config.txt", text);
    CliRun run = ParseCliOutput(
        RunProcess({SORVIK_CLI, "--keyword", "a"}, dir.Path(),
                   {{"SORVIK_SEARCH_HOST", server.Host()}, {"SORVIK_ITEM_HOST", server.Host()}}));
    ASSERT_EQ(run.rows.size(), 80u) << run.err;
    EXPECT_EQ(run.rows[40][0], "41");
    EXPECT_EQ(run.rows[40][1], run.rows[0][1]);  // page 1 again, as new rows
    EXPECT_EQ(run.status, "查找进度:80/100 第2页->分析完成");
    EXPECT_EQ(run.exitStatus, 0);
}

}  // namespace
}  // namespace test
}  // namespace sorvik
