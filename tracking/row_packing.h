// A check's rows as the store keeps them: one record of small integers per
// row (the rank and page as steps from the row before, the item's number in
// the store, the price in fen and the sales count, each plus one so that 0
// says "none"), written as variable-length numbers one after another. A
// year of daily checks of a hundred lines fits in a few hundred megabytes
// this way, where a database row per result row would not.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorvik {

struct PackedRow {
    std::int32_t rank = 0;
    std::int32_t page = 0;
    std::int64_t item = 0;  // the store's number of the item
    std::optional<std::int64_t> priceFen;
    std::optional<std::int64_t> sales;
};

std::string PackRows(const std::vector<PackedRow>& rows);

// The rows of `packed`; none when it is cut short or holds numbers no
// packing could have written (a damaged record).
std::optional<std::vector<PackedRow>> UnpackRows(std::string_view packed);

}  // namespace sorvik
