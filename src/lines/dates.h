// The dates a replacement can put into a line: the modification time of the
// file the line pairs with, in local time, or the time its photo was taken.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lines {

struct DateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    bool operator==(const DateTime&) const = default;
};

enum class DateKind {
    modified,  // the file's modification time
    taken,     // the photo's Exif DateTimeOriginal
};

// Where the replacement finds the date of line i's file. Asked from one
// thread at a time.
class DateSource {
public:
    virtual ~DateSource() = default;
    // Nothing when line `line` pairs with no file or its file has no such date.
    virtual std::optional<DateTime> dateOf(int line, DateKind kind) = 0;
};

// A time in nanoseconds since the epoch, in the local time zone.
DateTime localDateTime(int64_t epochNs);

// An Exif date ("YYYY:MM:DD hh:mm:ss") with its sub-second digits ("123",
// or empty); nothing for a value that is no date (blank, all zero, cut short).
std::optional<DateTime> parseExifDate(std::string_view value, std::string_view subSeconds = {});

}  // namespace lines
