#include "row_numbers.h"

#include <limits>
#include <string_view>

namespace sorvik {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::string_view kDigits = "0123456789";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool StartsWith(std::string_view text, std::size_t pos, std::string_view prefix) {
    return text.substr(pos, prefix.size()) == prefix;
}

// Steps over ASCII blanks and the ideographic space.
void SkipBlanks(std::string_view text, std::size_t& pos) {
    while (pos < text.size()) {
        if (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' || text[pos] == '\n')
            ++pos;
        else if (StartsWith(text, pos, "\xE3\x80\x80"))
            pos += 3;
        else
            break;
    }
}

// a * b + c, when it fits; none of them negative.
std::optional<std::int64_t> MulAdd(std::int64_t a, std::int64_t b, std::int64_t c) {
    if (b != 0 && a > (kMax - c) / b) return std::nullopt;
    return a * b + c;
}

struct Number {
    std::int64_t whole = 0;
    std::string_view fraction;  // the digits after the point
};

// Three digits at `pos` that no further digit follows: a group after a
// thousands comma.
bool GroupOfThree(std::string_view text, std::size_t pos) {
    if (pos + 3 > text.size()) return false;
    for (std::size_t i = pos; i < pos + 3; ++i) {
        if (!IsDigit(text[i])) return false;
    }
    return pos + 3 == text.size() || !IsDigit(text[pos + 3]);
}

// The decimal number at `pos` ("1234", "1,234", "76.13"), and `pos` moved
// past it. None when no digit stands there or the whole part overflows.
std::optional<Number> ReadNumber(std::string_view text, std::size_t& pos) {
    std::size_t at = pos;
    if (at >= text.size() || !IsDigit(text[at])) return std::nullopt;
    Number number;
    while (at < text.size()) {
        if (IsDigit(text[at])) {
            const auto next = MulAdd(number.whole, 10, text[at] - '0');
            if (!next) return std::nullopt;
            number.whole = *next;
            ++at;
        } else if (text[at] == ',' && GroupOfThree(text, at + 1)) {
            ++at;
        } else {
            break;
        }
    }
    if (at + 1 < text.size() && text[at] == '.' && IsDigit(text[at + 1])) {
        const std::size_t start = ++at;
        while (at < text.size() && IsDigit(text[at])) ++at;
        number.fraction = text.substr(start, at - start);
    }
    pos = at;
    return number;
}

// The number times 10^`places`, when that is a whole number that fits.
std::optional<std::int64_t> Scaled(const Number& number, int places) {
    std::int64_t value = number.whole;
    for (int i = 0; i < places; ++i) {
        const std::size_t index = static_cast<std::size_t>(i);
        const int digit = index < number.fraction.size() ? number.fraction[index] - '0' : 0;
        const auto next = MulAdd(value, 10, digit);
        if (!next) return std::nullopt;
        value = *next;
    }
    const std::size_t used = static_cast<std::size_t>(places);
    if (number.fraction.size() > used &&
        number.fraction.find_first_not_of('0', used) != std::string_view::npos)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::int64_t> PriceFen(const std::string& utf8) {
    const std::string_view text(utf8);
    std::size_t pos = 0;
    SkipBlanks(text, pos);
    if (StartsWith(text, pos, "\xEF\xBF\xA5"))  // fullwidth ￥
        pos += 3;
    else if (StartsWith(text, pos, "\xC2\xA5"))  // ¥
        pos += 2;
    SkipBlanks(text, pos);
    const auto number = ReadNumber(text, pos);
    // Fen are the last place of a price: "76.135" is no price.
    if (!number || number->fraction.size() > 2) return std::nullopt;
    SkipBlanks(text, pos);
    // Nothing more, or the rest of a range ("76.13-89.00", "76~89").
    const bool rangeFollows = StartsWith(text, pos, "-") || StartsWith(text, pos, "~") ||
                              StartsWith(text, pos, "\xEF\xBD\x9E") ||  // ～
                              StartsWith(text, pos, "\xE2\x80\x94");    // —
    if (pos != text.size() && !rangeFollows) return std::nullopt;
    return Scaled(*number, 2);
}

std::optional<std::int64_t> SalesCount(const std::string& utf8) {
    const std::string_view text(utf8);
    // Words may come before the count ("最近成交", "月销"), never a number.
    std::size_t pos = text.find_first_of(kDigits);
    if (pos == std::string_view::npos) return std::nullopt;
    const auto number = ReadNumber(text, pos);
    if (!number) return std::nullopt;
    SkipBlanks(text, pos);
    int places = 0;
    if (StartsWith(text, pos, "\xE4\xB8\x87")) {  // 万: ten thousand
        places = 4;
        pos += 3;
    }
    // "1.2万" is a count, "1.5" alone is none.
    const auto count = Scaled(*number, places);
    if (!count) return std::nullopt;
    // What follows ("+人付款", "笔") holds no second number: "1.2.3" or
    // "12a34" are no count.
    if (text.find_first_of(kDigits, pos) != std::string_view::npos || StartsWith(text, pos, "."))
        return std::nullopt;
    return count;
}

std::string YuanText(std::int64_t fen) {
    // The magnitude as unsigned, so that the lowest int64 has one too.
    const std::uint64_t magnitude =
        fen < 0 ? 0 - static_cast<std::uint64_t>(fen) : static_cast<std::uint64_t>(fen);
    std::string text = (fen < 0 ? "-" : "") + std::to_string(magnitude / 100);
    const std::uint64_t cents = magnitude % 100;
    if (cents != 0) {
        text += '.';
        text += static_cast<char>('0' + cents / 10);
        if (cents % 10 != 0) text += static_cast<char>('0' + cents % 10);
    }
    return text;
}

std::string PriceShown(std::int64_t fen) {
    std::string text = YuanText(fen);
    // "519.2" reads as a price once its fen are written: "519.20".
    const std::size_t point = text.find('.');
    if (point != std::string::npos && text.size() - point == 2) text += '0';
    return "￥" + text;
}

}  // namespace sorvik
