// Checks of UTF-8 text read from the user's files.
#pragma once

#include <cstddef>
#include <string_view>

namespace sorvik {

// The length of the UTF-8 character at `at`, or 0 when the bytes there are
// no well-formed character (overlong forms and surrogates included) or a
// zero byte.
std::size_t Utf8CharLength(std::string_view text, std::size_t at);

// True when the whole of `text` is well-formed UTF-8 without zero bytes.
bool IsUtf8(std::string_view text);

// The 1-based number of the first line holding a byte sequence that is no
// UTF-8, or a zero byte; 0 when the whole text is UTF-8.
int FirstLineThatIsNoUtf8(std::string_view text);

}  // namespace sorvik
