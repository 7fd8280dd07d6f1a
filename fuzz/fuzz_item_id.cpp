// Byte searches over GBK text. The first byte of the input gives the length
// of the needle that follows it (0 to 8 bytes), the rest is the text; the
// text is also searched from a later character boundary and read as a link,
// whose item id is worked out again the slow way.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "gbk_text.h"
#include "page_analysis.h"

namespace {

// Where the characters of `text` begin, stepping over double-byte ones.
std::vector<std::size_t> CharacterStarts(const std::string& text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size();) {
        starts.push_back(i);
        i += (sorvik::IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size())
                 ? 2
                 : 1;
    }
    return starts;
}

// The first character start at or after `from` where `needle` stands, found
// the slow way.
std::size_t ExpectedFind(const std::string& text, const std::vector<std::size_t>& starts,
                         const std::string& needle, std::size_t from) {
    if (needle.empty()) return from <= text.size() ? from : std::string::npos;
    for (std::size_t start : starts) {
        if (start < from || start + needle.size() > text.size()) continue;
        if (text.compare(start, needle.size(), needle) == 0) return start;
    }
    return std::string::npos;
}

void CheckFind(const std::string& text, const std::vector<std::size_t>& starts,
               const std::string& needle, std::size_t from) {
    const std::size_t found = sorvik::FindAnsi(text, needle, from);
    const std::size_t expected = ExpectedFind(text, starts, needle, from);
    const std::string detail = "from " + std::to_string(from) + ": found " + std::to_string(found) +
                               ", expected " + std::to_string(expected);
    if (found != std::string::npos) {
        // A real match, at or after `from`, on a character start.
        FUZZ_CHECK(found >= from && found + needle.size() <= text.size(), detail);
        FUZZ_CHECK(text.compare(found, needle.size(), needle) == 0, detail);
        if (!needle.empty()) {
            bool onStart = false;
            for (std::size_t start : starts) onStart = onStart || start == found;
            FUZZ_CHECK(onStart, "a match on the second byte of a character, " + detail);
        }
    }
    FUZZ_CHECK(found == expected, detail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t needleSize = std::min<std::size_t>(data[0] % 9, size - 1);
    const std::string needle(reinterpret_cast<const char*>(data + 1), needleSize);
    const std::string text(reinterpret_cast<const char*>(data + 1 + needleSize),
                           size - 1 - needleSize);
    const std::vector<std::size_t> starts = CharacterStarts(text);

    CheckFind(text, starts, needle, 0);
    // From a later character start, and from the very end.
    if (!starts.empty()) CheckFind(text, starts, needle, starts[starts.size() / 2]);
    CheckFind(text, starts, needle, text.size());

    // The item id is the value of the "id" parameter: after the first "id="
    // on a character start that begins the text or follows '?' or '&' (else
    // after the first "id=" at all), up to the next '&' or '#' on a
    // character start, or the end.
    const std::optional<std::string> id = sorvik::ItemIdOf(text);
    std::size_t at = std::string::npos, first = std::string::npos;
    for (std::size_t start : starts) {
        if (text.compare(start, 3, "id=") != 0) continue;
        if (first == std::string::npos) first = start;
        if (start == 0 || text[start - 1] == '?' || text[start - 1] == '&') {
            at = start;
            break;
        }
    }
    if (at == std::string::npos) at = first;
    if (at == std::string::npos) {
        FUZZ_CHECK(!id, "an id without \"id=\": " + *id);
    } else {
        std::size_t end = text.size();
        for (std::size_t start : starts)
            if (start >= at + 3 && (text[start] == '&' || text[start] == '#')) {
                end = start;
                break;
            }
        FUZZ_CHECK(id && *id == text.substr(at + 3, end - at - 3),
                   "not the id parameter's value after id= at " + std::to_string(at));
    }
    return 0;
}
