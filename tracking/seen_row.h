// One result row as a check saw it, kept with the check: what the
// competition of a line and the rivals across lines are worked out from.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "check_outcome.h"

namespace sorvik {

struct SeenRow {
    std::int32_t rank = 0;
    std::int32_t page = 0;
    std::string itemId;  // the link's id parameter; the whole link when it has none
    std::string title;   // UTF-8
    std::string seller;  // UTF-8
    std::string link;
    std::optional<std::int64_t> priceFen;  // the price in fen (76.13 yuan: 7613)
    std::optional<std::int64_t> sales;     // the count read from the sales text
};

// One check of a line with the rows it saw, as the store keeps it.
struct StoredCheck {
    std::int64_t id = 0;  // the store's number for it; 0 before it is stored
    std::string keyword;
    std::string target;  // empty in mode 1
    std::int32_t mode = 1;
    std::time_t checkedAt = 0;
    CheckOutcome outcome = CheckOutcome::Other;
    std::optional<std::int32_t> rank;  // the target's, only when found
    std::vector<SeenRow> rows;         // in rank order
};

// Checks cut down to what the rivals are counted from: each row's rank,
// page and seller, the seller by its place in the list of sellers, so that
// a month of checks of a hundred lines is a few megabytes of numbers.
struct SellerRow {
    std::int32_t rank = 0;
    std::int32_t page = 0;
    std::int32_t seller = 0;  // its place in SellerChecks::sellers
};

struct SellerCheck {
    std::string keyword;
    std::string target;
    std::int32_t mode = 1;
    std::time_t checkedAt = 0;
    CheckOutcome outcome = CheckOutcome::Other;
    std::optional<std::int32_t> rank;
    std::vector<SellerRow> rows;  // in rank order
};

struct SellerChecks {
    std::vector<std::string> sellers;  // each name once
    std::vector<SellerCheck> checks;
};

}  // namespace sorvik
