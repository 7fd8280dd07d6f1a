#include "options.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <vector>

namespace sorvik::demo {
namespace {

std::uint64_t ParseNumber(const std::string& option, const std::string& text, std::uint64_t min,
                          std::uint64_t max) {
    const bool digitsOnly =
        !text.empty() && text.size() <= 18 &&
        std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    if (!digitsOnly) {
        throw OptionError(option + " needs a whole number from " + std::to_string(min) + " to " +
                          std::to_string(max) + ", not '" + text + "'");
    }
    const std::uint64_t value = std::stoull(text);
    if (value < min || value > max) {
        throw OptionError(option + " must be from " + std::to_string(min) + " to " +
                          std::to_string(max) + ", not " + text);
    }
    return value;
}

template <typename Enum>
Enum ParseChoice(const std::string& option, const std::string& text,
                 const std::vector<std::pair<const char*, Enum>>& choices) {
    std::string names;
    for (const auto& [name, value] : choices) {
        if (text == name) return value;
        names += names.empty() ? name : std::string("|") + name;
    }
    throw OptionError(option + " must be one of " + names + ", not '" + text + "'");
}

}  // namespace

DemoOptions ParseOptions(int argc, const char* const* argv) {
    DemoOptions options;
    bool failModeGiven = false;
    bool slowMsGiven = false;

    using Setter = std::function<void(const std::string& option, const std::string& value)>;
    const std::map<std::string, Setter> valued = {
        {"--port",
         [&](const std::string& o, const std::string& v) {
             options.port = static_cast<int>(ParseNumber(o, v, 0, 65535));
         }},
        {"--style",
         [&](const std::string& o, const std::string& v) {
             options.page.style =
                 ParseChoice<WhitespaceStyle>(o, v,
                                              {{"minified", WhitespaceStyle::kMinified},
                                               {"lines", WhitespaceStyle::kLines},
                                               {"pretty", WhitespaceStyle::kPretty}});
         }},
        {"--items",
         [&](const std::string& o, const std::string& v) {
             options.items = static_cast<std::size_t>(ParseNumber(o, v, 0, kMaxCatalogSize));
         }},
        {"--rotate",
         [&](const std::string& o, const std::string& v) {
             options.rotate = static_cast<std::size_t>(ParseNumber(o, v, 0, kMaxCatalogSize));
         }},
        {"--total",
         [&](const std::string& o, const std::string& v) {
             options.page.total = ParseNumber(o, v, 0, kMaxTotal);
         }},
        {"--later-total",
         [&](const std::string& o, const std::string& v) {
             options.page.laterTotal = ParseNumber(o, v, 0, kMaxTotal);
         }},
        {"--past-end",
         [&](const std::string& o, const std::string& v) {
             options.page.pastEnd = ParseChoice<PastEndAnswer>(
                 o, v, {{"last", PastEndAnswer::kLastPage}, {"empty", PastEndAnswer::kEmptyPage}});
         }},
        {"--fail-page",
         [&](const std::string& o, const std::string& v) {
             options.failPage = ParseNumber(o, v, 1, kMaxPageNumber);
         }},
        {"--fail-mode",
         [&](const std::string& o, const std::string& v) {
             options.failMode = ParseChoice<FailMode>(
                 o, v, {{"status", FailMode::kStatus}, {"close", FailMode::kClose}});
             failModeGiven = true;
         }},
        {"--slow-page",
         [&](const std::string& o, const std::string& v) {
             options.slowPage = ParseNumber(o, v, 1, kMaxPageNumber);
         }},
        {"--slow-ms",
         [&](const std::string& o, const std::string& v) {
             options.slowMs = static_cast<unsigned>(ParseNumber(o, v, 0, kMaxSlowMs));
             slowMsGiven = true;
         }},
        {"--log",
         [&](const std::string& o, const std::string& v) {
             if (v.empty()) throw OptionError(o + " needs a file name");
             options.logFile = v;
         }},
        {"--timing-log",
         [&](const std::string& o, const std::string& v) {
             if (v.empty()) throw OptionError(o + " needs a file name");
             options.timingLogFile = v;
         }},
        {"--head-bytes",
         [&](const std::string& o, const std::string& v) {
             options.page.headBytes = static_cast<std::size_t>(ParseNumber(o, v, 0, kMaxHeadBytes));
         }},
        {"--exit-after-seconds",
         [&](const std::string& o, const std::string& v) {
             options.exitAfterSeconds =
                 static_cast<unsigned>(ParseNumber(o, v, 1, kMaxExitAfterSeconds));
         }},
    };
    const std::map<std::string, std::function<void()>> flags = {
        {"--no-count", [&] { options.page.showCount = false; }},
        {"--pager-on-last", [&] { options.page.pagerOnLast = true; }},
        {"--dump-catalog", [&] { options.dumpCatalog = true; }},
        {"--help", [&] { options.help = true; }},
        {"-h", [&] { options.help = true; }},
    };

    for (int i = 0; i < argc; ++i) {
        std::string name = argv[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.erase(eq);
        }
        if (const auto flag = flags.find(name); flag != flags.end()) {
            if (value) throw OptionError(name + " takes no value");
            flag->second();
            continue;
        }
        const auto setter = valued.find(name);
        if (setter == valued.end()) throw OptionError("unknown option '" + name + "'");
        if (!value) {
            if (i + 1 >= argc) throw OptionError(name + " needs a value");
            value = argv[++i];
        }
        setter->second(name, *value);
    }

    if (failModeGiven && !options.failPage) throw OptionError("--fail-mode needs --fail-page");
    if (slowMsGiven && !options.slowPage) throw OptionError("--slow-ms needs --slow-page");
    if (options.slowPage && !slowMsGiven) throw OptionError("--slow-page needs --slow-ms");
    return options;
}

namespace {

// How the program is asked to stop.
#ifdef _WIN32
constexpr const char* kStopRequests = R"(It runs until Ctrl-C, Ctrl-Break or
the console closes (exit status 0), or until --exit-after-seconds has passed.
)";
#else
constexpr const char* kStopRequests = R"(It runs until SIGINT or SIGTERM
(exit status 0), or until --exit-after-seconds has passed.
)";
#endif

}  // namespace

