#include "gbk_text.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace sorvik {
namespace {

// Owns one iconv conversion descriptor.
class IconvHandle {
  public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (Valid()) iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

  private:
    iconv_t m_cd;
};

// Converts `input` with iconv; on an invalid or unconvertible sequence it
// writes `replacement` and skips `skipBytes(position)` input bytes.
template <typename SkipFn>
std::string Convert(const char* to, const char* from, const std::string& input,
                    const std::string& replacement, SkipFn skipBytes) {
    std::string output;
    if (input.empty()) return output;
    IconvHandle cd(to, from);
    if (!cd.Valid()) return output;

    std::vector<char> buffer(4096);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    while (inLeft > 0) {
        char* out = buffer.data();
        std::size_t outLeft = buffer.size();
        std::size_t rc = iconv(cd.Get(), &in, &inLeft, &out, &outLeft);
        output.append(buffer.data(), buffer.size() - outLeft);
        if (rc != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: an invalid, unconvertible or cut-off sequence.
        output += replacement;
        std::size_t skip = skipBytes(reinterpret_cast<const unsigned char*>(in), inLeft);
        in += skip;
        inLeft -= skip;
        iconv(cd.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    return output;
}

// Length of the UTF-8 sequence that starts with `lead`, 1 for a stray byte.
std::size_t Utf8SequenceLength(const unsigned char* p, std::size_t left) {
    std::size_t want = 1;
    if (p[0] >= 0xC2 && p[0] <= 0xDF)
        want = 2;
    else if (p[0] >= 0xE0 && p[0] <= 0xEF)
        want = 3;
    else if (p[0] >= 0xF0 && p[0] <= 0xF4)
        want = 4;
    std::size_t n = 1;
    while (n < want && n < left && (p[n] & 0xC0) == 0x80) ++n;
    return n;
}

}  // namespace

std::string GbkToUtf8(const std::string& gbk) {
    // A bad lead byte with a valid trail takes both; anything else one byte.
    return Convert(
        "UTF-8", "GBK", gbk, "\xEF\xBF\xBD",
        [](const unsigned char* p, std::size_t left) -> std::size_t {
            return (IsGbkLeadByte(p[0]) && left >= 2 && p[1] >= 0x40 && p[1] != 0x7F) ? 2 : 1;
        });
}

std::string Utf8ToGbk(const std::string& utf8) {
    return Convert("GBK", "UTF-8", utf8, "?", Utf8SequenceLength);
}

std::size_t FindAnsi(const std::string& text, const std::string& needle, std::size_t from) {
    if (needle.empty()) return from <= text.size() ? from : std::string::npos;
    if (needle.size() > text.size()) return std::string::npos;
    const std::size_t last = text.size() - needle.size();
    std::size_t i = from;
    while (i <= last) {
        if (text.compare(i, needle.size(), needle) == 0) return i;
        i += (IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    }
    return std::string::npos;
}

std::string RemoveBlanks(const std::string& text) {
    // One pass removes both: blanks and line feeds stand between whole
    // characters, so removing them never changes how later bytes pair up.
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (IsGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
            out.append(text, i, 2);
            i += 2;
            continue;
        }
        if (text[i] != ' ' && text[i] != '\n') out += text[i];
        ++i;
    }
    return out;
}

bool MatchesNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string UpToFirstNul(const std::string& text) {
    std::size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

}  // namespace sorvik
