// The tracking library: the history file read fast and the same as a full
// JSON parser reads it, checks kept for the chart, files written whole, the
// keyword list's text and the table's words.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "batch_file.h"
#include "exit_status.h"
#include "flat_json.h"
#include "history_carry.h"
#include "local_time.h"
#include "output_file.h"
#include "rank_history.h"
#include "test_environment.h"
#include "tracker_files.h"
#include "tracker_table.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#endif

namespace sorvik {
namespace {

class Tracking : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = MakeTempDirectory("sorvik-tracking");
        SetEnv("TZ", "CST-8");
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string File(const std::string& name) const { return (m_dir / name).u8string(); }
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(m_dir / name, std::ios::binary) << text;
    }
    std::filesystem::path m_dir;
};

TEST(FlatJson, ReadsWhatAFullParserReadsAndLeavesTheRestToIt) {
    const std::vector<std::string> lines = {
        R"({"keyword":"连衣裙","target":null,"rank":57,"x":-0,"y":1.5e3,"z":true})",
        R"( { "keyword" : "a\"b\\c\/\n\u00e9\u4e2d\ud83d\ude00" , "rank" : null } )",
        R"({"keyword":"k","keyword":"last"})",
        R"({"rank":9223372036854775807,"min":-9223372036854775808,"big":18446744073709551616})",
        R"({})",
        R"({"keyword":"k",})",
        R"({"keyword":"k"} x)",
        R"({"keyword":"\ud800"})",
        R"({"keyword":"\u12"})",
        "{\"keyword\":\"\xFF\"}",
        "{\"keyword\":\"a\tb\"}",
        R"({"rank":01})",
        R"({"rank":1.})",
        R"({"keyword":nul})",
        R"({"nested":{"a":1}})",
        R"({"list":[1,2]})",
        R"(["keyword"])",
        R"("text")",
    };
    for (const std::string& line : lines) {
        const nlohmann::json full = nlohmann::json::parse(line, nullptr, false);
        FlatObject flat;
        const bool read = flat.Read(line);
        const bool fullIsFlatObject =
            !full.is_discarded() && full.is_object() &&
            std::all_of(full.begin(), full.end(), [](const auto& v) { return v.is_primitive(); });
        ASSERT_EQ(read, fullIsFlatObject) << line;
        if (!read) continue;
        for (const auto& [key, value] : full.items()) {
            const FlatValue* field = flat.Find(key);
            ASSERT_NE(field, nullptr) << line << " " << key;
            if (value.is_string()) {
                EXPECT_EQ(field->kind, FlatValue::Kind::Text) << line;
                EXPECT_EQ(field->text, value.get<std::string>()) << line;
            } else if (value.is_number_integer() && !value.is_number_unsigned()) {
                EXPECT_EQ(field->kind, FlatValue::Kind::Integer) << line;
                EXPECT_EQ(field->integer, value.get<long long>()) << line;
            } else if (value.is_null()) {
                EXPECT_EQ(field->kind, FlatValue::Kind::Null) << line;
            }
        }
    }
}