std::string UsageText() {
    return std::string(R"(Usage: sorvik-demo-market [OPTIONS]

A demo marketplace on 127.0.0.1 that serves list-view search result pages
(GBK) from a built-in catalog, and item pages. Once it listens it prints the
port number on a line of its own to stdout. )") +
           kStopRequests + R"(
Requests:
  GET /search?initiative_id=staobaoz_YYYYMMDD&tab=all&style=list&q=KEYWORD
      first result page; page k >= 2 adds &bcoffset=4&s=OFFSET with
      OFFSET = 40*(k-1). A page holds the items at positions OFFSET+1 to
      OFFSET+40. The keyword does not filter: every keyword gets the whole
      catalog. A request without these keys, or with a malformed offset,
      gets 400.
  GET /item.htm?id=ITEMID   a small page about the item (other keys allowed)
  anything else             404

Catalog (see --dump-catalog for every field):
  item ids 10000000001, 10000000002, ... in result order; item links
  http://ITEM_HOST/item.htm?id=ID, with ?spm=a1z10.1&id=ID at positions
  p % 7 == 3 and ?id=ID&ns=1 at p % 7 == 5. ITEM_HOST is the environment
  variable SORVIK_ITEM_HOST when set, else 127.0.0.1:PORT.
  Recurring sellers: "小美 的店", "shop A", "韩风衣橱", "Lucy Fashion",
  "潮流 前线 旗舰店", "shop AB", "老王家 服饰". Sellers with one item each:
  "末位 小店" at 40, "shop B" at 41, "深夜 小铺" at 57, "最后 一家" at 100
  (present when the catalog reaches that position).

Options:
  --port N                 port to listen on (default 0: any free port)
  --style minified|lines|pretty
                           whitespace between tags (default lines):
                           minified = none; lines = one item part per line;
                           pretty = every tag and text on its own line
  --items N                catalog size, 0 to 1000000 (default 100)
  --rotate N               turn the catalog's order by N places, as if the
                           results had moved: the item of position p + N
                           stands at p, the first N go to the end (default 0)
  --total N                number written in the count (default: catalog size)
  --later-total N          number written in the count on pages after the
                           first (default: as on the first page)
  --no-count               leave the count list out
  --pager-on-last          put the pager on the last page too
  --past-end last|empty    answer to an offset past the last item: the last
                           page again, or the count and pager without items
                           (default empty)
  --fail-page K            the page at offset 40*(K-1) fails
  --fail-mode status|close how it fails: HTTP 500 (default), or the
                           connection closed without any response
  --slow-page K            the page at offset 40*(K-1) answers late ...
  --slow-ms M              ... by M milliseconds (at most 300000); a stop
                           signal cuts the wait short
  --log FILE               append each request target (path and query, raw as
                           received) as a line to FILE
  --timing-log FILE        append a line to FILE for each answer to /search
                           and /item.htm once it is built: the milliseconds
                           spent building it (the page and its GBK bytes,
                           not a --slow-ms wait nor sending it), a tab and
                           the request target as --log writes it
  --head-bytes N           pad the head of result pages with about N bytes of
                           styles and scripts (default 2048)
  --exit-after-seconds N   stop after N seconds
  --dump-catalog           print the catalog as tab-separated UTF-8 (header
                           line, then position, id, title, seller, price,
                           sales, link) and exit; links are host-relative
                           unless SORVIK_ITEM_HOST or a nonzero --port is given
  -h, --help               print this text and exit

Options take their value as the next argument or after '='. A bad option is
reported on stderr with exit status 2.
)";
}

bool IsValidHost(const std::string& host) {
    return !host.empty() && host.size() <= 255 &&
           std::all_of(host.begin(), host.end(), [](unsigned char c) {
               return std::isalnum(c) != 0 || c == '.' || c == '-' || c == ':' || c == '[' ||
                      c == ']';
           });
}

}  // namespace sorvik::demo
