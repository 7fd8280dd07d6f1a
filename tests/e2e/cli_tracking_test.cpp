// Rank tracking with sorvik-cli: batches, the three formats read back by
// Python's csv and json modules, the history file, the page limit, a stop
// during a batch and bad input.
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "child_process.h"
#include "gbk_text.h"
#include "page_server.h"
#include "test_environment.h"

namespace sorvik {
namespace test {
namespace {

using Records = std::vector<std::vector<std::string>>;

// Reads a csv file (first record: "bom" or "nobom") or a JSON Lines file
// (per line: its keys joined by commas, then its values, null as "<null>";
// a line that is no JSON as "<bad>"). Fields are joined by 0x1F, records by 0x1E.
const char* const kReadBack = R"(
import csv, io, json, sys
kind, raw = sys.argv[1], open(sys.argv[2], 'rb').read()
records = []
if kind == 'csv':
    records.append(['bom' if raw.startswith(b'\xef\xbb\xbf') else 'nobom'])
    records += list(csv.reader(io.StringIO(raw.decode('utf-8-sig'), newline='')))
else:
    for line in raw.decode('utf-8').split('\n')[:-1]:
        try:
            obj = json.loads(line)
        except ValueError:
            records.append(['<bad>'])
            continue
        records.append([','.join(obj)] + ['<null>' if v is None else str(v) for v in obj.values()])
sys.stdout.buffer.write('\x1e'.join('\x1f'.join(r) for r in records).encode('utf-8'))
)";

std::string PythonPath() {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (access((dir + "/python3").c_str(), X_OK) == 0) return dir + "/python3";
    }
    return std::string();
}

Records ReadBack(const std::string& kind, const std::string& file) {
    ProcessResult result = RunProcess({PythonPath(), "-c", kReadBack, kind, file}, "", {});
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    Records records;
    std::istringstream all(result.out);
    for (std::string record; std::getline(all, record, '\x1e');) {
        // Every field, an empty last one too.
        records.emplace_back();
        for (std::size_t start = 0;;) {
            const std::size_t end = record.find('\x1f', start);
            records.back().push_back(record.substr(start, end - start));
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
    return records;
}

const char* const kSummaryKeys =
    "keyword,target,mode,outcome,rank,total,page,pages_read,checked_at";

class CliTracking : public ::testing::Test {
  protected:
    void SetUp() override {
        if (PythonPath().empty()) GTEST_SKIP() << "python3 is not on PATH";
    }
    WorkDir dir;
};

TEST_F(CliTracking, ABatchChecksTheThreeModesAndSummarisesEachLine) {
    DemoMarket market;
    const std::string link = "http://" + market.Host() + "/item.htm?id=10000000055";
    // As a Windows editor saves it: byte-order mark and CR LF line ends.
    // Line 8's link is copied from a browser (https); line 9 is in group c;
    // line 10 has blanks around its fields, the ideographic space among
    // them; line 11 has a fourth field, which no line may have.
    dir.Write(
        "batch.txt",
        "\xEF\xBB\xBF# keywords to watch\r\nabc\r\n\r\nabc\t深夜小铺\r\nabc\t" + link +
            "\nabc\tnobody\n\tshop A\nabc\thttps://" + market.Host() +
            "/item.htm?id=10000000001\na\tb\tc\n  abc\xE3\x80\x80\t 深夜小铺 \t\na\tb\tc\td\n");
    CliRun run =
        RunCli(market, dir, {"--batch", "batch.txt", "--format", "json", "--output", "out"},
               {{"TZ", "CST-8"}});
    EXPECT_EQ(run.exitStatus, 2) << run.err;  // lines 7 and 11 could not be checked
    EXPECT_TRUE(run.rows.empty());            // everything went to the output file
    EXPECT_NE(run.err.find("line 11: cannot use this line"), std::string::npos) << run.err;
    // A rejected line has its message and no empty status line.
    EXPECT_NE(run.err.find("line 7: keyword \"\", seller \"shop A\"\nmessage: "
                           "关键词和用户名不能为空\nline 8:"),
              std::string::npos)
        << run.err;

    Records records = ReadBack("json", dir.File("out"));
    ASSERT_EQ(records.size(), 9u);
    const std::regex localTime(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\+08:00)");
    // Line 9 has a group: every summary of the batch ends with one.
    std::vector<std::string> groups;
    for (auto& record : records) {
        ASSERT_EQ(record.size(), 11u);
        EXPECT_EQ(record[0], std::string(kSummaryKeys) + ",group");
        record[0] = kSummaryKeys;
        EXPECT_TRUE(std::regex_match(record[9], localTime)) << record[9];
        groups.push_back(record[10]);
        record.resize(9);
    }
    EXPECT_EQ(groups, (std::vector<std::string>{"", "", "", "", "", "", "c", "", ""}));
    EXPECT_EQ(
        records,
        (Records{
            {kSummaryKeys, "abc", "<null>", "1", "finished", "<null>", "100", "3", "3"},
            {kSummaryKeys, "abc", "深夜小铺", "2", "found", "57", "100", "2", "2"},
            {kSummaryKeys, "abc", link, "3", "found", "55", "100", "2", "2"},
            {kSummaryKeys, "abc", "nobody", "2", "not_found", "<null>", "100", "3", "3"},
            {kSummaryKeys, "", "shop A", "2", "form_rejected", "<null>", "<null>", "<null>", "0"},
            {kSummaryKeys, "abc", "https://" + market.Host() + "/item.htm?id=10000000001", "3",
             "found", "1", "100", "1", "1"},
            {kSummaryKeys, "a", "b", "2", "not_found", "<null>", "100", "3", "3"},
            {kSummaryKeys, "abc", "深夜小铺", "2", "found", "57", "100", "2", "2"},
            {kSummaryKeys, "a", "b\tc\td", "2", "form_rejected", "<null>", "<null>", "<null>",
             "0"}}));
    // 3 + 2 + 2 + 3 + 1 + 3 + 2 pages, nothing for lines 7 and 11.
    EXPECT_EQ(market.Requests().size(), 16u);

    // A check whose download failed is never written as not ranked.
    DemoMarket failing({"--fail-page", "2"});
    // A failed download outweighs a rejected line after it.
    dir.Write("batch.txt", "abc\tnobody\nabc\t小美的店\n\tno keyword\n");
    run = RunCli(failing, dir, {"--batch", "batch.txt"});
    EXPECT_EQ(run.exitStatus, 3) << run.err;
    ASSERT_EQ(run.rows.size(), 3u);
    EXPECT_EQ(run.rows[0], (std::vector<std::string>{"abc", "nobody", "2", "download_failed", "",
                                                     "100", "1", "1", run.rows[0][8]}));
    EXPECT_EQ(run.rows[1][3], "found");
}

// A page of the test's own whose texts hold what csv must quote.
std::string AwkwardPage() {
    std::string page =
        "<html><head><meta charset=\"gbk\"><title>t</title></head><body>"
        "<ul class=\"result-summary\"><li class=\"result-info\">4件宝贝</li></ul>";
    const char* const items[][4] = {
        {"title='连衣裙, \"新款\" 包邮'", "店,A", "￥1.00", "2 笔"},
        {"title=\"两行\n标题\"", "店\"B\"", "￥76.10", "1.2万+人付款"},
        {"title=\"普通\"", "店C", "面议", "100+人收货"},
        {"title=\"=1+2 连衣裙\"", "@SUM(1,2)店", "￥12.50-20.00", "暂无"}};
    int id = 1;
    for (const auto& item : items) {
        page += "<div class=\"item\"><h3 class=\"summary\"><a href=\"http://i/item.htm?id=" +
                std::to_string(id++) + "\" " + item[0] +
                ">x</a></h3><div class=\"seller\"><a href=\"#\">" + item[1] +
                "</a></div><div class=\"col total\"><div class=\"price\">" + item[2] +
                "</div></div><div class=\"col dealing\"><div class=\"deal-cnt\">" + item[3] +
                "</div></div></div>";
    }
    return Utf8ToGbk(page + "</body></html>");
}

TEST_F(CliTracking, CsvAndJsonRowsReadBackIntoTheSameRows) {
    PageServer server([](int, httplib::Response& response) {
        response.set_content(AwkwardPage(), "text/html; charset=gbk");
    });
    const std::map<std::string, std::string> env = {{"SORVIK_SEARCH_HOST", server.Host()},
                                                    {"SORVIK_ITEM_HOST", server.Host()}};
    auto cli = [&](std::vector<std::string> args) {
        args.insert(args.begin(), SORVIK_CLI);
        return ParseCliOutput(RunProcess(args, dir.Path(), env));
    };
    // The price in yuan and the sales count close the csv and json rows,
    // empty in csv (null in json) when their texts hold no number.
    const Records expected = {
        {"1", "连衣裙, \"新款\" 包邮", "店,A", "￥1.00", "2笔", "http://i/item.htm?id=1", "1", "k",
         "1", "2"},
        {"2", "两行\n标题", "店\"B\"", "￥76.10", "1.2万+人付款", "http://i/item.htm?id=2", "1",
         "k", "76.1", "12000"},
        {"3", "普通", "店C", "面议", "100+人收货", "http://i/item.htm?id=3", "1", "k", "", "100"},
        {"4", "=1+2 连衣裙", "@SUM(1,2)店", "￥12.50-20.00", "暂无", "http://i/item.htm?id=4", "1",
         "k", "12.5", ""}};

    // tsv as ever: six fields, a line break inside a field written as a blank.
    CliRun tsv = cli({"--keyword", "k"});
    ASSERT_EQ(tsv.rows.size(), 4u) << tsv.err;
    for (std::size_t i = 0; i < 4; ++i) {
        std::vector<std::string> row(expected[i].begin(), expected[i].begin() + 6);
        if (i == 1) row[1] = "两行 标题";
        EXPECT_EQ(tsv.rows[i], row);
    }

    CliRun csv = cli({"--keyword", "k", "--format", "csv", "--output", "rows.csv"});
    EXPECT_EQ(csv.exitStatus, 0) << csv.err;
    Records header = {{"bom"},
                      {"rank", "title", "seller", "price", "sales", "link", "page", "keyword",
                       "price_yuan", "sales_count"}};
    header.insert(header.end(), expected.begin(), expected.end());
    // A cell a spreadsheet would run as a formula is text in csv only.
    header.back()[1] = "'=1+2 连衣裙";
    header.back()[2] = "'@SUM(1,2)店";
    EXPECT_EQ(ReadBack("csv", dir.File("rows.csv")), header);
    EXPECT_FALSE(std::filesystem::exists(dir.File("rows.csv.part")));

    ProcessResult json =
        RunProcess({SORVIK_CLI, "--keyword", "k", "--format", "json"}, dir.Path(), env);
    dir.Write("rows.jsonl", json.out);
    Records rows = ReadBack("json", dir.File("rows.jsonl"));
    ASSERT_EQ(rows.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(rows[i][0],
                  "rank,title,seller,price,sales,link,page,keyword,price_yuan,sales_count");
        std::vector<std::string> row = expected[i];
        for (std::size_t field = 8; field < 10; ++field) {
            if (row[field].empty()) row[field] = "<null>";
        }
        EXPECT_EQ(std::vector<std::string>(rows[i].begin() + 1, rows[i].end()), row);
    }
}

TEST_F(CliTracking, TheHistoryGivesTheChangeSinceTheLastCheckAndTheBestRank) {
    // The item of seller "店5" moves: rank 5, then 3 (first item 3), then 5
    // again; first 0 is a check that fails.
    std::atomic<int> first{1};
    PageServer server([&](int, httplib::Response& response) {
        if (first == 0) response.status = 500;
        response.set_content(RawResultPage(first, 40, 100, false), "text/html; charset=gbk");
    });
    const std::map<std::string, std::string> env = {{"SORVIK_SEARCH_HOST", server.Host()},
                                                    {"SORVIK_ITEM_HOST", server.Host()}};
    // A record of another target, then a line a run left half written.
    const std::string earlier =
        "{\"keyword\":\"k\",\"target\":\"店9\",\"outcome\":\"found\",\"rank\":9}\n"
        "{\"keyword\":\"k\",\"target\":\"店5\",\"outc";
    dir.Write("history.jsonl", earlier);
    auto check = [&](int firstItem) {
        first = firstItem;
        return ParseCliOutput(RunProcess({SORVIK_CLI, "--keyword", "k", "--seller", "店5",
                                          "--summary", "--history", "history.jsonl"},
                                         dir.Path(), env));
    };
    auto history = [](const CliRun& run) {
        return run.rows.size() == 1 && run.rows[0].size() == 12
                   ? std::vector<std::string>(run.rows[0].begin() + 9, run.rows[0].end())
                   : std::vector<std::string>{"bad output"};
    };

    CliRun run = check(1);
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(history(run), (std::vector<std::string>{"", "new", "5"}));
    EXPECT_NE(run.err.find("history.jsonl, line 2: half written, skipped"), std::string::npos)
        << run.err;
    EXPECT_EQ(history(check(3)), (std::vector<std::string>{"5", "↑2", "3"}));
    // A failed check has no rank and leaves the previous one as it was.
    run = check(0);
    EXPECT_EQ(run.rows.at(0).at(3), "download_failed");
    EXPECT_EQ(history(run), (std::vector<std::string>{"3", "", "3"}));
    EXPECT_EQ(history(check(1)), (std::vector<std::string>{"3", "↓2", "3"}));

    // The earlier text stays as it was; each record is a line of its own.
    const std::string text = FileText(dir.File("history.jsonl"));
    ASSERT_EQ(text.compare(0, earlier.size(), earlier), 0);
    Records records = ReadBack("json", dir.File("history.jsonl"));
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[1], std::vector<std::string>{"<bad>"});
    const std::string keys = std::string(kSummaryKeys) + ",previous_rank,change,best_rank";
    for (std::size_t i = 2; i < 6; ++i) ASSERT_EQ(records[i][0], keys);
    EXPECT_EQ(records[2][5], "5");
    EXPECT_EQ(std::vector<std::string>(records[3].begin() + 10, records[3].end()),
              (std::vector<std::string>{"5", "2", "3"}));
    EXPECT_EQ(std::vector<std::string>(records[5].begin() + 10, records[5].end()),
              (std::vector<std::string>{"3", "-2", "3"}));

    // In csv the header names the history's columns too, and a fall in
    // rank stays a number.
    first = 3;
    ProcessResult csv =
        RunProcess({SORVIK_CLI, "--keyword", "k", "--seller", "店5", "--summary", "--history",
                    "history.jsonl", "--format", "csv", "--output", "ranks.csv"},
                   dir.Path(), env);
    ASSERT_EQ(csv.exitStatus, 0) << csv.err;
    records = ReadBack("csv", dir.File("ranks.csv"));
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[1].size(), 12u);
    EXPECT_EQ(records[1][10], "change");
    EXPECT_EQ(std::vector<std::string>(records[2].begin() + 9, records[2].end()),
              (std::vector<std::string>{"5", "2", "3"}));
}

TEST_F(CliTracking, MaxPagesEndsASearchAtTheLimit) {
    DemoMarket market;
    // The seller stands on page 2: one page is not enough, and only one is fetched.
    CliRun run =
        RunCli(market, dir, {"--keyword", "abc", "--seller", "深夜小铺", "--max-pages", "1"});
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    EXPECT_EQ(run.rows.size(), 40u);
    EXPECT_TRUE(run.messages.empty());
    EXPECT_EQ(run.status, "查找进度:40/100 第1页");
    EXPECT_NE(
        run.err.find("note: the page limit was reached after 1 page; the target is not on them"),
        std::string::npos)
        << run.err;
    EXPECT_EQ(market.Requests().size(), 1u);

    run = RunCli(market, dir,
                 {"--keyword", "abc", "--seller", "深夜小铺", "--max-pages", "2", "--summary"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    ASSERT_EQ(run.rows.size(), 1u);
    EXPECT_EQ(run.rows[0][3], "found");

    run = RunCli(market, dir, {"--keyword", "abc", "--max-pages=2", "--summary"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    ASSERT_EQ(run.rows.size(), 1u);
    EXPECT_EQ(std::vector<std::string>(run.rows[0].begin(), run.rows[0].begin() + 8),
              (std::vector<std::string>{"abc", "", "1", "finished", "", "100", "2", "2"}));
    EXPECT_EQ(market.Requests().size(), 5u);
}

// Ctrl-C, a scheduler's stop and a closed terminal all stop a run the same way.
class CliTrackingStop : public CliTracking, public ::testing::WithParamInterface<int> {};

INSTANTIATE_TEST_SUITE_P(Signals, CliTrackingStop, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == SIGINT    ? "SIGINT"
                                                : info.param == SIGTERM ? "SIGTERM"
                                                                        : "SIGHUP");
                         });

TEST_P(CliTrackingStop, AStopDuringAStalledDownloadEndsTheBatchAtOnceAndKeepsWhatWasWritten) {
    // Page 2 stalls for two minutes, longer than the download would wait.
    DemoMarket market({"--slow-page", "2", "--slow-ms", "120000"});
    dir.Write("batch.txt", "abc\t小美的店\nabc\tnobody\nabc\n");
    BackgroundProcess cli(
        {SORVIK_CLI, "--batch", "batch.txt", "--output", "out.tsv", "--history", "history.jsonl"},
        dir.Path(), {{"SORVIK_SEARCH_HOST", market.Host()}, {"SORVIK_ITEM_HOST", market.Host()}});
    // Line 1 is found on page 1; line 2 waits for its page 2.
    for (int i = 0; i < 500 && market.Requests().size() < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_EQ(market.Requests().size(), 3u);
    const auto signalled = std::chrono::steady_clock::now();
    cli.Signal(GetParam());
    ProcessResult result = cli.Wait();
    // The transfer is ended, not waited for (a minute without data).
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(5));
    EXPECT_EQ(result.exitStatus, 130) << result.err;
    EXPECT_EQ(market.Requests().size(), 3u);  // line 3 never started

    const std::vector<std::string> out = Lines(FileText(dir.File("out.tsv")));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(SplitTabs(out[0])[3], "found");
    EXPECT_EQ(SplitTabs(out[1])[3], "stopped");
    EXPECT_EQ(SplitTabs(out[1])[4], "");
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.tsv.part")));
    EXPECT_EQ(Lines(FileText(dir.File("history.jsonl"))).size(), 2u);
}

TEST_F(CliTracking, AStopSeenDuringAPageWalkIsStoppedNotNotFound) {
    DemoMarket market({"--items", "800"});
    dir.Write("batch.txt", "abc\tnobody\n");
    BackgroundProcess cli(
        {SORVIK_CLI, "--batch", "batch.txt", "--rows", "--format", "json", "--history",
         "history.jsonl"},
        dir.Path(), {{"SORVIK_SEARCH_HOST", market.Host()}, {"SORVIK_ITEM_HOST", market.Host()}});
    // Nobody reads the rows: once the pipe is full, a row's write blocks in
    // the middle of a page's walk and no further page is asked for.
    std::size_t requests = 0;
    for (int i = 0; i < 100 && (requests == 0 || market.Requests().size() != requests); ++i) {
        requests = market.Requests().size();
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    }
    ASSERT_LT(requests, 20u);
    cli.Signal(SIGINT);
    ProcessResult result = cli.Wait();
    EXPECT_EQ(result.exitStatus, 130) << result.err;
    EXPECT_EQ(market.Requests().size(), requests);

    // The walk ended there: the check is stopped, with no rank, and every row
    // written is whole, its price in yuan and its sales count those of its
    // texts ("￥76.10" and "最近成交54笔": 76.1 and 54).
    dir.Write("rows.jsonl", result.out);
    const Records rows = ReadBack("json", dir.File("rows.jsonl"));
    EXPECT_GT(rows.size(), 40u * (requests - 1));
    EXPECT_LE(rows.size(), 40u * requests);
    const std::regex price(R"(￥(\d+)\.(\d)(\d))"), sales(R"(最近成交(\d+)笔)");
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 11u) << row[0];
        std::smatch yuan, count;
        ASSERT_TRUE(std::regex_match(row[4], yuan, price)) << row[4];
        std::string text = yuan[1].str();
        if (yuan[3] != "0") text += "." + yuan[2].str() + yuan[3].str();
        if (yuan[3] == "0" && yuan[2] != "0") text += "." + yuan[2].str();
        EXPECT_EQ(row[9], text) << row[4];
        ASSERT_TRUE(std::regex_match(row[5], count, sales)) << row[5];
        EXPECT_EQ(row[10], count[1].str()) << row[5];
    }
    Records history = ReadBack("json", dir.File("history.jsonl"));
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(std::vector<std::string>(history[0].begin() + 4, history[0].begin() + 6),
              (std::vector<std::string>{"stopped", "<null>"}));
}

TEST_F(CliTracking, BadInputIsReportedAndChangesNothing) {
    DemoMarket market;
    dir.Write("gbk.txt", Utf8ToGbk("连衣裙\n"));
    dir.Write("good.txt", "abc\n");
    dir.Write("out.tsv", "kept\n");
    dir.Write("history.jsonl",
              "{\"keyword\":\"abc\",\"outcome\":\"finished\",\"checked_at\":"
              "\"2026-12-08T15:04:05+08:00\"}\n");
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    dir.Write("plain", "");
    std::filesystem::create_directory(dir.File("folder"));
    std::filesystem::create_hard_link(dir.File("good.txt"), dir.File("linked.txt"));
    std::vector<std::vector<std::string>> cases = {
        {"--batch", "missing.txt"},
        {"--batch", "gbk.txt"},
        {"--batch", "folder"},
        {"--batch", "good.txt", "--format", "xml"},
        {"--keyword", "abc", "--max-pages", "0"},
        {"--keyword", "abc", "--max-pages", "-1"},
        {"--keyword", "abc", "--max-pages", "2x"},
        {"--batch", "good.txt", "--history", "folder"},
        {"--batch", "good.txt", "--history", "plain/history.jsonl"},
        {"--batch", "good.txt", "--output", "folder"},
        {"--batch", "good.txt", "--output", "missing/out.tsv"},
        {"--keyword", "abc", "--rows"},
        // Two options naming one file, however it is spelled.
        {"--batch", "good.txt", "--output", "./history.jsonl"},
        {"--batch", "good.txt", "--output", dir.File("good.txt")},
        {"--batch", "linked.txt", "--history", "good.txt"},
        {"--batch", "good.txt", "--history", "new.jsonl", "--output", "folder/../new.jsonl"},
        // The cleaning's settings and the working files are no records.
        {"--batch", "config.txt"},
        {"--batch", "good.txt", "--output", "./config.txt"},
        {"--batch", "good.txt", "--output", "data.html"},
        {"--batch", "good.txt", "--history", "folder/../data_backup.html"},
        // The row store: a file of its own, and options that go with it.
        {"--batch", "good.txt", "--store", "./history.jsonl"},
        {"--batch", "good.txt", "--store", "data.html"},
        {"--batch", "good.txt", "--explain"},
        {"--keyword", "abc", "--store", "rows.db"},
        {"--batch", "good.txt", "--days", "7"},
        {"--rivals", "--store", "rows.db", "--batch", "good.txt"},
        {"--rivals", "--days", "0", "--store", "rows.db"},
    };
    // A FIFO would be waited on for ever. (Windows has none: the Windows
    // build under Wine, SORVIK_TEST_CLI, sees this one as a plain file.)
    const char* other = std::getenv("SORVIK_TEST_CLI");
    if (!other || !*other)
        cases.insert(cases.end(),
                     {{"--batch", "fifo"}, {"--batch", "good.txt", "--history", "fifo"}});
    auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            names.push_back(entry.path().filename().string() + ":" +
                            (entry.is_regular_file() ? FileText(entry.path().string())
                             : entry.is_directory()  ? "dir"
                                                     : "other"));
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> before = listing();
    for (const auto& args : cases) {
        std::vector<std::string> all = args;
        if (std::find(all.begin(), all.end(), "--output") == all.end())
            all.insert(all.end(), {"--output", "out.tsv"});
        if (std::find(all.begin(), all.end(), "--history") == all.end())
            all.insert(all.end(), {"--history", "history.jsonl"});
        CliRun run = RunCli(market, dir, all);
        const std::string name = args[0] + " " + args[1] + " " + args.back();
        EXPECT_EQ(run.exitStatus, 2) << name;
        EXPECT_EQ(Lines(run.err).size(), 1u) << name << ": " << run.err;
        EXPECT_EQ(run.err.rfind("sorvik-cli: ", 0), 0u) << name << ": " << run.err;
        EXPECT_TRUE(run.rows.empty()) << name;
        EXPECT_EQ(listing(), before) << name;
    }
    EXPECT_TRUE(market.Requests().empty());
}

TEST_F(CliTracking, TheKeywordReachesTheMarketplaceWholeAndCountsAreWhatWasRead) {
    // '&', '=' and '#' are encoded: the whole keyword is the q value.
    DemoMarket market;
    CliRun run = RunCli(market, dir, {"--keyword", "H&M 连衣裙#2=", "--summary"});
    ASSERT_EQ(market.Requests().size(), 3u) << run.err;
    const std::string q = "&q=%48%26%4D%20%E8%BF%9E%E8%A1%A3%E8%A3%99%23%32%3D";
    const std::string first = market.Requests()[0];
    EXPECT_EQ(first.substr(first.size() - q.size()), q);
    EXPECT_EQ(market.Requests()[1].find(q + "&bcoffset=4&s=40"), first.size() - q.size());

    // A first page that counts no results: a total of 0, and one page read.
    DemoMarket empty({"--total", "0"});
    run = RunCli(empty, dir, {"--keyword", "abc", "--seller", "x", "--summary"});
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    ASSERT_EQ(run.rows.size(), 1u);
    EXPECT_EQ(std::vector<std::string>(run.rows[0].begin() + 3, run.rows[0].begin() + 8),
              (std::vector<std::string>{"no_items", "", "0", "1", "1"}));
}

TEST_F(CliTracking, TwoRunsIntoOneOutputFileLeaveOneRunsOutputWhole) {
    // As a scheduler starts them: at the same time, each in a folder of its
    // own, both writing the same file.
    DemoMarket market({"--slow-page", "2", "--slow-ms", "300"});
    WorkDir first, second;
    first.Write("batch.txt", "abc\nabc\t末位小店\n");
    second.Write("batch.txt", "xyz\nxyz\t末位小店\nxyz\tnobody\n");
    const std::string output = dir.File("ranks.csv");
    const std::map<std::string, std::string> env = {{"SORVIK_SEARCH_HOST", market.Host()},
                                                    {"SORVIK_ITEM_HOST", market.Host()}};
    std::vector<std::unique_ptr<BackgroundProcess>> runs;
    for (const WorkDir* folder : {&first, &second})
        runs.push_back(std::make_unique<BackgroundProcess>(
            std::vector<std::string>{SORVIK_CLI, "--batch", "batch.txt", "--format", "csv",
                                     "--output", output},
            folder->Path(), env));
    for (auto& run : runs) {
        ProcessResult result = run->Wait();
        EXPECT_EQ(result.exitStatus, 0) << result.err;
    }

    // The file is one run's output: its header and all its lines, nothing
    // of the other; no temporary file is left.
    const Records records = ReadBack("csv", output);
    ASSERT_GE(records.size(), 4u);
    const std::string keyword = records[2][0];
    ASSERT_TRUE(keyword == "abc" || keyword == "xyz") << keyword;
    EXPECT_EQ(records.size(), keyword == "abc" ? 4u : 5u);
    for (std::size_t i = 2; i < records.size(); ++i) {
        ASSERT_EQ(records[i].size(), 9u);
        EXPECT_EQ(records[i][0], keyword);
    }
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();
}

TEST_F(CliTracking, AWorkingFolderThatCannotBeWrittenIsSaidSo) {
    DemoMarket market;
    const std::map<std::string, std::string> env = {{"SORVIK_SEARCH_HOST", market.Host()},
                                                    {"SORVIK_ITEM_HOST", market.Host()}};
    // A folder where nobody may create files, not even root: before any search.
    CliRun run = ParseCliOutput(RunProcess({SORVIK_CLI, "--keyword", "abc"}, "/proc", env));
    EXPECT_EQ(run.exitStatus, 2) << run.err;
    EXPECT_EQ(run.err.rfind("sorvik-cli: cannot write the working files", 0), 0u) << run.err;
    EXPECT_TRUE(market.Requests().empty());

    // A working file that can't be written: the download fails with its
    // message, and stderr says why.
    std::filesystem::create_directory(dir.File("data.html"));
    run = RunCli(market, dir, {"--keyword", "abc"});
    EXPECT_EQ(run.exitStatus, 3) << run.err;
    EXPECT_EQ(run.messages, std::vector<std::string>{"网络连接失败1"});
    EXPECT_NE(run.err.find("sorvik-cli: the download failed: cannot write data.html: "),
              std::string::npos)
        << run.err;
}

TEST_F(CliTracking, TwoBatchRunsInOneFolderEachRecordTheirOwnRanks) {
    // Two marketplaces that rank the sellers differently; each run's pages
    // are slow enough for the two runs to overlap page by page.
    DemoMarket plain({"--slow-page", "2", "--slow-ms", "200"});
    DemoMarket rotated({"--rotate", "7", "--slow-page", "2", "--slow-ms", "200"});
    dir.Write("batch.txt", "abc\t深夜小铺\nabc\t末位小店\nabc\t小美的店\nabc\t深夜小铺\n");
    // A working folder left by a run that was killed outright.
    const std::string leftover = ".sorvik-run-" + std::to_string(EndedProcessId()) + "-0";
    std::filesystem::create_directory(dir.File(leftover));
    dir.Write(leftover + "/data.html", "old page");
    auto start = [&](const DemoMarket& market, const std::string& history) {
        return std::make_unique<BackgroundProcess>(
            std::vector<std::string>{SORVIK_CLI, "--batch", "batch.txt", "--history", history},
            dir.Path(),
            std::map<std::string, std::string>{{"SORVIK_SEARCH_HOST", market.Host()},
                                               {"SORVIK_ITEM_HOST", market.Host()}});
    };
    auto ranks = [](const ProcessResult& result) {
        std::vector<std::string> found;
        for (const std::string& line : Lines(result.out)) found.push_back(SplitTabs(line).at(4));
        return found;
    };
    // Each alone first: the ranks its marketplace gives.
    const std::vector<std::string> plainRanks = ranks(start(plain, "alone1.jsonl")->Wait());
    const std::vector<std::string> rotatedRanks = ranks(start(rotated, "alone2.jsonl")->Wait());
    ASSERT_EQ(plainRanks.size(), 4u);
    ASSERT_NE(plainRanks, rotatedRanks);

    auto first = start(plain, "h1.jsonl");
    auto second = start(rotated, "h2.jsonl");
    const ProcessResult one = first->Wait();
    const ProcessResult two = second->Wait();
    EXPECT_EQ(one.exitStatus, 0) << one.err;
    EXPECT_EQ(two.exitStatus, 0) << two.err;
    EXPECT_EQ(ranks(one), plainRanks);
    EXPECT_EQ(ranks(two), rotatedRanks);
    // Every run's folder is gone, the leftover too; the fixed names were
    // never used.
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_NE(name.rfind(".sorvik-run-", 0), 0u) << name;
        EXPECT_NE(name, "data.html");
    }
}

