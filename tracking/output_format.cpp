#include "output_format.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string_view>
#include <variant>
#include <vector>

#include "competition.h"
#include "row_numbers.h"

namespace sorvik {
namespace {

// A number written as its decimal text ("76.13"), kept exact.
struct Decimal {
    std::string text;
};

// A value of a record: text, a number, or nothing (null).
using Value = std::optional<std::variant<std::string, long long, Decimal>>;

struct Field {
    const char* key;
    Value value;
};

Value Number(const std::optional<int>& number) {
    if (!number) return std::nullopt;
    return Value(std::in_place, static_cast<long long>(*number));
}

Value Count(const std::optional<std::int64_t>& count) {
    if (!count) return std::nullopt;
    return Value(std::in_place, static_cast<long long>(*count));
}

Value Yuan(const std::optional<std::int64_t>& fen) {
    if (!fen) return std::nullopt;
    return Value(std::in_place, Decimal{YuanText(*fen)});
}

Value Text(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return Value(std::in_place, *text);
}

std::string PlainText(const Value& value) {
    if (!value) return std::string();
    if (auto* text = std::get_if<std::string>(&*value)) return *text;
    if (auto* decimal = std::get_if<Decimal>(&*value)) return decimal->text;
    return std::to_string(std::get<long long>(*value));
}

// A value as JSON; texts that are no UTF-8 (from a command line) get
// U+FFFD for their bad bytes.
std::string JsonValue(const Value& value) {
    if (!value) return "null";
    if (auto* text = std::get_if<std::string>(&*value))
        return nlohmann::json(*text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return PlainText(value);
}

// RFC 4180: a field with a comma, a quote or a line break is quoted, its
// quotes doubled.
std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// A text a spreadsheet would take as a formula (or, with a tab or CR in
// front, strip to one) starts with an apostrophe, which it shows as text:
// an item's title or a seller's name is the marketplace's, not the user's.
std::string CsvText(const Value& value) {
    std::string text = PlainText(value);
    if (value && std::holds_alternative<std::string>(*value) && !text.empty() &&
        std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos)
        text.insert(0, "'");
    return text;
}

std::string Line(OutputFormat format, const std::vector<Field>& fields) {
    if (format == OutputFormat::Json) {
        // One object on one line, its keys in the fields' order.
        std::string object = "{";
        for (const Field& field : fields) {
            if (object.size() > 1) object += ',';
            object += nlohmann::json(field.key).dump() + ':' + JsonValue(field.value);
        }
        return object + "}\n";
    }
    const bool csv = format == OutputFormat::Csv;
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += csv ? "," : "\t";
        line += csv ? CsvField(CsvText(fields[i].value)) : RowField(PlainText(fields[i].value));
    }
    return line + (csv ? "\r\n" : "\n");
}

// The fields of a row. The tab-separated rows are the program's original
// output, six fields; csv and json add theirs after those, each new one at
// the end, so that columns read by their place keep it.
std::vector<Field> RowFields(OutputFormat format, const RowRecord& row) {
    std::vector<Field> fields = {{"rank", Number(row.rank)},   {"title", Text(row.title)},
                                 {"seller", Text(row.seller)}, {"price", Text(row.price)},
                                 {"sales", Text(row.sales)},   {"link", Text(row.link)}};
    if (format == OutputFormat::Tsv) return fields;
    fields.push_back({"page", Number(row.page)});
    fields.push_back({"keyword", Text(row.keyword)});
    fields.push_back({"price_yuan", Yuan(PriceFen(row.price))});
    fields.push_back({"sales_count", Count(SalesCount(row.sales))});
    return fields;
}

std::vector<Field> SummaryFields(const SummaryRecord& summary) {
    std::vector<Field> fields = {{"keyword", Text(summary.keyword)},
                                 {"target", Text(summary.target)},
                                 {"mode", Number(summary.mode)},
                                 {"outcome", Text(CheckOutcomeName(summary.outcome))},
                                 {"rank", Number(summary.rank)},
                                 {"total", Number(summary.total)},
                                 {"page", Number(summary.page)},
                                 {"pages_read", Number(summary.pagesRead)},
                                 {"checked_at", Text(summary.checkedAt)}};
    if (summary.withHistory) {
        fields.push_back({"previous_rank", Number(summary.previousRank)});
        fields.push_back({"change", Number(summary.change)});
        fields.push_back({"best_rank", Number(summary.bestRank)});
    }
    if (summary.withWhy) fields.push_back({"why", Text(summary.why)});
    if (summary.withGroup) fields.push_back({"group", Text(summary.group)});
    return fields;
}

std::vector<Field> RivalFields(const Rival& rival) {
    char share[16];
    std::snprintf(share, sizeof share, "%.3f", rival.page1Share);
    char trend[16];
    std::snprintf(trend, sizeof trend, "%.3f", rival.trend);
    return {{"seller", Text(rival.seller)},
            {"times_above", Number(rival.timesAbove)},
            {"lines", Number(rival.lines)},
            {"best_rank", Number(rival.bestRank)},
            {"page1_share", Value(std::in_place, Decimal{share})},
            {"trend", Value(std::in_place, Decimal{trend})}};
}

std::string CsvHeader(const std::vector<Field>& fields) {
    std::string header = "\xEF\xBB\xBF";  // the byte-order mark Excel needs to read UTF-8
    for (std::size_t i = 0; i < fields.size(); ++i)
        header += (i ? "," : "") + std::string(fields[i].key);
    return header + "\r\n";
}

}  // namespace

std::optional<OutputFormat> OutputFormatNamed(const std::string& name) {
    if (name == "tsv") return OutputFormat::Tsv;
    if (name == "csv") return OutputFormat::Csv;
    if (name == "json") return OutputFormat::Json;
    return std::nullopt;
}

std::string StreamHeader(OutputFormat format, bool summaries, bool withHistory, bool withWhy,
                         bool withGroup) {
    if (format != OutputFormat::Csv) return std::string();
    SummaryRecord summary;
    summary.withHistory = withHistory;
    summary.withWhy = withWhy;
    summary.withGroup = withGroup;
    return CsvHeader(summaries ? SummaryFields(summary) : RowFields(format, RowRecord{}));
}

std::string RivalsHeader(OutputFormat format) {
    return format == OutputFormat::Csv ? CsvHeader(RivalFields(Rival{})) : std::string();
}

std::string FormatRival(OutputFormat format, const Rival& rival) {
    return Line(format, RivalFields(rival));
}

std::string FormatRow(OutputFormat format, const RowRecord& row) {
    return Line(format, RowFields(format, row));
}

std::string FormatSummary(OutputFormat format, const SummaryRecord& summary) {
    std::vector<Field> fields = SummaryFields(summary);
    // tsv summaries keep their fields: the group, last, is csv's and json's.
    if (format == OutputFormat::Tsv && summary.withGroup) fields.pop_back();
    if (format == OutputFormat::Tsv && summary.withHistory) {
        for (Field& field : fields) {
            if (std::string(field.key) == "change") field.value = Value(ChangeMark(summary));
        }
    }
    return Line(format, fields);
}

std::string ChangeMark(const SummaryRecord& summary) {
    if (!summary.rank) return std::string();
    if (!summary.previousRank) return "new";
    const int change = *summary.previousRank - *summary.rank;
    if (change > 0) return "↑" + std::to_string(change);
    if (change < 0) return "↓" + std::to_string(-change);
    return "=";
}

std::string RowField(const std::string& utf8) {
    std::string field = utf8;
    for (char& c : field) {
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    return field;
}

std::string CsvCell(const std::string& utf8) {
    return CsvField(CsvText(Value(std::in_place, utf8)));
}

}  // namespace sorvik
