// sorvik-cli: searches from the command line, on the same search run as the
// dialog's worker.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli_options.h"
#include "console.h"
#include "rivals.h"
#include "scheduled.h"
#include "tracking.h"

int main(int argc, char** argv) {
    sorvik::cli::KeepMemoryForTheNextPage();
    sorvik::cli::UseByteStreams();
    const std::vector<std::string> args = sorvik::cli::CommandLineUtf8(argc, argv);
    std::vector<const char*> argp;
    argp.reserve(args.size() + 1);
    for (const std::string& arg : args) argp.push_back(arg.c_str());
    argp.push_back(nullptr);

    sorvik::cli::CliError error;
    std::optional<sorvik::cli::CliOptions> options =
        sorvik::cli::ParseCliOptions(static_cast<int>(args.size()), argp.data(), error);
    if (!options) {
        std::fprintf(stderr, "sorvik-cli: %s\n%s", error.message.c_str(),
                     error.showUsage ? sorvik::cli::kCliUsage : "");
        return 2;
    }
    if (options->help) {
        std::fputs(sorvik::cli::kCliUsage, stdout);
        return 0;
    }
    if (options->rivals) return sorvik::cli::ListRivals(*options);
    if (options->scheduled) return sorvik::cli::RunScheduled(*options);
    return sorvik::cli::RunSearches(*options);
}
