// The chart of a keyword-only line: its result count over time. The times,
// marks and joins are laid out as for ranks; the value axis is put on them.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "chart_layout.h"
#include "summary.h"

namespace sorvik {
namespace {

constexpr double kCountTickSpacing = 36;  // pixels between count ticks, at least
constexpr double kCountDigitWidth = 7;
constexpr double kLeastCountMargin = 84;  // "结果数未知"

bool Counted(const CheckPoint& check) {
    return IsCompletedCheck(check.outcome) && check.total >= 0;
}

// The smallest of 1, 2 and 5 × 10^k that is at least `least`.
std::int64_t CountStep(double least) {
    for (std::int64_t power = 1;; power *= 10)
        for (std::int64_t multiple : {1, 2, 5})
            if (static_cast<double>(multiple * power) >= least) return multiple * power;
}

int CountDigits(std::int64_t value) {
    int digits = 1;
    for (; value >= 10; value /= 10) ++digits;
    return digits;
}

}  // namespace

ChartLayout LayoutChart(const std::vector<CheckPoint>& checks, int width, int height,
                        ChartValue value) {
    if (value == ChartValue::Rank) return LayoutChart(checks, width, height);

    // Laid out as ranks, each counted check as a ranked one, so that the
    // times, the joins and the band of checks without a value stay the same.
    std::vector<CheckPoint> placed = checks;
    std::int64_t low = -1, high = 0;
    for (CheckPoint& check : placed) {
        check.rank = Counted(check) ? 1 : 0;
        if (!Counted(check)) continue;
        low = low < 0 ? check.total : std::min<std::int64_t>(low, check.total);
        high = std::max<std::int64_t>(high, check.total);
    }
    ChartLayout layout = LayoutChart(placed, width, height);
    layout.bestRank.reset();
    layout.rankTicks.clear();
    layout.axisCaption = "结果数";
    layout.notRankedLabel = "结果数未知";
    if (low < 0) low = 0;
    // Counts that hardly move are shown in a span of a tenth of their size
    // around them, so that one count is no flat line at the axis' edge.
    const std::int64_t least = std::max<std::int64_t>(4, high / 10);
    if (high - low < least) {
        const std::int64_t pad = (least - (high - low)) / 2 + 1;
        low = std::max<std::int64_t>(0, low - pad);
        high += pad;
    }

    // The count axis: from a multiple of the step at or below the lowest
    // count to one at or above the highest, in whole steps.
    const double valueBottom = layout.notRankedY - (layout.axisY - layout.notRankedY);
    const int intervals =
        std::max(1, static_cast<int>((valueBottom - layout.top) / kCountTickSpacing));
    const std::int64_t step = CountStep(static_cast<double>(high - low) / intervals);
    const std::int64_t axisLow = low / step * step;
    std::int64_t axisHigh = (high + step - 1) / step * step;
    if (axisHigh == axisLow) axisHigh += step;
    layout.rankAxisMin = axisHigh;  // the top
    layout.rankAxisMax = axisLow;   // the bottom
    auto countY = [&](std::int64_t count) {
        return layout.top + static_cast<double>(axisHigh - count) /
                                static_cast<double>(axisHigh - axisLow) *
                                (valueBottom - layout.top);
    };
    for (std::int64_t count = axisHigh; count >= axisLow; count -= step)
        layout.rankTicks.push_back({countY(count), std::to_string(count), countY(count)});
    for (ChartMark& mark : layout.marks)
        if (mark.kind == MarkKind::Rank) mark.y = countY(checks[mark.check].total);

    // A left margin wide enough for the counts' labels: every x moved into
    // the narrower plot alike.
    const double left = std::max(kLeastCountMargin, 16 + kCountDigitWidth * CountDigits(axisHigh));
    if (left > layout.left && layout.right > left) {
        const double from = layout.left, scale = (layout.right - left) / (layout.right - from);
        auto move = [&](double& x) { x = left + (x - from) * scale; };
        for (ChartMark& mark : layout.marks) move(mark.x);
        for (ChartTick& tick : layout.timeTicks) {
            move(tick.position);
            move(tick.labelPosition);
        }
        if (layout.unknownTimeX) move(*layout.unknownTimeX);
        layout.left = left;
    }
    return layout;
}

std::string DescribeCheck(const CheckPoint& check, ChartValue value) {
    std::string text = DescribeCheck(check);
    if (value == ChartValue::ResultCount && Counted(check))
        text += "，结果数 " + std::to_string(check.total);
    return text;
}

}  // namespace sorvik
