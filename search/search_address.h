// The address of the first result page: date stamp, keyword encoding and the
// marketplace's hosts.
#pragma once

#include <cstdint>
#include <string>

namespace sorvik {

// The search host: SORVIK_SEARCH_HOST when set and not empty, else s.taobao.com.
std::string SearchHost();
// The item host: SORVIK_ITEM_HOST when set and not empty, else item.taobao.com.
std::string ItemHost();

// The local date of `seconds` (since 1970-01-01 UTC) as "%Y%m%d", or the empty
// text when it cannot be formed.
std::string MakeDateStamp(std::int64_t seconds);

// The GBK keyword in UTF-8, percent-encoded byte by byte except for the
// literal set ! $ ( ) * . / : ; @ ('&', '=' and '#' are encoded, so that the
// whole keyword stays the q value). Empty when the UTF-8 form is longer
// than 5120 bytes or the encoded form would not fit in 5119 bytes.
std::string EncodeKeyword(const std::string& gbkKeyword);

// True when the encoded form of the GBK keyword fits the work area of the
// address: at most 5119 bytes, from a UTF-8 form of at most 5120 bytes
// (1,706 ASCII characters outside the literal set, 568 Chinese ones).
// EncodeKeyword gives the empty text for a keyword that does not.
bool KeywordFits(const std::string& gbkKeyword);

// "http://" + search host + "/search?initiative_id=staobaoz_" + date stamp +
// "&tab=all&style=list&q=" + encoded keyword.
std::string BuildSearchUrl(const std::string& gbkKeyword, std::int64_t nowSeconds);

}  // namespace sorvik
