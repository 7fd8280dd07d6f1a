#include "local_time.h"

#include <cstdio>
#include <cstdlib>

namespace sorvik {

std::string LocalTimestamp(std::time_t when) {
    // localtime and gmtime may share one buffer: copy each result at once.
    const std::tm* shared = std::localtime(&when);
    if (!shared) return std::string();
    const std::tm local = *shared;
    shared = std::gmtime(&when);
    if (!shared) return std::string();
    const std::tm utc = *shared;

    // The offset is the difference of the two calendar times; they are at
    // most a day apart, which may cross the end of a year.
    int days = local.tm_yday - utc.tm_yday;
    if (local.tm_year != utc.tm_year) days = local.tm_year > utc.tm_year ? 1 : -1;
    const long offsetMinutes =
        (days * 24L + local.tm_hour - utc.tm_hour) * 60L + local.tm_min - utc.tm_min;

    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    char offset[16];
    std::snprintf(offset, sizeof offset, "%c%02ld:%02ld", offsetMinutes < 0 ? '-' : '+',
                  std::labs(offsetMinutes) / 60, std::labs(offsetMinutes) % 60);
    return std::string(text) + offset;
}

}  // namespace sorvik
