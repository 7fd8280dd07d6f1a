// The rank chart's layout: where each check, the axes and their labels go.
#include "chart_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "test_environment.h"

namespace sorvik {
namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kFirst = 1796086800;  // 2026-12-01 09:00 in UTC+8

CheckPoint Check(std::int64_t when, CheckOutcome outcome, int rank = 0, int page = 0) {
    CheckPoint check;
    check.when = when;
    check.outcome = outcome;
    check.rank = rank;
    check.page = page;
    return check;
}

TEST(ChartLayout, PlacesRanksFailuresAndLabelsAsTheChartShowsThem) {
    SetEnv("TZ", "CST-8");
    using O = CheckOutcome;
    // Given out of time order; the check of unknown time goes last.
    const std::vector<CheckPoint> checks = {
        Check(kFirst + kDay, O::Found, 1, 1),          // 0
        Check(kFirst, O::Found, 10, 1),                // 1
        Check(0, O::Found, 2, 1),                      // 2
        Check(kFirst + 2 * kDay, O::DownloadFailed),   // 3
        Check(kFirst + 3 * kDay, O::Found, 3, 1),      // 4
        Check(kFirst + 4 * kDay, O::NotFound, 0, 10),  // 5
        Check(kFirst + 5 * kDay, O::Found, 57, 2),     // 6
        Check(kFirst + 6 * kDay, O::Found, 20, 1),     // 7
    };
    const ChartLayout layout = LayoutChart(checks, 800, 300);
    ASSERT_EQ(layout.marks.size(), checks.size());
    std::vector<std::size_t> order;
    for (const ChartMark& mark : layout.marks) order.push_back(mark.check);
    EXPECT_EQ(order, (std::vector<std::size_t>{1, 0, 3, 4, 5, 6, 7, 2}));
    const auto& m = layout.marks;
    for (std::size_t i = 1; i < m.size(); ++i) EXPECT_LT(m[i - 1].x, m[i].x) << i;
    EXPECT_GE(m.front().x, layout.left);
    EXPECT_LE(m.back().x, layout.right);

    // Rank 1 at the top, above 10; the worst rank above the not-ranked band,
    // and that above the axis, where the failed check is marked.
    EXPECT_EQ(m[1].y, layout.top);
    EXPECT_LT(m[1].y, m[0].y);
    EXPECT_LT(m[5].y, layout.notRankedY);
    EXPECT_LT(layout.notRankedY, layout.axisY);
    EXPECT_EQ(m[2].kind, MarkKind::Failed);
    EXPECT_EQ(m[2].y, layout.axisY);
    EXPECT_EQ(m[4].kind, MarkKind::NotRanked);
    EXPECT_EQ(m[4].y, layout.notRankedY);
    // The line joins neighbouring ranked checks only: not across the failed
    // check, the not-ranked one, or into the check of unknown time.
    EXPECT_EQ(layout.segments, (std::vector<std::pair<std::size_t, std::size_t>>{{0, 1}, {5, 6}}));
    EXPECT_EQ(layout.bestRank, 1);
    EXPECT_EQ(layout.bestY, m[1].y);

    // Ranks from 1 down to a nice rank covering 57; dates at local
    // midnights, the axis from the first check's day: the second day's
    // between the first two checks.
    EXPECT_GE(layout.rankAxisMax, 57);
    ASSERT_GE(layout.rankTicks.size(), 3u);
    EXPECT_EQ(layout.rankTicks.front().label, "1");
    EXPECT_EQ(layout.rankTicks.back().label, std::to_string(layout.rankAxisMax));
    EXPECT_LT(layout.rankTicks.back().position, layout.notRankedY);
    ASSERT_GE(layout.timeTicks.size(), 3u);
    EXPECT_EQ(layout.timeTicks.front().label, "12-01");
    EXPECT_LT(layout.timeTicks.front().position, m[0].x);
    EXPECT_EQ(layout.timeTicks[1].label, "12-02");
    EXPECT_GT(layout.timeTicks[1].position, m[0].x);
    EXPECT_LT(layout.timeTicks[1].position, m[1].x);
    EXPECT_EQ(layout.timeTicks.back().label, "时间未知");
    ASSERT_TRUE(layout.unknownTimeX);
    EXPECT_GT(*layout.unknownTimeX, m[6].x);
    EXPECT_LT(*layout.unknownTimeX, m[7].x);

    // The check under the mouse: the nearest in x within the radius, on the
    // plot only.
    EXPECT_EQ(MarkNear(layout, m[4].x + 3, layout.top, 6), 5u);
    EXPECT_EQ(MarkNear(layout, (m[4].x + m[5].x) / 2, m[4].y, 6), std::nullopt);
    EXPECT_EQ(MarkNear(layout, m[4].x, layout.axisY + 40, 6), std::nullopt);

    EXPECT_EQ(DescribeCheck(checks[6]), "2026-12-06 09:00  排名 57（第2页）");
    EXPECT_EQ(DescribeCheck(checks[5]), "2026-12-05 09:00  未上榜");
    EXPECT_EQ(DescribeCheck(checks[3]), "2026-12-03 09:00  下载失败");
    EXPECT_EQ(DescribeCheck(checks[2]), "时间未知  排名 2（第1页）");

    // One check, or checks at one instant, sit in the middle, with times
    // around them; a time at the end of the range too.
    for (std::size_t count : {1u, 2u}) {
        const ChartLayout lone = LayoutChart(std::vector<CheckPoint>(count, checks[0]), 600, 240);
        ASSERT_EQ(lone.marks.size(), count);
        EXPECT_NEAR(lone.marks.back().x, (lone.left + lone.right) / 2, 0.5);
        ASSERT_FALSE(lone.timeTicks.empty());
        EXPECT_EQ(lone.timeTicks.front().label.size(), 5u) << lone.timeTicks.front().label;
    }
    const ChartLayout last =
        LayoutChart({Check(std::numeric_limits<std::int64_t>::max(), O::Found, 1, 1)}, 600, 240);
    EXPECT_NEAR(last.marks.at(0).x, (last.left + last.right) / 2, 0.5);

    // A year of daily checks, and a window too small to hold a chart.
    std::vector<CheckPoint> year;
    for (int day = 0; day < 365; ++day)
        year.push_back(day % 9 == 4   ? Check(kFirst + day * kDay, O::Stopped)
                       : day % 7 == 3 ? Check(kFirst + day * kDay, O::NotFound)
                                      : Check(kFirst + day * kDay, O::Found, 1 + day % 40, 1));
    const ChartLayout full = LayoutChart(year, 700, 260);
    ASSERT_EQ(full.marks.size(), 365u);
    for (std::size_t i = 1; i < full.marks.size(); ++i)
        ASSERT_LT(full.marks[i - 1].x, full.marks[i].x) << i;
    EXPECT_LE(full.marks.back().x, full.right);
    EXPECT_GT(full.segments.size(), 200u);
    ASSERT_GE(full.timeTicks.size(), 3u);
    EXPECT_LE(full.timeTicks.size(), 13u);
    for (std::size_t i = 1; i < full.timeTicks.size(); ++i)
        EXPECT_LT(full.timeTicks[i - 1].position, full.timeTicks[i].position);
    // Dates, and the new year named where it begins.
    EXPECT_EQ(full.timeTicks.front().label, "2027");
    EXPECT_EQ(full.timeTicks[1].label.size(), 5u);
    const ChartLayout tiny = LayoutChart(year, 5, 5);
    EXPECT_LT(tiny.left, tiny.right);
    EXPECT_LT(tiny.top, tiny.bottom);
    EXPECT_EQ(tiny.marks.size(), 365u);
}

TEST(ChartLayout, AKeywordOnlyLineIsChartedByItsResultCountHigherAtTheTop) {
    SetEnv("TZ", "CST-8");
    using O = CheckOutcome;
    auto counted = [](std::int64_t when, O outcome, int total) {
        CheckPoint check = Check(when, outcome);
        check.total = total;
        return check;
    };
    const std::vector<CheckPoint> checks = {
        counted(kFirst, O::Finished, 4800),                 // 0
        counted(kFirst + kDay, O::Finished, 123456),        // 1
        counted(kFirst + 2 * kDay, O::DownloadFailed, -1),  // 2
        counted(kFirst + 3 * kDay, O::Finished, -1),        // 3: count not known
        counted(kFirst + 4 * kDay, O::NoItems, 0),          // 4
    };
    const ChartLayout ranks = LayoutChart(checks, 800, 300);
    const ChartLayout layout = LayoutChart(checks, 800, 300, ChartValue::ResultCount);
    EXPECT_EQ(ranks.axisCaption, "");
    EXPECT_EQ(layout.axisCaption, "结果数");
    EXPECT_EQ(layout.notRankedLabel, "结果数未知");
    EXPECT_FALSE(layout.bestRank);
    ASSERT_EQ(layout.marks.size(), checks.size());
    const auto& m = layout.marks;
    // Every check at its time, in order, right of the labels of six digits.
    for (std::size_t i = 1; i < m.size(); ++i) EXPECT_LT(m[i - 1].x, m[i].x) << i;
    EXPECT_GE(layout.left, 16 + 7 * 6);
    EXPECT_GT(m[0].x, layout.left);
    for (const ChartTick& tick : layout.timeTicks) EXPECT_GE(tick.position, layout.left);
    // The higher count above the lower, 0 at the bottom of the axis above the
    // band; an unknown count in the band, a failed check on the time axis.
    EXPECT_EQ(m[1].kind, MarkKind::Rank);
    EXPECT_LT(m[1].y, m[0].y);
    EXPECT_LT(m[0].y, m[4].y);
    EXPECT_GE(m[1].y, layout.top);
    EXPECT_LT(m[4].y, layout.notRankedY);
    EXPECT_EQ(m[3].kind, MarkKind::NotRanked);
    EXPECT_EQ(m[3].y, layout.notRankedY);
    EXPECT_EQ(m[2].y, layout.axisY);
    // Ticks from the top count down, and a point sits where its count reads.
    ASSERT_GE(layout.rankTicks.size(), 2u);
    EXPECT_EQ(layout.rankTicks.front().position, layout.top);
    EXPECT_GE(std::stoll(layout.rankTicks.front().label), 123456);
    EXPECT_EQ(layout.rankTicks.back().label, "0");
    EXPECT_DOUBLE_EQ(layout.rankTicks.back().position, m[4].y);
    const ChartTick &top = layout.rankTicks.front(), &bottom = layout.rankTicks.back();
    const double at4800 = bottom.position + (top.position - bottom.position) * 4800 /
                                                static_cast<double>(std::stoll(top.label));
    EXPECT_NEAR(m[0].y, at4800, 0.01);
    EXPECT_EQ(layout.segments, (std::vector<std::pair<std::size_t, std::size_t>>{{0, 1}}));
    EXPECT_EQ(DescribeCheck(checks[0], ChartValue::ResultCount),
              "2026-12-01 09:00  已列完，结果数 4800");
    EXPECT_EQ(DescribeCheck(checks[3], ChartValue::ResultCount), "2026-12-04 09:00  已列完");
    EXPECT_EQ(DescribeCheck(checks[0], ChartValue::Rank), "2026-12-01 09:00  已列完");
    // One count alone stands inside its axis, not on its edge.
    const ChartLayout lone = LayoutChart({checks[0]}, 800, 300, ChartValue::ResultCount);
    ASSERT_EQ(lone.marks.size(), 1u);
    EXPECT_GT(lone.marks[0].y, lone.rankTicks.front().position);
    EXPECT_LT(lone.marks[0].y, lone.rankTicks.back().position);
}

TEST(ChartLayout, FitsTheRankAxisToTheLineAndLabelsEachDayInItsMiddle) {
    SetEnv("TZ", "CST-8");
    using O = CheckOutcome;
    // Daily checks late in the evening (22:52), ranks between 26 and 57.
    constexpr std::int64_t kEvening = kFirst + 13 * 3600 + 52 * 60;
    std::vector<CheckPoint> checks;
    for (int day = 0; day < 6; ++day)
        checks.push_back(Check(kEvening + day * kDay, O::Found, day % 2 ? 57 - day : 26 + day, 1));
    const ChartLayout layout = LayoutChart(checks, 800, 300);
    // The axis spans the line's ranks, not 1 to 100: the best and the worst
    // rank lie far apart on it.
    EXPECT_GT(layout.rankAxisMin, 1);
    EXPECT_LE(layout.rankAxisMin, 26);
    EXPECT_GE(layout.rankAxisMax, 56);
    EXPECT_LT(layout.rankAxisMax, 80);
    EXPECT_EQ(layout.rankTicks.front().label, std::to_string(layout.rankAxisMin));
    EXPECT_EQ(layout.rankTicks.front().position, layout.top);
    const auto& m = layout.marks;
    ASSERT_EQ(m.size(), 6u);
    EXPECT_LT(m[0].y, m[1].y);  // 26 above 56
    EXPECT_GT(m[1].y - m[0].y, (layout.notRankedY - layout.top) / 2);
    // The date of each day is labelled in the middle of its day, so the
    // label nearest to a 22:52 check is its own day's, not the next
    // midnight's beside it.
    ASSERT_GE(layout.timeTicks.size(), 5u);
    for (std::size_t i = 0; i + 1 < m.size(); ++i) {
        const ChartTick* nearest = nullptr;
        for (const ChartTick& tick : layout.timeTicks)
            if (!nearest ||
                std::abs(tick.labelPosition - m[i].x) < std::abs(nearest->labelPosition - m[i].x))
                nearest = &tick;
        EXPECT_EQ(nearest->label, "12-0" + std::to_string(i + 1)) << i;
        // The point itself stands at its time: just before the next midnight.
        const auto next = std::find_if(layout.timeTicks.begin(), layout.timeTicks.end(),
                                       [&](const ChartTick& t) { return t.position > m[i].x; });
        ASSERT_NE(next, layout.timeTicks.end());
        EXPECT_LT(next->position - m[i].x, (m[i + 1].x - m[i].x) / 10);
    }
    // Best rank 1 keeps 1 at the top.
    checks[2].rank = 1;
    EXPECT_EQ(LayoutChart(checks, 800, 300).rankAxisMin, 1);

    // Ten days in a chart as narrow as the window's default gives it: a
    // date every few days, apart enough to read, no hours between them;
    // the checks start a little later each day, as a batch does.
    for (int day = 6; day < 10; ++day)
        checks.push_back(Check(kEvening + day * (kDay + 5), O::Found, 30, 1));
    std::vector<double> dates;
    for (const ChartTick& tick : LayoutChart(checks, 300, 300).timeTicks) {
        if (tick.label.empty()) continue;
        EXPECT_EQ(tick.label.find(':'), std::string::npos) << tick.label;
        dates.push_back(tick.labelPosition);
    }
    EXPECT_GE(dates.size(), 3u);
    for (std::size_t i = 1; i < dates.size(); ++i) EXPECT_GE(dates[i] - dates[i - 1], 45) << i;
}

}  // namespace
}  // namespace sorvik
