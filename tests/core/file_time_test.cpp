#include <gtest/gtest.h>

#include <random>

#include "base/file_time.h"

namespace {

std::string Stamp(FileTime time) {
    std::string text;
    AppendTimeStamp(text, time);
    return text;
}

TEST(FileTime, StampsAreTwentyThreeCharactersInUtcAndClamped) {
    const std::pair<FileTime, const char*> rows[] = {
        {0, "1601-01-01 00:00:00.000"},
        {116'444'736'000'000'000ULL, "1970-01-01 00:00:00.000"},
        {126'420'717'482'500'000ULL, "2001-08-12 06:35:48.250"},
        {*CalendarToFileTime({2000, 2, 29, 23, 59, 59, 999}), "2000-02-29 23:59:59.999"},
        {kLatestShownFileTime + 1, "9999-12-31 23:59:59.999"},
        {~FileTime{0}, "9999-12-31 23:59:59.999"},
    };
    for (const auto& [time, text] : rows) {
        EXPECT_EQ(Stamp(time), text);
    }
}

TEST(FileTime, CalendarRoundTripsAndRefusesInvalidFields) {
    std::mt19937_64 random(7);
    for (int n = 0; n < 20000; ++n) {
        const FileTime time = random() % kLatestShownFileTime / 10'000 * 10'000;
        ASSERT_EQ(CalendarToFileTime(FileTimeToCalendar(time)), time) << Stamp(time);
    }
    const CalendarTime invalid[] = {
        {1600, 12, 31}, {2001, 13, 1},    {2001, 0, 1},           {2001, 2, 29},
        {1900, 2, 29},  {2001, 1, 1, 24}, {2001, 1, 1, 0, 0, 60}, {2001, 1, 1, 0, 0, 0, 1000},
        {30828, 1, 1}};
    for (const CalendarTime& t : invalid) {
        EXPECT_FALSE(CalendarToFileTime(t)) << t.year << '-' << t.month << '-' << t.day;
    }
    EXPECT_TRUE(CalendarToFileTime({2004, 2, 29}));
}

TEST(FileTime, ReadBackTakesEachCharacterAsItsCodeMinusZero) {
    const CalendarTime t = ReadTimeStampBack("2001x08y12z06:35:48.25A    Face.unr");
    EXPECT_EQ(std::vector<int>({t.year, t.month, t.day, t.hour, t.minute, t.second}),
              std::vector<int>({2001, 8, 12, 6, 35, 48}));
    EXPECT_EQ(t.milliseconds, 250 + ('A' - '0'));
    EXPECT_EQ(ReadTimeStampBack("19").year, 1900);
}

}  // namespace
