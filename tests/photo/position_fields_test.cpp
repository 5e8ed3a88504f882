#include <gtest/gtest.h>

#include <string>

#include "photo/position_fields.h"
#include "photo/track_builder.h"

namespace vantora {
namespace {

// Display words in code page 932.
const std::string kNorth = "\x96\x6B\x88\xDC";  // 北緯
const std::string kSouth = "\x93\xEC\x88\xDC";  // 南緯
const std::string kEast = "\x93\x8C\x8C\x6F";   // 東経
const std::string kWest = "\x90\xBC\x8C\x6F";   // 西経

std::string dmsText(const std::string& word, const char* degrees, const char* minutes,
                    const char* seconds)
{
    return word + " " + degrees + "\x93\x78" + minutes + "\x95\xAA" + seconds + "\x95\x62";
}

TEST(ComputedPosition, splitsIntoUnsignedPartsWithTheSignInTheLetter)
{
    struct Case {
        Axis axis;
        std::int64_t tenths;
        const char* ref;
        std::uint32_t degrees, minutes, secondTenths;
        std::string text;
    };
    const Case cases[] = {
        {Axis::latitude, 1296000, "N", 36, 0, 0, dmsText(kNorth, "36", "0", "0.0")},
        {Axis::latitude, -18000, "S", 0, 30, 0, dmsText(kSouth, "0", "30", "0.0")},
        {Axis::latitude, -5, "S", 0, 0, 5, dmsText(kSouth, "0", "0", "0.5")},
        {Axis::latitude, 0, "N", 0, 0, 0, dmsText(kNorth, "0", "0", "0.0")},
        {Axis::latitude, test::dms(35, 39, 74), "N", 35, 39, 74,
         dmsText(kNorth, "35", "39", "7.4")},
        {Axis::longitude, 6480000, "E", 180, 0, 0, dmsText(kEast, "180", "0", "0.0")},
        {Axis::longitude, -6479995, "W", 179, 59, 595, dmsText(kWest, "179", "59", "59.5")},
        {Axis::longitude, -test::dms(0, 0, 1), "W", 0, 0, 1, dmsText(kWest, "0", "0", "0.1")},
    };
    for (const Case& c : cases) {
        TrackPoint point;
        setPositionTenths(point, c.axis, c.tenths);
        const bool lat = c.axis == Axis::latitude;
        const Rational* values = lat ? point.latitude : point.longitude;
        SCOPED_TRACE(c.tenths);
        EXPECT_STREQ(lat ? point.latitudeRef : point.longitudeRef, c.ref);
        EXPECT_EQ(values[0].numerator, c.degrees);
        EXPECT_EQ(values[0].denominator, 1u);
        EXPECT_EQ(values[1].numerator, c.minutes);
        EXPECT_EQ(values[1].denominator, 1u);
        EXPECT_EQ(values[2].numerator, c.secondTenths);
        EXPECT_EQ(values[2].denominator, 10u);
        EXPECT_EQ(std::string(lat ? point.latitudeText : point.longitudeText), c.text);
        EXPECT_EQ(positionTenths(point, c.axis), c.tenths);
    }
}

TEST(ComputedPosition, countsAsNorthOrEastOnlyForTheExactUpperCaseLetter)
{
    TrackPoint point;
    setPositionTenths(point, Axis::latitude, 1000);
    setPositionTenths(point, Axis::longitude, 2000);
    for (const char* ref : {"S", "n", ""}) {
        point.latitudeRef[0] = ref[0];
        EXPECT_EQ(positionTenths(point, Axis::latitude), -1000) << ref;
    }
    point.longitudeRef[0] = 'e';
    EXPECT_EQ(positionTenths(point, Axis::longitude), -2000);
}

TEST(LongitudeWrap, keepsValuesInRangeAndBringsOthersBackWithinHalfATurn)
{
    const std::int64_t half = kHalfTurnTenths;
    const std::int64_t full = kFullTurnTenths;
    struct Case {
        std::int64_t in, out;
    };
    const Case cases[] = {
        {0, 0},
        {half, half},
        {-half, -half},
        {half + 1, -half + 1},
        {-half - 5, half - 5},
        {full, 0},
        {3 * full + 7, 7},
        {-3 * full - 7, -7},
    };
    for (const Case& c : cases)
        EXPECT_EQ(wrapLongitudeTenths(c.in), c.out) << c.in;
}

}  // namespace
}  // namespace vantora