TEST_F(Tracking, TheHistoryKeepsEachChecksPointAndTheLatestWithItsChange) {
    const std::string k = R"("keyword":"k","target":"店","mode":2,)";
    Write("history.jsonl",
          "{" + k +
              R"("outcome":"found","rank":5,"page":1,"checked_at":"2026-12-01T09:00:00+08:00"})"
              "\n"
              "{" +
              k +
              R"("outcome":"download_failed","rank":null,"checked_at":"2026-12-02T09:00:00+08:00"})"
              "\n"
              "{" +
              k +
              R"("outcome":"found","rank":0,"checked_at":"2026-12-03T09:00:00+08:00"})"
              "\n"
              "{" +
              k +
              R"("outcome":"not_found","page":10,"checked_at":"2026-12-04T09:00:00+08:00"})"
              "\n"
              "not json\n"
              "{" +
              k +
              R"("outcome":"found","rank":3,"page":1,"checked_at":"2026-12-05T09:00:00+08:00"})"
              "\n"
              R"({"keyword":"k","outcome":"finished","checked_at":"2026-12-05T10:00:00+08:00"})"
              "\n"
              "{" +
              k + R"("outcome":"found","rank":7,)");
    std::vector<std::string> warnings;
    RankHistory history([&](const std::string& w) { warnings.push_back(w); }, true);
    std::string error;
    ASSERT_TRUE(history.Load(File("history.jsonl"), error)) << error;
    // "rank":0 is no rank: that line is as damaged as the one that is no JSON.
    ASSERT_EQ(warnings.size(), 3u);
    EXPECT_NE(warnings[0].find("line 3: no record"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[2].find("line 8: half written"), std::string::npos) << warnings[2];
    EXPECT_EQ(history.RecordCount(), 5u);

    const RankHistory::Key key{"k", std::string("店")};
    const std::vector<CheckPoint>* checks = history.Checks(key);
    ASSERT_NE(checks, nullptr);
    ASSERT_EQ(checks->size(), 4u);
    EXPECT_EQ((*checks)[0].when, 1796086800);  // 2026-12-01 01:00 UTC
    EXPECT_EQ((*checks)[0].rank, 5);
    EXPECT_EQ((*checks)[1].outcome, CheckOutcome::DownloadFailed);
    EXPECT_EQ((*checks)[1].rank, 0);
    EXPECT_EQ((*checks)[2].outcome, CheckOutcome::NotFound);
    EXPECT_EQ((*checks)[3].rank, 3);
    // The not_found check in between is the previous one: 3 is new.
    const SummaryRecord* latest = history.Latest(key);
    ASSERT_NE(latest, nullptr);
    EXPECT_EQ(latest->previousRank, std::nullopt);
    EXPECT_EQ(latest->bestRank, 3);
    EXPECT_EQ(ChangeWords(*latest), "新");
    EXPECT_EQ(history.Checks({"k", std::nullopt})->size(), 1u);

    // A new check: its change from 3, appended as one whole line after the
    // half-written one.
    ASSERT_TRUE(history.OpenForAppend(error)) << error;
    SummaryRecord next;
    next.keyword = "k";
    next.target = "店";
    next.mode = 2;
    next.outcome = CheckOutcome::Found;
    next.rank = 4;
    next.checkedAt = LocalTimestamp(1796086800 + 5 * 86400);
    ASSERT_TRUE(history.Record(next));
    EXPECT_EQ(next.change, -1);
    EXPECT_EQ(ChangeWords(next), "↓1");
    const std::string text = FileText(m_dir / "history.jsonl");
    EXPECT_NE(text.find("\"rank\":7,\n{\"keyword\":\"k\""), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(history.Checks(key)->back().when, 1796086800 + 5 * 86400);
}

TEST_F(Tracking, AnEditedLinesChecksAreCarriedOverByAppendingThemUnderItsNewKey) {
    const std::string before =
        R"({"keyword":"k","target":"店A","mode":2,"outcome":"found","rank":5,"total":4800,)"
        R"("page":1,"pages_read":1,"checked_at":"2026-12-01T09:00:00+08:00"})"
        "\n"
        R"({"keyword":"k","target":"店A","mode":2,"outcome":"download_failed","total":null,)"
        R"("pages_read":0,"checked_at":"2026-12-02T09:00:00+08:00"})"
        "\n"
        R"({"keyword":"k","target":"店A","mode":2,"outcome":"not_found","total":3900,)"
        R"("page":10,"pages_read":10,"checked_at":"2026-12-03T09:00:00+08:00"})"
        "\n";
    Write("history.jsonl", before);
    const RankHistory::Key oldKey{"k", std::string("店A")}, newKey{"k2", std::string("店B")};
    std::vector<CheckPoint> old;
    {
        RankHistory history([](const std::string&) {}, true);
        std::string error;
        ASSERT_TRUE(history.Load(File("history.jsonl"), error)) << error;
        ASSERT_TRUE(history.OpenForAppend(error)) << error;
        old = *history.Checks(oldKey);
        ASSERT_EQ(old.size(), 3u);
        EXPECT_EQ(old[0].total, 4800);
        EXPECT_EQ(old[1].total, -1);
        std::vector<SummaryRecord> carried = CarriedRecords(old, BatchLine(1, "k2", "店B", ""));
        ASSERT_EQ(carried.size(), 3u);
        for (SummaryRecord& record : carried) ASSERT_TRUE(history.Record(record));
        // The history fields are worked out anew under the new key.
        EXPECT_EQ(carried[2].bestRank, 5);
        EXPECT_EQ(carried[2].previousRank, 5);
    }
    // Appended only: the old lines stay as they were, and read back, the new
    // key has the old key's checks, each as it was.
    const std::string after = FileText(m_dir / "history.jsonl");
    EXPECT_EQ(after.substr(0, before.size()), before);
    RankHistory reread([](const std::string&) {}, true);
    std::string error;
    ASSERT_TRUE(reread.Load(File("history.jsonl"), error)) << error;
    EXPECT_EQ(reread.Checks(oldKey)->size(), 3u);
    const std::vector<CheckPoint>* moved = reread.Checks(newKey);
    ASSERT_NE(moved, nullptr);
    ASSERT_EQ(moved->size(), 3u);
    for (std::size_t i = 0; i < old.size(); ++i) {
        const CheckPoint &a = old[i], &b = (*moved)[i];
        EXPECT_EQ(std::tie(a.when, a.rank, a.page, a.outcome, a.total, a.pagesRead),
                  std::tie(b.when, b.rank, b.page, b.outcome, b.total, b.pagesRead))
            << i;
    }
    EXPECT_EQ(reread.Latest(newKey)->outcome, CheckOutcome::NotFound);
    // A keyword-only line's records have no target.
    EXPECT_FALSE(CarriedRecords(old, BatchLine(1, "k3", "", "")).front().target);
}

TEST(LocalTime, TimestampsReadBackToTheirMoment) {
    for (const char* zone : {"UTC0", "CST-8", "EST5"}) {
        SetEnv("TZ", zone);
        for (std::int64_t when : {0LL, 1796086800LL, 1796086800LL + 86399, 4102444800LL}) {
            const std::string text = LocalTimestamp(static_cast<std::time_t>(when));
            EXPECT_EQ(ParseTimestamp(text), when) << zone << " " << text;
        }
    }
    for (const char* bad :
         {"", "2026-12-08", "2026-02-29T00:00:00+08:00", "2026-12-08T24:00:00+08:00",
          "2026-12-08 15:04:05+08:00", "2026-12-08T15:04:05Z"})
        EXPECT_EQ(ParseTimestamp(bad), std::nullopt) << bad;
    EXPECT_EQ(ParseTimestamp("2024-02-29T00:00:00-01:30"), 1709170200);
}

TEST_F(Tracking, TheListAndTheSettingsAreWrittenWholeAndReadBack) {
    TrackerFiles files(File("data/sorvik"));
    std::string error;
    ASSERT_TRUE(files.Prepare(error)) << error;
    const std::vector<BatchLine> lines = {
        {0, "连衣裙", "", ""},
        {0, "连衣裙", "深夜小铺", ""},
        {0, "毛衣 新款", "https://item.taobao.com/item.htm?id=1", ""}};
    ASSERT_TRUE(files.WriteList(lines, error)) << error;
    const auto read = files.ReadList(error);
    ASSERT_TRUE(read) << error;
    ASSERT_EQ(read->size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ((*read)[i].keyword, lines[i].keyword);
        EXPECT_EQ((*read)[i].target, lines[i].target);
        EXPECT_EQ((*read)[i].Mode(), static_cast<int>(i) + 1);
    }
    EXPECT_EQ(files.ReadSettings().pagesPerCheck, 10);
    EXPECT_EQ(files.ReadSettings().storeDays, sorvik::RowStore::kDefaultRetentionDays);
    ASSERT_TRUE(files.WriteSettings({25, 55, 1000, 40, "", ""}, error)) << error;
    EXPECT_EQ(files.ReadSettings().pagesPerCheck, 25);
    EXPECT_EQ(files.ReadSettings().tablePercent, 55);
    EXPECT_EQ(files.ReadSettings().storeDays, 1000);
    Write("data/sorvik/tracker.ini", "pages_per_check=0\ntable_height_percent=90\nstore_days=0\n");
    EXPECT_EQ(files.ReadSettings().pagesPerCheck, 10);
    EXPECT_EQ(files.ReadSettings().tablePercent, 40);
    EXPECT_EQ(files.ReadSettings().storeDays, sorvik::RowStore::kDefaultRetentionDays);
    // Nothing is left beside the files.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir / "data/sorvik"))
        names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"keywords.txt", "tracker.ini"}));

