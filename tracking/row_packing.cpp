#include "row_packing.h"

#include <limits>

namespace sorvik {
namespace {

void PutNumber(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

// A step that may go back (a rank or page before the previous one's), so
// that small steps either way stay one byte.
std::uint64_t Zigzag(std::int64_t value) {
    return value < 0 ? (static_cast<std::uint64_t>(-(value + 1)) << 1) | 1
                     : static_cast<std::uint64_t>(value) << 1;
}

std::int64_t Unzigzag(std::uint64_t value) {
    return (value & 1) != 0 ? -static_cast<std::int64_t>(value >> 1) - 1
                            : static_cast<std::int64_t>(value >> 1);
}

// Plus one, so that 0 is "none"; a negative number can't be kept and is
// none too.
std::uint64_t Optional(const std::optional<std::int64_t>& value) {
    if (!value || *value < 0 || *value == std::numeric_limits<std::int64_t>::max()) return 0;
    return static_cast<std::uint64_t>(*value) + 1;
}

class Reader {
  public:
    explicit Reader(std::string_view text) : m_text(text) {}
    bool AtEnd() const { return m_at == m_text.size(); }
    bool Next(std::uint64_t& value) {
        value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            if (m_at == m_text.size()) return false;
            const auto byte = static_cast<unsigned char>(m_text[m_at++]);
            value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
            if ((byte & 0x80) == 0) return true;
        }
        return false;
    }

  private:
    std::string_view m_text;
    std::size_t m_at = 0;
};

// A step between two 32-bit values.
bool FitsStep(std::int64_t step) {
    constexpr std::int64_t kLargest = std::int64_t{1} << 32;
    return step >= -kLargest && step <= kLargest;
}

bool FitsInt32(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

std::string PackRows(const std::vector<PackedRow>& rows) {
    std::string out;
    out.reserve(rows.size() * 10);
    std::int64_t rank = 0;
    std::int64_t page = 0;
    for (const PackedRow& row : rows) {
        PutNumber(out, Zigzag(row.rank - rank));
        PutNumber(out, Zigzag(row.page - page));
        PutNumber(out, static_cast<std::uint64_t>(row.item));
        PutNumber(out, Optional(row.priceFen));
        PutNumber(out, Optional(row.sales));
        rank = row.rank;
        page = row.page;
    }
    return out;
}

std::optional<std::vector<PackedRow>> UnpackRows(std::string_view packed) {
    std::vector<PackedRow> rows;
    Reader reader(packed);
    std::int64_t rank = 0;
    std::int64_t page = 0;
    while (!reader.AtEnd()) {
        std::uint64_t numbers[5];
        for (std::uint64_t& number : numbers)
            if (!reader.Next(number)) return std::nullopt;
        // A step no packing of 32-bit ranks and pages could have written is
        // damage; checked before it is added, so that nothing overflows.
        const std::int64_t rankStep = Unzigzag(numbers[0]);
        const std::int64_t pageStep = Unzigzag(numbers[1]);
        if (!FitsStep(rankStep) || !FitsStep(pageStep)) return std::nullopt;
        rank += rankStep;
        page += pageStep;
        const auto largest = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
        if (!FitsInt32(rank) || !FitsInt32(page) || numbers[2] > largest || numbers[3] > largest ||
            numbers[4] > largest)
            return std::nullopt;
        PackedRow row;
        row.rank = static_cast<std::int32_t>(rank);
        row.page = static_cast<std::int32_t>(page);
        row.item = static_cast<std::int64_t>(numbers[2]);
        if (numbers[3] != 0) row.priceFen = static_cast<std::int64_t>(numbers[3] - 1);
        if (numbers[4] != 0) row.sales = static_cast<std::int64_t>(numbers[4] - 1);
        rows.push_back(row);
    }
    return rows;
}

}  // namespace sorvik
