#include "alerts.h"

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <set>

#include "competition.h"
#include "search_mode.h"
#include "summary.h"

namespace sorvik {
namespace {

// A check that ran and failed. A check the user stopped is no failure of
// the line: it neither counts towards nor breaks a run of failures.
bool IsFailedCheck(CheckOutcome outcome) {
    return !IsCompletedCheck(outcome) && outcome != CheckOutcome::Stopped;
}

const CheckPoint* PreviousCompleted(const std::vector<CheckPoint>& before) {
    for (auto it = before.rbegin(); it != before.rend(); ++it) {
        if (IsCompletedCheck(it->outcome)) return &*it;
    }
    return nullptr;
}

// The last failed or completed check before, stops passed over.
const CheckPoint* PreviousRun(const std::vector<CheckPoint>& before) {
    for (auto it = before.rbegin(); it != before.rend(); ++it) {
        if (it->outcome != CheckOutcome::Stopped) return &*it;
    }
    return nullptr;
}

std::string Place(int rank) {
    return "第 " + std::to_string(rank) + " 名";
}

// The sellers that ranked above the user's item in `check`, and its own.
std::set<std::string> SellersAbove(const StoredCheck& check) {
    std::set<std::string> sellers;
    for (const SeenRow* row : RowsAbove(check)) sellers.insert(row->seller);
    return sellers;
}

void AddNewRivals(const StoredCheck& stored, const StoredCheck& previous, const Alert& base,
                  std::vector<Alert>& alerts) {
    // Right above the item means the item was found.
    if (!stored.rank || stored.mode == kModeKeyword) return;
    const std::vector<const SeenRow*> above = RowsAbove(stored);
    const std::set<std::string> before = SellersAbove(previous);
    std::set<std::string> own;
    if (stored.mode == kModeSeller) own.insert(stored.target);
    if (const SeenRow* row = OwnRow(stored)) own.insert(row->seller);
    if (const SeenRow* row = OwnRow(previous)) own.insert(row->seller);

    std::set<std::string> raised;
    const std::size_t first = above.size() - std::min<std::size_t>(kRivalPlaces, above.size());
    for (std::size_t i = first; i < above.size(); ++i) {
        const SeenRow& row = *above[i];
        if (row.seller.empty() || own.count(row.seller) != 0 || before.count(row.seller) != 0 ||
            !raised.insert(row.seller).second)
            continue;
        Alert alert = base;
        alert.kind = AlertKind::NewRival;
        alert.text += "新对手 " + row.seller + " 排到你前面" + Place(row.rank);
        alerts.push_back(std::move(alert));
    }
}

}  // namespace

const char* AlertKindName(AlertKind kind) {
    switch (kind) {
        case AlertKind::LeftTop:
            return "left_top";
        case AlertKind::Dropped:
            return "dropped";
        case AlertKind::NewRival:
            return "new_rival";
        case AlertKind::Failing:
            return "failing";
    }
    return "failing";
}

double UsualSwing(const std::vector<CheckPoint>& before) {
    std::vector<const CheckPoint*> completed;
    for (auto it = before.rbegin(); it != before.rend() && completed.size() < kSwingChecks; ++it) {
        if (IsCompletedCheck(it->outcome)) completed.push_back(&*it);
    }
    if (completed.size() < 3) return 0;
    std::vector<int> changes;
    for (std::size_t i = 1; i < completed.size(); ++i) {
        if (completed[i - 1]->rank > 0 && completed[i]->rank > 0)
            changes.push_back(std::abs(completed[i - 1]->rank - completed[i]->rank));
    }
    if (changes.empty()) return 0;
    std::sort(changes.begin(), changes.end());
    const std::size_t middle = changes.size() / 2;
    if (changes.size() % 2 == 1) return changes[middle];
    return (changes[middle - 1] + changes[middle]) / 2.0;
}

std::vector<Alert> AlertsOf(const SummaryRecord& summary, const std::vector<CheckPoint>& before,
                            const StoredCheck* stored, const StoredCheck* previousStored,
                            int topN) {
    std::vector<Alert> alerts;
    Alert base;
    base.keyword = summary.keyword;
    base.target = summary.target.value_or(std::string());
    base.checkedAt = summary.checkedAt;
    base.text = base.keyword + (base.target.empty() ? "" : " / " + base.target) + "：";

    if (!IsCompletedCheck(summary.outcome)) {
        const CheckPoint* last = PreviousRun(before);
        if (IsFailedCheck(summary.outcome) && last && IsFailedCheck(last->outcome)) {
            Alert alert = base;
            alert.kind = AlertKind::Failing;
            alert.text += "连续两次检查失败";
            alerts.push_back(std::move(alert));
        }
        return alerts;
    }

    const CheckPoint* previous = PreviousCompleted(before);
    base.rank = summary.rank;
    if (previous && previous->rank > 0) base.previousRank = previous->rank;
    if (base.previousRank) {
        const int was = *base.previousRank;
        if (was <= topN && (!base.rank || *base.rank > topN)) {
            Alert alert = base;
            alert.kind = AlertKind::LeftTop;
            alert.text += "排名从" + Place(was) + "跌出前 " + std::to_string(topN) + " 名";
            alert.text += base.rank ? "（现在" + Place(*base.rank) + "）" : "（这次没有找到）";
            alerts.push_back(std::move(alert));
        }
        const int drop = base.rank ? *base.rank - was : 0;
        if (drop >= kLeastAlertDrop && drop > 2 * UsualSwing(before)) {
            Alert alert = base;
            alert.kind = AlertKind::Dropped;
            alert.text += "排名从" + Place(was) + "跌到" + Place(*base.rank);
            alerts.push_back(std::move(alert));
        }
    }
    if (stored && previousStored) AddNewRivals(*stored, *previousStored, base, alerts);
    return alerts;
}

std::string FormatAlert(const Alert& alert) {
    nlohmann::ordered_json line;
    line["keyword"] = alert.keyword;
    line["target"] =
        alert.target.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(alert.target);
    if (!alert.group.empty()) line["group"] = alert.group;
    line["kind"] = AlertKindName(alert.kind);
    line["rank"] = alert.rank ? nlohmann::ordered_json(*alert.rank) : nlohmann::ordered_json();
    line["previous_rank"] =
        alert.previousRank ? nlohmann::ordered_json(*alert.previousRank) : nlohmann::ordered_json();
    line["checked_at"] = alert.checkedAt;
    line["text"] = alert.text;
    return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace sorvik
