// The rivals across lines, counted over numbers: a month of checks of a
// hundred lines is over a million rows, so sellers are compared by their
// place in one list and each tally is an array indexed by it.
#include <algorithm>
#include <cstdint>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "competition.h"
#include "search_mode.h"

namespace sorvik {
namespace {

bool Counted(const SellerCheck& check) {
    return check.mode != kModeKeyword &&
           (check.outcome == CheckOutcome::Found || check.outcome == CheckOutcome::NotFound);
}

// The row of the line's own item: the found one, the last row read.
const SellerRow* OwnRow(const SellerCheck& check) {
    if (check.mode == kModeKeyword || check.outcome != CheckOutcome::Found || !check.rank)
        return nullptr;
    for (auto row = check.rows.rbegin(); row != check.rows.rend(); ++row) {
        if (row->rank == *check.rank) return &*row;
    }
    return nullptr;
}

// True for a row of `check` above the target: before its rank when found,
// every row read when not. A found check with no rank has none above.
bool IsAbove(const SellerCheck& check, const SellerRow& row) {
    if (check.outcome != CheckOutcome::Found) return true;
    return check.rank && row.rank < *check.rank;
}

}  // namespace

std::vector<Rival> RivalsOf(const SellerChecks& all, std::time_t since, std::time_t until) {
    const std::size_t sellerCount = all.sellers.size();
    // The user's own sellers, from every check given: the sellers the lines
    // look for, and the seller of each found item.
    std::vector<char> own(sellerCount, 0);
    std::unordered_map<std::string, std::size_t> sellerPlace;
    sellerPlace.reserve(sellerCount);
    for (std::size_t i = 0; i < sellerCount; ++i) sellerPlace.emplace(all.sellers[i], i);
    for (const SellerCheck& check : all.checks) {
        if (check.mode == kModeSeller) {
            auto place = sellerPlace.find(check.target);
            if (place != sellerPlace.end()) own[place->second] = 1;
        }
        if (const SellerRow* row = OwnRow(check)) own[static_cast<std::size_t>(row->seller)] = 1;
    }
    // Halved apart, so that no sum of two times overflows.
    const std::time_t mid = since / 2 + until / 2 + (since % 2 + until % 2) / 2;

    std::vector<Rival> tally(sellerCount);
    // Checks counted, and each seller's times above, in the earlier and the
    // later half of the period.
    std::int64_t checksInHalf[2] = {0, 0};
    std::vector<std::int64_t> aboveInHalf[2] = {std::vector<std::int64_t>(sellerCount, 0),
                                                std::vector<std::int64_t>(sellerCount, 0)};
    std::vector<std::int64_t> page1RowsOf(sellerCount, 0);
    std::vector<std::int64_t> seenInCheck(sellerCount, -1);  // the last check that counted them
    std::unordered_map<std::string, std::int64_t> lineNumbers;
    std::unordered_set<std::uint64_t> sellerLines;  // seller << 32 | line, each pair once
    std::int64_t page1Rows = 0;
    for (std::size_t c = 0; c < all.checks.size(); ++c) {
        const SellerCheck& check = all.checks[c];
        if (check.checkedAt < since || check.checkedAt >= until || !Counted(check)) continue;
        for (const SellerRow& row : check.rows) {
            if (row.page != 1) continue;
            ++page1Rows;
            ++page1RowsOf[static_cast<std::size_t>(row.seller)];
        }
        const std::string lineKey =
            check.keyword + '\x1F' + check.target + '\x1F' + std::to_string(check.mode);
        const std::int64_t line =
            lineNumbers.emplace(lineKey, static_cast<std::int64_t>(lineNumbers.size()))
                .first->second;
        const std::size_t half = check.checkedAt >= mid ? 1 : 0;
        ++checksInHalf[half];
        for (const SellerRow& row : check.rows) {
            if (!IsAbove(check, row)) continue;
            const auto seller = static_cast<std::size_t>(row.seller);
            if (own[seller] != 0 || all.sellers[seller].empty()) continue;
            Rival& rival = tally[seller];
            // Each seller counted once a check, at their best rank in it.
            if (seenInCheck[seller] == static_cast<std::int64_t>(c)) {
                rival.bestRank = std::min(rival.bestRank, row.rank);
                continue;
            }
            seenInCheck[seller] = static_cast<std::int64_t>(c);
            rival.bestRank = rival.timesAbove == 0 ? row.rank : std::min(rival.bestRank, row.rank);
            ++rival.timesAbove;
            ++aboveInHalf[half][seller];
            if (sellerLines
                    .insert(static_cast<std::uint64_t>(seller) << 32 |
                            static_cast<std::uint64_t>(line))
                    .second)
                ++rival.lines;
        }
    }

    std::vector<Rival> rivals;
    for (std::size_t seller = 0; seller < sellerCount; ++seller) {
        Rival& rival = tally[seller];
        if (rival.timesAbove == 0) continue;
        rival.seller = all.sellers[seller];
        if (page1Rows > 0)
            rival.page1Share =
                static_cast<double>(page1RowsOf[seller]) / static_cast<double>(page1Rows);
        if (checksInHalf[0] > 0 && checksInHalf[1] > 0)
            rival.trend =
                static_cast<double>(aboveInHalf[1][seller]) / static_cast<double>(checksInHalf[1]) -
                static_cast<double>(aboveInHalf[0][seller]) / static_cast<double>(checksInHalf[0]);
        rivals.push_back(std::move(rival));
    }
    std::sort(rivals.begin(), rivals.end(), [](const Rival& a, const Rival& b) {
        return std::tie(b.timesAbove, a.bestRank, a.seller) <
               std::tie(a.timesAbove, b.bestRank, b.seller);
    });
    return rivals;
}

SellerChecks SellersOf(const std::vector<StoredCheck>& checks) {
    SellerChecks cut;
    std::unordered_map<std::string, std::int32_t> places;
    cut.checks.reserve(checks.size());
    for (const StoredCheck& check : checks) {
        SellerCheck& out = cut.checks.emplace_back();
        out.keyword = check.keyword;
        out.target = check.target;
        out.mode = check.mode;
        out.checkedAt = check.checkedAt;
        out.outcome = check.outcome;
        out.rank = check.rank;
        out.rows.reserve(check.rows.size());
        for (const SeenRow& row : check.rows) {
            auto [place, added] =
                places.emplace(row.seller, static_cast<std::int32_t>(cut.sellers.size()));
            if (added) cut.sellers.push_back(row.seller);
            out.rows.push_back({row.rank, row.page, place->second});
        }
    }
    return cut;
}

std::vector<Rival> RivalsOf(const std::vector<StoredCheck>& checks, std::time_t since,
                            std::time_t until) {
    return RivalsOf(SellersOf(checks), since, until);
}

}  // namespace sorvik
