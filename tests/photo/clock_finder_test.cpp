// Finding the camera clocks of a set of photos against a day's track: a
// log from 01:00 to 02:00 UTC with a fix every 10 seconds.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "photo/clock_finder.h"
#include "photo/matching.h"
#include "photo/photo_list.h"
#include "photo/track_builder.h"
#include "support/time_zone.h"

namespace vantora {
namespace {

constexpr TimeValue kHour = 3600;
constexpr UtcOffset kJapan{1, 9, 0};

// Photos of one camera, taken so many minutes after 01:00 UTC (of 1 May
// or another day), by a clock
// that runs `clockShift` ahead of UTC.
struct CameraShots {
    CameraId camera;
    TimeValue clockShift;
    const char* zone;  // OffsetTimeOriginal
    std::vector<int> minutes;
    int day = 1;       // of May 2008
};

struct Expected {
    std::size_t camera;  // into the case's cameras
    TimeValue shift;
    int photos;
    int insideNow;
    int insideProposed;
    bool fromPhotoZone;
};

const CameraId kNikon{"NIKON CORPORATION", "NIKON D70", ""};
const CameraId kCanon{"Canon", "Canon EOS 5D", "0042"};
const std::vector<int> kEveryHalfDozenMinutes{2, 8, 14, 20, 26, 32, 38, 44, 50, 56};

class ClockFinder : public ::testing::Test {
protected:
    ClockFinder()
    {
        test::LogBuilder log("day.log");
        for (TimeValue t = utc(1, 1, 0, 0); t <= utc(1, 2, 0, 0); t += 10)
            log.fixAt(t, test::dms(35, 0, 0), test::dms(139, 0, 0));
        logs_.push_back(log.build());
    }

    static TimeValue utc(int day, int hour, int minute, int second)
    {
        return toTimeValue(test::dateTime(2008, 5, day, hour, minute, second)).value();
    }

    void take(const CameraShots& shots)
    {
        for (const int minute : shots.minutes) {
            PhotoRecord& photo = list_.records.emplace_back(
                test::photoTakenAt(utc(shots.day, 1, 0, 0) + minute * 60 + shots.clockShift));
            photo.exif.camera = shots.camera;
            std::snprintf(photo.exif.offsetTimeOriginal, sizeof photo.exif.offsetTimeOriginal, "%s", shots.zone);
        }
    }

