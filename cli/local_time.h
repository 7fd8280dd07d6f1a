// The local time of a check as ISO 8601 with its offset from UTC.
#pragma once

#include <ctime>
#include <string>

namespace sorvik {

// "2026-12-08T15:04:05+08:00" for `when` in the local time zone. Not for
// use on two threads at once (it reads the C library's shared time fields).
std::string LocalTimestamp(std::time_t when);

}  // namespace sorvik
