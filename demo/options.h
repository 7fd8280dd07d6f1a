// Command line of sorvik-demo-market.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "result_page.h"

namespace sorvik::demo {

// How a failing page fails.
enum class FailMode {
    kStatus,  // HTTP 500
    kClose,   // the connection is closed before any byte of a response
};

struct DemoOptions {
    int port = 0;  // 0: any free port
    std::size_t items = 100;
    std::size_t rotate = 0;  // places the catalog's order is turned by
    PageOptions page;        // everything but itemHost, which is known only once bound
    std::optional<std::uint64_t> failPage;
    FailMode failMode = FailMode::kStatus;
    std::optional<std::uint64_t> slowPage;
    unsigned slowMs = 0;
    std::string logFile;
    std::string timingLogFile;
    std::optional<unsigned> exitAfterSeconds;
    bool dumpCatalog = false;
    bool help = false;
};

// Limits on option values.
constexpr unsigned kMaxSlowMs = 300000;
constexpr std::size_t kMaxHeadBytes = 64 * 1024 * 1024;
constexpr unsigned kMaxExitAfterSeconds = 86400;
constexpr std::uint64_t kMaxTotal = 999999999999999ULL;
constexpr std::uint64_t kMaxPageNumber = 1000000000ULL;

class OptionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Parses the arguments after the program name. Options take their value as
// the next argument or after '=' ("--port 8080", "--port=8080"). Throws
// OptionError with a message for the user on anything it does not accept.
DemoOptions ParseOptions(int argc, const char* const* argv);

// The --help text.
std::string UsageText();

// True for a host or host:port that may be written into links: letters,
// digits, '.', '-', ':', '[' and ']' only, 1 to 255 characters.
bool IsValidHost(const std::string& host);

}  // namespace sorvik::demo
