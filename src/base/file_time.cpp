#include "base/file_time.h"

#include <algorithm>

namespace {

constexpr std::int64_t kUnitsPerDay = 864'000'000'000;
// Days from 0000-03-01 (the start of the proleptic era used below) to 1601-01-01.
constexpr std::int64_t kDaysTo1601 = 584'694;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 0000-03-01 of a civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2;
    const std::int64_t era = year / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
}

void CivilFromDays(std::int64_t days, int& year, int& month, int& day) {
    const std::int64_t era = days / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2));
}

int Digit(std::string_view text, std::size_t pos) {
    const char c = pos < text.size() ? text[pos] : '0';
    return static_cast<unsigned char>(c) - '0';
}

int Field(std::string_view text, std::size_t pos, std::size_t width) {
    int value = 0;
    for (std::size_t i = 0; i < width; ++i) {
        value = value * 10 + Digit(text, pos + i);
    }
    return value;
}

}  // namespace

CalendarTime FileTimeToCalendar(FileTime time) {
    CalendarTime calendar;
    const auto days = static_cast<std::int64_t>(time / kUnitsPerDay);
    FileTime rest = time % kUnitsPerDay;
    CivilFromDays(days + kDaysTo1601, calendar.year, calendar.month, calendar.day);
    calendar.milliseconds = static_cast<int>(rest / kFileTimeUnitsPerMillisecond % 1000);
    rest /= 10'000'000;
    calendar.second = static_cast<int>(rest % 60);
    calendar.minute = static_cast<int>(rest / 60 % 60);
    calendar.hour = static_cast<int>(rest / 3600);
    return calendar;
}

std::optional<FileTime> CalendarToFileTime(const CalendarTime& t) {
    if (t.year < 1601 || t.year > 30827 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > DaysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
        t.minute > 59 || t.second < 0 || t.second > 59 || t.milliseconds < 0 ||
        t.milliseconds > 999) {
        return std::nullopt;
    }
    const std::int64_t days = DaysFromCivil(t.year, t.month, t.day) - kDaysTo1601;
    const std::int64_t seconds = ((days * 24 + t.hour) * 60 + t.minute) * 60 + t.second;
    return static_cast<FileTime>(seconds) * 10'000'000 +
           static_cast<FileTime>(t.milliseconds) * kFileTimeUnitsPerMillisecond;
}

void AppendTimeStamp(std::string& out, FileTime time) {
    const CalendarTime t = FileTimeToCalendar(std::min(time, kLatestShownFileTime));
    // "%.4d-%.2d-%.2d %.2d:%.2d:%.2d.%.3d", without the cost of printf on every entry.
    char stamp[] = "0000-00-00 00:00:00.000";
    const auto put = [&stamp](std::size_t end, std::size_t width, int value) {
        for (std::size_t pos = end; pos > end - width; value /= 10) {
            stamp[--pos] = static_cast<char>('0' + value % 10);
        }
    };
    put(4, 4, t.year);
    put(7, 2, t.month);
    put(10, 2, t.day);
    put(13, 2, t.hour);
    put(16, 2, t.minute);
    put(19, 2, t.second);
    put(23, 3, t.milliseconds);
    out.append(stamp, kTimeStampLength);
}

CalendarTime ReadTimeStampBack(std::string_view text) {
    CalendarTime t;
    t.year = Field(text, 0, 4);
    t.month = Field(text, 5, 2);
    t.day = Field(text, 8, 2);
    t.hour = Field(text, 11, 2);
    t.minute = Field(text, 14, 2);
    t.second = Field(text, 17, 2);
    t.milliseconds = Field(text, 20, 3);
    return t;
}
