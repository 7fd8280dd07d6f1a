#include "cli_options.h"

#include <cstring>

namespace sorvik {

const char* const kCliUsage =
    "usage: sorvik-cli [--mode 1|2|3] [--keyword TEXT] [--seller NAME] [--item LINK]\n"
    "  --mode     1 keyword only, 2 keyword and seller name, 3 keyword and item link\n"
    "             (default: 3 with --item, else 2 with --seller, else 1)\n"
    "  --keyword  the search keyword\n"
    "  --seller   the seller name to look for (mode 2)\n"
    "  --item     the item link to look for (mode 3)\n"
    "Rows go to stdout, one per line: rank, title, seller, price, sales, link.\n"
    "Message boxes and the final status line go to stderr.\n"
    "Exit status: 0 found (or a keyword-only search listed to its end), 1 not found or\n"
    "no items, 2 form rejected or bad options, 3 a download failed or the first page\n"
    "was empty, 130 stopped.\n"
    "The marketplace hosts come from SORVIK_SEARCH_HOST and SORVIK_ITEM_HOST.\n";

std::optional<CliOptions> ParseCliOptions(int argc, const char* const* argv, std::string& error) {
    CliOptions options;
    bool modeGiven = false, sellerGiven = false, itemGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        std::string name = arg, value;
        bool hasValue = false;
        if (std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            hasValue = true;
        }
        if (name != "--mode" && name != "--keyword" && name != "--seller" && name != "--item") {
            error = "unknown option: " + arg;
            return std::nullopt;
        }
        if (!hasValue) {
            if (i + 1 >= argc) {
                error = "option " + name + " needs a value";
                return std::nullopt;
            }
            value = argv[++i];
        }
        if (name == "--mode") {
            if (value != "1" && value != "2" && value != "3") {
                error = "--mode must be 1, 2 or 3, not '" + value + "'";
                return std::nullopt;
            }
            options.mode = value[0] - '0';
            modeGiven = true;
        } else if (name == "--keyword") {
            options.keyword = value;
        } else if (name == "--seller") {
            options.seller = value;
            sellerGiven = true;
        } else {
            options.item = value;
            itemGiven = true;
        }
    }
    if (!modeGiven) options.mode = itemGiven ? 3 : sellerGiven ? 2 : 1;
    return options;
}

}  // namespace sorvik
