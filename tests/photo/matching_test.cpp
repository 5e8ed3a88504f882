#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "photo/matching.h"
#include "photo/photo_list.h"
#include "photo/photo_writing.h"
#include "photo/point_comparison.h"
#include "photo/track_builder.h"
#include "support/nmea_text.h"
#include "support/time_zone.h"
#include "tracklog/gpx_reader.h"
#include "tracklog/nmea_reader.h"

namespace vantora {
namespace {

using test::dms;

constexpr UtcOffset kJapan{1, 9, 0};

// Matching on 1 May 2008 (UTC), in a fixed zone for the calendar conversions.
class Matching : public ::testing::Test {
protected:
    // Room for every photo a test adds, so references to them stay valid.
    Matching() { list_.records.reserve(16); }

    static TimeValue utc(int hour, int minute, int second)
    {
        return toTimeValue(test::dateTime(2008, 5, 1, hour, minute, second)).value();
    }

    // A log with a fix every `step` seconds from `first` to `last`; each fix
    // is 10 arc seconds further north and 20 further east than the one before.
    static std::unique_ptr<LogFileRecord> steadyLog(const char* name, TimeValue first,
                                                    TimeValue last, TimeValue step)
    {
        test::LogBuilder log(name);
        for (TimeValue t = first, i = 0; t <= last; t += step, ++i)
            log.fixAt(t, dms(35, 0, 0) + i * 100, dms(139, 0, 0) + i * 200);
        return log.build();
    }

    // A photo taken when the track's clock read the given UTC instant.
    PhotoRecord& photoAtUtc(TimeValue utcInstant, const UtcOffset& offset = kJapan)
    {
        list_.records.push_back(test::photoTakenAt(test::onCameraClock(utcInstant, offset)));
        return list_.records.back();
    }

    TrackPoint pointAt(std::size_t log, std::size_t index) const
    {
        return logs_[log]->points()[index];
    }

