#include "tracklog/gpx_track.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tracklog/text_writer.h"

namespace vantora {

namespace {

constexpr std::uint32_t kTenthsPerMinute = 600;
constexpr std::uint32_t kTenthsPerDegree = 60 * kTenthsPerMinute;

// |degrees| in tenths of an arc second, half-up; whole minutes and degrees
// come out of the division, so 599.5 tenths carry into the next minute.
void fillAxisFromDegrees(TrackPoint& point, Axis axis, double degrees)
{
    const bool positive = degrees >= 0.0;
    const auto tenths = static_cast<std::uint32_t>(std::floor(std::fabs(degrees) * kTenthsPerDegree + 0.5));
    const char hemisphere = axis == Axis::latitude ? (positive ? 'N' : 'S') : (positive ? 'E' : 'W');
    fillAxisTenths(point, axis, static_cast<int>(tenths / kTenthsPerDegree),
                   static_cast<int>(tenths % kTenthsPerDegree / kTenthsPerMinute),
                   tenths % kTenthsPerMinute, hemisphere);
}

bool earlier(const GpxFix& a, const GpxFix& b)
{
    return a.time.value < b.time.value;
}

// Where the points of [first, last) split into runs more than a day apart.
std::size_t firstGapAfter(const std::vector<GpxFix>& fixes, std::size_t first, std::size_t last)
{
    for (std::size_t i = first + 1; i < last; ++i)
        if (fixes[i].time.value - fixes[i - 1].time.value > kStrayGapSeconds)
            return i;
    return last;
}

std::size_t lastGapBefore(const std::vector<GpxFix>& fixes, std::size_t first, std::size_t last)
{
    for (std::size_t i = last - 1; i > first; --i)
        if (fixes[i].time.value - fixes[i - 1].time.value > kStrayGapSeconds)
            return i;
    return first;
}

bool isStrayRun(std::size_t runLength, std::size_t total)
{
    return runLength < kMaxStrayPoints && runLength * 10 < total;
}

}  // namespace

TrackPoint gpxTrackPoint(const GpxFix& fix)
{
    TrackPoint point{};
    point.time = fix.time.utc;
    writeTrackDateTimeText(point.time);
    const ExifDateTime& t = point.time;
    TextWriter(point.timeText)
        .number(t.hour, 2).text(":").number(t.minute, 2).text(":").number(t.second, 2);
    fillAxisFromDegrees(point, Axis::latitude, fix.latitude);
    fillAxisFromDegrees(point, Axis::longitude, fix.longitude);
    TextWriter(point.status).text("A");
    return point;
}

std::size_t appendGpxTrack(std::vector<GpxFix> fixes, LogFileRecord& record)
{
    // Stable, so that of the points of one instant the first in the file
    // stays (a third track that repeats the first two adds nothing).
    std::stable_sort(fixes.begin(), fixes.end(), earlier);
    const auto repeats = std::unique(fixes.begin(), fixes.end(), [](const GpxFix& a, const GpxFix& b) {
        return a.time.value == b.time.value;
    });
    fixes.erase(repeats, fixes.end());

    const std::size_t total = fixes.size();
    std::size_t first = 0;
    std::size_t last = total;
    for (bool trimmed = true; trimmed && first < last;) {
        trimmed = false;
        const std::size_t headEnd = firstGapAfter(fixes, first, last);
        if (headEnd < last && isStrayRun(headEnd - first, total)) {
            first = headEnd;
            trimmed = true;
        }
        const std::size_t tailStart = lastGapBefore(fixes, first, last);
        if (tailStart > first && isStrayRun(last - tailStart, total)) {
            last = tailStart;
            trimmed = true;
        }
    }
    for (std::size_t i = first; i < last; ++i)
        record.appendPoint(gpxTrackPoint(fixes[i]), fixes[i].time.value);
    return last - first;
}

}  // namespace vantora
