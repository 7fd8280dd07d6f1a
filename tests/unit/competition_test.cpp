// The numbers read from a row's price and sales texts, and what two checks
// of a line say about the items above the seller's: the change of each, the
// sentence on why the rank moved, and the rivals across lines.
#include "competition.h"

#include <gtest/gtest.h>

#include <limits>

#include "row_numbers.h"

namespace sorvik {
namespace {

using Fen = std::optional<std::int64_t>;

TEST(RowNumbers, PricesAndSalesAreReadFromTheirTextsAndAnythingElseIsNone) {
    const struct {
        const char* text;
        Fen fen;
    } prices[] = {
        {"￥76.13", 7613},
        {"¥76.13", 7613},
        {"76", 7600},
        {"76.1", 7610},
        {"￥0.05", 5},
        {" ￥ 76.13 ", 7613},
        {"76.13-89.00", 7613},
        {"￥76.13～￥89.00", 7613},
        {"￥1,234.50", 123450},
        {"92233720368547758.07", std::numeric_limits<std::int64_t>::max()},
        {"92233720368547758.08", std::nullopt},
        {"99999999999999999999999999999", std::nullopt},
        {"", std::nullopt},
        {"面议", std::nullopt},
        {"￥", std::nullopt},
        {"abc", std::nullopt},
        {"76.135", std::nullopt},
        {"76,13", std::nullopt},
        {"76元起", std::nullopt},
        {"￥.5", std::nullopt},
    };
    for (const auto& c : prices) EXPECT_EQ(PriceFen(c.text), c.fen) << c.text;

    const struct {
        const char* text;
        Fen count;
    } sales[] = {
        {"最近成交54笔", 54},
        {"最近成交 54 笔", 54},
        {"54人付款", 54},
        {"1.2万+人付款", 12000},
        {"100+人收货", 100},
        {"3万人付款", 30000},
        {"1,234人付款", 1234},
        {"月销 0", 0},
        {"0000000000000000000000000054笔", 54},
        {"922337203685477.5807万人付款", std::numeric_limits<std::int64_t>::max()},
        {"922337203685477.5808万人付款", std::nullopt},
        {"99999999999999999999999999999人付款", std::nullopt},
        {"1.5人付款", std::nullopt},
        {"1.23456万人付款", std::nullopt},
        {"1.2.3人付款", std::nullopt},
        {"12a34笔", std::nullopt},
        {"", std::nullopt},
        {"暂无", std::nullopt},
        {"万+人付款", std::nullopt},
    };
    for (const auto& c : sales) EXPECT_EQ(SalesCount(c.text), c.count) << c.text;

    const std::pair<std::int64_t, const char*> yuan[] = {
        {7613, "76.13"},
        {7610, "76.1"},
        {7600, "76"},
        {5, "0.05"},
        {0, "0"},
        {-150, "-1.5"},
        {std::numeric_limits<std::int64_t>::min(), "-92233720368547758.08"},
    };
    for (const auto& [fen, text] : yuan) EXPECT_EQ(YuanText(fen), text) << fen;
    // As the window and the sentences show a price: its fen whole.
    EXPECT_EQ(PriceShown(51920), "￥519.20");
    EXPECT_EQ(PriceShown(7613), "￥76.13");
    EXPECT_EQ(PriceShown(6900), "￥69");
}

SeenRow Row(std::int32_t rank, const std::string& id, const std::string& seller, Fen fen,
            Fen sales = std::nullopt, std::int32_t page = 1) {
    SeenRow row;
    row.rank = rank;
    row.page = page;
    row.itemId = id;
    row.seller = seller;
    row.link = "http://i/item.htm?id=" + id;
    row.priceFen = fen;
    row.sales = sales;
    return row;
}

StoredCheck Check(CheckOutcome outcome, std::vector<SeenRow> rows, std::int32_t mode = 2,
                  std::string keyword = "连衣裙", std::string target = "我的店",
                  std::time_t at = 0) {
    StoredCheck check;
    check.keyword = std::move(keyword);
    check.target = mode == 1 ? std::string() : std::move(target);
    check.mode = mode;
    check.checkedAt = at;
    check.outcome = outcome;
    if (outcome == CheckOutcome::Found) check.rank = rows.back().rank;
    check.rows = std::move(rows);
    return check;
}

std::vector<std::string> IdsAbove(const StoredCheck& check) {
    std::vector<std::string> ids;
    for (const SeenRow* row : RowsAbove(check)) ids.push_back(row->itemId);
    return ids;
}

TEST(Competition, ItemsAboveAreComparedWithThePreviousCheckByTheirIds) {
    using O = CheckOutcome;
    using Ids = std::vector<std::string>;
    const StoredCheck previous =
        Check(O::Found,
              {Row(1, "a", "甲", 10000, 10), Row(2, "b", "乙", 8000, 5), Row(3, "c", "丙", 7000),
               Row(4, "d", "丁", std::nullopt), Row(5, "me", "我的店", 7900)});
    const StoredCheck check =
        Check(O::Found, {Row(1, "b", "乙", 6800, 17), Row(2, "a", "甲", 10000, 10),
                         Row(3, "e", "戊", 6900), Row(4, "me", "我的店", 6900)});

    EXPECT_EQ(IdsAbove(check), (Ids{"b", "a", "e"}));
    ASSERT_NE(OwnRow(check), nullptr);
    EXPECT_EQ(OwnRow(check)->itemId, "me");
    // Not found: every row read ranks above; a keyword-only line: page 1;
    // a failed check: nothing.
    EXPECT_EQ(IdsAbove(Check(O::NotFound, previous.rows)), (Ids{"a", "b", "c", "d", "me"}));
    EXPECT_EQ(OwnRow(Check(O::NotFound, previous.rows)), nullptr);
    EXPECT_EQ(IdsAbove(Check(O::Finished, {Row(1, "a", "甲", 1), Row(2, "b", "乙", 1, {}, 2)}, 1)),
              Ids{"a"});
    EXPECT_TRUE(IdsAbove(Check(O::DownloadFailed, previous.rows)).empty());
    EXPECT_TRUE(IdsAbove(Check(O::Stopped, previous.rows)).empty());

    const std::vector<CompetitorRow> rows = CompetitionOf(check, &previous);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(ChangeText(rows[0]), "↑1 降价15% +12笔");
    EXPECT_EQ(ChangeText(rows[1]), "↓1");
    EXPECT_EQ(ChangeText(rows[2]), "新");
    EXPECT_FALSE(rows[0].isNew);
    EXPECT_EQ(rows[1].salesGained, 0);
    EXPECT_FALSE(rows[2].rankChange);
    // Without a previous check nothing is new and nothing changed.
    for (const CompetitorRow& row : CompetitionOf(check, nullptr))
        EXPECT_EQ(ChangeText(row), "") << row.row.itemId;
}

TEST(Competition, TheSentenceSaysOnlyWhatTheRowsOfBothChecksShow) {
    using O = CheckOutcome;
    const std::vector<SeenRow> before = {Row(1, "a", "甲", 10000), Row(2, "b", "乙", 8000),
                                         Row(3, "c", "丙", 7000), Row(4, "d", "丁", std::nullopt),
                                         Row(5, "me", "我的店", 7900)};
    const std::vector<SeenRow> now = {Row(1, "b", "乙", 6800), Row(2, "a", "甲", 10000),
                                      Row(3, "e", "戊", 6900), Row(4, "me", "我的店", 6900)};
    std::vector<SeenRow> cuts = now;  // a, b and e were above at higher prices
    cuts[0].priceFen = 8000;          // 15%
    cuts[1].priceFen = 12500;         // 20%
    cuts[2].priceFen = 6935;          // 0.5%: no cut worth a word
    std::vector<SeenRow> priceLost = now;
    priceLost[0].priceFen.reset();
    priceLost[3].priceFen.reset();
    std::vector<SeenRow> sixAbove;
    for (std::int32_t rank = 1; rank <= 6; ++rank) {
        const std::int64_t fen = rank == 1 ? 100 : rank == 6 ? 9000 : rank * 1000;
        sixAbove.push_back(Row(rank, std::string(1, static_cast<char>('k' + rank)), "乙", fen));
    }
    std::vector<SeenRow> sixAboveBefore = sixAbove;
    sixAboveBefore[0].itemId = "gone";
    sixAbove.push_back(Row(7, "me", "我的店", 7900));
    sixAboveBefore.push_back(sixAbove.back());

    const struct {
        StoredCheck check, previous;
        const char* sentence;
    } cases[] = {
        {Check(O::Found, now), Check(O::Found, before),
         "比上次：1 个新宝贝排到你前面；1 个降价 15%；2 个被你超过；"
         "你前面 3 名的价格中位数 ￥69（你 ￥69）；你的价格 ￥79→￥69"},
        {Check(O::Found, now), Check(O::Found, cuts),
         "比上次：2 个降价，最多 20%；你前面 3 名的价格中位数 ￥69（你 ￥69）"},
        // The five right above, not the first five nor all six.
        {Check(O::Found, sixAbove), Check(O::Found, sixAboveBefore),
         "比上次：1 个新宝贝排到你前面；1 个被你超过；你前面 5 名的价格中位数 ￥40（你 ￥79）"},
        // An even count's median lies between two; no own price, no own part.
        {Check(O::Found, {Row(1, "a", "甲", 5000), Row(2, "b", "乙", 6000),
                          Row(3, "me", "我的店", std::nullopt)}),
         Check(O::Found, {Row(1, "b", "乙", 6000), Row(2, "me", "我的店", 7900)}),
         "比上次：1 个新宝贝排到你前面；你前面 2 名的价格中位数 ￥55"},
        // A price unknown on either side is no change of price.
        {Check(O::Found, priceLost), Check(O::Found, now), "比上次：你前面的宝贝没有变化"},
        {Check(O::Found, now), Check(O::Found, priceLost), "比上次：你前面的宝贝没有变化"},
        // Not found now: everything read ranks above, and no one was passed.
        {Check(O::NotFound, {Row(1, "b", "乙", 8000), Row(2, "x", "己", 100)}),
         Check(O::Found, before), "比上次：1 个新宝贝排到你前面"},
        {Check(O::Finished,
               {Row(1, "a", "甲", 1), Row(2, "x", "己", 1), Row(3, "y", "庚", 1),
                Row(4, "b", "乙", 1, {}, 2)},
               1),
         Check(O::Finished,
               {Row(1, "a", "甲", 1), Row(2, "b", "乙", 1), Row(3, "y", "庚", 1, {}, 2)}, 1),
         "比上次：第1页有 2 个新宝贝"},
        {Check(O::Finished, now, 1), Check(O::Finished, now, 1), "比上次：第1页的宝贝没有变化"},
        {Check(O::DownloadFailed, now), Check(O::Found, before), ""},
        {Check(O::Found, now), Check(O::Stopped, before), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExplainMove(c.check, &c.previous), c.sentence) << c.sentence;
    EXPECT_EQ(ExplainMove(Check(O::Found, now), nullptr), "");
}

TEST(Competition, RivalsAreCountedOncePerCheckAcrossLinesAndOwnSellersAreNone) {
    using O = CheckOutcome;
    constexpr std::time_t kDay = 86400, kStart = 1796000000;
    const auto day = [&](int n) { return kStart + n * kDay; };
    const std::string link = "http://i/item.htm?id=m";
    const std::vector<StoredCheck> checks = {
        Check(O::Found, {Row(1, "x1", "sX", 1), Row(2, "y1", "sY", 1), Row(3, "me", "我的店", 1)},
              2, "连衣裙", "我的店", day(1)),
        Check(O::Found, {Row(1, "x1", "sX", 1), Row(2, "me", "我的店", 1)}, 2, "连衣裙", "我的店",
              day(2)),
        // The seller of a found item is the user's own too.
        Check(O::Found,
              {Row(1, "y1", "sY", 1), Row(2, "y2", "sY", 1), Row(3, "a1", "sA", 1),
               Row(4, "m", "自家", 1)},
              3, "毛衣", link, day(6)),
        Check(O::NotFound,
              {Row(1, "x1", "sX", 1), Row(2, "me", "我的店", 1), Row(3, "m2", "自家", 1),
               Row(4, "z1", "sZ", 1, {}, 2)},
              3, "毛衣", link, day(7)),
        // Not counted: a failed check, a keyword-only line, outside the period.
        Check(O::DownloadFailed, {Row(1, "w1", "sW", 1)}, 2, "连衣裙", "我的店", day(8)),
        Check(O::Finished, {Row(1, "w1", "sW", 1)}, 1, "裙", "", day(8)),
        Check(O::NotFound, {Row(1, "w1", "sW", 1)}, 2, "连衣裙", "我的店", day(10)),
        Check(O::NotFound, {Row(1, "w1", "sW", 1)}, 2, "连衣裙", "我的店", day(0) - 1),
    };
    const std::vector<Rival> rivals = RivalsOf(checks, day(0), day(10));
    ASSERT_EQ(rivals.size(), 4u);
    const struct {
        const char* seller;
        std::int32_t times, lines, best;
        double trend;  // the later two checks' share above less the earlier two's
        double share;  // of the 12 page-1 rows of the four checks counted
    } expected[] = {
        {"sX", 3, 2, 1, -0.5, 3.0 / 12},
        {"sY", 2, 2, 1, 0, 3.0 / 12},
        {"sA", 1, 1, 3, 0.5, 1.0 / 12},
        {"sZ", 1, 1, 4, 0.5, 0},
    };
    for (std::size_t i = 0; i < rivals.size(); ++i) {
        const Rival& r = rivals[i];
        const auto& e = expected[i];
        EXPECT_EQ(r.seller, e.seller) << i;
        EXPECT_EQ(r.timesAbove, e.times) << e.seller;
        EXPECT_EQ(r.lines, e.lines) << e.seller;
        EXPECT_EQ(r.bestRank, e.best) << e.seller;
        EXPECT_DOUBLE_EQ(r.trend, e.trend) << e.seller;
        EXPECT_DOUBLE_EQ(r.page1Share, e.share) << e.seller;
    }
    EXPECT_TRUE(RivalsOf(checks, day(9), day(10)).empty());
    EXPECT_EQ(TrendText(rivals[0].trend), "下降");
    EXPECT_EQ(TrendText(rivals[1].trend), "持平");
    EXPECT_EQ(TrendText(rivals[2].trend), "上升");
}

}  // namespace
}  // namespace sorvik