#ifndef _WIN32
    // A list kept elsewhere and linked in stays linked, with its mode.
    Write("elsewhere.txt", "old\n");
    std::filesystem::permissions(m_dir / "elsewhere.txt", std::filesystem::perms(0600));
    std::filesystem::remove(m_dir / "data/sorvik/keywords.txt");
    std::filesystem::create_symlink("../../elsewhere.txt", m_dir / "data/sorvik/keywords.txt");
    ASSERT_TRUE(files.WriteList(lines, error)) << error;
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "data/sorvik/keywords.txt"));
    EXPECT_EQ(FileText(m_dir / "elsewhere.txt"), FormatBatchFile(lines));
    EXPECT_EQ(std::filesystem::status(m_dir / "elsewhere.txt").permissions(),
              std::filesystem::perms(0600));
#endif
}

#ifndef _WIN32
// A write that fails (here: beyond the largest file the process may write)
// leaves the target as it was and is reported, whatever the close says.
TEST_F(Tracking, AFailedWriteIsNeverReportedAsWritten) {
    Write("out.csv", "kept\n");
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    OutputFile output;
    const bool opened = output.Open(File("out.csv"), error);
    if (opened) output.Write(std::string(100000, 'x'));
    const bool finished = opened && output.Finish(error);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_TRUE(opened) << error;
    EXPECT_FALSE(finished);
    EXPECT_NE(error.find("cannot write the output file"), std::string::npos) << error;
    EXPECT_TRUE(FileText(m_dir / "out.csv") == "kept\n") << "out.csv changed";
}
#endif

