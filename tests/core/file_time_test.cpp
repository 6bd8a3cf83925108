#include <gtest/gtest.h>

#include <random>

#include "base/file_time.h"

namespace {

FileTime At(int y, int mo, int d, int h, int mi, int s, int ms) {
    return CalendarToFileTime({y, mo, d, h, mi, s, ms}).value();
}

TEST(FileTime, FormatsTwentyThreeCharactersInUtc) {
    EXPECT_EQ(FormatTimeStamp(0), "1601-01-01 00:00:00.000");
    // 2001-08-12 06:35:48.250 as Windows counts it.
    EXPECT_EQ(FormatTimeStamp(126'420'717'482'500'000ULL), "2001-08-12 06:35:48.250");
    EXPECT_EQ(FormatTimeStamp(At(2000, 2, 29, 23, 59, 59, 999)), "2000-02-29 23:59:59.999");
    EXPECT_EQ(FormatTimeStamp(At(1970, 1, 1, 0, 0, 0, 0)), "1970-01-01 00:00:00.000");
    EXPECT_EQ(At(1970, 1, 1, 0, 0, 0, 0), 116'444'736'000'000'000ULL);
}

TEST(FileTime, LaterTimesAreClampedToTheLastFourDigitYear) {
    EXPECT_EQ(FormatTimeStamp(kLatestShownFileTime), "9999-12-31 23:59:59.999");
    EXPECT_EQ(FormatTimeStamp(kLatestShownFileTime + 1), "9999-12-31 23:59:59.999");
    EXPECT_EQ(FormatTimeStamp(~FileTime{0}), "9999-12-31 23:59:59.999");
    EXPECT_EQ(FormatTimeStamp(~FileTime{0}).size(), kTimeStampLength);
}

TEST(FileTime, CalendarRoundTripsOverTheWholeRange) {
    std::mt19937_64 random(7);
    for (int n = 0; n < 20000; ++n) {
        const FileTime time = random() % kLatestShownFileTime / 10'000 * 10'000;
        EXPECT_EQ(CalendarToFileTime(FileTimeToCalendar(time)), time) << FormatTimeStamp(time);
    }
}

TEST(FileTime, InvalidCalendarFieldsDoNotConvert) {
    EXPECT_FALSE(CalendarToFileTime({1600, 12, 31, 0, 0, 0, 0}));
    EXPECT_FALSE(CalendarToFileTime({2001, 13, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(CalendarToFileTime({2001, 0, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(CalendarToFileTime({2001, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(CalendarToFileTime({1900, 2, 29, 0, 0, 0, 0}));
    EXPECT_FALSE(CalendarToFileTime({2001, 1, 1, 24, 0, 0, 0}));
    EXPECT_FALSE(CalendarToFileTime({2001, 1, 1, 0, 0, 60, 0}));
    EXPECT_FALSE(CalendarToFileTime({2001, 1, 1, 0, 0, 0, 1000}));
    EXPECT_FALSE(CalendarToFileTime({30828, 1, 1, 0, 0, 0, 0}));
    EXPECT_TRUE(CalendarToFileTime({2004, 2, 29, 0, 0, 0, 0}));
}

TEST(FileTime, ReadBackTakesEachCharacterAsItsCodeMinusZero) {
    const CalendarTime t = ReadTimeStampBack("2001-08-12 06:35:48.250    Face.unr");
    EXPECT_EQ(t.year, 2001);
    EXPECT_EQ(t.month, 8);
    EXPECT_EQ(t.day, 12);
    EXPECT_EQ(t.hour, 6);
    EXPECT_EQ(t.minute, 35);
    EXPECT_EQ(t.second, 48);
    EXPECT_EQ(t.milliseconds, 250);

    // The separators are not looked at; other characters count by their code.
    const CalendarTime odd = ReadTimeStampBack("2001x08y12z06:35:48.25A");
    EXPECT_EQ(odd.month, 8);
    EXPECT_EQ(odd.milliseconds, 250 + ('A' - '0'));
    EXPECT_EQ(ReadTimeStampBack("19").year, 1900);
}

}  // namespace
