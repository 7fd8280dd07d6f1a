// The local time of a check as ISO 8601 with its offset from UTC, and back.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace sorvik {

// The calendar time of `when` in the local time zone; false when the C
// library can't tell it. Safe to call from any thread.
bool ToLocalTime(std::time_t when, std::tm& out);

// "2026-12-08T15:04:05+08:00" for `when` in the local time zone.
std::string LocalTimestamp(std::time_t when);

// The moment a LocalTimestamp names, as seconds since 1970-01-01 UTC. No
// value for a text of any other form, or a date that does not exist.
std::optional<std::int64_t> ParseTimestamp(const std::string& text);

// "2026-12-08 15:04": `when` (seconds since 1970-01-01 UTC) in the local
// time zone, to the minute; empty for 0 or a time that can't be shown.
std::string ShortLocalTime(std::int64_t when);

}  // namespace sorvik
