// matchAll against the plain scan on randomised tracks: whatever the order of
// the logs and fixes, the fast matcher must give every photo exactly the
// result of scanning the track from its start.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "photo/matching.h"
#include "photo/point_comparison.h"
#include "photo/track_builder.h"
#include "support/reference_matching.h"
#include "support/time_zone.h"

namespace vantora {
namespace {

constexpr std::int64_t kMaxLatitude = 90 * 36000;

// Gaps that sit on the matcher's thresholds: 9:59, 10:00, 9 h 59 min, 10 h.
constexpr TimeValue kThresholdGaps[] = {599, 600, 601, 35940, 35999, 36000, 36001};

class RandomTrack {
public:
    explicit RandomTrack(std::uint32_t seed) : random_(seed) {}

    std::int64_t pick(std::int64_t low, std::int64_t high)
    {
        const auto span = static_cast<std::uint64_t>(high - low + 1);
        return low + static_cast<std::int64_t>(random_() % span);
    }
    bool chance(int percent) { return pick(0, 99) < percent; }

    TimeValue gap()
    {
        const auto r = pick(0, 99);
        if (r < 8)
            return 0;
        if (r < 60)
            return pick(1, 10);
        if (r < 75)
            return pick(11, 600);
        if (r < 88)
            return kThresholdGaps[pick(0, std::size(kThresholdGaps) - 1)];
        return pick(601, 7200);
    }

    UtcOffset offset()
    {
        const std::int32_t minutes[] = {0, 30, 45};
        const auto east = static_cast<std::int32_t>(pick(0, 1));
        const auto hours = static_cast<std::int32_t>(pick(0, 13));
        return UtcOffset{east, hours, minutes[pick(0, 2)]};
    }

    // A log of fixes wandering from the last position, sometimes near the
    // 180° meridian, sometimes leaping anywhere; now and then with a few
    // fixes out of time order.
    std::unique_ptr<LogFileRecord> log(const std::string& name, TimeValue start)
    {
        test::LogBuilder builder(name);
        std::int64_t latitude = pick(-kMaxLatitude, kMaxLatitude);
        const std::int64_t nearDateLine = (chance(50) ? 1 : -1) * (kHalfTurnTenths - pick(0, 3000));
        std::int64_t longitude =
            chance(30) ? pick(-kHalfTurnTenths, kHalfTurnTenths) : nearDateLine;
        std::vector<TimeValue> times;
        TimeValue t = start;
        const auto count = pick(1, 30);
        for (std::int64_t i = 0; i < count; ++i) {
            times.push_back(t);
            t += gap();
        }
        if (chance(15))
            for (int swaps = 0; swaps < 3; ++swaps)
                std::swap(times[pick(0, count - 1)], times[pick(0, count - 1)]);
        if (chance(5))
            std::reverse(times.begin(), times.end());
        for (TimeValue time : times) {
            builder.fixAt(time, latitude, longitude, chance(10) ? "a" : "A");
            if (chance(5)) {
                latitude = pick(-kMaxLatitude, kMaxLatitude);
                longitude = pick(-kHalfTurnTenths, kHalfTurnTenths);
            } else {
                latitude = std::clamp<std::int64_t>(latitude + pick(-5000, 5000), -kMaxLatitude,
                                                    kMaxLatitude);
                longitude = wrapLongitudeTenths(longitude + pick(-5000, 5000));
            }
        }
        return builder.build();
    }

    // Logs one after another, as a list keeps them; now and then out of
    // order or overlapping, as no list should be.
    LogList logs(TimeValue start)
    {
        LogList list;
        TimeValue t = start;
        const auto count = pick(1, 6);
        for (std::int64_t i = 0; i < count; ++i) {
            list.push_back(log("log" + std::to_string(i) + ".log", t));
            // Usually after the log's latest fix; sometimes only after its
            // last one, which may come before its first.
            const LogFileRecord& previous = *list.back();
            const TimeValue end = chance(20) ? previous.lastTime()
                                             : std::max(previous.firstTime(), previous.lastTime());
            t = end + std::max<TimeValue>(1, gap());
        }
        if (chance(10) && list.size() > 1)
            std::swap(list[pick(0, list.size() - 1)], list[pick(0, list.size() - 1)]);
        if (chance(10) && list.size() > 1) {
            const auto i = pick(1, list.size() - 1);
            list[i] = log("overlapping.log", list[i - 1]->lastTime() - pick(0, 20));
        }
        if (chance(10) && list.size() > 1) {
            const auto i = list.size() - 1;
            list[i] = log("touching.log", list[i - 1]->lastTime());
        }
        return list;
    }

