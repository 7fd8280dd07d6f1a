#include "rivals.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>

#include "competition.h"
#include "exit_status.h"
#include "file_names.h"
#include "output_file.h"
#include "output_format.h"
#include "row_store.h"

namespace sorvik {
namespace cli {

int ListRivals(const CliOptions& options) {
    std::error_code missing;
    if (!std::filesystem::is_regular_file(PathFromUtf8(options.storeFile), missing)) {
        std::fprintf(stderr, "sorvik-cli: no row store at %s\n", options.storeFile.c_str());
        return kExitRejected;
    }
    std::string report;
    std::unique_ptr<RowStore> store = RowStore::Open(options.storeFile, report);
    if (!report.empty()) std::fprintf(stderr, "sorvik-cli: warning: %s\n", report.c_str());
    if (!store) return kExitRejected;
    OutputFile output;
    std::string error;
    if (!output.Open(options.outputFile, error)) {
        std::fprintf(stderr, "sorvik-cli: %s\n", error.c_str());
        return kExitRejected;
    }
    const std::time_t until = std::time(nullptr) + 1;
    const std::time_t since = until - static_cast<std::time_t>(options.days) * 86400;
    const std::vector<Rival> rivals = RivalsOf(store->SellerChecksSince(since), since, until);
    output.Write(RivalsHeader(options.format));
    for (const Rival& rival : rivals) output.Write(FormatRival(options.format, rival));
    if (!output.Finish(error)) {
        std::fprintf(stderr, "sorvik-cli: %s\n", error.c_str());
        return kExitRecordLost;
    }
    return kExitDone;
}

}  // namespace cli
}  // namespace sorvik
