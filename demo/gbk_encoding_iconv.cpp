// UTF-8 to GBK over iconv (glibc's GBK is code page 936).
#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <vector>

#include "gbk_encoding.h"

namespace sorvik::demo {
namespace {

// Owns one iconv conversion descriptor.
class IconvHandle {
  public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {
        if (m_cd == kInvalid) throw std::runtime_error("iconv cannot convert UTF-8 to GBK");
    }
    ~IconvHandle() { iconv_close(m_cd); }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    iconv_t Get() const { return m_cd; }

  private:
    static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
    iconv_t m_cd;
};

}  // namespace

std::string Utf8ToGbk(const std::string& utf8) {
    std::string gbk;
    if (utf8.empty()) return gbk;
    IconvHandle cd("GBK", "UTF-8");

    std::vector<char> buffer(16384);
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    while (inLeft > 0) {
        char* out = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t rc = iconv(cd.Get(), &in, &inLeft, &out, &outLeft);
        gbk.append(buffer.data(), buffer.size() - outLeft);
        if (rc != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        throw std::runtime_error("text not representable in GBK at byte " +
                                 std::to_string(utf8.size() - inLeft));
    }
    return gbk;
}

}  // namespace sorvik::demo
