#include "nesting_depth.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <initializer_list>
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

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

bool IsTablePart(const std::string& name) {
    return IsOneOf(
        name, {"table", "caption", "col", "colgroup", "tbody", "thead", "tfoot", "tr", "td", "th"});
}

bool IsHeading(const std::string& name) {
    return IsOneOf(name, {"h1", "h2", "h3", "h4", "h5", "h6"});
}

bool IsSelectPart(const std::string& name) {
    return IsOneOf(name, {"select", "datalist", "optgroup", "option"});
}

bool IsListPart(const std::string& name) {
    return IsOneOf(name, {"dl", "dt", "dd"});
}

// True when Tidy may ignore an end tag `closing` that would have to close
// the open element `inside` to reach its own element: end tags of other
// elements do not reach out of tables, selects, headings, definition lists,
// text areas and noframes.
bool EndTagStopsAt(const std::string& inside, const std::string& closing) {
    if (IsTablePart(inside)) return !IsTablePart(closing);
    if (IsSelectPart(inside)) return !IsSelectPart(closing);
    if (IsHeading(inside)) return !IsHeading(closing);
    if (inside == "dl") return !IsListPart(closing);
    return inside == "textarea" || inside == "noframes";
}

// The end of a tag whose name ends at `i`, as Tidy reads it: a quoted
// attribute value may hold '<' and '>', a '<' anywhere else starts the next
// tag, and "/>" closes the tag only right after its name, a blank or a
// quoted value. Returns the position after the tag (at the '<' of the next
// one) and sets `selfClosed`.
std::size_t EndOfTag(const std::string& html, std::size_t i, bool& selfClosed) {
    selfClosed = false;
    bool slashCloses = true;
    while (i < html.size()) {
        const char c = html[i];
        if (c == '>') return i + 1;
        if (c == '<') return i;
        if (c == '/' && i + 1 < html.size() && html[i + 1] == '>') {
            selfClosed = slashCloses;
            return i + 2;
        }
        if (IsBlank(c)) {
            slashCloses = true;
            ++i;
            continue;
        }
        slashCloses = false;
        if (c != '=') {
            ++i;
            continue;
        }
        // An attribute value: quoted up to the same quote, else up to a
        // blank, '>' or '<' (its first byte can be anything but '>').
        ++i;
        while (i < html.size() && IsBlank(html[i])) ++i;
        if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
            const std::size_t quote = html.find(html[i], i + 1);
            if (quote == std::string::npos) return html.size();
            i = quote + 1;
            slashCloses = true;
            continue;
        }
        if (i < html.size() && html[i] != '>') ++i;
        while (i < html.size() && !IsBlank(html[i]) && html[i] != '>' && html[i] != '<') ++i;
    }
    return html.size();
}

// The open elements as the generous count sees them: an end tag closes the
// nearest open element of its name and all inside it, unless Tidy would
// ignore it (see EndTagStopsAt); nothing else closes.
class OpenElements {
  public:
    // Opens the element of a start tag; void elements and self-closed tags
    // open nothing. True when it opened.
    bool Start(const std::string& name, bool selfClosed) {
        if (selfClosed || IsVoidElement(name)) return false;
        m_open.push_back(name);
        ++m_openByName[name];
        return true;
    }

    void End(const std::string& name) {
        if (!IsOpen(name)) return;
        for (auto it = m_open.rbegin(); *it != name; ++it) {
            if (EndTagStopsAt(*it, name)) return;
        }
        while (!m_open.empty()) {
            std::string top = std::move(m_open.back());
            m_open.pop_back();
            --m_openByName[top];
            if (top == name) break;
        }
    }

    bool IsOpen(const std::string& name) const { return Count(name) > 0; }
    std::size_t Depth() const { return m_open.size(); }
    std::size_t Count(const std::string& name) const {
        auto found = m_openByName.find(name);
        return found == m_openByName.end() ? 0 : found->second;
    }

  private:
    std::vector<std::string> m_open;
    std::unordered_map<std::string, std::size_t> m_openByName;
};

