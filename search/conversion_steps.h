// How far a conversion steps over a sequence it cannot use, shared by the
// platforms' GBK conversions so that they replace exactly the same bytes.
#pragma once

#include <cstddef>

namespace sorvik {

// The bytes a GBK decoder replaces where no valid character starts: a lead
// byte with a byte in the trail range after it (0x40 to 0xFE, not 0x7F) is
// taken as one bad character; anything else is one bad byte.
inline std::size_t InvalidGbkSequenceLength(const unsigned char* p, std::size_t left) {
    return (p[0] >= 0x81 && p[0] <= 0xFE && left >= 2 && p[1] >= 0x40 && p[1] != 0x7F) ? 2 : 1;
}

// The number of bytes the sequence at `p` (with `left` bytes left) claims:
// its lead byte and the continuation bytes that follow it, up to the length
// the lead byte announces; 1 for a byte that starts no sequence.
inline std::size_t Utf8SequenceLength(const unsigned char* p, std::size_t left) {
    std::size_t want = 1;
    if (p[0] >= 0xC2 && p[0] <= 0xDF)
        want = 2;
    else if (p[0] >= 0xE0 && p[0] <= 0xEF)
        want = 3;
    else if (p[0] >= 0xF0 && p[0] <= 0xF4)
        want = 4;
    std::size_t n = 1;
    while (n < want && n < left && (p[n] & 0xC0) == 0x80) ++n;
    return n;
}

// True when the `length` bytes at `p` (as Utf8SequenceLength measured them)
// are one well-formed UTF-8 character: complete, not overlong, no surrogate,
// not above U+10FFFF.
inline bool IsWholeUtf8Character(const unsigned char* p, std::size_t length) {
    if (p[0] < 0x80) return length == 1;
    const std::size_t want = p[0] <= 0xDF ? 2 : p[0] <= 0xEF ? 3 : 4;
    if (p[0] < 0xC2 || p[0] > 0xF4 || length != want) return false;
    if (p[0] == 0xE0) return p[1] >= 0xA0;
    if (p[0] == 0xED) return p[1] < 0xA0;
    if (p[0] == 0xF0) return p[1] >= 0x90;
    if (p[0] == 0xF4) return p[1] < 0x90;
    return true;
}

}  // namespace sorvik
