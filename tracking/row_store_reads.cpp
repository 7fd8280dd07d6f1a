// Reading the row store: the checks of one line or of every line, with
// their rows as much as the reader needs.
#include <limits>
#include <unordered_map>

#include "row_packing.h"
#include "row_store.h"
#include "sqlite_statement.h"

namespace sorvik {
namespace {

// The columns every reading of checks selects, in this order.
const char* const kCheckColumns =
    "SELECT c.id, c.checked_at, c.outcome, c.rank, c.rows, l.keyword, l.target, l.mode "
    "FROM checks c JOIN lines l ON c.line = l.id ";

// The fields of a check from a row of kCheckColumns, for a check read whole
// or cut down to its sellers.
template <typename Check>
void ReadCheck(const Statement& query, Check& check) {
    check.checkedAt = static_cast<std::time_t>(query.Int(1));
    check.outcome = CheckOutcomeNamed(query.Text(2));
    if (!query.IsNull(3)) check.rank = static_cast<std::int32_t>(query.Int(3));
    check.keyword = query.Text(5);
    check.target = query.Text(6);
    check.mode = static_cast<std::int32_t>(query.Int(7));
}

const char* const kFindItem = "SELECT item_key, title, seller, link FROM items WHERE id = ?";

// A stored row's own numbers; its item's texts are filled in apart.
SeenRow NumbersOf(const PackedRow& packed) {
    SeenRow row;
    row.rank = packed.rank;
    row.page = packed.page;
    row.priceFen = packed.priceFen;
    row.sales = packed.sales;
    return row;
}

// Fills in the texts of item `id` through `findItem` (kFindItem); an item
// not stored leaves them empty.
void FillItemTexts(Statement& findItem, std::int64_t id, SeenRow& row) {
    findItem.Reset();
    findItem.Bind(1, id);
    if (findItem.Step() != SQLITE_ROW) return;
    row.itemId = findItem.Text(0);
    row.title = findItem.Text(1);
    row.seller = findItem.Text(2);
    row.link = findItem.Text(3);
}

}  // namespace

std::vector<StoredCheck> RowStore::ChecksOf(const std::string& keyword, const std::string& target,
                                            std::int32_t mode, std::time_t since,
                                            RowDetail detail) {
    return Read(
        "l.keyword = ? AND l.target = ? AND l.mode = ? AND c.checked_at >= ? "
        "ORDER BY c.checked_at, c.id",
        [&](Statement& query) {
            query.Bind(1, keyword)
                .Bind(2, target)
                .Bind(3, std::int64_t{mode})
                .Bind(4, static_cast<std::int64_t>(since));
        },
        detail);
}

std::vector<StoredCheck> RowStore::ChecksSince(std::time_t since, RowDetail detail) {
    return Read(
        "c.checked_at >= ? ORDER BY c.checked_at, c.id",
        [&](Statement& query) { query.Bind(1, static_cast<std::int64_t>(since)); }, detail, true);
}

std::optional<StoredCheck> RowStore::PreviousCompleted(const StoredCheck& check, RowDetail detail) {
    std::vector<StoredCheck> previous = Read(
        "l.keyword = ? AND l.target = ? AND l.mode = ? AND "
        "(c.checked_at < ?4 OR (c.checked_at = ?4 AND c.id < ?5)) AND "
        "c.outcome IN ('found', 'not_found', 'finished', 'no_items') "
        "ORDER BY c.checked_at DESC, c.id DESC LIMIT 1",
        [&](Statement& query) {
            query.Bind(1, check.keyword)
                .Bind(2, check.target)
                .Bind(3, std::int64_t{check.mode})
                .Bind(4, static_cast<std::int64_t>(check.checkedAt))
                // A check not yet stored comes after every stored one.
                .Bind(5, check.id != 0 ? check.id : std::numeric_limits<std::int64_t>::max());
        },
        detail);
    if (previous.empty()) return std::nullopt;
    return std::move(previous.front());
}

std::optional<StoredCheck> RowStore::LatestFound(const std::string& keyword,
                                                 const std::string& target, std::int32_t mode) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_db == nullptr) return std::nullopt;
    // The window asks this of every item line each time it fills its table:
    // only the found row is unpacked and its one item looked up.
    Statement query(m_db, (std::string(kCheckColumns) +
                           "WHERE l.keyword = ? AND l.target = ? AND l.mode = ? AND "
                           "c.outcome = 'found' ORDER BY c.checked_at DESC, c.id DESC LIMIT 1")
                              .c_str());
    query.Bind(1, keyword).Bind(2, target).Bind(3, std::int64_t{mode});
    if (query.Step() != SQLITE_ROW) return std::nullopt;
    StoredCheck check;
    check.id = query.Int(0);
    ReadCheck(query, check);
    const std::optional<std::vector<PackedRow>> rows = UnpackRows(query.Bytes(4));
    if (!rows || !check.rank) return check;
    for (const PackedRow& packed : *rows) {
        if (packed.rank != *check.rank) continue;
        Statement findItem(m_db, kFindItem);
        SeenRow row = NumbersOf(packed);
        FillItemTexts(findItem, packed.item, row);
        check.rows.push_back(std::move(row));
        break;
    }
    return check;
}

