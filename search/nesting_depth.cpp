#include "nesting_depth.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

namespace sorvik {
namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
constexpr std::uint32_t kUnknownName = std::numeric_limits<std::uint32_t>::max();

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Tag names are ASCII letters, digits, '-', ':' and '_', compared without
// case.
bool IsNameByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == ':' || c == '_';
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsOneOf(const std::string& name, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

bool IsVoidElement(const std::string& name) {
    return IsOneOf(name, {"area", "base", "br", "col", "command", "embed", "hr", "img", "input",
                          "keygen", "link", "meta", "param", "source", "track", "wbr"});
}

bool IsTablePart(const std::string& name) {
    return IsOneOf(
        name, {"table", "caption", "col", "colgroup", "tbody", "thead", "tfoot", "tr", "td", "th"});
}

bool IsSelectPart(const std::string& name) {
    return IsOneOf(name, {"select", "datalist", "optgroup", "option"});
}

bool IsHeading(const std::string& name) {
    return IsOneOf(name, {"h1", "h2", "h3", "h4", "h5", "h6"});
}

// Open elements out of which Tidy may ignore the end tag of an element
// further out: end tags of other elements do not reach out of tables,
// selects, headings, definition lists, text areas and noframes.
enum Barrier : int {
    kNoBarrier = -1,
    kTable,
    kSelect,
    kHeading,
    kDefinitionList,
    kTextArea,  // text areas and noframes: no end tag of another element reaches out
    kBarrierKinds
};

// What the scan knows about one tag name, and where its open elements are.
struct NameInfo {
    explicit NameInfo(const std::string& name)
        : isVoid(IsVoidElement(name)), isScript(name == "script" || name == "style") {
        if (IsTablePart(name)) {
            barrier = kTable;
        } else if (IsSelectPart(name)) {
            barrier = kSelect;
        } else if (IsHeading(name)) {
            barrier = kHeading;
        } else if (name == "dl") {
            barrier = kDefinitionList;
        } else if (name == "textarea" || name == "noframes") {
            barrier = kTextArea;
        }
        passes[kTable] = IsTablePart(name);
        passes[kSelect] = IsSelectPart(name);
        passes[kHeading] = IsHeading(name);
        passes[kDefinitionList] = IsOneOf(name, {"dl", "dt", "dd"});
    }

    bool isVoid;
    bool isScript;  // script or style: the content is not markup
    int barrier = kNoBarrier;
    bool passes[kBarrierKinds] = {};  // this end tag reaches out of that barrier
    std::size_t nearest = kNone;      // stack position of the nearest open one
    std::size_t open = 0;
};

// Tag names as small numbers, each with its NameInfo.
class TagNames {
  public:
    // Reads the tag name that starts at `i` into the current name, in lower
    // case; `i` ends after it. False when no name starts there.
    bool Read(std::string_view html, std::size_t& i) {
        m_current.clear();
        while (i < html.size() && IsNameByte(html[i])) m_current += AsciiLower(html[i++]);
        return !m_current.empty();
    }

    // The number of the current name, new names numbered as they come.
    std::uint32_t Intern() {
        auto found = m_ids.find(m_current);
        if (found != m_ids.end()) return found->second;
        const auto id = static_cast<std::uint32_t>(m_info.size());
        m_info.emplace_back(m_current);
        m_ids.emplace(m_current, id);
        return id;
    }

    std::uint32_t Intern(const char* name) {
        m_current = name;
        return Intern();
    }

    // The number of the current name, or kUnknownName when it has none yet.
    std::uint32_t Find() const {
        auto found = m_ids.find(m_current);
        return found == m_ids.end() ? kUnknownName : found->second;
    }

    NameInfo& operator[](std::uint32_t id) { return m_info[id]; }

  private:
    std::string m_current;
    std::unordered_map<std::string, std::uint32_t> m_ids;
    std::vector<NameInfo> m_info;
};

// The open elements as the generous count sees them: an end tag closes the
// nearest open element of its name and all inside it, unless a barrier
// stands in between (see Barrier); nothing else closes. Every answer takes
// constant time, and every element is pushed and popped at most once.
class OpenElements {
  public:
    explicit OpenElements(TagNames& names) : m_names(names) {
        std::fill(std::begin(m_barrierTop), std::end(m_barrierTop), kNone);
    }

    // Opens the element of a start tag that is not self-closed; void
    // elements open nothing. True when it opened.
    bool Start(std::uint32_t id) {
        NameInfo& info = m_names[id];
        if (info.isVoid) return false;
        const std::size_t position = m_stack.size();
        Entry entry{id, info.nearest, kNone};
        if (info.barrier != kNoBarrier) {
            entry.previousBarrier = m_barrierTop[info.barrier];
            m_barrierTop[info.barrier] = position;
        }
        m_stack.push_back(entry);
        info.nearest = position;
        ++info.open;
        return true;
    }

    void End(std::uint32_t id) {
        const NameInfo& info = m_names[id];
        if (info.open == 0) return;
        const std::size_t target = info.nearest;
        for (int kind = 0; kind < kBarrierKinds; ++kind) {
            const std::size_t barrier = m_barrierTop[kind];
            if (!info.passes[kind] && barrier != kNone && barrier > target) return;
        }
        while (m_stack.size() > target) Pop();
    }

    std::size_t Depth() const { return m_stack.size(); }

  private:
    struct Entry {
        std::uint32_t id;
        std::size_t previousSameName;
        std::size_t previousBarrier;
    };

    void Pop() {
        const Entry entry = m_stack.back();
        m_stack.pop_back();
        NameInfo& info = m_names[entry.id];
        info.nearest = entry.previousSameName;
        --info.open;
        if (info.barrier != kNoBarrier) m_barrierTop[info.barrier] = entry.previousBarrier;
    }

    TagNames& m_names;
    std::vector<Entry> m_stack;
    std::size_t m_barrierTop[kBarrierKinds];
};

bool StartsWith(std::string_view html, std::size_t at, std::string_view prefix) {
    return html.compare(at, prefix.size(), prefix) == 0;
}

// Position after the first `needle` at or after `from`, or the end.
std::size_t After(std::string_view html, std::size_t from, std::string_view needle) {
    const std::size_t at = html.find(needle, from);
    return at == std::string_view::npos ? html.size() : at + needle.size();
}

// The end of a declaration or processing instruction whose '!' or '?' is at
// `i`: a document type declaration may quote '>', anything else ends at the
// first '>'.
std::size_t EndOfDeclaration(std::string_view html, std::size_t i) {
    static const char kDoctype[] = "!DOCTYPE";
    for (std::size_t k = 0; k < 8; ++k) {
        const char c = i + k < html.size() ? html[i + k] : '\0';
        if (AsciiLower(c) != AsciiLower(kDoctype[k])) return After(html, i, ">");
    }
    while (i < html.size() && html[i] != '>') {
        if (html[i] == '"' || html[i] == '\'') {
            const std::size_t quote = html.find(html[i], i + 1);
            i = quote == std::string_view::npos ? html.size() : quote;
        }
        ++i;
    }
    return std::min(i + 1, html.size());
}

// The end of a tag whose name ends at `i`, as Tidy reads it: a quoted
// attribute value may hold '<' and '>', a '<' anywhere else starts the next
// tag, and "/>" closes the tag only right after its name, a blank or a
// quoted value. Returns the position after the tag (at the '<' of the next
// one) and sets `selfClosed`.
std::size_t EndOfTag(std::string_view html, std::size_t i, bool& selfClosed) {
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
            if (quote == std::string_view::npos) return html.size();
            i = quote + 1;
            slashCloses = true;
            continue;
        }
        if (i < html.size() && html[i] != '>') ++i;
        while (i < html.size() && !IsBlank(html[i]) && html[i] != '>' && html[i] != '<') ++i;
    }
    return html.size();
}

