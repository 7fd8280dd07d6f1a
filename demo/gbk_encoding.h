// UTF-8 to GBK conversion for the pages the demo marketplace serves.
#pragma once

#include <string>

namespace sorvik::demo {

// Converts UTF-8 text to GBK (code page 936). Every text the demo serves is
// its own, so a character that GBK cannot hold (or a byte that is no UTF-8)
// is a bug in the catalog or the page templates: this throws
// std::runtime_error instead of quietly writing a replacement character.
std::string Utf8ToGbk(const std::string& utf8);

}  // namespace sorvik::demo
