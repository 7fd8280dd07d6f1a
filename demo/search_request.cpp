#include "search_request.h"

#include <algorithm>
#include <cctype>

namespace sorvik::demo {
namespace {

bool AllDigits(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; });
}

SearchRequest Refuse(std::string error) {
    SearchRequest request;
    request.error = std::move(error);
    return request;
}

}  // namespace

SearchRequest ReadSearchRequest(const std::multimap<std::string, std::string>& query) {
    for (const char* key : {"initiative_id", "tab", "style", "q", "bcoffset", "s"}) {
        if (query.count(key) > 1) return Refuse(std::string("repeated key ") + key);
    }
    for (const char* key : {"initiative_id", "tab", "style", "q"}) {
        if (query.count(key) == 0) return Refuse(std::string("missing key ") + key);
    }

    const std::string& initiative = query.find("initiative_id")->second;
    const std::string prefix = "staobaoz_";
    if (initiative.size() != prefix.size() + 8 ||
        initiative.compare(0, prefix.size(), prefix) != 0 ||
        !AllDigits(initiative.substr(prefix.size()))) {
        return Refuse("initiative_id is not staobaoz_YYYYMMDD");
    }
    if (query.find("tab")->second != "all") return Refuse("tab is not all");
    if (query.find("style")->second != "list") return Refuse("style is not list");

    const auto bcoffset = query.find("bcoffset");
    const auto s = query.find("s");
    if ((bcoffset == query.end()) != (s == query.end())) {
        return Refuse("bcoffset and s come together");
    }
    SearchRequest request;
    request.valid = true;
    if (s == query.end()) return request;

    if (bcoffset->second != "4") return Refuse("bcoffset is not 4");
    if (s->second.empty() || s->second.size() > 18 || !AllDigits(s->second)) {
        return Refuse("s is not an offset");
    }
    request.offset = std::stoull(s->second);
    return request;
}

}  // namespace sorvik::demo
