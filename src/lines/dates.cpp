#include "lines/dates.h"

#include <ctime>

namespace lines {

DateTime localDateTime(int64_t epochNs)
{
    // Whole seconds toward the past, so that a time before 1970 keeps its
    // milliseconds positive.
    int64_t seconds = epochNs / 1000000000;
    int64_t rest = epochNs % 1000000000;
    if (rest < 0) {
        rest += 1000000000;
        --seconds;
    }
    const time_t t = static_cast<time_t>(seconds);
    struct tm tm {};
    localtime_r(&t, &tm);
    return DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                    tm.tm_min,         tm.tm_sec,     static_cast<int>(rest / 1000000)};
}

namespace {

// The number of `n` digits at `at`, or -1.
int digits(std::string_view s, size_t at, size_t n)
{
    if (at + n > s.size())
        return -1;
    int v = 0;
    for (size_t i = at; i < at + n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return -1;
        v = v * 10 + (s[i] - '0');
    }
    return v;
}

}  // namespace

std::optional<DateTime> parseExifDate(std::string_view value, std::string_view subSeconds)
{
    // "YYYY:MM:DD hh:mm:ss"; some cameras write "-" or "/" between the
    // parts of the day, or a "T" before the time.
    if (value.size() < 19)
        return std::nullopt;
    auto sep = [&](size_t at, std::string_view allowed) {
        return allowed.find(value[at]) != std::string_view::npos;
    };
    if (!sep(4, ":-/") || !sep(7, ":-/") || !sep(10, " T") || !sep(13, ":") || !sep(16, ":"))
        return std::nullopt;
    DateTime d;
    d.year = digits(value, 0, 4);
    d.month = digits(value, 5, 2);
    d.day = digits(value, 8, 2);
    d.hour = digits(value, 11, 2);
    d.minute = digits(value, 14, 2);
    d.second = digits(value, 17, 2);
    if (d.year < 0 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31 || d.hour < 0 ||
        d.hour > 23 || d.minute < 0 || d.minute > 59 || d.second < 0 || d.second > 60)
        return std::nullopt;
    // The first three digits of the fraction of a second: "5" is 500 ms.
    int ms = 0, scale = 100;
    for (size_t i = 0; i < subSeconds.size() && scale > 0; ++i, scale /= 10) {
        if (subSeconds[i] < '0' || subSeconds[i] > '9')
            break;
        ms += (subSeconds[i] - '0') * scale;
    }
    d.millisecond = ms;
    return d;
}

}  // namespace lines
