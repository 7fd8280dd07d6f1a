// GBK conversions over the Windows API. Code page 936 is named explicitly:
// the program's ANSI texts are GBK whatever the system's own code page is.
#include <windows.h>

#include <climits>
#include <cstdint>
#include <string>

#include "conversion_steps.h"
#include "gbk_text.h"

namespace sorvik {
namespace {

constexpr UINT kGbkCodePage = 936;
constexpr char kReplacementUtf8[] = "\xEF\xBF\xBD";

// Decodes `length` GBK bytes into `wide`; false when they are not valid GBK
// throughout.
bool DecodeGbk(const char* bytes, std::size_t length, std::wstring& wide) {
    wide.clear();
    if (length == 0) return true;
    if (length > INT_MAX) return false;
    const int size = static_cast<int>(length);
    const int count =
        MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, bytes, size, nullptr, 0);
    if (count <= 0) return false;
    wide.resize(static_cast<std::size_t>(count));
    return MultiByteToWideChar(kGbkCodePage, MB_ERR_INVALID_CHARS, bytes, size, &wide[0], count) ==
           count;
}

// Appends `wide` to `out` converted to the code page (UTF-8 or GBK); the
// GBK conversion writes '?' for a character that GBK cannot hold.
void AppendEncoded(UINT codePage, const std::wstring& wide, std::string& out) {
    if (wide.empty() || wide.size() > INT_MAX) return;
    const int size = static_cast<int>(wide.size());
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
    BOOL usedFallback = FALSE;
    BOOL* usedFallbackOut = codePage == CP_UTF8 ? nullptr : &usedFallback;
    const int count = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, fallback,
                                          usedFallbackOut);
    if (count <= 0) return;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(count));
    WideCharToMultiByte(codePage, flags, wide.data(), size, &out[at], count, fallback,
                        usedFallbackOut);
}

// The code point of a well-formed UTF-8 character of `length` bytes.
std::uint32_t CodePointOf(const unsigned char* p, std::size_t length) {
    if (length == 1) return p[0];
    std::uint32_t value = p[0] & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) value = (value << 6) | (p[k] & 0x3F);
    return value;
}

}  // namespace

std::string GbkToUtf8(const std::string& gbk) {
    std::string out;
    std::wstring wide;
    // Most texts are valid GBK throughout and take one conversion.
    if (DecodeGbk(gbk.data(), gbk.size(), wide)) {
        AppendEncoded(CP_UTF8, wide, out);
        return out;
    }
    // Otherwise character by character: every sequence that is no GBK
    // character becomes U+FFFD, and nothing around it is lost.
    std::wstring valid;
    std::wstring character;
    for (std::size_t i = 0; i < gbk.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(gbk.data() + i);
        const std::size_t left = gbk.size() - i;
        const std::size_t length = IsGbkLeadByte(p[0]) && left >= 2 ? 2 : 1;
        if (DecodeGbk(gbk.data() + i, length, character)) {
            valid += character;
            i += length;
            continue;
        }
        AppendEncoded(CP_UTF8, valid, out);
        valid.clear();
        out += kReplacementUtf8;
        i += InvalidGbkSequenceLength(p, left);
    }
    AppendEncoded(CP_UTF8, valid, out);
    return out;
}

std::string Utf8ToGbk(const std::string& utf8) {
    // UTF-16 first, with '?' for every byte sequence that is no character
    // and for every character beyond the Basic Multilingual Plane (GBK holds
    // none of them); then GBK, with '?' for what it cannot hold.
    std::wstring wide;
    wide.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto* p = reinterpret_cast<const unsigned char*>(utf8.data() + i);
        const std::size_t length = Utf8SequenceLength(p, utf8.size() - i);
        const std::uint32_t codePoint =
            IsWholeUtf8Character(p, length) ? CodePointOf(p, length) : '?';
        wide += static_cast<wchar_t>(codePoint > 0xFFFF ? '?' : codePoint);
        i += length;
    }
    std::string out;
    AppendEncoded(kGbkCodePage, wide, out);
    return out;
}

}  // namespace sorvik
