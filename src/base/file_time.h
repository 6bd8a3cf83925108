#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A point in time as 100-nanosecond units since 1601-01-01 00:00 UTC,
// the unit every time in the cache catalogue is counted in.
using FileTime = std::uint64_t;

inline constexpr FileTime kFileTimeUnitsPerMillisecond = 10'000;
inline constexpr FileTime kFileTimeUnitsPerMinute = 600'000'000;

// 9999-12-31 23:59:59.999: the last moment a four-digit year can show.
inline constexpr FileTime kLatestShownFileTime = 2'650'467'743'999'990'000ULL;

struct CalendarTime {
    int year = 1601;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int milliseconds = 0;
};

CalendarTime FileTimeToCalendar(FileTime time);

// Fails for fields out of range (month 13, February 30, ...) and for years
// outside 1601..30827, as the system conversion does.
std::optional<FileTime> CalendarToFileTime(const CalendarTime& time);

// "YYYY-MM-DD hh:mm:ss.mmm", always 23 characters: later times are clamped.
void AppendTimeStamp(std::string& out, FileTime time);
inline constexpr std::size_t kTimeStampLength = 23;

// Reads the fields back from their fixed positions in an entry text. Every
// character counts as its code minus '0'; the characters between the fields
// are not looked at. Missing characters count as '0'.
CalendarTime ReadTimeStampBack(std::string_view text);