// The lower-case tag name that starts at `i`; `i` ends after it.
std::string ReadName(const std::string& html, std::size_t& i) {
    std::string name;
    while (i < html.size() && IsNameByte(html[i]))
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(html[i++])));
    return name;
}

// The end of script or style content from `from`: Tidy ends it at the
// element's own end tag, and also at the end tag of any open element.
std::size_t EndOfScript(const std::string& html, std::size_t from, const std::string& name,
                        const OpenElements& open) {
    for (std::size_t at = html.find("</", from); at != std::string::npos;
         at = html.find("</", at + 2)) {
        std::size_t i = at + 2;
        const std::string closing = ReadName(html, i);
        if (closing == name || (!closing.empty() && open.IsOpen(closing))) return at;
    }
    return html.size();
}

// Calls `onTag(name, isEnd, selfClosed)` for every start and end tag in
// `html`, in order and with the name in lower case, until it returns false;
// `open` is what `onTag` keeps open. Comments, CDATA sections, declarations
// and the contents of script and style elements are skipped; script and
// style start tags are not passed on.
template <typename OnTag>
void ForEachTag(const std::string& html, const OpenElements& open, OnTag onTag) {
    std::size_t i = 0;
    while (i < html.size()) {
        std::size_t lt = html.find('<', i);
        if (lt == std::string::npos || lt + 1 >= html.size()) break;
        i = lt + 1;
        if (html.compare(i, 3, "!--") == 0) {
            i = After(html, i + 3, "-->");
            continue;
        }
        if (html.compare(i, 8, "![CDATA[") == 0) {
            i = After(html, i + 8, "]]>");
            continue;
        }
        if (html[i] == '!' || html[i] == '?') {
            // A document type declaration may quote '>'.
            bool doctype = true;
            for (std::size_t k = 0; k < 8 && doctype; ++k)
                doctype = i + k < html.size() &&
                          std::toupper(static_cast<unsigned char>(html[i + k])) == "!DOCTYPE"[k];
            if (!doctype) {
                i = After(html, i, ">");
                continue;
            }
            while (i < html.size() && html[i] != '>') {
                if (html[i] == '"' || html[i] == '\'') {
                    const std::size_t quote = html.find(html[i], i + 1);
                    i = quote == std::string::npos ? html.size() : quote;
                }
                ++i;
            }
            i = std::min(i + 1, html.size());
            continue;
        }
        const bool isEnd = html[i] == '/';
        if (isEnd) ++i;
        const std::string name = ReadName(html, i);
        if (name.empty()) continue;  // a '<' that starts no tag
        bool selfClosed = false;
        i = EndOfTag(html, i, selfClosed);

        if (!isEnd && (name == "script" || name == "style")) {
            if (!selfClosed) i = EndOfScript(html, i, name, open);
            continue;
        }
        if (!onTag(name, isEnd, selfClosed)) return;
    }
}

}  // namespace

std::size_t NestingDepth(const std::string& html, std::size_t limit) {
    OpenElements open;
    std::size_t deepest = 0;
    if (limit == 0) return 0;
    ForEachTag(html, open, [&](const std::string& name, bool isEnd, bool selfClosed) {
        if (isEnd) {
            open.End(name);
        } else if (open.Start(name, selfClosed)) {
            deepest = std::max(deepest, open.Depth());
        }
        return deepest < limit;
    });
    return std::min(deepest, limit);
}

std::size_t ReopenedFonts(const std::string& html, std::size_t limit) {
    // Font elements stay open until their own end tag closes them, whatever
    // other end tags come: Tidy keeps them open past the end of the block
    // they started in.
    OpenElements open;
    std::size_t fonts = 0;
    std::size_t reopened = 0;
    if (limit == 0) return 0;
    ForEachTag(html, open, [&](const std::string& name, bool isEnd, bool selfClosed) {
        if (isEnd) {
            const std::size_t before = open.Count("font");
            open.End(name);
            if (name == "font" && open.Count("font") < before) --fonts;
            return true;
        }
        if (!open.Start(name, selfClosed)) return true;
        reopened += fonts;
        if (name == "font") ++fonts;
        return reopened < limit;
    });
    return std::min(reopened, limit);
}

}  // namespace sorvik
