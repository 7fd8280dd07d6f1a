// GBK conversions over iconv (glibc's GBK is code page 936).
#include <iconv.h>

#include <cerrno>
#include <vector>

#include "conversion_steps.h"
#include "gbk_text.h"

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

    // iconv_open fails with (iconv_t)-1, an integer cast to the handle type.
    bool Valid() const {
        return m_cd != reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)
    }
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

}  // namespace

std::string GbkToUtf8(const std::string& gbk) {
    return Convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD", InvalidGbkSequenceLength);
}

std::string Utf8ToGbk(const std::string& utf8) {
    return Convert("GBK", "UTF-8", utf8, "?", Utf8SequenceLength);
}

}  // namespace sorvik
