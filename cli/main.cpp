// sorvik-cli: searches from the command line, on the same search run as the
// dialog's worker.
#include <cstdio>
#include <optional>

#include "cli_options.h"
#include "tracking.h"

int main(int argc, char** argv) {
    sorvik::CliError error;
    std::optional<sorvik::CliOptions> options = sorvik::ParseCliOptions(argc, argv, error);
    if (!options) {
        std::fprintf(stderr, "sorvik-cli: %s\n%s", error.message.c_str(),
                     error.showUsage ? sorvik::kCliUsage : "");
        return 2;
    }
    if (options->help) {
        std::fputs(sorvik::kCliUsage, stdout);
        return 0;
    }
    return sorvik::RunSearches(*options);
}