    test::ScopedTimeZone tz_{"JST-9"};
    LogList logs_;
    PhotoList list_{logs_, kJapan};
};

TEST_F(ClockFinder, proposesEachCameraTheZoneThatPutsItsPhotosOnTheTrack)
{
    struct Case {
        const char* what;
        std::vector<CameraShots> cameras;
        std::vector<Expected> expected;
    };
    const std::vector<int> burst{25, 30, 35};
    const Case cases[] = {
        {"winter time left on: an hour behind",
         {{kNikon, 8 * kHour, "", kEveryHalfDozenMinutes}},
         {{0, 8 * kHour, 10, 0, 10, false}}},
        {"India's clock, the zone left at +09",
         {{kNikon, 5 * kHour + 30 * 60, "", kEveryHalfDozenMinutes}},
         {{0, 5 * kHour + 30 * 60, 10, 0, 10, false}}},
        {"two cameras, the second an hour ahead",
         {{kNikon, 9 * kHour, "", kEveryHalfDozenMinutes}, {kCanon, 10 * kHour, "", {5, 15, 25, 35, 55}}},
         {{1, 10 * kHour, 5, 0, 5, false}}},
        {"the photos name their zone, and it is right",
         {{kNikon, 10 * kHour, "+10:00", kEveryHalfDozenMinutes}},
         {{0, 10 * kHour, 10, 0, 10, true}}},
        {"the photos name the zone the clock was not moved to",
         {{kNikon, 10 * kHour, "+09:00", kEveryHalfDozenMinutes}},
         {{0, 10 * kHour, 10, 0, 10, false}}},
        {"the photos name another zone, but their clock is right", {{kNikon, 9 * kHour, "+05:00", kEveryHalfDozenMinutes}}, {}},
        {"a day without a log: no answer", {{kNikon, 9 * kHour, "+09:00", kEveryHalfDozenMinutes, 3}}, {}},
        {"three quarters inside: nothing clearly better", {{kNikon, 9 * kHour, "", {20, 25, 30, 35, 40, 45, 50, 55, 62, 64}}}, {}},
        {"the best zone puts too few inside", {{kNikon, 8 * kHour, "", {10, 20, 30, 40, 50, 59, 180, 200}}}, {}},
        {"a short burst fits three zones: the one nearest the current",
         {{kNikon, 8 * kHour, "", burst}},
         {{0, 8 * kHour + 15 * 60, 3, 0, 3, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        list_.records.clear();
        for (const CameraShots& shots : c.cameras)
            take(shots);
        matchAll(list_, kJapan);

        const std::vector<ClockProposal> proposals = findCameraClocks(list_);

        ASSERT_EQ(proposals.size(), c.expected.size());
        for (std::size_t i = 0; i < proposals.size(); ++i) {
            const Expected& e = c.expected[i];
            EXPECT_EQ(proposals[i].camera, c.cameras[e.camera].camera);
            EXPECT_EQ(formatUtcShift(proposals[i].proposedShift), formatUtcShift(e.shift));
            EXPECT_EQ(proposals[i].currentShift, 9 * kHour);
            EXPECT_EQ(proposals[i].photos, e.photos);
            EXPECT_EQ(proposals[i].insideNow, e.insideNow);
            EXPECT_EQ(proposals[i].insideProposed, e.insideProposed);
            EXPECT_EQ(proposals[i].fromPhotoZone, e.fromPhotoZone);
        }
    }
}

// Taking the proposals matches every photo of the off camera by its own
// clock, and leaves the other camera's photos as they were.
TEST_F(ClockFinder, whoseProposalsTakenMakeEveryMatchGood)
{
    take({kNikon, 9 * kHour, "", kEveryHalfDozenMinutes});
    take({kCanon, 10 * kHour, "", {5, 15, 25, 35, 55}});
    matchAll(list_, kJapan);
    ASSERT_EQ(countDoubtful(list_), 5u);

    applyClockProposals(list_, findCameraClocks(list_), kJapan);

    EXPECT_EQ(countDoubtful(list_), 0u);
    ASSERT_EQ(list_.cameraClocks.size(), 1u);
    EXPECT_EQ(list_.cameraClocks[0].camera, kCanon);
    EXPECT_TRUE(findCameraClocks(list_).empty());  // nothing left to find
}

TEST(PhotoZones, areReadAsShiftsOnlyInTheirOwnShape)
{
    EXPECT_EQ(shiftOfPhotoZone("+09:00"), 9 * kHour);
    EXPECT_EQ(shiftOfPhotoZone("-03:30"), -(3 * kHour + 30 * 60));
    EXPECT_EQ(shiftOfPhotoZone("+14:00"), 14 * kHour);
    for (const char* odd : {"", "+15:00", "+09:60", "09:00", "+9:00", "+09:00:00", "   :  "})
        EXPECT_FALSE(shiftOfPhotoZone(odd).has_value()) << odd;
}

TEST(Cameras, areNamedAsAPersonNamesThem)
{
    EXPECT_EQ(cameraName(kNikon), "NIKON D70");
    EXPECT_EQ(cameraName(kCanon), "Canon EOS 5D #0042");
    EXPECT_EQ(cameraName({"Apple", "iPhone 4", ""}), "Apple iPhone 4");
    EXPECT_EQ(cameraName({}), "unknown camera");
    EXPECT_TRUE(textNamesCamera("nikon d70", kNikon));
    EXPECT_TRUE(textNamesCamera("NIKON CORPORATION NIKON D70", kNikon));
    EXPECT_TRUE(textNamesCamera("Canon EOS 5D", kCanon));
    EXPECT_FALSE(textNamesCamera("NIKON D7", kNikon));
    EXPECT_EQ(formatUtcShift(-(5 * kHour + 30 * 60 + 12)), "-05:30:12");
    EXPECT_FALSE(utcOffsetOf(14 * kHour).has_value());
    EXPECT_EQ(utcOffsetOf(-5 * kHour)->east, 0);
}

}  // namespace
}  // namespace vantora
