#include "local_time.h"

#include <cstdio>
#include <cstdlib>

namespace sorvik {
namespace {

// A thread-safe form of gmtime.
bool ToUtc(std::time_t when, std::tm& out) {
#ifdef _WIN32
    return gmtime_s(&out, &when) == 0;
#else
    return gmtime_r(&when, &out) != nullptr;
#endif
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian
// calendar (Howard Hinnant's days_from_civil).
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// The number at `text[at]` of exactly `digits` digits.
bool Digits(const std::string& text, std::size_t at, int digits, int& value) {
    value = 0;
    for (int i = 0; i < digits; ++i) {
        const char c = text[at + static_cast<std::size_t>(i)];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

}  // namespace

bool ToLocalTime(std::time_t when, std::tm& out) {
#ifdef _WIN32
    return localtime_s(&out, &when) == 0;
#else
    return localtime_r(&when, &out) != nullptr;
#endif
}

std::string LocalTimestamp(std::time_t when) {
    std::tm local{}, utc{};
    if (!ToLocalTime(when, local) || !ToUtc(when, utc)) return std::string();

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

std::optional<std::int64_t> ParseTimestamp(const std::string& text) {
    // YYYY-MM-DDTHH:MM:SS+HH:MM
    if (text.size() != 25 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || (text[19] != '+' && text[19] != '-') ||
        text[22] != ':')
        return std::nullopt;
    int year, month, day, hour, minute, second, offsetHours, offsetMinutes;
    if (!Digits(text, 0, 4, year) || !Digits(text, 5, 2, month) || !Digits(text, 8, 2, day) ||
        !Digits(text, 11, 2, hour) || !Digits(text, 14, 2, minute) ||
        !Digits(text, 17, 2, second) || !Digits(text, 20, 2, offsetHours) ||
        !Digits(text, 23, 2, offsetMinutes))
        return std::nullopt;
    static const int kDaysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 ||
        day > kDaysIn[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0) || hour > 23 ||
        minute > 59 || second > 60 || offsetHours > 23 || offsetMinutes > 59)
        return std::nullopt;
    const std::int64_t local =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
        std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
    const int offset = (offsetHours * 60 + offsetMinutes) * 60;
    return text[19] == '+' ? local - offset : local + offset;
}

std::string ShortLocalTime(std::int64_t when) {
    std::tm local{};
    if (when == 0 || !ToLocalTime(static_cast<std::time_t>(when), local)) return std::string();
    char text[32];
    return std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &local) ? std::string(text)
                                                                      : std::string();
}

}  // namespace sorvik
