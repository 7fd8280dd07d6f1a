#include "gbk_text.h"

namespace sorvik {

std::size_t FindAnsi(const std::string& text, const std::string& needle, std::size_t from) {
    if (needle.empty()) return from <= text.size() ? from : std::string::npos;
    if (needle.size() > text.size()) return std::string::npos;
    const std::size_t last = text.size() - needle.size();
    std::size_t i = from;
    while (i <= last) {
        if (text.compare(i, needle.size(), needle) == 0) return i;
        i += (IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    }
    return std::string::npos;
}

std::string RemoveBlanks(const std::string& text) {
    // One pass removes both: blanks and line feeds stand between whole
    // characters, so removing them never changes how later bytes pair up.
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
            out.append(text, i, 2);
            i += 2;
            continue;
        }
        if (text[i] != ' ' && text[i] != '\n') out += text[i];
        ++i;
    }
    return out;
}

bool MatchesNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string UpToFirstNul(const std::string& text) {
    std::size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

}  // namespace sorvik