TEST(TrackerTable, RowsShowFailedChecksAsFailedAndLinesAreCheckedAsTheFormIs) {
    const BatchLine line{0, "连衣裙", "深夜小铺", "", "夏装"};
    SummaryRecord summary;
    summary.keyword = line.keyword;
    summary.target = line.target;
    summary.outcome = CheckOutcome::DownloadFailed;
    summary.bestRank = 3;
    summary.checkedAt = "2026-12-08T15:04:05+08:00";
    TableRow row = DescribeLine(line, &summary);
    EXPECT_EQ(row.state, LineState::Failed);
    EXPECT_EQ(row.cells, (std::vector<std::string>{"连衣裙", "深夜小铺", "用户名", "夏装", "", "",
                                                   "", "3", "2026-12-08 15:04", "下载失败"}));
    summary.outcome = CheckOutcome::Found;
    summary.rank = 2;
    summary.page = 1;
    summary.previousRank = 5;
    row = DescribeLine(line, &summary);
    EXPECT_EQ(row.state, LineState::Ranked);
    EXPECT_EQ(row.cells[4] + "|" + row.cells[5] + "|" + row.cells[6], "2|1|↑3");
    EXPECT_EQ(DescribeLine(line, nullptr).cells[9], "未检查");
    EXPECT_EQ(RowsAsTsv({row}).substr(0, 10), "关键词\t");

    // Non-UTF-8 bytes reach the JSON output as U+FFFD, never dropped.
    summary.keyword =
        "a\xFF"
        "b";
    EXPECT_NE(FormatSummary(OutputFormat::Json, summary)
                  .find("\"keyword\":\"a\xEF\xBF\xBD"
                        "b\""),
              std::string::npos);

    const std::vector<BatchLine> list = {line};
    const std::string item = "http://item.taobao.com/item.htm?id=1";
    EXPECT_EQ(LineProblem(kModeKeyword, "", "", list), "关键词不能为空");
    EXPECT_EQ(LineProblem(kModeSeller, "k", "", list), "关键词和用户名不能为空");
    EXPECT_EQ(LineProblem(kModeItemLink, "k", "", list), "关键词和宝贝链接不能为空");
    // The dialog's message, then what is wrong with this link.
    EXPECT_EQ(LineProblem(kModeItemLink, "k", "https://item.taobao.com/item.htm?ID=1", list),
              "请输入正确的宝贝链接,如http://item.taobao.com/item.htm?id=16421734568\n\n"
              "可以直接从浏览器复制，如 https://item.taobao.com/item.htm?id=16421734568。\n"
              "这个链接里没有宝贝 id（id=…）。");
    EXPECT_EQ(LineProblem(kModeItemLink, "k", "https://item.taobao.com/item.htm?id=1", list),
              std::nullopt);
    EXPECT_EQ(LineProblem(kModeItemLink, "k", "http://item.taobao.com/中id=1", list), std::nullopt);
    EXPECT_TRUE(LineProblem(kModeKeyword, "#k", "", list));
    EXPECT_TRUE(LineProblem(kModeKeyword, "a\tb", "", list));
    EXPECT_TRUE(LineProblem(kModeSeller, "k", "http://x", list));
    EXPECT_TRUE(LineProblem(kModeSeller, "连衣裙", "深夜小铺", list));
    EXPECT_EQ(LineProblem(kModeSeller, "连衣裙", "深夜小铺", list, 0), std::nullopt);
    EXPECT_EQ(LineProblem(kModeKeyword, "k", item, list), std::nullopt);  // mode 1 keeps no target
    // A keyword that can't be sent whole is refused as the search refuses it.
    EXPECT_EQ(LineProblem(kModeKeyword, "连衣裙😀", "", list),
              "关键词中的“U+1F600”无法按 GBK 编码发送，请删去它。");
    EXPECT_EQ(LineProblem(kModeSeller, std::string(1707, 'a'), "店", list),
              "关键词太长：编码后超过 5119 字节，请缩短关键词。");
}

