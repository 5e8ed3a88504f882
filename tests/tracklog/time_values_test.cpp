#include <gtest/gtest.h>

#include "support/time_zone.h"
#include "tracklog/time_values.h"

namespace vantora {
namespace {

ExifDateTime at(int year, int month, int day, int hour, int minute, int second)
{
    ExifDateTime t;
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    writeTrackDateTimeText(t);
    return t;
}

UtcOffset west(int hours)
{
    return UtcOffset{0, hours, 0};
}

TEST(LocalDateTimeText, showsAUtcFixOnTheCameraClockAcrossTheYearEnd)
{
    test::ScopedTimeZone tz("JST-9");
    EXPECT_EQ(formatLocalDateTime(at(2008, 12, 31, 23, 30, 0), UtcOffset{}), L"2009/01/01 08:30:00");
}

TEST(LocalDateTimeText, goesBackIntoTheLeapDayForAWesternOffset)
{
    test::ScopedTimeZone tz("UTC0");
    EXPECT_EQ(formatLocalDateTime(at(2008, 3, 1, 5, 0, 0), west(9)), L"2008/02/29 20:00:00");
}

TEST(LocalDateTimeText, isTheSameWhateverTheMachinesZone)
{
    // The conversion there and back uses the same local calendar.
    for (const char* zone : {"UTC0", "JST-9", "EST5"}) {
        test::ScopedTimeZone tz(zone);
        EXPECT_EQ(formatLocalDateTime(at(2008, 12, 31, 23, 30, 0), UtcOffset{}),
                  L"2009/01/01 08:30:00")
            << zone;
    }
}

// A PC with daylight saving gives what a PC in Japan gives: the camera's
// offset alone joins photo and track. The dates are the nights the clocks
// changed in Berlin (2008-03-30) and New York (2008-11-02). The rules after
// the commas are glibc's; the Windows C runtime reads the zone name and its
// daylight flag and has daylight saving too.
TEST(InstantsAndShifts, areTheSameOnAPcWithDaylightSaving)
{
    for (const char* zone : {"CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0", "JST-9", "UTC0"}) {
        SCOPED_TRACE(zone);
        test::ScopedTimeZone tz(zone);
        EXPECT_EQ(formatLocalDateTime(at(2008, 3, 29, 18, 0, 0), UtcOffset{}), L"2008/03/30 03:00:00");
        EXPECT_EQ(formatLocalDateTime(at(2008, 11, 2, 5, 30, 0), west(5)), L"2008/11/02 00:30:00");
        EXPECT_EQ(formatLocalDateTime(at(2008, 11, 2, 6, 30, 0), west(5)), L"2008/11/02 01:30:00");
        // A photo at 10:00 on the camera's clock (+09) and the fix at 01:00 UTC.
        EXPECT_EQ(toTimeValue(at(2008, 3, 30, 10, 0, 0)), toLocalTimeValue(at(2008, 3, 30, 1, 0, 0), UtcOffset{}));
        // A shooting time moved forward by an hour across the change.
        const auto shifted = fromTimeValue(*toTimeValue(at(2008, 3, 30, 1, 30, 0)) + 3600);
        ASSERT_TRUE(shifted);
        EXPECT_STREQ(shifted->dateTimeText, "2008/03/30 02:30:00");
    }
}

TEST(LocalDateTimeText, carriesMinutesOfTheOffset)
{
    test::ScopedTimeZone tz("UTC0");
    EXPECT_EQ(formatLocalDateTime(at(2008, 5, 1, 0, 10, 0), UtcOffset{1, 5, 45}),
              L"2008/05/01 05:55:00");
    EXPECT_EQ(formatLocalDateTime(at(2008, 5, 1, 0, 10, 0), UtcOffset{0, 0, 30}),
              L"2008/04/30 23:40:00");
}

TEST(TimeValue, ordersInstantsAndCountsSeconds)
{
    test::ScopedTimeZone tz("JST-9");
    const auto a = toTimeValue(at(2008, 5, 1, 3, 4, 5));
    const auto b = toTimeValue(at(2008, 5, 1, 3, 4, 6));
    const auto nextDay = toTimeValue(at(2008, 5, 2, 3, 4, 5));
    ASSERT_TRUE(a && b && nextDay);
    EXPECT_EQ(*b - *a, 1);
    EXPECT_EQ(*nextDay - *a, 86400);
}

TEST(TimeValue, isUtcSecondsWhenTheZoneIsUtc)
{
    test::ScopedTimeZone tz("UTC0");
    EXPECT_EQ(toTimeValue(at(2008, 5, 1, 3, 4, 5)), 1209611045);
}

TEST(TimeValue, refusesFieldsOutOfRange)
{
    test::ScopedTimeZone tz("UTC0");
    EXPECT_FALSE(toTimeValue(at(1899, 12, 31, 0, 0, 0)));
    EXPECT_FALSE(toTimeValue(at(2000, 0, 0, 0, 0, 0)));  // an empty log date
    EXPECT_FALSE(toTimeValue(at(2008, 13, 1, 0, 0, 0)));
    EXPECT_FALSE(toTimeValue(at(2008, 1, 32, 0, 0, 0)));
    EXPECT_FALSE(toTimeValue(at(2008, 1, 1, 24, 0, 0)));
    EXPECT_FALSE(toTimeValue(at(2008, 1, 1, 23, 60, 0)));
    EXPECT_FALSE(toTimeValue(at(2008, 1, 1, 23, 59, 60)));  // no leap second
    EXPECT_FALSE(toTimeValue(at(2008, 1, 1, -1, 0, 0)));
    EXPECT_FALSE(toTimeValue(at(10000, 1, 1, 0, 0, 0)));
    EXPECT_TRUE(toTimeValue(at(2008, 1, 1, 23, 59, 59)));
    EXPECT_TRUE(toTimeValue(at(1900, 1, 1, 0, 0, 0)));
    EXPECT_TRUE(toTimeValue(at(9999, 12, 31, 23, 59, 59)));
    EXPECT_FALSE(fromTimeValue(*toTimeValue(at(9999, 12, 31, 23, 59, 59)) + 1));
    EXPECT_FALSE(fromTimeValue(*toTimeValue(at(1900, 1, 1, 0, 0, 0)) - 1));
}

TEST(TimeValue, rollsDay31OfAShortMonthIntoTheNext)
{
    test::ScopedTimeZone tz("UTC0");
    EXPECT_EQ(toTimeValue(at(2008, 4, 31, 0, 0, 0)), toTimeValue(at(2008, 5, 1, 0, 0, 0)));
    EXPECT_EQ(toTimeValue(at(2009, 2, 29, 0, 0, 0)), toTimeValue(at(2009, 3, 1, 0, 0, 0)));
}

TEST(TimeValue, comesBackToTheSameFieldsAndText)
{
    test::ScopedTimeZone tz("JST-9");
    const auto value = toTimeValue(at(2008, 2, 29, 23, 59, 59));
    ASSERT_TRUE(value);
    const auto back = fromTimeValue(*value);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->year, 2008);
    EXPECT_EQ(back->month, 2);
    EXPECT_EQ(back->day, 29);
    EXPECT_EQ(back->hour, 23);
    EXPECT_EQ(back->minute, 59);
    EXPECT_EQ(back->second, 59);
    EXPECT_STREQ(back->dateTimeText, "2008/02/29 23:59:59");
}

TEST(TimeValue, shiftsByTheOffsetInEitherDirection)
{
    test::ScopedTimeZone tz("UTC0");
    const ExifDateTime t = at(2008, 5, 1, 0, 0, 0);
    const auto plain = toTimeValue(t);
    ASSERT_TRUE(plain);
    EXPECT_EQ(toLocalTimeValue(t, UtcOffset{}), *plain + 9 * 3600);
    EXPECT_EQ(toLocalTimeValue(t, west(13)), *plain - 13 * 3600);
    EXPECT_EQ(seconds(UtcOffset{1, 2, 30}), 9000);
    EXPECT_FALSE(toLocalTimeValue(at(2008, 0, 1, 0, 0, 0), UtcOffset{}));
    EXPECT_EQ(formatLocalDateTime(at(2008, 0, 1, 0, 0, 0), UtcOffset{}), L"");
}

TEST(TrackDateTimeText, fillsTheFieldExactlyWithAFourDigitYearAndNeverOverruns)
{
    ExifDateTime t = at(2008, 5, 1, 3, 4, 5);
    EXPECT_STREQ(t.dateTimeText, "2008/05/01 03:04:05");
    t.year = 123456;  // out of contract: cut at the field's end, still terminated
    writeTrackDateTimeText(t);
    EXPECT_EQ(std::string(t.dateTimeText).size(), sizeof t.dateTimeText - 1);
}

}  // namespace
}  // namespace vantora
