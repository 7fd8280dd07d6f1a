// The texts of a result row read as numbers, and a check's rows packed for
// the store. The input is tried three ways: as a price text, whose price in
// fen is written as yuan and must read back the same; as a sales text; and
// as packed rows, which, when they read at all, must pack into bytes that
// read back into the same rows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "row_numbers.h"
#include "row_packing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    if (std::optional<std::int64_t> fen = sorvik::PriceFen(text)) {
        if (*fen < 0) std::abort();
        if (sorvik::PriceFen(sorvik::YuanText(*fen)) != fen) std::abort();
    }
    if (std::optional<std::int64_t> sales = sorvik::SalesCount(text)) {
        if (*sales < 0) std::abort();
    }

    if (std::optional<std::vector<sorvik::PackedRow>> rows = sorvik::UnpackRows(text)) {
        std::optional<std::vector<sorvik::PackedRow>> again =
            sorvik::UnpackRows(sorvik::PackRows(*rows));
        if (!again || again->size() != rows->size()) std::abort();
        for (std::size_t i = 0; i < rows->size(); ++i) {
            const sorvik::PackedRow& a = (*rows)[i];
            const sorvik::PackedRow& b = (*again)[i];
            if (a.rank != b.rank || a.page != b.page || a.item != b.item ||
                a.priceFen != b.priceFen || a.sales != b.sales)
                std::abort();
        }
    }
    return 0;
}
