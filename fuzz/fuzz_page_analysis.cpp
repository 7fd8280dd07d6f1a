// Any bytes as a cleaned result page: parse, count, and walk it in every
// mode, as a first and as a later page.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sorvik::fuzz::AnalysePage(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
