#include "cli_options.h"

#include <climits>
#include <iterator>

namespace sorvik {
namespace cli {

const char* const kCliUsage =
    "usage: sorvik-cli [--mode 1|2|3] [--keyword TEXT] [--seller NAME] [--item LINK] [OUTPUT]\n"
    "       sorvik-cli --batch FILE [--rows] [OUTPUT]\n"
    "       sorvik-cli --rivals --store FILE [--days N] [--format F] [--output FILE]\n"
    "One search:\n"
    "  --mode N         1 keyword only, 2 keyword and seller name, 3 keyword and item link\n"
    "                   (default: 3 with --item, else 2 with --seller, else 1)\n"
    "  --keyword TEXT   the search keyword\n"
    "  --seller NAME    the seller name to look for (mode 2)\n"
    "  --item LINK      the item link to look for (mode 3)\n"
    "Many searches:\n"
    "  --batch FILE     one search per line of a UTF-8 text file: KEYWORD (mode 1),\n"
    "                   KEYWORD<TAB>SELLER (mode 2) or KEYWORD<TAB>LINK, LINK starting\n"
    "                   with http:// or https:// (mode 3). Blank lines and lines\n"
    "                   starting with # are skipped; a line that cannot be used is\n"
    "                   reported with its number and the batch goes on. Not with the\n"
    "                   four options above. A batch writes summaries unless --rows.\n"
    "  --rows           with --batch: every search's rows instead of the summaries\n"
    "                   (blanks around a line's keyword and target are dropped)\n"
    "OUTPUT options:\n"
    "  --format F       tsv (default), csv (RFC 4180, UTF-8 with a byte-order mark and\n"
    "                   a header line) or json (JSON Lines, one object per record)\n"
    "  --summary        one record per search instead of the rows: keyword, target,\n"
    "                   mode, outcome (found, not_found, finished, no_items,\n"
    "                   download_failed, form_rejected, stopped), rank (only when\n"
    "                   found), total, page, pages_read, checked_at (local time)\n"
    "  --max-pages N    read at most N result pages per search; a search that reaches\n"
    "                   the limit ends as not_found (finished in mode 1), noted on stderr\n"
    "  --history FILE   append every summary to FILE as a JSON line; summaries then also\n"
    "                   give previous_rank, change (positive: moved up; tsv: ↑3, ↓2, =,\n"
    "                   new) and best_rank from the earlier records of the same keyword\n"
    "                   and target\n"
    "  --output FILE    write the rows or summaries to FILE instead of stdout (- is\n"
    "                   stdout); FILE is replaced when the run ends, also when it is\n"
    "                   stopped (through a link, keeping its mode; a device as it is)\n"
    "  --store FILE     with --batch or --summary: keep every row each check saw in the\n"
    "                   SQLite store FILE (created when missing; rows older than 180\n"
    "                   days are dropped; a damaged store is moved aside)\n"
    "  --explain        with --store: summaries add why, what changed above the target\n"
    "                   since the line's check before\n"
    "Rivals:\n"
    "  --rivals         with --store: one record per seller whose items ranked above\n"
    "                   yours: seller, times_above, lines, best_rank, page1_share,\n"
    "                   trend (-1 to 1: the share of checks they were above in the\n"
    "                   later half of the days less the earlier half), most often first\n"
    "  --days N         with --rivals: the days looked back over (default 30)\n"
    "Alerts (with --batch and --history):\n"
    "  --alerts FILE    append each alert raised after a check to FILE as a JSON line:\n"
    "                   keyword, target, kind (left_top, dropped, new_rival, failing),\n"
    "                   rank, previous_rank, checked_at, text; new_rival needs --store\n"
    "  --notify         post each alert's text to the group robot of the tracker's\n"
    "                   settings (webhook= in tracker.ini of the tracker's data folder)\n"
    "Daily check:\n"
    "  --scheduled      with --batch: a run of the daily check. It skips, saying so, while\n"
    "                   another scheduled run holds .sorvik-scheduled.lock in the batch\n"
    "                   file's folder, and writes last-scheduled-run.json there when it\n"
    "                   ends: started, ended, exit_status, checked, failed, stopped\n"
    "--batch, --history, --output, --store and --alerts must name different files, and\n"
    "none of them config.txt or a working file (data.html, data_backup.html).\n"
    "An https:// item link of the item host is taken as its http:// form.\n"
    "Rows: rank, title, seller, price, sales, link; csv and json add page, keyword,\n"
    "price_yuan (a number) and sales_count (the count read from the sales text).\n"
    "Message boxes and the final status line go to stderr.\n"
    "Exit status of one search: 0 found (or a keyword-only search listed to its end),\n"
    "1 not found or no items, 2 form rejected or bad options, 3 a download failed or the\n"
    "first page was empty, 4 a record could not be written, 130 stopped.\n"
    "Exit status of a batch: 0 every line was checked (found, not_found, finished,\n"
    "no_items), 2 a line was unusable or rejected, 3 a check failed to download (over 2),\n"
    "4 not every record was kept (over 3), 130 stopped (over all). Bad options or\n"
    "files: 2, and nothing is written.\n"
    "The marketplace hosts come from SORVIK_SEARCH_HOST and SORVIK_ITEM_HOST.\n";

namespace {

const char* const kValueOptions[] = {"--mode",   "--keyword", "--seller",    "--item",
                                     "--batch",  "--format",  "--max-pages", "--history",
                                     "--output", "--store",   "--days",      "--alerts"};
const char* const kFlagOptions[] = {"--summary", "--rows",   "--explain",
                                    "--rivals",  "--notify", "--scheduled"};

bool IsOneOf(const std::string& name, const char* const* names, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (name == names[i]) return true;
    }
    return false;
}

// A whole decimal number from 1 to INT_MAX.
std::optional<int> PositiveNumber(const std::string& text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace

std::optional<CliOptions> ParseCliOptions(int argc, const char* const* argv, CliError& error) {
    CliOptions options;
    bool modeGiven = false, sellerGiven = false, itemGiven = false, keywordGiven = false;
    bool daysGiven = false;
    auto fail = [&](std::string message, bool showUsage) {
        error = {std::move(message), showUsage};
        return std::nullopt;
    };
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
        if (IsOneOf(name, kFlagOptions, std::size(kFlagOptions))) {
            if (hasValue) return fail("option " + name + " takes no value", true);
            (name == "--summary"     ? options.summary
             : name == "--rows"      ? options.rows
             : name == "--explain"   ? options.explain
             : name == "--notify"    ? options.notify
             : name == "--scheduled" ? options.scheduled
                                     : options.rivals) = true;
            continue;
        }
        if (!IsOneOf(name, kValueOptions, std::size(kValueOptions)))
            return fail("unknown option: " + arg, true);
        if (!hasValue) {
            if (i + 1 >= argc) return fail("option " + name + " needs a value", true);
            value = argv[++i];
        }
        if (name == "--mode") {
            if (value != "1" && value != "2" && value != "3")
                return fail("--mode must be 1, 2 or 3, not '" + value + "'", true);
            options.mode = value[0] - '0';
            modeGiven = true;
        } else if (name == "--keyword") {
            options.keyword = value;
            keywordGiven = true;
        } else if (name == "--seller") {
            options.seller = value;
            sellerGiven = true;
        } else if (name == "--item") {
            options.item = value;
            itemGiven = true;
        } else if (name == "--batch") {
            if (value.empty()) return fail("--batch needs a file name", false);
            options.batchFile = value;
        } else if (name == "--format") {
            std::optional<OutputFormat> format = OutputFormatNamed(value);
            if (!format) return fail("unknown format '" + value + "': use tsv, csv or json", false);
            options.format = *format;
        } else if (name == "--max-pages") {
            std::optional<int> pages = PositiveNumber(value);
            if (!pages)
                return fail("--max-pages must be a positive whole number, not '" + value + "'",
                            false);
            options.maxPages = *pages;
        } else if (name == "--store") {
            if (value.empty()) return fail("--store needs a file name", false);
            options.storeFile = value;
        } else if (name == "--days") {
            std::optional<int> days = PositiveNumber(value);
            if (!days || *days > 3650)
                return fail("--days must be a whole number from 1 to 3650, not '" + value + "'",
                            false);
            options.days = *days;
            daysGiven = true;
        } else if (name == "--alerts") {
            if (value.empty()) return fail("--alerts needs a file name", false);
            options.alertsFile = value;
        } else if (name == "--history") {
            if (value.empty()) return fail("--history needs a file name", false);
            options.historyFile = value;
        } else {
            if (value.empty()) return fail("--output needs a file name", false);
            options.outputFile = value;
        }
    }
    if (options.Batch() && (modeGiven || keywordGiven || sellerGiven || itemGiven))
        return fail(
            "--batch takes the keywords from its file: no --mode, --keyword, --seller "
            "or --item with it",
            false);
    if (options.summary && options.rows)
        return fail("--summary and --rows exclude each other", false);
    if (options.rows && !options.Batch())
        return fail("--rows goes with --batch (a single search writes its rows anyway)", false);
    if (options.rivals) {
        if (options.storeFile.empty())
            return fail("--rivals reads the rows of --store FILE", false);
        if (options.Batch() || modeGiven || keywordGiven || sellerGiven || itemGiven ||
            options.summary || options.rows || options.explain || !options.historyFile.empty() ||
            options.maxPages != 0)
            return fail(
                "--rivals runs no search: only --store, --days, --format and --output "
                "go with it",
                false);
    } else if (daysGiven) {
        return fail("--days goes with --rivals", false);
    } else if (!options.storeFile.empty() && !options.Summaries()) {
        return fail("--store goes with --batch or --summary", false);
    }
    if (options.Alerting() && (!options.Batch() || options.historyFile.empty()))
        return fail(std::string(options.alertsFile.empty() ? "--notify" : "--alerts") +
                        " compares each check with the line's history: it goes with --batch "
                        "and --history",
                    false);
    if (options.scheduled && !options.Batch())
        return fail("--scheduled checks the list of --batch FILE", false);
    if (options.explain && options.storeFile.empty())
        return fail("--explain compares with the rows of --store FILE", false);
    if (!modeGiven) options.mode = itemGiven ? 3 : sellerGiven ? 2 : 1;
    return options;
}

}  // namespace cli
}  // namespace sorvik
