// The tracker window's exports: the table's Chinese captions and words,
// local times, and cells a spreadsheet shows as text.
#include "window_export.h"

#include <gtest/gtest.h>

#include <fstream>

#include "local_time.h"
#include "test_environment.h"

namespace sorvik {
namespace {

TEST(WindowExport, SpeaksTheTablesLanguageInLocalTime) {
    SetEnv("TZ", "CST-8");
    const std::filesystem::path dir = MakeTempDirectory("sorvik-export");
    const std::filesystem::path history = dir / "history.jsonl";
    std::ofstream(history)
        << R"({"keyword":"连衣裙","target":"=1+2店","mode":2,"outcome":"found","rank":5,)"
           R"("total":4400,"page":1,"pages_read":1,"checked_at":"2026-12-08T07:04:05+00:00"})"
        << "\n"
        << R"({"keyword":"毛衣","target":null,"mode":1,"outcome":"download_failed","rank":null,)"
           R"("total":null,"page":null,"pages_read":0,"checked_at":"2026-12-08T15:10:00+08:00"})"
        << "\n";
    // Each record in the group of the list line with its keyword and target.
    const std::vector<BatchLine> list = {{0, "连衣裙", "1号店", "", "春装"},
                                         {0, "毛衣", "", "", "冬装"},
                                         {0, "连衣裙", "=1+2店", "", "夏装"}};
    // Each record with the note on its line and check: not one on another
    // line's check at the same time, nor one on another check of its line.
    const std::int64_t first = ParseTimestamp("2026-12-08T07:04:05+00:00").value();
    const std::vector<LineNote> notes = {
        {{"连衣裙", std::string("=1+2店")}, first, "改价 79→69", 1},
        {{"连衣裙", std::string("1号店")}, first, "别的行", 1},
        {{"毛衣", std::nullopt}, first, "别的检查", 1}};
    std::string csv, error;
    ASSERT_TRUE(HistoryAsTable(history.u8string(), list, csv, error, notes)) << error;
    EXPECT_EQ(Lines(csv), (std::vector<std::string>{
                              "\xEF\xBB\xBF检查时间,关键词,目标,方式,分组,结果,排名,页,变化,最佳,"
                              "结果数,已读页数,备注\r",
                              "2026-12-08 15:04,连衣裙,'=1+2店,用户名,夏装,找到,5,1,新,5,4400,1,"
                              "改价 79→69\r",
                              "2026-12-08 15:10,毛衣,,关键词,冬装,下载失败,,,,,,0,\r"}));
    ASSERT_TRUE(HistoryAsTable(history.u8string(), {}, csv, error)) << error;
    EXPECT_EQ(Lines(csv).at(2), "2026-12-08 15:10,毛衣,,关键词,,下载失败,,,,,,0,\r");

    // The table as shown, its time in local time; an unread time as it is.
    BatchLine line{1, "连衣裙", "@SUM(1 2)店", "", "夏装"};
    TableRow row = DescribeLine(line, nullptr);
    const std::string table = TableAsCsv({row, row}, {"2026-12-08T07:04:05+00:00", "昨天"});
    const std::vector<std::string> lines = Lines(table);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "\xEF\xBB\xBF关键词,目标,方式,分组,排名,页,变化,最佳,上次检查,结果\r");
    EXPECT_EQ(lines[1], "连衣裙,'@SUM(1 2)店,用户名,夏装,,,,,2026-12-08 15:04,未检查\r");
    EXPECT_EQ(lines[2], "连衣裙,'@SUM(1 2)店,用户名,夏装,,,,,昨天,未检查\r");

    EXPECT_EQ(DatedFileName("排名", 1796086800), "排名_2026-12-01.csv");
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace sorvik
