// Where the rank-over-time chart of one line puts each check, its axes and
// their labels, in pixels of a chart of a given size. Free of any GUI, so
// the window draws it and tests check it. Texts are UTF-8, in Simplified
// Chinese; times are labelled in the local time zone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "rank_history.h"

namespace sorvik {

// How a check shows on the chart.
enum class MarkKind {
    Rank,       // ran to its end at a rank: a point at that rank
    NotRanked,  // ran to its end without a rank: a mark in the "未上榜" band
    Failed,     // did not run to its end: a mark on the time axis, never a point
};

struct ChartMark {
    MarkKind kind = MarkKind::Rank;
    double x = 0, y = 0;
    std::size_t check = 0;  // index into the checks laid out
};

struct ChartTick {
    double position = 0;  // y of a rank tick, x of a time tick
    std::string label;
    // Where the label is centred: at the tick, or for a day's date in the
    // middle of that day, so that a check late in the evening reads as its
    // own day and not as the next day's midnight tick beside it.
    double labelPosition = 0;
};

struct ChartLayout {
    // The plot area: rank 1 sits on `top`, the time axis on `bottom`.
    double left = 0, top = 0, right = 0, bottom = 0;
    // One mark per check, in time order; checks whose time is unknown come
    // last, in the order given, in a strip at the right of the plot that
    // the time tick "时间未知" labels.
    std::vector<ChartMark> marks;
    // Where that strip begins, when there are checks of known time beside it.
    std::optional<double> unknownTimeX;
    // Pairs of indexes into `marks` joined by a line: neighbouring ranked
    // checks. The line breaks at a check without a rank, at a failed
    // check, and between checks of known and of unknown time.
    std::vector<std::pair<std::size_t, std::size_t>> segments;
    // The rank at the top of the axis, then steps of 1, 2 or 5 × 10^k. The
    // axis spans the line's own ranks (a line between 26 and 57 reads 20 to
    // 60), with 1 at the top once the best rank is near it.
    std::vector<ChartTick> rankTicks;
    // Local midnights labelled "12-08" (months "2026-12" and years "2026"
    // over long spans), or times "15:00" when the span is short; the start
    // of a year is labelled "2027". With one tick a day, each date is
    // labelled in the middle of its day.
    std::vector<ChartTick> timeTicks;
    std::optional<int> bestRank;   // the best (lowest) rank of a ranked check
    double bestY = 0;              // its y, when there is one
    std::int64_t rankAxisMin = 1;  // the rank at the top of the rank axis
    std::int64_t rankAxisMax = 2;  // the rank at the bottom of the rank axis
    double notRankedY = 0;         // the band of checks that ran to their end without a rank
    double axisY = 0;              // the time axis, where failed checks are marked
    std::string axisCaption;       // above the value axis; empty for ranks
    std::string notRankedLabel = "未上榜";  // of the band at notRankedY
};

// Lays out `checks` on a chart of `width` × `height` pixels. No marks and
// no ticks when there are no checks.
ChartLayout LayoutChart(const std::vector<CheckPoint>& checks, int width, int height);

// What the chart's value axis shows.
enum class ChartValue {
    Rank,         // the rank of the target: better ranks at the top
    ResultCount,  // a keyword-only line (it has no rank): its result count, higher at the top
};
// As above, with the value `value`. For ResultCount, each check that ran to
// its end is a point at its count (a Rank mark), joined as ranks are; one
// whose count is not known sits in the band below, labelled "结果数未知";
// `rankTicks` hold the counts, `axisCaption` is "结果数" and there is no best
// rank.
ChartLayout LayoutChart(const std::vector<CheckPoint>& checks, int width, int height,
                        ChartValue value);

// The check under the mouse at (x, y): that of the mark nearest to x, when
// it is within `radius` pixels of x and y is on the plot (within `radius`
// of it); of marks at the same x, the one nearest to y. None otherwise.
std::optional<std::size_t> MarkNear(const ChartLayout& layout, double x, double y, double radius);

// What the chart shows for a check under the mouse: its local time and its
// result, such as "2026-12-08 15:04  排名 57（第2页）", "2026-12-08 15:04
// 未上榜" or "2026-12-08 15:04  下载失败"; "时间未知" stands for an unknown time.
std::string DescribeCheck(const CheckPoint& check);
// As above; for ResultCount with the check's count when known, such as
// "2026-12-08 15:04  已列完，结果数 4800".
std::string DescribeCheck(const CheckPoint& check, ChartValue value);

}  // namespace sorvik
