#include "batch_file.h"

#include <string_view>

#include "read_file.h"
#include "search_mode.h"
#include "utf8.h"

namespace sorvik {
namespace {

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

std::string TrimBlanks(const std::string& text, bool tabsToo) {
    static const std::string kIdeographicSpace = "\xE3\x80\x80";
    auto blank = [&](char c) { return c == ' ' || (tabsToo && c == '\t'); };
    std::size_t begin = 0, end = text.size();
    for (bool more = true; more;) {
        more = false;
        if (begin < end && blank(text[begin])) {
            ++begin;
            more = true;
        } else if (end - begin >= 3 && text.compare(begin, 3, kIdeographicSpace) == 0) {
            begin += 3;
            more = true;
        }
        if (end > begin && blank(text[end - 1])) {
            --end;
            more = true;
        } else if (end - begin >= 3 && text.compare(end - 3, 3, kIdeographicSpace) == 0) {
            end -= 3;
            more = true;
        }
    }
    return text.substr(begin, end - begin);
}

namespace {

// `text` without the blanks and tabs at its end.
std::string WithoutTrailingBlanks(std::string text) {
    static const std::string kIdeographicSpace = "\xE3\x80\x80";
    for (;;) {
        if (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
            text.pop_back();
        else if (text.size() >= 3 && text.compare(text.size() - 3, 3, kIdeographicSpace) == 0)
            text.resize(text.size() - 3);
        else
            return text;
    }
}

// The line numbered `number` (without its line feed and byte-order mark) as
// a search; no value for a blank or comment line.
std::optional<BatchLine> ParseBatchLine(int number, std::string_view text) {
    std::string line(text);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (TrimBlanks(line, true).empty() || line[0] == '#') return std::nullopt;
    // Blanks typed around the fields are no part of them, and tabs left at
    // the line's end separate nothing. Every other tab does: one at the
    // start leaves the keyword empty, two in a row the target.
    line = WithoutTrailingBlanks(std::move(line));
    const std::size_t tab = line.find('\t');
    BatchLine entry;
    entry.number = number;
    entry.keyword = TrimBlanks(line.substr(0, tab));
    if (tab == std::string::npos) return entry;
    const std::size_t second = line.find('\t', tab + 1);
    if (second != std::string::npos && line.find('\t', second + 1) != std::string::npos) {
        // The rest kept whole as the target, so the line is written back as
        // it was read.
        entry.target = TrimBlanks(line.substr(tab + 1), true);
        entry.problem =
            "more than two tabs (a line is KEYWORD, KEYWORD<TAB>TARGET or "
            "KEYWORD<TAB>TARGET<TAB>GROUP)";
        return entry;
    }
    entry.target = TrimBlanks(line.substr(tab + 1, second - (tab + 1)));
    if (second != std::string::npos) entry.group = TrimBlanks(line.substr(second + 1));
    return entry;
}

std::string_view WithoutByteOrderMark(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return text;
}

std::string NoUtf8Error(const std::string& name, int line) {
    return "batch file " + name + " is not UTF-8 text (line " + std::to_string(line) + ")";
}

}  // namespace

SearchMode BatchLine::Mode() const {
    if (target.empty()) return kModeKeyword;
    return StartsWithNoCase(target, "http://") || StartsWithNoCase(target, "https://")
               ? kModeItemLink
               : kModeSeller;
}

std::optional<std::vector<BatchLine>> ReadBatchFile(const std::string& path, std::string& error) {
    std::vector<BatchLine> lines;
    int number = 0;
    int noUtf8 = 0;
    const bool read = ReadInputLines(
        path, error,
        [&](const InputLine& input) {
            ++number;
            if (noUtf8) return;
            const std::string_view text =
                number == 1 ? WithoutByteOrderMark(input.text) : input.text;
            if (input.tooLong) {
                // Kept as a line that can't be used, and never held whole.
                if (text[0] != '#')
                    lines.push_back({number, "", "",
                                     "longer than " + std::to_string(kMaxBatchLineBytes) +
                                         " bytes: no keyword is that long"});
                return;
            }
            if (!IsUtf8(text)) {
                noUtf8 = number;
                return;
            }
            if (std::optional<BatchLine> line = ParseBatchLine(number, text))
                lines.push_back(std::move(*line));
        },
        kMaxBatchLineBytes);
    if (!read) {
        error = "batch file: " + error;
        return std::nullopt;
    }
    if (noUtf8) {
        error = NoUtf8Error(path, noUtf8);
        return std::nullopt;
    }
    return lines;
}

std::optional<std::vector<BatchLine>> ParseBatchText(const std::string& text,
                                                     const std::string& name, std::string& error) {
    if (const int line = FirstLineThatIsNoUtf8(text)) {
        error = NoUtf8Error(name, line);
        return std::nullopt;
    }
    std::vector<BatchLine> lines;
    const std::string_view all = WithoutByteOrderMark(text);
    std::size_t start = 0;
    for (int number = 1; start <= all.size(); ++number) {
        std::size_t end = all.find('\n', start);
        if (end == std::string_view::npos) end = all.size();
        if (std::optional<BatchLine> line = ParseBatchLine(number, all.substr(start, end - start)))
            lines.push_back(std::move(*line));
        start = end + 1;
    }
    return lines;
}

std::string FormatBatchFile(const std::vector<BatchLine>& lines) {
    std::string text;
    for (const BatchLine& line : lines) {
        text += line.keyword;
        if (!line.target.empty() || !line.group.empty()) text += "\t" + line.target;
        if (!line.group.empty()) text += "\t" + line.group;
        text += '\n';
    }
    return text;
}

}  // namespace sorvik
