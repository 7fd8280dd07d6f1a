#include "nesting_depth.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace sorvik {
namespace {

bool IsVoidElement(const std::string& name) {
    static const char* const kVoid[] = {"area",  "base",   "br",    "col",    "command", "embed",
                                        "hr",    "img",    "input", "keygen", "link",    "meta",
                                        "param", "source", "track", "wbr"};
    return std::any_of(std::begin(kVoid), std::end(kVoid),
                       [&](const char* v) { return name == v; });
}

bool IsNameByte(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == ':' || c == '_';
}

// Position after the first `needle` at or after `from`, or the end.
std::size_t After(const std::string& html, std::size_t from, const char* needle) {
    std::size_t at = html.find(needle, from);
    return at == std::string::npos ? html.size() : at + std::strlen(needle);
}

// Position after the end tag </name> (any case) from `from`, or the end.
std::size_t AfterEndTag(const std::string& html, std::size_t from, const std::string& name) {
    for (std::size_t at = html.find("</", from); at != std::string::npos;
         at = html.find("</", at + 2)) {
        std::size_t i = 0;
        while (i < name.size() && at + 2 + i < html.size() &&
               std::tolower(static_cast<unsigned char>(html[at + 2 + i])) == name[i])
            ++i;
        if (i == name.size()) return After(html, at, ">");
    }
    return html.size();
}

}  // namespace

std::size_t NestingDepth(const std::string& html, std::size_t limit) {
    std::vector<std::string> open;
    std::unordered_map<std::string, std::size_t> openByName;
    std::size_t deepest = 0;
    std::size_t i = 0;
    while (i < html.size() && deepest < limit) {
        std::size_t lt = html.find('<', i);
        if (lt == std::string::npos || lt + 1 >= html.size()) break;
        i = lt + 1;
        if (html.compare(i, 3, "!--") == 0) {
            i = After(html, i + 3, "-->");
            continue;
        }
        if (html[i] == '!' || html[i] == '?') {
            i = After(html, i, ">");
            continue;
        }
        const bool isEnd = html[i] == '/';
        if (isEnd) ++i;
        std::string name;
        while (i < html.size() && IsNameByte(html[i]))
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(html[i++])));
        if (name.empty()) continue;  // a '<' that starts no tag
        const std::size_t close = After(html, i, ">");
        const bool selfClosed = close >= 2 && close <= html.size() && html[close - 2] == '/';
        i = close;

        if (isEnd) {
            auto found = openByName.find(name);
            if (found == openByName.end() || found->second == 0) continue;
            while (!open.empty()) {
                std::string top = std::move(open.back());
                open.pop_back();
                --openByName[top];
                if (top == name) break;
            }
            continue;
        }
        if (name == "script" || name == "style") {
            if (!selfClosed) i = AfterEndTag(html, i, name);
            continue;
        }
        if (selfClosed || IsVoidElement(name)) continue;
        open.push_back(name);
        ++openByName[name];
        deepest = std::max(deepest, open.size());
    }
    return std::min(deepest, limit);
}

}  // namespace sorvik
