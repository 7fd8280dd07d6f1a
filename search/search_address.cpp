#include "search_address.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "gbk_text.h"

namespace sorvik {
namespace {

constexpr char kDatePlaceholder[] = "20130404";
constexpr std::size_t kMaxUtf8Bytes = 5120;
// The encoded keyword and its terminating zero fit in 5120 bytes.
constexpr std::size_t kMaxEncodedBytes = 5119;

std::string HostFromEnv(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return (value && *value) ? std::string(value) : std::string(fallback);
}

// The local calendar time of `time`; false when it has none (a year out of
// range, for example).
bool ToLocalTime(std::time_t time, std::tm& local) {
#ifdef _WIN32
    return localtime_s(&local, &time) == 0;
#else
    return localtime_r(&time, &local) != nullptr;
#endif
}

// Bytes written as themselves. '&', '=' and '#' are encoded too: written
// as themselves they would end the q value (a keyword "H&M" would search for
// "H") or start the address's fragment, and the rest of the keyword would
// never reach the marketplace.
bool IsLiteral(unsigned char byte) {
    return byte != 0 && std::strchr("!$()*./:;@", byte) != nullptr;
}

// The size of the encoded form: three bytes for each byte outside the
// literal set.
std::size_t EncodedSize(const std::string& utf8) {
    std::size_t size = 0;
    for (unsigned char byte : utf8) size += IsLiteral(byte) ? 1 : 3;
    return size;
}

bool Fits(const std::string& utf8) {
    return utf8.size() <= kMaxUtf8Bytes && EncodedSize(utf8) <= kMaxEncodedBytes;
}

}  // namespace

std::string SearchHost() {
    return HostFromEnv("SORVIK_SEARCH_HOST", "s.taobao.com");
}

std::string ItemHost() {
    return HostFromEnv("SORVIK_ITEM_HOST", "item.taobao.com");
}

std::string MakeDateStamp(std::int64_t seconds) {
    std::time_t time = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (!ToLocalTime(time, local)) return std::string();
    char stamp[128];
    std::size_t n = std::strftime(stamp, sizeof stamp, "%Y%m%d", &local);
    return n == 0 ? std::string() : std::string(stamp, n);
}

bool KeywordFits(const std::string& gbkKeyword) {
    return Fits(GbkToUtf8(gbkKeyword));
}

std::string EncodeKeyword(const std::string& gbkKeyword) {
    const std::string utf8 = GbkToUtf8(gbkKeyword);
    // A keyword whose encoded form does not fit is refused as a whole rather
    // than cut: a cut keyword would silently search for something else.
    if (!Fits(utf8)) return std::string();

    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(utf8.size() * 3);
    for (unsigned char byte : utf8) {
        if (IsLiteral(byte)) {
            encoded += static_cast<char>(byte);
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string BuildSearchUrl(const std::string& gbkKeyword, std::int64_t nowSeconds) {
    std::string url =
        "http://" + SearchHost() + "/search?initiative_id=staobaoz_20130404&tab=all&style=list&q=";
    const std::string stamp = MakeDateStamp(nowSeconds);
    // The template holds one placeholder; replace every one all the same,
    // before the keyword is added so the keyword's digits stay as they are.
    const std::size_t placeholderSize = sizeof kDatePlaceholder - 1;
    for (std::size_t at = url.find(kDatePlaceholder); at != std::string::npos;
         at = url.find(kDatePlaceholder, at + stamp.size())) {
        url.replace(at, placeholderSize, stamp);
    }
    return url + EncodeKeyword(gbkKeyword);
}

}  // namespace sorvik
