// Any bytes as a GBK keyword: the encoded form holds only percent triples in
// upper-case hex and the literal set, fits its limit, and decodes to the
// keyword's UTF-8 form; a keyword is refused only when it is too long.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "gbk_text.h"
#include "search_address.h"

namespace {

constexpr std::size_t kMaxUtf8Bytes = 5120;
constexpr std::size_t kMaxEncodedBytes = 5119;
const char kLiterals[] = "!$()*./:;@";

bool IsLiteral(unsigned char c) {
    return c != 0 && std::strchr(kLiterals, c) != nullptr;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // lower case is not what the encoding writes
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string keyword(reinterpret_cast<const char*>(data), size);
    const std::string encoded = sorvik::EncodeKeyword(keyword);
    const std::string utf8 = sorvik::GbkToUtf8(keyword);

    FUZZ_CHECK(encoded.size() <= kMaxEncodedBytes, std::to_string(encoded.size()));

    std::string decoded;
    for (std::size_t i = 0; i < encoded.size();) {
        const unsigned char c = static_cast<unsigned char>(encoded[i]);
        if (c != '%') {
            FUZZ_CHECK(IsLiteral(c), "byte " + std::to_string(c) + " left unencoded");
            decoded += static_cast<char>(c);
            ++i;
            continue;
        }
        FUZZ_CHECK(i + 2 < encoded.size(), "a cut percent triple at the end");
        const int high = HexValue(encoded[i + 1]);
        const int low = HexValue(encoded[i + 2]);
        FUZZ_CHECK(high >= 0 && low >= 0, encoded.substr(i, 3));
        const unsigned char byte = static_cast<unsigned char>(high * 16 + low);
        FUZZ_CHECK(!IsLiteral(byte), "literal " + encoded.substr(i, 3) + " was encoded");
        decoded += static_cast<char>(byte);
        i += 3;
    }

    // What the encoded form must be, worked out byte by byte.
    std::size_t expectedSize = 0;
    for (unsigned char c : utf8) expectedSize += IsLiteral(c) ? 1 : 3;
    const bool fits = utf8.size() <= kMaxUtf8Bytes && expectedSize <= kMaxEncodedBytes;

    if (keyword.empty()) {
        FUZZ_CHECK(encoded.empty(), encoded);
    } else if (fits) {
        FUZZ_CHECK(!utf8.empty(), "a keyword converted to nothing");
        FUZZ_CHECK(decoded == utf8, "the encoded keyword decodes to something else");
        FUZZ_CHECK(encoded.size() == expectedSize, std::to_string(encoded.size()));
    } else {
        FUZZ_CHECK(encoded.empty(), "a keyword over the limit was encoded, " +
                                        std::to_string(encoded.size()) + " bytes");
    }
    return 0;
}