TEST_F(CliTracking, OutputGoesThroughLinksKeepsModesAndHardLinksAndReachesDevices) {
    DemoMarket market;
    dir.Write("batch.txt", "abc\t末位小店\n");
    std::filesystem::create_directory(dir.File("real"));
    dir.Write("real/ranks.tsv", "old\n");
    chmod(dir.File("real/ranks.tsv").c_str(), 0600);
    std::filesystem::create_symlink("real/ranks.tsv", dir.File("ranks.tsv"));
    dir.Write("linked.tsv", "old\n");
    std::filesystem::create_hard_link(dir.File("linked.tsv"), dir.File("second-name.tsv"));
    // Left beside the target by a run killed outright, and by one that runs.
    const std::string ended = "real/ranks.tsv." + std::to_string(EndedProcessId()) + "-0.part";
    const std::string running = "real/ranks.tsv." + std::to_string(getpid()) + "-0.part";
    dir.Write(ended, "half");
    dir.Write(running, "half");

    CliRun run = RunCli(market, dir, {"--batch", "batch.txt", "--output", "ranks.tsv"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("ranks.tsv")));
    const std::string text = FileText(dir.File("real/ranks.tsv"));
    EXPECT_EQ(SplitTabs(Lines(text).at(0)).at(3), "found");
    struct stat info {};
    ASSERT_EQ(stat(dir.File("real/ranks.tsv").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_FALSE(std::filesystem::exists(dir.File(ended)));
    EXPECT_TRUE(std::filesystem::exists(dir.File(running)));
    // Both names of a file with two hard links see the new output.
    run = RunCli(market, dir, {"--batch", "batch.txt", "--output", "linked.tsv"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string linked = FileText(dir.File("linked.tsv"));
    EXPECT_EQ(SplitTabs(Lines(linked).at(0)).at(3), "found");
    EXPECT_EQ(FileText(dir.File("second-name.tsv")), linked);

    // A device is written as it is, and "-" is stdout.
    run = RunCli(market, dir, {"--batch", "batch.txt", "--output", "/dev/null"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_TRUE(run.rows.empty());
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    for (const char* out : {"-", "/dev/stdout"}) {
        run = RunCli(market, dir, {"--batch", "batch.txt", "--output", out});
        EXPECT_EQ(run.exitStatus, 0) << out << ": " << run.err;
        ASSERT_EQ(run.rows.size(), 1u) << out;
        EXPECT_EQ(run.rows[0].at(3), "found") << out;
    }
}

TEST_F(CliTracking, ARecordThatCannotBeWrittenWholeGivesExit4AndNoHalfLine) {
    // Files of at most 512 bytes: room for two records. Lines that can't be
    // used are recorded without a search, so no page needs the room.
    dir.Write("batch.txt", "a\tb\tc\td\n\tshop A\n\tshop B\n\tshop C\n");
    auto limited = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"/bin/sh", "-c", "trap '' XFSZ; ulimit -f 1; exec \"$0\" \"$@\"",
                                   CliProgram(), "--batch", "batch.txt"});
        return RunProcess(args, dir.Path(), {});
    };
    ProcessResult result = limited({"--history", "history.jsonl"});
    EXPECT_EQ(result.exitStatus, 4) << result.err;
    EXPECT_EQ(Lines(result.out).size(), 4u);  // the summaries are all there
    EXPECT_NE(result.err.find("sorvik-cli: the history file kept no record of line 3: keyword "
                              "\"\", seller \"shop B\""),
              std::string::npos)
        << result.err;
    const std::string history = FileText(dir.File("history.jsonl"));
    EXPECT_EQ(Lines(history).size(), 2u);
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(history.back(), '\n');  // no half line
    for (const auto& record : ReadBack("json", dir.File("history.jsonl")))
        EXPECT_NE(record[0], "<bad>");

    // The output file that can't be written whole is no success either.
    result = limited({"--output", "ranks.tsv", "--format", "json"});
    EXPECT_EQ(result.exitStatus, 4) << result.err;
    EXPECT_NE(result.err.find("sorvik-cli: cannot write the output file ranks.tsv"),
              std::string::npos)
        << result.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("ranks.tsv")));
}

TEST_F(CliTracking, AnOverlongLineIsSkippedAndTheRestChecked) {
    DemoMarket market;
    dir.Write("batch.txt", "abc\t末位小店\n" + std::string(20 << 20, 'x') +
                               "\n  \t\xE3\x80\x80 \nabc\t末位小店\n");
    CliRun run = RunCli(market, dir, {"--batch", "batch.txt"});
    EXPECT_EQ(run.exitStatus, 2) << run.err.substr(0, 2000);
    ASSERT_LT(run.err.size(), 10000u);
    EXPECT_NE(run.err.find("line 2: cannot use this line: longer than 4096 bytes"),
              std::string::npos)
        << run.err;
    // The line of blanks is no line to check.
    ASSERT_EQ(run.rows.size(), 3u);
    EXPECT_EQ(run.rows[0][3], "found");
    EXPECT_EQ(run.rows[1][3], "form_rejected");
    EXPECT_EQ(run.rows[2][3], "found");
}

}  // namespace
}  // namespace test
}  // namespace sorvik
