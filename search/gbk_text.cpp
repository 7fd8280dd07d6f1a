#include "gbk_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "conversion_steps.h"

namespace sorvik {
namespace {

// The code point of a well-formed UTF-8 character of `length` bytes.
std::uint32_t CodePointOf(const unsigned char* p, std::size_t length) {
    if (length == 1) return p[0];
    std::uint32_t value = p[0] & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) value = (value << 6) | (p[k] & 0x3F);
    return value;
}

std::string Named(const char* format, std::uint32_t value) {
    char name[16];
    const int n = std::snprintf(name, sizeof name, format, static_cast<unsigned>(value));
    return n > 0 ? std::string(name, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace

std::string FirstCharacterOutsideGbk(const std::string& utf8) {
    // Most texts convert whole: no more '?' come out than went in.
    const std::string gbk = Utf8ToGbk(utf8);
    if (std::count(gbk.begin(), gbk.end(), '?') == std::count(utf8.begin(), utf8.end(), '?'))
        return std::string();
    for (std::size_t i = 0; i < utf8.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(utf8.data() + i);
        const std::size_t length = Utf8SequenceLength(p, utf8.size() - i);
        if (!IsWholeUtf8Character(p, length)) return Named("0x%02X", p[0]);
        if (p[0] >= 0x80 && Utf8ToGbk(utf8.substr(i, length)) == "?")
            return Named("U+%04X", CodePointOf(p, length));
        i += length;
    }
    return std::string();
}

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
