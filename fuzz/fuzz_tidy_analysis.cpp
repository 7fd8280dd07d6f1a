// Any bytes as a downloaded result page: cleaned into the clean file with
// the repository's config.txt, read back, then analysed as a page.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_support.h"
#include "page_fetch.h"
#include "tidy_page.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    sorvik::fuzz::EnterPrivateDirectory(true);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sorvik;
    // No clean file of an earlier input may stand in for this one's.
    std::remove("data_backup.html");
    fuzz::WriteFile("data.html", data, size);

    const int status = TidyPage("data_backup.html", "data.html");
    FUZZ_CHECK(status >= 0 && status <= 2, std::to_string(status));
    fuzz::AnalysePage(ReadWholeFile("data_backup.html"));
    return 0;
}