    test::ScopedTimeZone tz_{"JST-9"};
    LogList logs_;
    PhotoList list_{logs_};
};

void expectCopyOf(const PhotoRecord& photo, const TrackPoint& point, const LogFileRecord& log,
                  int doubtful)
{
    ASSERT_TRUE(photo.match.has_value());
    EXPECT_EQ(test::firstDifference(photo.match->point, point), "");
    EXPECT_EQ(photo.match->utc, toTimeValue(point.time));  // a copy stands for its fix
    EXPECT_EQ(photo.doubtful, doubtful);
    EXPECT_EQ(photo.matchedLogPath, log.path);
}

TEST_F(Matching, interpolatesBetweenTwoFixesIntoACopyOfTheNearerOne)
{
    logs_.push_back(steadyLog("day.log", utc(1, 0, 0), utc(2, 0, 0), 10));
    const PhotoRecord& photo = photoAtUtc(utc(1, 30, 5));  // 10:30:05 on the camera

    matchAll(list_, kJapan);

    ASSERT_TRUE(photo.match.has_value());
    const TrackPoint& m = photo.match->point;
    EXPECT_EQ(photo.match->utc, utc(1, 30, 5));
    EXPECT_EQ(photo.doubtful, 0);
    EXPECT_EQ(photo.matchedLogPath, "day.log");
    EXPECT_STREQ(m.time.dateTimeText, "2008/05/01 10:30:05");
    EXPECT_EQ(m.time.hour, 10);
    EXPECT_EQ(m.time.second, 5);
    EXPECT_STREQ(m.timeText, "01:30:05");
    // Fix 180 is at 35°30'0.0" N 140°0'0.0" E; the photo is half way to fix 181.
    EXPECT_STREQ(m.latitudeRef, "N");
    EXPECT_EQ(m.latitude[0].numerator, 35u);
    EXPECT_EQ(m.latitude[1].numerator, 30u);
    EXPECT_EQ(m.latitude[2].numerator, 50u);
    EXPECT_STREQ(m.longitudeRef, "E");
    EXPECT_EQ(m.longitude[0].numerator, 140u);
    EXPECT_EQ(m.longitude[1].numerator, 0u);
    EXPECT_EQ(m.longitude[2].numerator, 100u);
    EXPECT_STREQ(m.status, "A");
}

// The night Berlin's clocks went forward (01:00 UTC): a PC there matches
// the camera's clock (+09) to the same fixes as a PC in Japan.
TEST_F(Matching, onAPcWithDaylightSavingGivesEachPhotoTheFixOfItsInstant)
{
    test::ScopedTimeZone berlin("CET-1CEST,M3.5.0,M10.5.0/3");
    const TimeValue start = toTimeValue(test::dateTime(2008, 3, 29, 23, 0, 0)).value();
    logs_.push_back(steadyLog("night.log", start, start + 5 * 3600, 60));
    for (int hour : {8, 10, 12})
        list_.records.push_back(test::photoTakenAt(test::dateTime(2008, 3, 30, hour, 30, 0)));

    matchAll(list_, kJapan);

    const char* expected[] = {"23:30:00", "01:30:00", "03:30:00"};
    for (std::size_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(list_.records[i].match.has_value());
        EXPECT_STREQ(list_.records[i].match->point.timeText, expected[i]);
        EXPECT_EQ(list_.records[i].doubtful, 0);
    }
}

TEST_F(Matching, copiesAFixTakenInThePhotosSecondUnchanged)
{
    logs_.push_back(steadyLog("day.log", utc(1, 0, 0), utc(2, 0, 0), 10));
    const PhotoRecord& photo = photoAtUtc(utc(1, 30, 0));

    matchAll(list_, kJapan);

    expectCopyOf(photo, pointAt(0, 180), *logs_[0], 0);
    EXPECT_STREQ(photo.match->point.time.dateTimeText, "2008/05/01 01:30:00");  // stays UTC
}

TEST_F(Matching, interpolatesAcrossTheGapBetweenTwoLogs)
{
    struct Case {
        int secondLogStartsAtMinute;
        int doubtful;
        std::size_t copiedLog;  // the nearer end of the gap
    };
    // The photo is at 02:03, three minutes after the first log ends.
    for (const Case c : {Case{5, 0, 1}, Case{20, 1, 0}}) {
        logs_.clear();
        list_.records.clear();
        logs_.push_back(steadyLog("first.log", utc(1, 0, 0), utc(2, 0, 0), 10));
        logs_.push_back(steadyLog("second.log", utc(2, c.secondLogStartsAtMinute, 0),
                                  utc(3, 0, 0), 10));
        const PhotoRecord& photo = photoAtUtc(utc(2, 3, 0));

        matchAll(list_, kJapan);

        SCOPED_TRACE(c.secondLogStartsAtMinute);
        ASSERT_TRUE(photo.match.has_value());
        EXPECT_EQ(photo.doubtful, c.doubtful);
        EXPECT_EQ(photo.matchedLogPath, logs_[c.copiedLog]->path);
        EXPECT_STREQ(photo.match->point.timeText, "02:03:00");
        EXPECT_STREQ(photo.match->point.time.dateTimeText, "2008/05/01 11:03:00");
    }
}

TEST_F(Matching, givesTheNearerFixAsRecordedAcrossAGapOfTenHoursOrMore)
{
    logs_.push_back(steadyLog("morning.log", utc(1, 0, 0), utc(2, 0, 0), 60));
    logs_.push_back(steadyLog("afternoon.log", utc(13, 0, 0), utc(14, 0, 0), 60));
    const PhotoRecord& early = photoAtUtc(utc(5, 0, 0));
    const PhotoRecord& halfway = photoAtUtc(utc(7, 30, 0));
    const PhotoRecord& late = photoAtUtc(utc(9, 0, 0));

    matchAll(list_, kJapan);

    expectCopyOf(early, logs_[0]->points().back(), *logs_[0], 1);
    expectCopyOf(halfway, logs_[0]->points().back(), *logs_[0], 1);
    expectCopyOf(late, pointAt(1, 0), *logs_[1], 1);
}

TEST_F(Matching, givesTheEndsOfTheWholeTrackToPhotosOutsideItAsDoubtful)
{
    logs_.push_back(steadyLog("first.log", utc(1, 0, 0), utc(2, 0, 0), 10));
    logs_.push_back(steadyLog("last.log", utc(3, 0, 0), utc(4, 0, 0), 10));
    const PhotoRecord& before = photoAtUtc(utc(0, 0, 0));
    const PhotoRecord& after = photoAtUtc(utc(5, 0, 0));

    matchAll(list_, kJapan);

    expectCopyOf(before, pointAt(0, 0), *logs_[0], 1);
    expectCopyOf(after, logs_[1]->points().back(), *logs_[1], 1);
}

TEST_F(Matching, handlesALogOfASingleFix)
{
    logs_.push_back(test::LogBuilder("one.log").fixAt(utc(1, 0, 0), 1000, 2000).build());
    const PhotoRecord& before = photoAtUtc(utc(0, 59, 59));
    const PhotoRecord& at = photoAtUtc(utc(1, 0, 0));
    const PhotoRecord& after = photoAtUtc(utc(1, 0, 1));

    matchAll(list_, kJapan);

    expectCopyOf(before, pointAt(0, 0), *logs_[0], 1);
    expectCopyOf(at, pointAt(0, 0), *logs_[0], 0);
    expectCopyOf(after, pointAt(0, 0), *logs_[0], 1);
}

TEST_F(Matching, roundsUpToTheNextDegreeInsideACopyOfTheEarlierFixAtHalfway)
{
    logs_.push_back(test::LogBuilder("n.log")
                        .fixAt(utc(1, 0, 0), dms(35, 59, 599), dms(139, 0, 0), "A")
                        .fixAt(utc(1, 0, 10), dms(36, 0, 1), dms(139, 0, 0), "a")
                        .build());
    const PhotoRecord& photo = photoAtUtc(utc(1, 0, 5));

    matchAll(list_, kJapan);

    ASSERT_TRUE(photo.match.has_value());
    const TrackPoint& m = photo.match->point;
    EXPECT_STREQ(m.status, "A");  // the earlier fix wins the tie
    EXPECT_EQ(m.latitude[0].numerator, 36u);
    EXPECT_EQ(m.latitude[1].numerator, 0u);
    EXPECT_EQ(m.latitude[2].numerator, 0u);
    EXPECT_EQ(m.latitude[2].denominator, 10u);
    EXPECT_EQ(std::string(m.latitudeText), "\x96\x6B\x88\xDC 36\x93\x78" "0\x95\xAA" "0.0\x95\x62");
}

TEST_F(Matching, marksDoubtfulFromTenMinutesAndStopsInterpolatingAtTenHours)
{
    struct Case {
        TimeValue gap;
        bool interpolated;
        int doubtful;
    };
    const Case cases[] = {
        {9 * 60 + 59, true, 0},
        {10 * 60, true, 1},
        {9 * 3600 + 59 * 60, true, 1},
        {10 * 3600 - 1, true, 1},
        {10 * 3600, false, 1},
    };
    for (const bool betweenLogs : {false, true}) {
        for (const Case& c : cases) {
            logs_.clear();
            list_.records.clear();
            const TimeValue a = utc(1, 0, 0);
            if (betweenLogs) {
                logs_.push_back(test::LogBuilder("a.log").fixAt(a, 0, 0).build());
                logs_.push_back(test::LogBuilder("b.log").fixAt(a + c.gap, 6000, 6000).build());
            } else {
                logs_.push_back(
                    test::LogBuilder("ab.log").fixAt(a, 0, 0).fixAt(a + c.gap, 6000, 6000).build());
            }
            const PhotoRecord& photo = photoAtUtc(a + 1);

            matchAll(list_, kJapan);

            SCOPED_TRACE(testing::Message()
                         << "gap " << c.gap << (betweenLogs ? " between logs" : " in one log"));
            ASSERT_TRUE(photo.match.has_value());
            EXPECT_EQ(photo.doubtful, c.doubtful);
            EXPECT_EQ(photo.matchedLogPath, logs_[0]->path);
            if (c.interpolated)
                EXPECT_STREQ(photo.match->point.time.dateTimeText, "2008/05/01 10:00:01");
            else
                EXPECT_EQ(test::firstDifference(photo.match->point, pointAt(0, 0)), "");
        }
    }
}

TEST_F(Matching, takesTheFirstOfEqualFixesAndTheLastBeforeALaterOne)
{
    const TimeValue t = utc(1, 0, 0);
    logs_.push_back(test::LogBuilder("twice.log")
                        .fixAt(t, 1000, 0)
                        .fixAt(t + 10, 2000, 0)
                        .fixAt(t + 10, 3000, 0, "a")
                        .fixAt(t + 20, 4000, 0)
                        .build());
    const PhotoRecord& atTheRepeatedSecond = photoAtUtc(t + 10);
    const PhotoRecord& afterIt = photoAtUtc(t + 15);

    matchAll(list_, kJapan);

    expectCopyOf(atTheRepeatedSecond, pointAt(0, 1), *logs_[0], 0);
    ASSERT_TRUE(afterIt.match.has_value());
    EXPECT_STREQ(afterIt.match->point.status, "a");  // a copy of the second fix of t + 10
    EXPECT_EQ(afterIt.match->point.latitude[2].numerator, 3500u % 600u);
    EXPECT_EQ(afterIt.match->point.latitude[1].numerator, 3500u / 600u);
}

TEST_F(Matching, scansFixesOutOfTimeOrderInFileOrder)
{
    // The first fix not before the photo, in file order, closes the span.
    const TimeValue t = utc(1, 0, 0);
    logs_.push_back(test::LogBuilder("shuffled.log")
                        .fixAt(t, 0, 0)
                        .fixAt(t + 30, 3000, 0)
                        .fixAt(t + 20, 2000, 0)
                        .fixAt(t + 40, 4000, 0)
                        .build());
    const PhotoRecord& photo = photoAtUtc(t + 25);

    matchAll(list_, kJapan);

    ASSERT_TRUE(photo.match.has_value());
    EXPECT_EQ(positionTenths(photo.match->point, Axis::latitude), 2500);
}

TEST_F(Matching, interpolatesLongitudeTheShortWayRoundTheGlobe)
{
    struct Case {
        std::int64_t from, to;
        TimeValue at;  // of 10 s
        std::int64_t expected;
    };
    const std::int64_t nearDateLine = dms(179, 59, 590);
    const Case cases[] = {
        {nearDateLine, -nearDateLine, 5, dms(180, 0, 0)},
        {nearDateLine, -nearDateLine, 8, -dms(179, 59, 594)},
        {-nearDateLine, nearDateLine, 5, -dms(180, 0, 0)},
        {-nearDateLine, nearDateLine, 2, -dms(179, 59, 594)},
        {-dms(0, 0, 10), dms(0, 0, 10), 5, 0},
        {dms(10, 0, 0), dms(20, 0, 0), 5, dms(15, 0, 0)},
    };
    for (const Case& c : cases) {
        logs_.clear();
        list_.records.clear();
        const TimeValue t = utc(1, 0, 0);
        logs_.push_back(
            test::LogBuilder("pacific.log").fixAt(t, 0, c.from).fixAt(t + 10, 0, c.to).build());
        const PhotoRecord& photo = photoAtUtc(t + c.at);

        matchAll(list_, kJapan);

        ASSERT_TRUE(photo.match.has_value());
        EXPECT_EQ(positionTenths(photo.match->point, Axis::longitude), c.expected)
            << c.from << " to " << c.to << " at " << c.at;
    }
}

TEST_F(Matching, leavesPhotosWithoutAUsableShootingTimeUnmatched)
{
    logs_.push_back(steadyLog("day.log", utc(1, 0, 0), utc(2, 0, 0), 10));
    for (const ExifDateTime& time :
         {ExifDateTime{}, test::dateTime(1899, 12, 31, 10, 0, 0),
          test::dateTime(2008, 0, 1, 10, 0, 0), test::dateTime(2008, 5, 0, 10, 0, 0),
          test::dateTime(2008, 5, 1, 24, 0, 0), test::dateTime(2008, 5, 1, 10, 60, 0),
          test::dateTime(2008, 5, 1, 10, 0, 60)})
        list_.records.push_back(test::photoTakenAt(time));
    const PhotoRecord& usable = photoAtUtc(utc(1, 30, 0));

    matchAll(list_, kJapan);

    EXPECT_TRUE(usable.match.has_value());
    for (std::size_t i = 0; i + 1 < list_.records.size(); ++i) {
        const PhotoRecord& photo = list_.records[i];
        EXPECT_FALSE(photo.match.has_value()) << photo.exif.shootingTime.dateTimeText;
        EXPECT_EQ(photo.doubtful, 0);
        EXPECT_TRUE(photo.matchedLogPath.empty());
    }
}

TEST_F(Matching, leavesMatchedPhotosAloneAndKeepsTheOffsetOfTheRun)
{
    logs_.push_back(steadyLog("day.log", utc(1, 0, 0), utc(2, 0, 0), 10));
    PhotoRecord& earlier = photoAtUtc(utc(1, 30, 0));
    const TrackPoint kept = test::trackPoint(test::dateTime(2000, 1, 1, 0, 0, 0), 1, 2);
    earlier.match = TrackMatch{kept, 0};
    earlier.doubtful = 1;
    earlier.matchedLogPath = "elsewhere.log";
    const UtcOffset west{0, 5, 30};

    matchAll(list_, west);

    EXPECT_EQ(test::firstDifference(list_.records[0].match->point, kept), "");
    EXPECT_EQ(list_.records[0].doubtful, 1);
    EXPECT_EQ(list_.records[0].matchedLogPath, "elsewhere.log");
    EXPECT_EQ(list_.offset.east, 0);
    EXPECT_EQ(list_.offset.hours, 5);
    EXPECT_EQ(list_.offset.minutes, 30);
}

TEST_F(Matching, changesNothingWithoutLogs)
{
    const PhotoRecord& photo = photoAtUtc(utc(1, 0, 0));
    list_.offset = UtcOffset{1, 3, 0};

    matchAll(list_, kJapan);

    EXPECT_FALSE(photo.match.has_value());
    EXPECT_EQ(list_.offset.hours, 3);
}

TEST_F(Matching, placesPhotosOnTheTrackForOffsetsEitherSideOfUtc)
{
    logs_.push_back(steadyLog("day.log", utc(1, 0, 0), utc(2, 0, 0), 10));
    struct Case {
        UtcOffset offset;
        const char* cameraTime;
    };
    const Case cases[] = {
        {UtcOffset{1, 9, 0}, "2008/05/01 10:30:05"},
        {UtcOffset{0, 5, 0}, "2008/04/30 20:30:05"},
        {UtcOffset{1, 5, 45}, "2008/05/01 07:15:05"},
        {UtcOffset{0, 0, 0}, "2008/05/01 01:30:05"},
        {UtcOffset{0, 13, 0}, "2008/04/30 12:30:05"},
    };
    for (const Case& c : cases) {
        list_.records.clear();
        const PhotoRecord& photo = photoAtUtc(utc(1, 30, 5), c.offset);

        matchAll(list_, c.offset);

        ASSERT_TRUE(photo.match.has_value()) << c.cameraTime;
        EXPECT_STREQ(photo.match->point.time.dateTimeText, c.cameraTime);
        EXPECT_STREQ(photo.match->point.timeText, "01:30:05") << c.cameraTime;
        EXPECT_EQ(photo.match->point.latitude[2].numerator, 50u) << c.cameraTime;
    }
}

// What a photo's GPSDateStamp and GPSTimeStamp are written from: for every
// kind of match, east and west of UTC, across midnight, a leap day and a
// year's end, the UTC date and time of one instant, the one the match
// stands for.
TEST_F(Matching, stampsEveryKindOfMatchWithTheUtcDateAndTimeOfOneInstant)
{
    using test::dateTime;
    struct Case {
        const char* what;
        UtcOffset offset;
        ExifDateTime firstFix;  // UTC; fixes every `step` seconds
        int fixes;
        TimeValue step;
        ExifDateTime photo;  // on the camera's clock
        const char* stamp;   // GPSDateStamp and GPSTimeStamp, UTC
    };
    const Case cases[] = {
        {"between fixes, Japan before 09:00", kJapan, dateTime(2008, 4, 30, 23, 0, 0), 121, 5,
         dateTime(2008, 5, 1, 8, 0, 32), "2008:04:30 23:00:32"},
        {"at a fix, Japan before 09:00", kJapan, dateTime(2008, 4, 30, 23, 0, 0), 121, 5,
         dateTime(2008, 5, 1, 8, 0, 30), "2008:04:30 23:00:30"},
        {"before the track", kJapan, dateTime(2008, 4, 30, 23, 0, 0), 121, 5,
         dateTime(2008, 5, 1, 7, 0, 0), "2008:04:30 23:00:00"},
        {"after the track", kJapan, dateTime(2008, 4, 30, 23, 0, 0), 121, 5,
         dateTime(2008, 5, 1, 9, 0, 0), "2008:04:30 23:10:00"},
        {"nearer the fix after midnight", kJapan, dateTime(2008, 4, 30, 23, 59, 50), 2, 20,
         dateTime(2008, 5, 1, 9, 0, 5), "2008:05:01 00:00:05"},
        {"nearer the fix before midnight", kJapan, dateTime(2008, 4, 30, 23, 59, 50), 2, 20,
         dateTime(2008, 5, 1, 8, 59, 55), "2008:04:30 23:59:55"},
        {"west, evening", UtcOffset{0, 7, 0}, dateTime(2008, 5, 1, 3, 0, 0), 10, 10,
         dateTime(2008, 4, 30, 20, 0, 5), "2008:05:01 03:00:05"},
        {"half-hour zone, leap day", UtcOffset{1, 5, 30}, dateTime(2008, 2, 29, 23, 30, 0), 10, 10,
         dateTime(2008, 3, 1, 5, 0, 5), "2008:02:29 23:30:05"},
        {"east, new year's morning", kJapan, dateTime(2008, 12, 31, 23, 59, 50), 3, 10,
         dateTime(2009, 1, 1, 8, 59, 55), "2008:12:31 23:59:55"},
        {"west, new year's eve", UtcOffset{0, 5, 0}, dateTime(2009, 1, 1, 0, 0, 0), 3, 10,
         dateTime(2008, 12, 31, 19, 0, 5), "2009:01:01 00:00:05"},
        {"ten hours apart: the nearer fix", kJapan, dateTime(2008, 4, 30, 14, 0, 0), 2, 12 * 3600,
         dateTime(2008, 5, 1, 0, 0, 0), "2008:04:30 14:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        logs_.clear();
        list_.records.clear();
        const TimeValue first = toTimeValue(c.firstFix).value();
        logs_.push_back(steadyLog("day.log", first, first + (c.fixes - 1) * c.step, c.step));
        const PhotoRecord& photo = list_.records.emplace_back(test::photoTakenAt(c.photo));

        matchAll(list_, c.offset);

        ASSERT_TRUE(photo.match.has_value());
        const auto stamps = gpsStampsOf(*photo.match);
        ASSERT_TRUE(stamps.has_value());
        char timeOfDay[9];
        TextWriter(timeOfDay).number(stamps->time[0], 2).text(":").number(stamps->time[2], 2)
            .text(":").number(stamps->time[4], 2);
        EXPECT_EQ(std::string(stamps->date) + " " + timeOfDay, c.stamp);
        EXPECT_STREQ(photo.match->point.timeText, timeOfDay);  // what the windows show
    }
}

// A phone's GPX of the same fixes as a logger's log places every photo where
// the log places it: the same position texts, rationals, times and marks.
TEST_F(Matching, placesPhotosAlikeFromALoggersLogAndAGpxOfTheSameFixes)
{
    std::string nmea;
    std::string gpx = "<gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>";
    for (int i = 0; i < 40; ++i) {
        // A fix every 7 seconds from 01:00:00 UTC, heading south-west.
        const int t = i * 7;
        char time[16], lat[16], lon[16], point[160];
        std::snprintf(time, sizeof time, "01%02d%02d.000", t / 60, t % 60);
        const double minutesNorth = 39.1234 - i * 0.0137;
        const double minutesEast = 45.6789 - i * 0.0291;
        // Seconds of exactly x.x5 (minutes ending in 25 or 75 ten-thousandths)
        // round up in NMEA; decimal degrees can only come near them.
        const auto onHalfTenth = [](double minutes) { return std::llround(minutes * 10000) % 50 == 25; };
        if (onHalfTenth(minutesNorth) || onHalfTenth(minutesEast))
            continue;
        std::snprintf(lat, sizeof lat, "35%07.4f", minutesNorth);
        std::snprintf(lon, sizeof lon, "139%07.4f", minutesEast);
        nmea += test::gga(time, lat, "N", lon, "E") + "\r\n" + test::rmc(time) + "\r\n";
        std::snprintf(point, sizeof point,
                      "<trkpt lat=\"%.9f\" lon=\"%.9f\"><time>2008-05-01T01:%02d:%02dZ</time></trkpt>",
                      35 + minutesNorth / 60, 139 + minutesEast / 60, t / 60, t % 60);
        gpx += point;
    }
    gpx += "</trkseg></trk></gpx>";
    auto logger = std::make_unique<LogFileRecord>();
    auto phone = std::make_unique<LogFileRecord>();
    ASSERT_TRUE(readNmeaText(nmea, *logger));
    ASSERT_EQ(readGpxText(gpx, *phone).problem, GpxProblem::none);

    LogList fromPhone;
    fromPhone.push_back(std::move(phone));
    PhotoList phoneList(fromPhone);
    logs_.push_back(std::move(logger));
    for (int second = -5; second < 290; second += 3) {
        list_.records.push_back(test::photoTakenAt(test::onCameraClock(utc(1, 0, 0) + second, kJapan)));
        phoneList.records.push_back(list_.records.back());
    }

    matchAll(list_, kJapan);
    matchAll(phoneList, kJapan);

    for (std::size_t i = 0; i < list_.records.size(); ++i) {
        const PhotoRecord& a = list_.records[i];
        const PhotoRecord& b = phoneList.records[i];
        SCOPED_TRACE(a.exif.shootingTime.dateTimeText);
        ASSERT_TRUE(a.match && b.match);
        EXPECT_EQ(test::firstDifference(a.match->point, b.match->point), "");
        EXPECT_EQ(a.match->utc, b.match->utc);
        EXPECT_EQ(a.doubtful, b.doubtful);
    }
}

// Every kind of result with its figures, on one day's track: a moving log,
// a gap of 2 h 25 min, a log with a 30-minute stop, ten hours without a fix,
// a last log.
TEST_F(Matching, recordsWhyEveryPhotoGotWhatItGot)
{
    logs_.push_back(steadyLog("093000.log", utc(1, 0, 0), utc(2, 0, 0), 10));
    test::LogBuilder stop("121000.log");
    for (TimeValue t = utc(4, 25, 0); t <= utc(4, 35, 0); t += 10)
        stop.fixAt(t, dms(35, 40, 0), dms(139, 45, 0));
    // 30 minutes later, 20 m further north: the logger stood still.
    for (TimeValue t = utc(5, 5, 0); t <= utc(5, 15, 0); t += 10)
        stop.fixAt(t, dms(35, 40, 6), dms(139, 45, 0));
    logs_.push_back(stop.build());
    logs_.push_back(steadyLog("night.log", utc(15, 20, 0), utc(15, 30, 0), 10));

    struct Case {
        TimeValue photo;  // UTC
        MatchKind kind;
        TimeValue distance, gap;
        const char* logBefore;
        const char* logAfter;
        bool samePlace;
        const char* copiedFixOnCameraClock;  // "" when no fix is named
    };
    const Case cases[] = {
        {utc(0, 55, 0), MatchKind::beforeTrack, 300, 0, "", "", false, "2008/05/01 10:00:00"},
        {utc(1, 30, 0), MatchKind::atFix, 0, 0, "", "", false, ""},
        {utc(1, 30, 5), MatchKind::betweenFixes, 0, 10, "", "", false, ""},
        {utc(3, 0, 0), MatchKind::inGap, 0, 8700, "093000.log", "121000.log", false, ""},
        {utc(4, 50, 0), MatchKind::inGap, 0, 1800, "", "", true, ""},
        {utc(6, 0, 0), MatchKind::noPositionInGap, 0, 36300, "121000.log", "night.log", false,
         "2008/05/01 14:15:00"},
        {utc(15, 30, 1), MatchKind::afterTrack, 1, 0, "", "", false, "2008/05/02 00:30:00"},
        {utc(17, 40, 0), MatchKind::afterTrack, 7800, 0, "", "", false, "2008/05/02 00:30:00"},
    };
    for (const Case& c : cases)
        photoAtUtc(c.photo);
    list_.records.push_back(test::photoTakenAt(ExifDateTime{}));
    list_.records.push_back(test::photoTakenAt(test::dateTime(2008, 13, 1, 10, 0, 0)));

    matchAll(list_, kJapan);

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const MatchReason& reason = list_.records[i].reason;
        SCOPED_TRACE(list_.records[i].exif.shootingTime.dateTimeText);
        EXPECT_EQ(reason.kind, c.kind);
        EXPECT_EQ(reason.distance, c.distance);
        EXPECT_EQ(reason.gap, c.gap);
        EXPECT_EQ(reason.logBefore, c.logBefore);
        EXPECT_EQ(reason.logAfter, c.logAfter);
        EXPECT_EQ(reason.samePlace, c.samePlace);
        EXPECT_EQ(doubtfulKindOf(c.kind).has_value(), list_.records[i].doubtful != 0);
        if (*c.copiedFixOnCameraClock != '\0') {
            EXPECT_STREQ(fromTimeValue(reason.copiedFixOnCameraClock)->dateTimeText,
                         c.copiedFixOnCameraClock);
            EXPECT_EQ(reason.copiedFixUtc, list_.records[i].match->utc);
        }
    }
    EXPECT_EQ(list_.records[8].reason.kind, MatchKind::noShootingTime);
    EXPECT_EQ(list_.records[9].reason.kind, MatchKind::unreadableShootingTime);

    const DoubtfulCounts counts = countDoubtfulByKind(list_);
    EXPECT_EQ(counts.outsideTrack, 3);
    EXPECT_EQ(counts.inGap, 2);
    EXPECT_EQ(counts.noPosition, 1);
    EXPECT_EQ(static_cast<std::size_t>(counts.total()), countDoubtful(list_));

    clearMatches(list_);
    EXPECT_EQ(list_.records[0].reason.kind, MatchKind::notMatched);
}

// A log listed from its span alone is read only for a photo inside it: a
// photo before it is placed from the span, and one inside a log whose file
// has gone is left without a match, saying which log.
TEST_F(Matching, readsALogListedByItsSpanOnlyForAPhotoInsideIt)
{
    const auto day = steadyLog("gone/day.log", utc(1, 0, 0), utc(2, 0, 0), 10);
    logs_.push_back(std::make_unique<LogFileRecord>(
        LogFileRecord::fromSpan(day->path, FileStamp{}, day->span())));
    photoAtUtc(utc(0, 59, 0));
    photoAtUtc(utc(1, 30, 5));

    matchAll(list_, kJapan);

    ASSERT_TRUE(list_.records[0].match);
    EXPECT_EQ(list_.records[0].reason.kind, MatchKind::beforeTrack);
    EXPECT_TRUE(samePoint(list_.records[0].match->point, day->points()[0]));
    EXPECT_FALSE(list_.records[1].match);
    EXPECT_EQ(list_.records[1].reason.kind, MatchKind::logUnreadable);
    EXPECT_EQ(list_.records[1].reason.logBefore, day->path);
}

// A second camera whose clock runs an hour behind is matched with its own
// shift; every other photo with the list's offset.
TEST_F(Matching, matchesACameraWithAClockOfItsOwnByItsShift)
{
    logs_.push_back(steadyLog("day.log", utc(1, 0, 0), utc(2, 0, 0), 10));
    const CameraId slow{"Canon", "Canon EOS 5D", ""};
    PhotoRecord& right = photoAtUtc(utc(1, 30, 0));
    PhotoRecord& behind = photoAtUtc(utc(1, 30, 0), UtcOffset{1, 8, 0});
    behind.exif.camera = slow;
    list_.cameraClocks.push_back({slow, 8 * 3600});

    matchAll(list_, kJapan);

    expectCopyOf(right, pointAt(0, 180), *logs_[0], 0);
    expectCopyOf(behind, pointAt(0, 180), *logs_[0], 0);
}

TEST(FixInstants, shiftedByTheOffsetAreTheFixesTimesOnTheCameraClock)
{
    test::ScopedTimeZone tz("JST-9");
    std::string text;
    for (const char* time : {"235958.000", "235959.000", "000000.000"})
        text += test::fix(time, "311208");
    text += test::fix("120000.000", "290208");
    LogFileRecord log;
    ASSERT_TRUE(readNmeaText(text, log));

    for (const UtcOffset offset : {UtcOffset{1, 9, 0}, UtcOffset{0, 5, 0}, UtcOffset{1, 13, 30},
                                   UtcOffset{0, 0, 0}}) {
        const TimeValue shift = offset.east ? seconds(offset) : -seconds(offset);
        for (std::size_t i = 0; i < log.points().size(); ++i)
            EXPECT_EQ(log.pointTimes()[i] + shift, toLocalTimeValue(log.points()[i].time, offset))
                << i;
    }
}

}  // namespace
}  // namespace vantora
