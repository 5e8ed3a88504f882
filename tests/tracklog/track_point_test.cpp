#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tracklog/log_points.h"
#include "tracklog/track_point.h"

namespace vantora {
namespace {

// Code page 932 texts as the point holds them.
const std::string kNorth35 = "\x96\x6B\x88\xDC 35\x93\x78" "39\x95\xAA" "7.4\x95\x62";

TrackPoint latitudeOnly(std::uint32_t d, std::uint32_t m, std::uint32_t sn, std::uint32_t sd,
                        const char* ref)
{
    TrackPoint p{};
    p.latitude[0] = {d, 1};
    p.latitude[1] = {m, 1};
    p.latitude[2] = {sn, sd};
    p.latitudeRef[0] = ref[0];
    return p;
}

TEST(DecimalDegrees, addMinutesAndSecondsAndTakeTheSignFromTheReference)
{
    const TrackPoint north = latitudeOnly(35, 39, 74, 10, "N");
    EXPECT_EQ(formatDegrees(latitudeDegrees(north), north.latitudeRef, 'N'), L"35.652056");
    const TrackPoint south = latitudeOnly(35, 39, 74, 10, "S");
    EXPECT_EQ(formatDegrees(latitudeDegrees(south), south.latitudeRef, 'N'), L"-35.652056");
}

TEST(DecimalDegrees, ignoreSecondsWithAZeroDenominator)
{
    const TrackPoint p = latitudeOnly(35, 30, 999, 0, "N");
    EXPECT_DOUBLE_EQ(latitudeDegrees(p), 35.5);
}

TEST(DecimalDegrees, printMinusZeroForAnEmptyReference)
{
    const TrackPoint empty{};
    EXPECT_EQ(formatDegrees(longitudeDegrees(empty), empty.longitudeRef, 'E'), L"-0.000000");
}

TEST(DecimalDegrees, roundLikePrintfWithAFullStop)
{
    EXPECT_EQ(formatDegrees(139.7613150, "E", 'E'), L"139.761315");
    EXPECT_EQ(formatDegrees(0.0000005, "W", 'E'), L"-0.000000");  // binary value below one half
    EXPECT_EQ(formatDegrees(179.9999999, "E", 'E'), L"180.000000");
}

TEST(FillAxis, storesTenthsRoundedHalfUpAndShowsTheSecondsThemselves)
{
    TrackPoint p{};
    fillAxis(p, Axis::latitude, 35, 39, 7.404, 'N');
    EXPECT_EQ(p.latitude[0].numerator, 35u);
    EXPECT_EQ(p.latitude[0].denominator, 1u);
    EXPECT_EQ(p.latitude[1].numerator, 39u);
    EXPECT_EQ(p.latitude[2].numerator, 74u);
    EXPECT_EQ(p.latitude[2].denominator, 10u);
    EXPECT_EQ(std::string(p.latitudeText), kNorth35);
    EXPECT_STREQ(p.latitudeRef, "N");
}

TEST(FillAxis, doesNotCarrySixtySecondsIntoTheMinutes)
{
    TrackPoint p{};
    fillAxis(p, Axis::longitude, 139, 45, 59.96, 'E');
    EXPECT_EQ(p.longitude[1].numerator, 45u);
    EXPECT_EQ(p.longitude[2].numerator, 600u);
    EXPECT_EQ(std::string(p.longitudeText),
              "\x93\x8C\x8C\x6F 139\x93\x78" "45\x95\xAA" "60.0\x95\x62");
}

TEST(FillAxis, treatsOnlyUpperCaseLettersAsNorthAndEast)
{
    TrackPoint p{};
    fillAxis(p, Axis::latitude, 1, 2, 3.0, 'n');
    fillAxis(p, Axis::longitude, 1, 2, 3.0, 'e');
    EXPECT_STREQ(p.latitudeRef, "S");
    EXPECT_STREQ(p.longitudeRef, "W");
    EXPECT_EQ(std::string(p.latitudeText, 4), "\x93\xEC\x88\xDC");   // 南緯
    EXPECT_EQ(std::string(p.longitudeText, 4), "\x90\xBC\x8C\x6F");  // 西経
}

TEST(FillAxis, keepsTextsInsideTheirFieldsForAnyNumbers)
{
    TrackPoint p{};
    p.latitudeRef[1] = 'x';  // the guard byte after the letter must be rewritten as NUL
    fillAxis(p, Axis::latitude, -2147483647 - 1, -2147483647 - 1, 59.99, 'S');
    EXPECT_LT(std::strlen(p.latitudeText), sizeof p.latitudeText);
    EXPECT_EQ(p.latitudeRef[1], '\0');
    fillAxis(p, Axis::latitude, 1, 1, 1e300, 'N');  // out of contract: no undefined cast
    EXPECT_EQ(p.latitude[2].numerator, 0u);
}

TEST(FillAxisTenths, showsTheStoredTenths)
{
    TrackPoint p{};
    fillAxisTenths(p, Axis::latitude, 36, 0, 0, 'N');
    EXPECT_EQ(std::string(p.latitudeText), "\x96\x6B\x88\xDC 36\x93\x78" "0\x95\xAA" "0.0\x95\x62");
    EXPECT_EQ(p.latitude[2].denominator, 10u);
}

// A log holds its fixes compactly and gives back every field exactly as the
// reader made it, also where the text and the rational round apart, where
// an axis was never logged and where a logged date lies past its month's end.
TEST(StoredFixes, comeBackExactlyAsTheyWereAppended)
{
    struct Case {
        const char* what;
        int day;
        double latitudeSeconds;
        bool withLongitude;
        int degrees;
        bool compact;
    };
    const Case cases[] = {
        {"an ordinary fix", 1, 7.4, true, 139, true},
        {"seconds the text rounds to even", 1, 0.25, true, 139, true},
        {"seconds that show as 60.0", 1, 59.96, true, 139, true},
        {"no longitude logged", 1, 12.0, false, 139, true},
        {"31 April, counted as 1 May", 31, 7.4, true, 139, true},
        {"degrees no receiver logs", 1, 7.4, true, 70000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrackPoint p{};
        p.time = {{}, 2008, 4, c.day, 3, 4, 5};
        writeTrackDateTimeText(p.time);
        std::memcpy(p.timeText, "03:04:05", 9);
        p.status[0] = 'A';
        fillAxis(p, Axis::latitude, 35, 39, c.latitudeSeconds, 'N');
        if (c.withLongitude)
            fillAxis(p, Axis::longitude, c.degrees, 45, 40.75, 'W');
        LogPoints points;
        points.append(p, *toTimeValue(p.time));
        EXPECT_TRUE(samePoint(points[0], p));
        EXPECT_EQ(points.keptWhole(), c.compact ? 0u : 1u);
    }
}

}  // namespace
}  // namespace vantora
