// The numbers in a row's price and sales texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sorvik {

// The price of a price text in fen: "￥76.13" gives 7613, "76" 7600; the
// first price of a range. None when the text holds no price.
std::optional<std::int64_t> PriceFen(const std::string& utf8);

// The count of a sales text: "最近成交54笔" and "54人付款" give 54,
// "1.2万+人付款" 12000, "100+人收货" 100. None when no count can be read.
std::optional<std::int64_t> SalesCount(const std::string& utf8);

// A price in fen written as a number of yuan: 7613 as "76.13", 7610 as
// "76.1", 7600 as "76".
std::string YuanText(std::int64_t fen);

// A price as a seller reads it: "￥76.13", "￥519.20", "￥69".
std::string PriceShown(std::int64_t fen);

}  // namespace sorvik
