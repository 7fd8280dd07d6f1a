// The text layer: every ANSI text in the search code is GBK (code page 936)
// held as bytes in std::string. This header holds the one implementation of
// the conversions and byte searches that the rest of the program uses.
#pragma once

#include <cstddef>
#include <string>

namespace sorvik {

// Converts GBK bytes to UTF-8. A byte sequence that is no valid GBK
// character becomes U+FFFD; the conversion never fails.
std::string GbkToUtf8(const std::string& gbk);

// Converts UTF-8 to GBK. A character that GBK cannot hold, or a byte that is
// no valid UTF-8, becomes '?'.
std::string Utf8ToGbk(const std::string& utf8);

// The first character of a UTF-8 text that Utf8ToGbk would turn into '?',
// named for a message: "U+1F600" for a character GBK cannot hold, "0xFF"
// for a byte that is no valid UTF-8. Empty when the whole text converts.
std::string FirstCharacterOutsideGbk(const std::string& utf8);

// True when the byte starts a double-byte GBK character (0x81 to 0xFE).
inline bool IsGbkLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

// Finds `needle` in `text` from `from` on, case-sensitively, stepping over
// double-byte characters whole so that a match never starts on the second
// byte of one. Returns std::string::npos when there is no match. `from` must
// be a character boundary (0 always is).
std::size_t FindAnsi(const std::string& text, const std::string& needle, std::size_t from = 0);

// Removes every blank (0x20) and then every line feed (0x0A), wherever they
// stand, stepping over double-byte characters whole. Tabs stay.
std::string RemoveBlanks(const std::string& text);

// ASCII case-insensitive comparison of two whole strings: A-Z equal a-z,
// every other byte must be equal.
bool MatchesNoCase(const std::string& a, const std::string& b);

// Cuts a text at its first zero byte, as a C string copy would.
std::string UpToFirstNul(const std::string& text);

}  // namespace sorvik
