#include "chart_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <ctime>

#include "local_time.h"
#include "summary.h"
#include "tracker_table.h"

namespace sorvik {
namespace {

// Margins around the plot area, with room for labels of a 9-point font:
// rank labels at the left, the best rank's label above, time labels below.
constexpr double kMarginTop = 20;
constexpr double kMarginRight = 20;
constexpr double kMarginBottom = 28;
constexpr double kMinMarginLeft = 52;  // "未上榜"
constexpr double kDigitWidth = 7;
// Marks keep this far inside the plot's sides, off the rank axis.
constexpr double kInset = 10;
// Least room between neighbouring labels.
constexpr double kRankTickSpacing = 36;
constexpr double kTimeTickSpacing = 56;  // "12-07" and a gap
// The least width of the strip of checks of unknown time.
constexpr double kLeastUnknownStrip = 90;
// A check whose time is alone on the axis sits in the middle of this span.
constexpr double kLonePadding = 3600;
// The rank axis reaches at least this rank, so one rank is no flat line.
constexpr std::int64_t kLeastRankAxis = 5;

bool IsRanked(const CheckPoint& check) {
    return IsCompletedCheck(check.outcome) && check.rank > 0;
}

MarkKind KindOf(const CheckPoint& check) {
    if (!IsCompletedCheck(check.outcome)) return MarkKind::Failed;
    return check.rank > 0 ? MarkKind::Rank : MarkKind::NotRanked;
}

// The smallest of 1, 2 and 5 × 10^k that is at least `least`.
std::int64_t NiceStep(double least) {
    for (std::int64_t power = 1;; power *= 10)
        for (std::int64_t multiple : {1, 2, 5})
            if (static_cast<double>(multiple * power) >= least) return multiple * power;
}

int Digits(std::int64_t value) {
    int digits = 1;
    for (; value >= 10; value /= 10) ++digits;
    return digits;
}

// How far apart time ticks are: a number of seconds, days, months or years.
enum class TimeUnit { Second, Day, Month, Year };
struct TimeStep {
    TimeUnit unit;
    int count;
    double Seconds() const {
        switch (unit) {
            case TimeUnit::Second:
                return count;
            case TimeUnit::Day:
                return count * 86400.0;
            case TimeUnit::Month:
                return count * 30.44 * 86400.0;
            case TimeUnit::Year:
                break;
        }
        return count * 365.25 * 86400.0;
    }
};

// The smallest step that puts at most `most` ticks on `span` seconds.
std::optional<TimeStep> ChooseTimeStep(double span, double most) {
    static const TimeStep kSteps[] = {
        {TimeUnit::Second, 60},    {TimeUnit::Second, 120},   {TimeUnit::Second, 300},
        {TimeUnit::Second, 600},   {TimeUnit::Second, 900},   {TimeUnit::Second, 1800},
        {TimeUnit::Second, 3600},  {TimeUnit::Second, 7200},  {TimeUnit::Second, 10800},
        {TimeUnit::Second, 21600}, {TimeUnit::Second, 43200}, {TimeUnit::Day, 1},
        {TimeUnit::Day, 2},        {TimeUnit::Day, 3},        {TimeUnit::Day, 7},
        {TimeUnit::Day, 14},       {TimeUnit::Month, 1},      {TimeUnit::Month, 2},
        {TimeUnit::Month, 3},      {TimeUnit::Month, 6},      {TimeUnit::Year, 1},
        {TimeUnit::Year, 2},       {TimeUnit::Year, 5},       {TimeUnit::Year, 10},
        {TimeUnit::Year, 20},      {TimeUnit::Year, 50},      {TimeUnit::Year, 100},
        {TimeUnit::Year, 1000}};
    // Checks spread over days are read by their dates: hours between the
    // dates only crowd the axis.
    constexpr double kDaysSpan = 2 * 86400.0;
    for (const TimeStep& step : kSteps) {
        if (span >= kDaysSpan && step.unit == TimeUnit::Second) continue;
        if (span / step.Seconds() <= most) return step;
    }
    return std::nullopt;
}

std::string Format(const std::tm& local, const char* format) {
    char text[32];
    return std::string(text, std::strftime(text, sizeof text, format, &local));
}

std::string FormatLocal(std::time_t when, const char* format) {
    std::tm local{};
    return ToLocalTime(when, local) ? Format(local, format) : std::string();
}

// The moment of local midnight starting a calendar day (month and day may
// run past their ends: mktime carries them over); -1 when there is none.
// mktime is safe to call from any thread, as localtime_r is.
std::time_t LocalMidnight(int year, int month, int day) {
    std::tm local{};
    local.tm_year = year;
    local.tm_mon = month;
    local.tm_mday = day;
    local.tm_isdst = -1;  // whatever daylight saving time holds on that day
    return std::mktime(&local);
}

// The time ticks from `from` to `to`, on local clock times that are whole
// multiples of `step`; `at` gives a tick's x.
template <typename Place>
void AddTimeTicks(ChartLayout& layout, std::time_t from, std::time_t to, TimeStep step, Place at) {
    std::tm first{};
    if (!ToLocalTime(from, first)) return;
    // No more ticks than the step allows on the span; the bound only keeps a
    // clock that misbehaves from looping.
    constexpr int kMostTicks = 200;
    auto add = [&](std::time_t when, const char* format) {
        std::tm local{};
        if (!ToLocalTime(when, local)) return;
        // The start of a year is labelled with the year, so that the dates
        // on either side of it read right.
        if (local.tm_mon == 0 && local.tm_mday == 1 && local.tm_hour == 0 && local.tm_min == 0)
            format = "%Y";
        const double x = at(when);
        layout.timeTicks.push_back({x, Format(local, format), x});
    };
    switch (step.unit) {
        case TimeUnit::Second: {
            const std::int64_t ofDay = first.tm_hour * 3600 + first.tm_min * 60 + first.tm_sec;
            std::time_t when =
                from + static_cast<std::time_t>((step.count - ofDay % step.count) % step.count);
            for (int i = 0; i < kMostTicks && when <= to; ++i, when += step.count) {
                std::tm local{};
                if (!ToLocalTime(when, local)) return;
                // A short span crossing midnight shows the new day's date.
                add(when, local.tm_hour == 0 && local.tm_min == 0 ? "%m-%d" : "%H:%M");
            }
            return;
        }
        case TimeUnit::Day: {
            int day = first.tm_mday;
            for (int i = 0; i < kMostTicks; ++i, day += step.count) {
                const std::time_t when = LocalMidnight(first.tm_year, first.tm_mon, day);
                if (when == -1 || when > to) return;
                if (when < from) continue;
                add(when, "%m-%d");
                // One tick a day: the date names the day that starts at
                // the tick, so it stands in the middle of that day.
                // A midnight that ends the axis starts no day on it.
                const std::time_t next = LocalMidnight(first.tm_year, first.tm_mon, day + 1);
                ChartTick& tick = layout.timeTicks.back();
                if (step.count != 1 || next == -1 || tick.label.size() != 5) continue;
                if (when == to)
                    tick.label.clear();
                else
                    tick.labelPosition = (at(when) + at(std::min(next, to))) / 2;
            }
            return;
        }
        case TimeUnit::Month: {
            int month = first.tm_mon - first.tm_mon % step.count;
            for (int i = 0; i < kMostTicks; ++i, month += step.count) {
                const std::time_t when = LocalMidnight(first.tm_year, month, 1);
                if (when == -1 || when > to) return;
                if (when >= from) add(when, step.count <= 2 ? "%m-%d" : "%Y-%m");
            }
            return;
        }
        case TimeUnit::Year: {
            int year = first.tm_year + 1900;
            year -= year % step.count;
            for (int i = 0; i < kMostTicks; ++i, year += step.count) {
                const std::time_t when = LocalMidnight(year - 1900, 0, 1);
                if (when == -1 || when > to) return;
                if (when >= from) add(when, "%Y");
            }
            return;
        }
    }
}

// Widens [from, to] to the local midnights around it, when a tick a day
// still fits on the wider span; leaves it as it is otherwise.
void WidenToWholeDays(double& from, double& to, double mostTicks) {
    std::tm first{}, last{};
    if (!ToLocalTime(static_cast<std::time_t>(from), first) ||
        !ToLocalTime(static_cast<std::time_t>(to), last))
        return;
    const std::time_t start = LocalMidnight(first.tm_year, first.tm_mon, first.tm_mday);
    std::time_t end = LocalMidnight(last.tm_year, last.tm_mon, last.tm_mday);
    if (end != -1 && static_cast<double>(end) < to)
        end = LocalMidnight(last.tm_year, last.tm_mon, last.tm_mday + 1);
    if (start == -1 || end == -1 || end <= start) return;
    const std::optional<TimeStep> step =
        ChooseTimeStep(static_cast<double>(end - start), mostTicks);
    if (!step || step->unit != TimeUnit::Day || step->count != 1) return;
    from = static_cast<double>(start);
    to = static_cast<double>(end);
}

// Sets the rank axis of `layout` to span `best` to `worst` in at most
// `intervals` steps of 1, 2 or 5 × 10^k: from the multiple of the step at
// or above the best rank (1 when that is 0) to the one at or below the
// worst, at least kLeastRankAxis ranks long. Returns the step.
std::int64_t FitRankAxis(std::int64_t best, std::int64_t worst, int intervals,
                         ChartLayout& layout) {
    std::int64_t step = NiceStep(static_cast<double>(worst - best) / intervals);
    for (;;) {
        std::int64_t low = best / step * step;
        if (low < 1) low = 1;
        std::int64_t high = (worst + step - 1) / step * step;
        if (high - low < kLeastRankAxis - 1) high = low + kLeastRankAxis - 1;
        // Rounding out may take more steps than there is room for.
        if ((high - low) / step <= intervals || step > worst) {
            layout.rankAxisMin = low;
            layout.rankAxisMax = high;
            return step;
        }
        step = NiceStep(static_cast<double>(step) + 1);
    }
}

}  // namespace

ChartLayout LayoutChart(const std::vector<CheckPoint>& checks, int width, int height) {
    ChartLayout layout;

    // The ranks shown: from the best to the worst ranked check.
    std::int64_t worst = 1;
    for (const CheckPoint& check : checks) {
        if (!IsRanked(check)) continue;
        worst = std::max<std::int64_t>(worst, check.rank);
        if (!layout.bestRank || check.rank < *layout.bestRank) layout.bestRank = check.rank;
    }
    const std::int64_t best = layout.bestRank.value_or(1);

    // The plot area, never inverted on a window too small for it; the left
    // margin grows with the rank labels' digits.
    layout.top = kMarginTop;
    layout.bottom = std::max(layout.top + 1, height - kMarginBottom);

    // From the top: ranks, the not-ranked band, the time axis.
    const double gap = std::min(24.0, (layout.bottom - layout.top) / 4);
    layout.axisY = layout.bottom;
    layout.notRankedY = layout.bottom - gap;
    const double rankBottom = layout.notRankedY - gap;

    const int rankIntervals =
        std::max(1, static_cast<int>((rankBottom - layout.top) / kRankTickSpacing));
    const std::int64_t rankStep = FitRankAxis(best, worst, rankIntervals, layout);
    auto rankY = [&](std::int64_t rank) {
        return layout.top + static_cast<double>(rank - layout.rankAxisMin) /
                                static_cast<double>(layout.rankAxisMax - layout.rankAxisMin) *
                                (rankBottom - layout.top);
    };

    layout.left = std::max(kMinMarginLeft, 16 + kDigitWidth * Digits(layout.rankAxisMax));
    layout.right = std::max(layout.left + 1, width - kMarginRight);
    if (layout.bestRank) layout.bestY = rankY(*layout.bestRank);
    if (checks.empty()) return layout;
    // The top rank, then every multiple of the step below it.
    auto rankTick = [&](std::int64_t rank) {
        layout.rankTicks.push_back({rankY(rank), std::to_string(rank), rankY(rank)});
    };
    rankTick(layout.rankAxisMin);
    for (std::int64_t rank = (layout.rankAxisMin / rankStep + 1) * rankStep;
         rank <= layout.rankAxisMax; rank += rankStep)
        rankTick(rank);

    // Checks of known time in time order, then the others in the order given.
    std::vector<std::size_t> order(checks.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    const auto unknownBegin = std::stable_partition(
        order.begin(), order.end(), [&](std::size_t i) { return checks[i].when != 0; });
    std::stable_sort(order.begin(), unknownBegin,
                     [&](std::size_t a, std::size_t b) { return checks[a].when < checks[b].when; });
    const auto known = static_cast<std::size_t>(unknownBegin - order.begin());
    const std::size_t unknown = order.size() - known;

    // The checks of unknown time get a strip at the right: in proportion to
    // their number, with room for its label, and at most a quarter of the
    // width.
    const double xFrom = layout.left + kInset;
    const double xTo = std::max(xFrom, layout.right - kInset);
    double strip = 0;
    if (known == 0) {
        strip = xTo - xFrom;
    } else if (unknown > 0) {
        const double share =
            (xTo - xFrom) * static_cast<double>(unknown) / static_cast<double>(order.size());
        strip = std::min((xTo - xFrom) / 4, std::max(share, kLeastUnknownStrip));
    }
    // The checks of known time keep off the strip's edge.
    const double stripFrom = xTo - strip;
    const double knownTo =
        known > 0 && unknown > 0 ? std::max(xFrom, stripFrom - kInset) : stripFrom;

    // The span of the time axis, in double so that neither the padding nor
    // a difference of two times can overflow.
    double from = 0, to = 1;
    if (known > 0) {
        from = static_cast<double>(checks[order.front()].when);
        to = static_cast<double>(checks[order[known - 1]].when);
        if (from == to) {
            from -= kLonePadding;
            to += kLonePadding;
        }
    }
    // Ticks on calendar times the C library can tell; beyond its range the
    // axis has none. With a tick a day, the axis runs from the midnight
    // before the first check to the one after the last, so every check
    // stands inside its own day and each day is labelled.
    constexpr double kCalendarRange = 1e15;  // some 30 million years
    // As many ticks as fit at their spacing, a fraction counting: the step
    // is chosen on the span, whose ends need not fall on ticks.
    const double mostTimeTicks = std::max(2.0, (knownTo - xFrom) / kTimeTickSpacing);
    std::optional<TimeStep> timeStep;
    if (known > 0 && from > -kCalendarRange && to < kCalendarRange) {
        timeStep = ChooseTimeStep(to - from, mostTimeTicks);
        if (timeStep && timeStep->unit == TimeUnit::Day && timeStep->count == 1)
            WidenToWholeDays(from, to, mostTimeTicks);
    }
    auto timeX = [&](double when) {
        return xFrom + (when - from) / (to - from) * (knownTo - xFrom);
    };

    layout.marks.reserve(checks.size());
    for (std::size_t at = 0; at < order.size(); ++at) {
        const CheckPoint& check = checks[order[at]];
        ChartMark mark;
        mark.kind = KindOf(check);
        mark.check = order[at];
        mark.x = at < known ? timeX(static_cast<double>(check.when))
                            : stripFrom + (static_cast<double>(at - known) + 0.5) * strip /
                                              static_cast<double>(unknown);
        mark.y = mark.kind == MarkKind::Rank        ? rankY(check.rank)
                 : mark.kind == MarkKind::NotRanked ? layout.notRankedY
                                                    : layout.axisY;
        if (at > 0 && at != known && mark.kind == MarkKind::Rank &&
            layout.marks.back().kind == MarkKind::Rank)
            layout.segments.emplace_back(at - 1, at);
        layout.marks.push_back(mark);
    }

    if (timeStep)
        AddTimeTicks(layout, static_cast<std::time_t>(from), static_cast<std::time_t>(to),
                     *timeStep, [&](std::time_t when) { return timeX(static_cast<double>(when)); });
    if (unknown > 0) {
        if (known > 0) layout.unknownTimeX = stripFrom;
        layout.timeTicks.push_back({stripFrom + strip / 2, "时间未知", stripFrom + strip / 2});
    }
    return layout;
}

std::optional<std::size_t> MarkNear(const ChartLayout& layout, double x, double y, double radius) {
    if (y < layout.top - radius || y > layout.bottom + radius) return std::nullopt;
    std::optional<std::size_t> nearest;
    double nearestX = radius, nearestY = 0;
    for (const ChartMark& mark : layout.marks) {
        const double dx = std::fabs(mark.x - x), dy = std::fabs(mark.y - y);
        if (dx > radius) continue;
        if (!nearest || dx < nearestX || (dx == nearestX && dy < nearestY)) {
            nearest = mark.check;
            nearestX = dx;
            nearestY = dy;
        }
    }
    return nearest;
}

std::string DescribeCheck(const CheckPoint& check) {
    std::string text = check.when != 0
                           ? FormatLocal(static_cast<std::time_t>(check.when), "%Y-%m-%d %H:%M")
                           : std::string();
    if (text.empty()) text = "时间未知";
    text += "  ";
    switch (KindOf(check)) {
        case MarkKind::Rank:
            text += "排名 " + std::to_string(check.rank);
            if (check.page > 0) text += "（第" + std::to_string(check.page) + "页）";
            break;
        case MarkKind::NotRanked:
            // A search for a target that ran to its end without it is
            // "not ranked"; the other endings say what happened instead.
            text += check.outcome == CheckOutcome::NotFound ? std::string("未上榜")
                                                            : OutcomeWords(check.outcome);
            break;
        case MarkKind::Failed:
            text += OutcomeWords(check.outcome);
            break;
    }
    return text;
}

}  // namespace sorvik
