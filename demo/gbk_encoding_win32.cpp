// UTF-8 to GBK over the Windows API, with code page 936 named explicitly
// whatever the system's own code page is.
#include <windows.h>

#include <climits>
#include <stdexcept>
#include <string>

#include "gbk_encoding.h"

namespace sorvik::demo {
namespace {

constexpr UINT kGbkCodePage = 936;

// Converts `length` bytes of UTF-8 to GBK into `gbk`. False when they are
// not well-formed UTF-8 or hold a character that GBK cannot.
bool TryUtf8ToGbk(const char* utf8, std::size_t length, std::string& gbk) {
    gbk.clear();
    if (length == 0) return true;
    if (length > INT_MAX) return false;
    const int size = static_cast<int>(length);
    const int wideCount =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, size, nullptr, 0);
    if (wideCount <= 0) return false;
    std::wstring wide(static_cast<std::size_t>(wideCount), L'\0');
    if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, size, &wide[0], wideCount) !=
        wideCount) {
        return false;
    }
    BOOL usedDefault = FALSE;
    const int gbkCount = WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(),
                                             wideCount, nullptr, 0, nullptr, &usedDefault);
    if (gbkCount <= 0 || usedDefault) return false;
    gbk.resize(static_cast<std::size_t>(gbkCount));
    return WideCharToMultiByte(kGbkCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), wideCount, &gbk[0],
                               gbkCount, nullptr, &usedDefault) == gbkCount &&
           !usedDefault;
}

// The number of bytes the UTF-8 sequence starting with `lead` announces (1
// for a byte that starts none).
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

// The byte offset of the first character in `utf8` that does not convert.
std::size_t FirstUnconvertible(const std::string& utf8) {
    std::string ignored;
    std::size_t at = 0;
    while (at < utf8.size()) {
        std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(utf8[at]));
        if (length > utf8.size() - at) length = utf8.size() - at;
        if (!TryUtf8ToGbk(utf8.data() + at, length, ignored)) break;
        at += length;
    }
    return at;
}

}  // namespace

std::string Utf8ToGbk(const std::string& utf8) {
    std::string gbk;
    if (TryUtf8ToGbk(utf8.data(), utf8.size(), gbk)) return gbk;
    throw std::runtime_error("text not representable in GBK at byte " +
                             std::to_string(FirstUnconvertible(utf8)));
}

}  // namespace sorvik::demo