    // The UTC moment of a photo: at, near or between fixes, before or after
    // the whole track, or in the middle of a gap between logs.
    TimeValue photoMoment(const LogList& list)
    {
        const LogFileRecord& log = *list[pick(0, list.size() - 1)];
        const TimeValue fix = log.pointTimes()[pick(0, log.pointTimes().size() - 1)];
        switch (pick(0, 9)) {
        case 0: return fix;
        case 1: return fix + pick(-1, 1);
        case 2: return fix + pick(-700, 700);
        case 3: return list.front()->firstTime() - pick(1, 40000);
        case 4: return list.back()->lastTime() + pick(1, 40000);
        case 5: return log.lastTime() + pick(1, 36001);
        case 6: {
            const std::size_t i = pick(0, list.size() - 1);
            const std::size_t next = std::min(i + 1, list.size() - 1);
            return (list[i]->lastTime() + list[next]->firstTime()) / 2;
        }
        case 7: return log.firstTime();
        case 8: return log.lastTime();
        default: return fix + pick(-40000, 40000);
        }
    }

private:
    std::mt19937 random_;
};

ExifDateTime unusableTime(int which)
{
    switch (which % 3) {
    case 0: return ExifDateTime{};
    case 1: return test::dateTime(2008, 0, 10, 10, 0, 0);
    default: return test::dateTime(1899, 12, 31, 23, 59, 59);
    }
}

struct Tally {
    int photos = 0;
    int unmatched = 0;
    int good = 0;
    int doubtful = 0;
    int interpolated = 0;
};

// Compares the two results of one photo; returns false at the first difference.
bool expectSameResult(const PhotoRecord& fast, const PhotoRecord& plain, const std::string& where)
{
    EXPECT_EQ(fast.match.has_value(), plain.match.has_value()) << where;
    if (fast.match.has_value() != plain.match.has_value())
        return false;
    if (fast.match) {
        EXPECT_EQ(test::firstDifference(fast.match->point, plain.match->point), "") << where;
        EXPECT_EQ(fast.match->utc, plain.match->utc) << where;
    }
    EXPECT_EQ(fast.doubtful, plain.doubtful) << where;
    EXPECT_EQ(fast.matchedLogPath, plain.matchedLogPath) << where;
    EXPECT_EQ(fast.reason.kind, plain.reason.kind) << where;
    EXPECT_EQ(fast.reason.distance, plain.reason.distance) << where;
    EXPECT_EQ(fast.reason.gap, plain.reason.gap) << where;
    return !::testing::Test::HasFailure();
}

void tally(Tally& counts, const PhotoRecord& photo)
{
    ++counts.photos;
    if (!photo.match) {
        ++counts.unmatched;
        return;
    }
    ++(photo.doubtful ? counts.doubtful : counts.good);
    // A computed position carries the photo's own local time.
    if (std::string(photo.match->point.time.dateTimeText) ==
        fromTimeValue(toTimeValue(photo.exif.shootingTime).value()).value().dateTimeText)
        ++counts.interpolated;
}

TEST(FastMatching, givesExactlyTheResultOfThePlainScanOnRandomTracks)
{
    Tally counts;
    std::uint32_t seed = 20080501;
    for (const char* zone : {"JST-9", "UTC0", "EST5EDT"}) {
        test::ScopedTimeZone tz(zone);
        const TimeValue start = toTimeValue(test::dateTime(2008, 12, 30, 12, 0, 0)).value();
        for (int round = 0; round < 300; ++round, ++seed) {
            RandomTrack random(seed);
            const LogList logs = random.logs(start + random.pick(0, 86400));
            const UtcOffset offset = random.offset();

            // A second camera, in half the rounds with a clock of its own
            // that is off by any number of seconds.
            const CameraId second{"Canon", "Canon EOS 5D", "0042"};
            const TimeValue secondShift = random.pick(-14 * 3600, 14 * 3600);
            PhotoList fast(logs);
            if (random.chance(50))
                fast.cameraClocks.push_back({second, secondShift});
            for (int i = 0; i < 30; ++i) {
                if (random.chance(5)) {
                    fast.records.push_back(test::photoTakenAt(unusableTime(i)));
                    continue;
                }
                const TimeValue moment = random.photoMoment(logs);
                if (random.chance(30)) {
                    fast.records.push_back(test::photoTakenAt(moment + secondShift));
                    fast.records.back().exif.camera = second;
                    continue;
                }
                fast.records.push_back(test::photoTakenAt(test::onCameraClock(moment, offset)));
            }
            PhotoList plain(logs);
            plain.cameraClocks = fast.cameraClocks;
            plain.records = fast.records;

            matchAll(fast, offset);
            test::referenceMatchAll(plain, offset);

            for (std::size_t i = 0; i < fast.records.size(); ++i) {
                const std::string where = std::string(zone) + " seed " + std::to_string(seed) +
                                          " photo " + std::to_string(i) + " at " +
                                          fast.records[i].exif.shootingTime.dateTimeText;
                if (!expectSameResult(fast.records[i], plain.records[i], where))
                    return;
                tally(counts, fast.records[i]);
            }
        }
    }
    // The generator must reach every kind of result, or the comparison
    // proves little.
    EXPECT_GT(counts.unmatched, counts.photos / 50);
    EXPECT_GT(counts.good, counts.photos / 10);
    EXPECT_GT(counts.doubtful, counts.photos / 10);
    EXPECT_GT(counts.interpolated, counts.photos / 10);
}

}  // namespace
}  // namespace vantora