TEST_F(Tracking, HistoryRecordsThatCannotBePlacedInTimeAreSkippedWithOneWarning) {
    const std::string k = R"({"keyword":"k","target":"店","mode":2,)";
    Write("history.jsonl",
          k +
              R"("outcome":"found","rank":9,"checked_at":"2026-12-01T09:00:00+08:00"})"
              "\n" +
              k +
              R"("outcome":"found","rank":1,"checked_at":"2099-01-01T09:00:00+08:00"})"
              "\n" +
              k +
              R"("outcome":"found","rank":2})"
              "\n" +
              k +
              R"("outcome":"found","rank":3,"checked_at":"yesterday"})"
              "\n" +
              k +
              R"("outcome":"lost","rank":4,"checked_at":"2026-12-02T09:00:00+08:00"})"
              "\n" +
              k +
              R"("outcome":"found","rank":7,"checked_at":"2026-12-03T09:00:00+08:00"})"
              "\n");
    std::vector<std::string> warnings;
    RankHistory history([&](const std::string& w) { warnings.push_back(w); }, true);
    std::string error;
    ASSERT_TRUE(history.Load(File("history.jsonl"), error)) << error;
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find(": 4 records skipped"), std::string::npos) << warnings[0];
    EXPECT_EQ(history.SkippedRecords(), 4);
    EXPECT_EQ(history.RecordCount(), 2u);
    const SummaryRecord* latest = history.Latest({"k", std::string("店")});
    ASSERT_NE(latest, nullptr);
    EXPECT_EQ(latest->previousRank, 9);
    EXPECT_EQ(latest->bestRank, 7);
}

