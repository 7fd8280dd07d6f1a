// Any bytes as a file read whole: every CR directly followed by LF is dropped
// and every other byte is kept, in order.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "page_fetch.h"

namespace {

std::size_t Count(const std::string& text, const char* what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    sorvik::fuzz::EnterPrivateDirectory(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string raw(reinterpret_cast<const char*>(data), size);
    sorvik::fuzz::WriteFile("page.html", data, size);
    const std::string text = sorvik::ReadWholeFile("page.html");

    std::size_t pairs = 0;
    std::string expected;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
            ++pairs;
            continue;
        }
        expected += raw[i];
    }
    FUZZ_CHECK(text.size() == raw.size() - pairs,
               "read " + std::to_string(text.size()) + " bytes of " + std::to_string(raw.size()) +
                   " with " + std::to_string(pairs) + " CR LF pairs");
    FUZZ_CHECK(text == expected, "the bytes read differ from the file's");
    // A CR LF pair is left exactly where the file had CR CR LF: the first CR
    // is a lone one and stays.
    FUZZ_CHECK(Count(text, "\r\n") == Count(raw, "\r\r\n"), "a CR LF pair was left");
    return 0;
}
