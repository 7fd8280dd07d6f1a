#include "competition.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "row_numbers.h"
#include "search_mode.h"
#include "summary.h"

namespace sorvik {
namespace {

bool FoundWithRank(const StoredCheck& check) {
    return check.outcome == CheckOutcome::Found && check.rank.has_value();
}

// The first (best ranked) row of `check` showing the item; an empty id
// names no item and matches nothing.
const SeenRow* RowOfItem(const StoredCheck& check, const std::string& itemId) {
    if (itemId.empty()) return nullptr;
    for (const SeenRow& row : check.rows) {
        if (row.itemId == itemId) return &row;
    }
    return nullptr;
}

bool HoldsItem(const std::vector<const SeenRow*>& rows, const std::string& itemId) {
    return !itemId.empty() && std::any_of(rows.begin(), rows.end(), [&](const SeenRow* row) {
        return row->itemId == itemId;
    });
}

// A price change is worth a word from a whole percent on.
bool IsCut(const CompetitorRow& row) {
    return row.priceChangePercent && *row.priceChangePercent <= -1.0;
}
bool IsRise(const CompetitorRow& row) {
    return row.priceChangePercent && *row.priceChangePercent >= 1.0;
}
std::string WholePercent(double percent) {
    return std::to_string(std::lround(std::fabs(percent))) + "%";
}

std::string Joined(const std::vector<std::string>& parts, const std::string& separator) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

// "1 个降价 15%", or with several "3 个降价，最多 20%".
void AddPriceMoves(const std::vector<CompetitorRow>& rows, bool (*moved)(const CompetitorRow&),
                   const char* word, std::vector<std::string>& parts) {
    int count = 0;
    double largest = 0;
    for (const CompetitorRow& row : rows) {
        if (!moved(row)) continue;
        ++count;
        largest = std::max(largest, std::fabs(*row.priceChangePercent));
    }
    if (count == 1) parts.push_back("1 个" + std::string(word) + " " + WholePercent(largest));
    if (count > 1)
        parts.push_back(std::to_string(count) + " 个" + word + "，最多 " + WholePercent(largest));
}

// The items that ranked above the seller's item last time and no longer
// do, now that the check found it.
int Overtaken(const StoredCheck& check, const StoredCheck& previous) {
    const std::vector<const SeenRow*> above = RowsAbove(check);
    const SeenRow* own = OwnRow(check);
    std::set<std::string> counted;
    for (const SeenRow* row : RowsAbove(previous)) {
        if (row->itemId.empty() || HoldsItem(above, row->itemId)) continue;
        if (own && row->itemId == own->itemId) continue;
        counted.insert(row->itemId);
    }
    return static_cast<int>(counted.size());
}

// "你前面 5 名的价格中位数 ￥69（你 ￥79）" of the rows right above the
// found item; empty when one of their prices is unknown.
std::string MedianAbove(const StoredCheck& check, const SeenRow& own) {
    const std::vector<const SeenRow*> above = RowsAbove(check);
    const std::size_t count = std::min<std::size_t>(5, above.size());
    if (count == 0) return std::string();
    std::vector<std::int64_t> prices;
    for (std::size_t i = above.size() - count; i < above.size(); ++i) {
        if (!above[i]->priceFen) return std::string();
        prices.push_back(*above[i]->priceFen);
    }
    std::sort(prices.begin(), prices.end());
    std::int64_t median = prices[count / 2];
    if (count % 2 == 0) median = prices[count / 2 - 1] + (median - prices[count / 2 - 1]) / 2;
    std::string text = "你前面 " + std::to_string(count) + " 名的价格中位数 " + PriceShown(median);
    if (own.priceFen) text += "（你 " + PriceShown(*own.priceFen) + "）";
    return text;
}

// "你的价格 ￥79→￥69" when the same item's price changed.
std::string OwnPriceChange(const SeenRow& own, const StoredCheck& previous) {
    const SeenRow* was = RowOfItem(previous, own.itemId);
    if (!was || !was->priceFen || !own.priceFen || *was->priceFen == *own.priceFen)
        return std::string();
    return "你的价格 " + PriceShown(*was->priceFen) + "→" + PriceShown(*own.priceFen);
}

}  // namespace

std::vector<const SeenRow*> RowsAbove(const StoredCheck& check) {
    std::vector<const SeenRow*> rows;
    if (!IsCompletedCheck(check.outcome)) return rows;
    // A found check with no rank says nothing of what was above.
    if (check.outcome == CheckOutcome::Found && check.mode != kModeKeyword && !check.rank)
        return rows;
    for (const SeenRow& row : check.rows) {
        if (check.mode == kModeKeyword) {
            if (row.page == 1) rows.push_back(&row);
        } else if (!FoundWithRank(check) || row.rank < *check.rank) {
            rows.push_back(&row);
        }
    }
    return rows;
}

const SeenRow* OwnRow(const StoredCheck& check) {
    if (check.mode == kModeKeyword || !FoundWithRank(check)) return nullptr;
    // The found row is the last one read.
    for (auto row = check.rows.rbegin(); row != check.rows.rend(); ++row) {
        if (row->rank == *check.rank) return &*row;
    }
    return nullptr;
}

std::vector<CompetitorRow> CompetitionOf(const StoredCheck& check, const StoredCheck* previous) {
    if (previous && !IsCompletedCheck(previous->outcome)) previous = nullptr;
    std::vector<const SeenRow*> aboveBefore;
    if (previous) aboveBefore = RowsAbove(*previous);
    std::vector<CompetitorRow> competitors;
    for (const SeenRow* row : RowsAbove(check)) {
        CompetitorRow competitor;
        competitor.row = *row;
        if (previous) {
            competitor.isNew = !HoldsItem(aboveBefore, row->itemId);
            if (const SeenRow* was = RowOfItem(*previous, row->itemId)) {
                competitor.rankChange = was->rank - row->rank;
                if (row->priceFen && was->priceFen && *was->priceFen > 0) {
                    const auto before = static_cast<double>(*was->priceFen);
                    competitor.priceChangePercent =
                        (static_cast<double>(*row->priceFen) - before) / before * 100;
                }
                // Counts are never negative; a difference of two fits.
                if (row->sales && was->sales && *row->sales >= 0 && *was->sales >= 0)
                    competitor.salesGained = *row->sales - *was->sales;
            }
        }
        competitors.push_back(std::move(competitor));
    }
    return competitors;
}

std::string ChangeText(const CompetitorRow& row) {
    std::vector<std::string> parts;
    if (row.isNew) {
        parts.emplace_back("新");
    } else if (row.rankChange) {
        const std::int32_t change = *row.rankChange;
        if (change > 0) parts.push_back("↑" + std::to_string(change));
        if (change < 0) parts.push_back("↓" + std::to_string(-static_cast<std::int64_t>(change)));
        if (change == 0) parts.emplace_back("=");
    }
    if (IsCut(row)) parts.push_back("降价" + WholePercent(*row.priceChangePercent));
    if (IsRise(row)) parts.push_back("涨价" + WholePercent(*row.priceChangePercent));
    if (row.salesGained && *row.salesGained != 0)
        parts.push_back((*row.salesGained > 0 ? "+" : "") + std::to_string(*row.salesGained) +
                        "笔");
    return Joined(parts, " ");
}

std::string ExplainMove(const StoredCheck& check, const StoredCheck* previous) {
    if (!IsCompletedCheck(check.outcome) || !previous || !IsCompletedCheck(previous->outcome))
        return std::string();
    const bool keywordOnly = check.mode == kModeKeyword;
    const std::vector<CompetitorRow> competitors = CompetitionOf(check, previous);
    std::vector<std::string> parts;

    const auto fresh = std::count_if(competitors.begin(), competitors.end(),
                                     [](const CompetitorRow& row) { return row.isNew; });
    if (fresh > 0) {
        parts.push_back(keywordOnly ? "第1页有 " + std::to_string(fresh) + " 个新宝贝"
                                    : std::to_string(fresh) + " 个新宝贝排到你前面");
    }
    AddPriceMoves(competitors, IsCut, "降价", parts);
    AddPriceMoves(competitors, IsRise, "涨价", parts);

    const SeenRow* own = OwnRow(check);
    if (own) {
        const int overtaken = Overtaken(check, *previous);
        if (overtaken > 0) parts.push_back(std::to_string(overtaken) + " 个被你超过");
    }
    const std::string ownPrice = own ? OwnPriceChange(*own, *previous) : std::string();
    if (parts.empty() && ownPrice.empty())
        return keywordOnly ? "比上次：第1页的宝贝没有变化" : "比上次：你前面的宝贝没有变化";

    if (own) {
        std::string median = MedianAbove(check, *own);
        if (!median.empty()) parts.push_back(std::move(median));
    }
    if (!ownPrice.empty()) parts.push_back(ownPrice);
    return "比上次：" + Joined(parts, "；");
}

std::string TrendText(double trend) {
    if (trend >= 0.1) return "上升";
    if (trend <= -0.1) return "下降";
    return "持平";
}

}  // namespace sorvik