TEST_F(Tracking, BatchFilesSkipBlankLinesCapLongOnesAndTakeRegularFilesOnly) {
    // A line of blanks and tabs is no search; an overlong one is a bad line
    // with no text of its own, and a long comment is no line at all.
    Write("batch.txt", "\xEF\xBB\xBF \t\xE3\x80\x80\t \nabc\n" + std::string(4097, 'x') + "\n#" +
                           std::string(5000, '#') + "\n" + std::string(4096, 'y') + "\nend");
    std::string error;
    auto lines = ReadBatchFile(File("batch.txt"), error);
    ASSERT_TRUE(lines) << error;
    ASSERT_EQ(lines->size(), 4u);
    EXPECT_EQ((*lines)[0].number, 2);
    EXPECT_EQ((*lines)[0].keyword, "abc");
    EXPECT_EQ((*lines)[1].number, 3);
    EXPECT_EQ((*lines)[1].keyword, "");
    EXPECT_NE((*lines)[1].problem.find("longer than 4096 bytes"), std::string::npos);
    EXPECT_EQ((*lines)[2].keyword, std::string(4096, 'y'));
    EXPECT_TRUE((*lines)[2].problem.empty());
    EXPECT_EQ((*lines)[3].number, 6);
    EXPECT_EQ((*lines)[3].keyword, "end");
#ifndef _WIN32
    ASSERT_EQ(mkfifo(File("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(ReadBatchFile(File("fifo"), error));
    EXPECT_NE(error.find("is not a regular file"), std::string::npos) << error;
    RankHistory history([](const std::string&) {});
    EXPECT_FALSE(history.Load(File("fifo"), error));
#endif
}

TEST(CsvCells, FormulasAreWrittenAsTextAndNumbersAsNumbers) {
    SummaryRecord summary;
    summary.keyword = "-连衣裙";
    summary.target = "\t=1+2";
    summary.outcome = CheckOutcome::Found;
    summary.checkedAt = "\r@x";
    summary.withHistory = true;
    summary.rank = 7;
    summary.change = -2;
    EXPECT_EQ(FormatSummary(OutputFormat::Csv, summary),
              "'-连衣裙,'\t=1+2,1,found,7,,,0,\"'\r@x\",,-2,\r\n");
    summary.keyword = "+k";
    EXPECT_EQ(FormatSummary(OutputFormat::Json, summary).substr(0, 15), "{\"keyword\":\"+k\"");
    EXPECT_EQ(FormatSummary(OutputFormat::Tsv, summary).substr(0, 3), "+k\t");
    // A batch with groups: the line's group last, in csv and json only.
    const std::string tsv = FormatSummary(OutputFormat::Tsv, summary);
    summary.withGroup = true;
    summary.group = "=夏装";
    EXPECT_EQ(FormatSummary(OutputFormat::Tsv, summary), tsv);
    EXPECT_EQ(FormatSummary(OutputFormat::Csv, summary),
              "'+k,'\t=1+2,1,found,7,,,0,\"'\r@x\",,-2,,'=夏装\r\n");
    const std::string grouped = FormatSummary(OutputFormat::Json, summary);
    EXPECT_EQ(grouped.substr(grouped.rfind(',')), ",\"group\":\"=夏装\"}\n") << grouped;
    EXPECT_EQ(
        StreamHeader(OutputFormat::Csv, true, false, false, true),
        "\xEF\xBB\xBFkeyword,target,mode,outcome,rank,total,page,pages_read,checked_at,group\r\n");
    summary.withGroup = false;

    // A row's price in yuan and its sales count come last, as numbers; tsv
    // keeps its six fields.
    RowRecord row{3, "-连衣裙", "店", "￥76.10", "1.2万+人付款", "http://i/item.htm?id=1", 2, "k"};
    EXPECT_EQ(FormatRow(OutputFormat::Csv, row),
              "3,'-连衣裙,店,￥76.10,1.2万+人付款,http://i/item.htm?id=1,2,k,76.1,12000\r\n");
    EXPECT_EQ(
        FormatRow(OutputFormat::Json, row),
        R"({"rank":3,"title":"-连衣裙","seller":"店","price":"￥76.10","sales":"1.2万+人付款",)"
        R"("link":"http://i/item.htm?id=1","page":2,"keyword":"k","price_yuan":76.1,)"
        R"("sales_count":12000})"
        "\n");
    EXPECT_EQ(FormatRow(OutputFormat::Tsv, row),
              "3\t-连衣裙\t店\t￥76.10\t1.2万+人付款\thttp://i/item.htm?id=1\n");
    row.price = "面议";
    row.sales = "-";
    const std::string csv = FormatRow(OutputFormat::Csv, row);
    EXPECT_EQ(csv.substr(csv.find(",面议,")), ",面议,'-,http://i/item.htm?id=1,2,k,,\r\n");
    const std::string json = FormatRow(OutputFormat::Json, row);
    EXPECT_EQ(json.substr(json.find("\"price_yuan\"")),
              "\"price_yuan\":null,\"sales_count\":null}\n");
    EXPECT_EQ(
        StreamHeader(OutputFormat::Csv, false, false),
        "\xEF\xBB\xBFrank,title,seller,price,sales,link,page,keyword,price_yuan,sales_count\r\n");
}

TEST(CliExitStatus, StopOutranksALostRecordWhichOutranksTheWorstCheck) {
    using Outcomes = std::vector<CheckOutcome>;
    const CheckOutcome found = CheckOutcome::Found, rejected = CheckOutcome::FormRejected,
                       failed = CheckOutcome::DownloadFailed;
    const struct {
        Outcomes outcomes;
        bool stopRaised, recordLost;
        int status;
    } cases[] = {
        {{}, false, false, 0},
        {{found, CheckOutcome::NotFound, CheckOutcome::Finished, CheckOutcome::NoItems},
         false,
         false,
         0},
        {{found, rejected}, false, false, 2},
        {{rejected, failed}, false, false, 3},
        {{failed, rejected}, false, false, 3},
        {{found, found}, true, false, 130},  // stopped between two checks
        {{found, CheckOutcome::Stopped}, false, false, 130},
        {{failed}, false, true, 4},
        {{failed}, true, true, 130},
    };
    for (const auto& c : cases) {
        cli::RunEnd end{c.outcomes, c.stopRaised, c.recordLost};
        EXPECT_EQ(cli::BatchExitStatus(end), c.status)
            << c.outcomes.size() << " checks, stop " << c.stopRaised << ", lost " << c.recordLost;
    }
}

}  // namespace
}  // namespace sorvik
