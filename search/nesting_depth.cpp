#include "nesting_depth.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "open_elements.h"

namespace sorvik {
namespace {

using nesting::AsciiLower;
using nesting::kNone;
using nesting::kUnknownName;
using nesting::OpenElements;
using nesting::TagNames;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

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
