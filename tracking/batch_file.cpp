#include "batch_file.h"

#include "read_file.h"
#include "search_state.h"
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

std::vector<BatchLine> ParseBatchLines(const std::string& text) {
    std::vector<BatchLine> lines;
    std::size_t start = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    for (int number = 1; start <= text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (TrimBlanks(line, true).empty() || line[0] == '#') continue;
        // Blanks typed around the fields are no part of them, and a tab
        // left at the line's end separates nothing. A tab at its start
        // does: it leaves the keyword empty.
        const std::size_t tab = line.find('\t');
        BatchLine entry;
        entry.number = number;
        entry.keyword = TrimBlanks(line.substr(0, tab));
        if (tab != std::string::npos) {
            entry.target = TrimBlanks(line.substr(tab + 1), true);
            if (entry.target.find('\t') != std::string::npos)
                entry.problem = "more than one tab (a line is KEYWORD or KEYWORD<TAB>TARGET)";
        }
        lines.push_back(std::move(entry));
    }
    return lines;
}

}  // namespace

std::int32_t BatchLine::Mode() const {
    if (target.empty()) return kModeKeyword;
    return StartsWithNoCase(target, "http://") || StartsWithNoCase(target, "https://")
               ? kModeItemLink
               : kModeSeller;
}

std::optional<std::vector<BatchLine>> ReadBatchFile(const std::string& path, std::string& error) {
    std::optional<std::string> text = ReadInputFile(path, error);
    if (!text) {
        error = "batch file: " + error;
        return std::nullopt;
    }
    return ParseBatchText(*text, path, error);
}

std::optional<std::vector<BatchLine>> ParseBatchText(const std::string& text,
                                                     const std::string& name, std::string& error) {
    if (const int line = FirstLineThatIsNoUtf8(text)) {
        error = "batch file " + name + " is not UTF-8 text (line " + std::to_string(line) + ")";
        return std::nullopt;
    }
    return ParseBatchLines(text);
}

std::string FormatBatchFile(const std::vector<BatchLine>& lines) {
    std::string text;
    for (const BatchLine& line : lines) {
        text += line.keyword;
        if (!line.target.empty()) text += "\t" + line.target;
        text += '\n';
    }
    return text;
}

}  // namespace sorvik