// The end of script or style content from `from`: Tidy ends it at the
// element's own end tag, and also at the end tag of any open element.
std::size_t EndOfScript(std::string_view html, std::size_t from, std::uint32_t scriptId,
                        TagNames& names) {
    for (std::size_t at = html.find("</", from); at != std::string_view::npos;
         at = html.find("</", at + 2)) {
        std::size_t i = at + 2;
        if (!names.Read(html, i)) continue;
        const std::uint32_t closing = names.Find();
        if (closing != kUnknownName && (closing == scriptId || names[closing].open > 0)) return at;
    }
    return html.size();
}

std::size_t SaturatingAdd(std::size_t a, std::size_t b) {
    return b > kNone - a ? kNone : a + b;
}

}  // namespace

CleaningLoad MeasureCleaningLoad(std::string_view html, std::size_t depthLimit,
                                 std::size_t fontLimit) {
    CleaningLoad load;
    if (depthLimit == 0 || fontLimit == 0) return load;

    TagNames names;
    OpenElements open(names);
    const std::uint32_t font = names.Intern("font");
    // Font elements stay open until their own end tag closes them, whatever
    // other end tags come: Tidy keeps them open past the end of the block
    // they started in.
    std::size_t fonts = 0;

    // Every start and end tag in order. Comments, CDATA sections,
    // declarations and the contents of script and style elements are
    // skipped; script and style elements open nothing.
    std::size_t i = 0;
    while (i < html.size() && load.depth < depthLimit && load.reopenedFonts < fontLimit) {
        const void* lt = std::memchr(html.data() + i, '<', html.size() - i);
        if (!lt) break;
        i = static_cast<std::size_t>(static_cast<const char*>(lt) - html.data()) + 1;
        if (i >= html.size()) break;
        if (StartsWith(html, i, "!--")) {
            i = After(html, i + 3, "-->");
            continue;
        }
        if (StartsWith(html, i, "![CDATA[")) {
            i = After(html, i + 8, "]]>");
            continue;
        }
        if (html[i] == '!' || html[i] == '?') {
            i = EndOfDeclaration(html, i);
            continue;
        }
        const bool isEnd = html[i] == '/';
        if (isEnd) ++i;
        if (!names.Read(html, i)) continue;  // a '<' that starts no tag
        bool selfClosed = false;
        i = EndOfTag(html, i, selfClosed);

        if (isEnd || selfClosed) {
            // Only a name already numbered can matter: an end tag closes an
            // open element, a self-closed tag opens nothing. Unknown names
            // are not numbered, so a page of them costs no memory.
            const std::uint32_t id = names.Find();
            if (isEnd && id != kUnknownName) {
                const std::size_t fontsBefore = names[font].open;
                open.End(id);
                if (id == font && names[font].open < fontsBefore) --fonts;
            }
            continue;
        }
        const std::uint32_t id = names.Intern();
        if (names[id].isScript) {
            i = EndOfScript(html, i, id, names);
            continue;
        }
        if (!open.Start(id)) continue;
        load.depth = std::max(load.depth, open.Depth());
        load.reopenedFonts = SaturatingAdd(load.reopenedFonts, fonts);
        if (id == font) ++fonts;
    }
    load.depth = std::min(load.depth, depthLimit);
    load.reopenedFonts = std::min(load.reopenedFonts, fontLimit);
    return load;
}

std::size_t NestingDepth(std::string_view html, std::size_t limit) {
    return MeasureCleaningLoad(html, limit, kNone).depth;
}

std::size_t ReopenedFonts(std::string_view html, std::size_t limit) {
    return MeasureCleaningLoad(html, kNone, limit).reopenedFonts;
}

}  // namespace sorvik
