#include "search_limits.h"

#include <cstdlib>
#include <string>

namespace sorvik {
namespace {

constexpr std::chrono::seconds kPageTimeLimit{60};
constexpr long kMaxPageTimeLimitSeconds = 3600;

}  // namespace

std::chrono::milliseconds PageTimeLimitOf(const char* value) {
    if (!value || !*value) return kPageTimeLimit;
    const std::string text(value);
    if (text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos)
        return kPageTimeLimit;
    const long seconds = std::strtol(value, nullptr, 10);
    if (seconds < 1 || seconds > kMaxPageTimeLimitSeconds) return kPageTimeLimit;
    return std::chrono::seconds(seconds);
}

std::chrono::milliseconds DefaultPageTimeLimit() {
    static const std::chrono::milliseconds limit =
        PageTimeLimitOf(std::getenv("SORVIK_PAGE_TIME_LIMIT"));
    return limit;
}

}  // namespace sorvik
