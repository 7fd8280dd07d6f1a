// Reading the query of a result page request.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace sorvik::demo {

// The outcome of reading a /search query: the result offset, or why the
// request is refused.
struct SearchRequest {
    bool valid = false;
    std::uint64_t offset = 0;
    std::string error;  // set when !valid
};

// Reads the decoded query keys of a result page request. The first page is
// initiative_id=staobaoz_YYYYMMDD&tab=all&style=list&q=KEYWORD; later pages
// add bcoffset=4&s=OFFSET. Each of these keys must appear once (q may be
// empty); other keys are ignored. Anything else makes the request invalid.
SearchRequest ReadSearchRequest(const std::multimap<std::string, std::string>& query);

}  // namespace sorvik::demo
