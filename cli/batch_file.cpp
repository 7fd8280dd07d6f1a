#include "batch_file.h"

#include "read_file.h"
#include "search_state.h"

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

// The length of the UTF-8 character at `at`, or 0 when the bytes there are
// no well-formed character (overlong forms and surrogates included).
std::size_t Utf8CharLength(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
    };
    const unsigned lead = byte(at);
    if (lead >= 0x01 && lead < 0x80) return 1;
    std::size_t length;
    unsigned low = 0x80, high = 0xBF;  // the allowed range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
    }
    return length;
}

// The 1-based number of the first line holding a byte sequence that is no
// UTF-8, or a zero byte; 0 when the whole text is UTF-8.
int FirstLineThatIsNoUtf8(const std::string& text) {
    int line = 1;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8CharLength(text, at);
        if (length == 0) return line;
        if (text[at] == '\n') ++line;
        at += length;
    }
    return 0;
}

// `text` without the blanks at its start and end: spaces and the
// ideographic space U+3000 that Chinese input methods type, and with
// `tabsToo` tabs as well.
std::string TrimBlanks(const std::string& text, bool tabsToo = false) {
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
    if (const int line = FirstLineThatIsNoUtf8(*text)) {
        error = "batch file " + path + " is not UTF-8 text (line " + std::to_string(line) + ")";
        return std::nullopt;
    }
    return ParseBatchLines(*text);
}

}  // namespace sorvik
