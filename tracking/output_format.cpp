#include "output_format.h"

#include <nlohmann/json.hpp>
#include <string_view>
#include <variant>
#include <vector>

namespace sorvik {
namespace {

// A value of a record: text, a number, or nothing (null).
using Value = std::optional<std::variant<std::string, long long>>;

struct Field {
    const char* key;
    Value value;
};

Value Number(const std::optional<int>& number) {
    if (!number) return std::nullopt;
    return Value(std::in_place, static_cast<long long>(*number));
}

Value Text(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return Value(std::in_place, *text);
}

std::string PlainText(const Value& value) {
    if (!value) return std::string();
    if (auto* text = std::get_if<std::string>(&*value)) return *text;
    return std::to_string(std::get<long long>(*value));
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
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (const Field& field : fields) {
            if (!field.value)
                object[field.key] = nullptr;
            else if (auto* text = std::get_if<std::string>(&*field.value))
                object[field.key] = *text;
            else
                object[field.key] = std::get<long long>(*field.value);
        }
        // Bytes that are no UTF-8 (from a command line) become U+FFFD.
        return object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
    }
    const bool csv = format == OutputFormat::Csv;
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += csv ? "," : "\t";
        line += csv ? CsvField(CsvText(fields[i].value)) : RowField(PlainText(fields[i].value));
    }
    return line + (csv ? "\r\n" : "\n");
}

std::vector<Field> RowFields(const RowRecord& row) {
    return {{"rank", Number(row.rank)}, {"title", Text(row.title)},    {"seller", Text(row.seller)},
            {"price", Text(row.price)}, {"sales", Text(row.sales)},    {"link", Text(row.link)},
            {"page", Number(row.page)}, {"keyword", Text(row.keyword)}};
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
    return fields;
}

}  // namespace

std::optional<OutputFormat> OutputFormatNamed(const std::string& name) {
    if (name == "tsv") return OutputFormat::Tsv;
    if (name == "csv") return OutputFormat::Csv;
    if (name == "json") return OutputFormat::Json;
    return std::nullopt;
}

std::string StreamHeader(OutputFormat format, bool summaries, bool withHistory) {
    if (format != OutputFormat::Csv) return std::string();
    SummaryRecord summary;
    summary.withHistory = withHistory;
    const std::vector<Field> fields = summaries ? SummaryFields(summary) : RowFields(RowRecord{});
    std::string header = "\xEF\xBB\xBF";  // the byte-order mark Excel needs to read UTF-8
    for (std::size_t i = 0; i < fields.size(); ++i)
        header += (i ? "," : "") + std::string(fields[i].key);
    return header + "\r\n";
}

std::string FormatRow(OutputFormat format, const RowRecord& row) {
    std::vector<Field> fields = RowFields(row);
    // The tab-separated rows are the program's original output: six fields.
    if (format == OutputFormat::Tsv) fields.resize(6);
    return Line(format, fields);
}

std::string FormatSummary(OutputFormat format, const SummaryRecord& summary) {
    std::vector<Field> fields = SummaryFields(summary);
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