std::vector<StoredCheck> RowStore::Read(const char* whereAndOrder,
                                        const std::function<void(Statement&)>& bind,
                                        RowDetail detail, bool allItems) {
    std::lock_guard<std::mutex> lock(m_lock);
    std::vector<StoredCheck> checks;
    if (m_db == nullptr) return checks;
    const std::string sql = std::string(kCheckColumns) + "WHERE " + whereAndOrder;
    // One transaction, so that a check recorded meanwhile is seen whole or
    // not at all, and each item is looked up once.
    Exec(m_db, "BEGIN");
    Statement query(m_db, sql.c_str());
    bind(query);
    Statement findItem(m_db, kFindItem);
    std::unordered_map<std::int64_t, SeenRow> items;
    // Reading many checks, every item is read in one pass instead of one
    // lookup each.
    if (allItems && detail != RowDetail::None) {
        Statement every(m_db, "SELECT id, item_key, title, seller, link FROM items");
        while (every.Step() == SQLITE_ROW) {
            SeenRow& item = items[every.Int(0)];
            item.seller = every.Text(3);
            if (detail == RowDetail::Whole) {
                item.itemId = every.Text(1);
                item.title = every.Text(2);
                item.link = every.Text(4);
            }
        }
    }
    while (query.Step() == SQLITE_ROW) {
        StoredCheck check;
        check.id = query.Int(0);
        ReadCheck(query, check);
        if (detail != RowDetail::None) {
            std::optional<std::vector<PackedRow>> rows = UnpackRows(query.Bytes(4));
            if (!rows) continue;
            check.rows.reserve(rows->size());
            for (const PackedRow& packed : *rows) {
                auto known = items.find(packed.item);
                if (known == items.end()) {
                    known = items.emplace(packed.item, SeenRow()).first;
                    FillItemTexts(findItem, packed.item, known->second);
                }
                SeenRow row = NumbersOf(packed);
                row.seller = known->second.seller;
                if (detail == RowDetail::Whole) {
                    row.itemId = known->second.itemId;
                    row.title = known->second.title;
                    row.link = known->second.link;
                }
                check.rows.push_back(std::move(row));
            }
        }
        checks.push_back(std::move(check));
    }
    Exec(m_db, "COMMIT");
    return checks;
}

SellerChecks RowStore::SellerChecksSince(std::time_t since) {
    std::lock_guard<std::mutex> lock(m_lock);
    SellerChecks all;
    if (m_db == nullptr) return all;
    // One transaction, so that a check recorded meanwhile is seen whole or
    // not at all.
    Exec(m_db, "BEGIN");
    // Every item's seller by its place in the list of sellers.
    std::unordered_map<std::int64_t, std::int32_t> sellerOfItem;
    {
        std::unordered_map<std::string, std::int32_t> places;
        Statement items(m_db, "SELECT id, seller FROM items");
        while (items.Step() == SQLITE_ROW) {
            auto [place, added] =
                places.emplace(items.Text(1), static_cast<std::int32_t>(all.sellers.size()));
            if (added) all.sellers.push_back(place->first);
            sellerOfItem.emplace(items.Int(0), place->second);
        }
    }
    // A row whose item is missing (a damaged store) has no seller.
    const auto unknown = static_cast<std::int32_t>(all.sellers.size());
    all.sellers.emplace_back();
    Statement query(
        m_db, (std::string(kCheckColumns) + "WHERE c.checked_at >= ? ORDER BY c.checked_at, c.id")
                  .c_str());
    query.Bind(1, static_cast<std::int64_t>(since));
    while (query.Step() == SQLITE_ROW) {
        std::optional<std::vector<PackedRow>> rows = UnpackRows(query.Bytes(4));
        if (!rows) continue;
        SellerCheck& check = all.checks.emplace_back();
        ReadCheck(query, check);
        check.rows.reserve(rows->size());
        for (const PackedRow& row : *rows) {
            auto seller = sellerOfItem.find(row.item);
            check.rows.push_back(
                {row.rank, row.page, seller == sellerOfItem.end() ? unknown : seller->second});
        }
    }
    Exec(m_db, "COMMIT");
    return all;
}

}  // namespace sorvik
