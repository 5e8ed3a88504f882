#pragma once
// Matching done the plain way, to check the fast matcher against: every
// instant converted afresh at each comparison, the logs and their fixes
// scanned from the start for every photo, nothing learnt or cached. Same
// rules as matchAll: longitude the short way round, and a photo whose time
// cannot be converted left without a match.

#include <cstdint>
#include <optional>

#include "photo/photo_record.h"
#include "photo/position_fields.h"
#include "tracklog/text_writer.h"
#include "tracklog/time_values.h"

namespace vantora::test {

namespace reference_detail {

// Fixes in a log list always convert (the reader drops those that do not).
inline TimeValue localInstant(const TrackPoint& point, const UtcOffset& offset)
{
    return toLocalTimeValue(point.time, offset).value();
}

inline std::int64_t axisTenths(const Rational (&values)[3], const char (&reference)[2],
                               char positiveLetter)
{
    const std::int64_t magnitude = std::int64_t{values[0].numerator} * 36000 +
                                   std::int64_t{values[1].numerator} * 600 +
                                   std::int64_t{values[2].numerator};
    const bool positive = reference[0] == positiveLetter && reference[1] == '\0';
    return positive ? magnitude : -magnitude;
}

struct Outcome {
    std::optional<TrackMatch> match;
    std::int32_t doubtful = 0;
    const LogFileRecord* log = nullptr;
};

inline Outcome copyOf(const TrackPoint& point, const LogFileRecord& log, std::int32_t doubtful)
{
    return {TrackMatch{point, toTimeValue(point.time).value()}, doubtful, &log};
}

inline Outcome interpolate(const TrackPoint& a, const LogFileRecord& logA, const TrackPoint& b,
                           const LogFileRecord& logB, TimeValue photo, const UtcOffset& offset)
{
    const TimeValue tA = localInstant(a, offset);
    const TimeValue tB = localInstant(b, offset);
    const TimeValue gap = tB - tA;
    const TimeValue dt = photo - tA;
    if (gap / 3600 >= 10) {
        if (tB - photo >= dt)
            return copyOf(a, logA, 1);
        return copyOf(b, logB, 1);
    }
    const std::int32_t doubtful = gap / 60 >= 10 ? 1 : 0;

    const std::int64_t latA = axisTenths(a.latitude, a.latitudeRef, 'N');
    const std::int64_t latB = axisTenths(b.latitude, b.latitudeRef, 'N');
    const std::int64_t latitude = latA + (latB - latA) * dt / gap;

    const std::int64_t halfTurn = 180 * 36000;
    const std::int64_t lonA = axisTenths(a.longitude, a.longitudeRef, 'E');
    std::int64_t lonB = axisTenths(b.longitude, b.longitudeRef, 'E');
    if (lonB - lonA > halfTurn)
        lonB -= 2 * halfTurn;  // going west across 180° is shorter
    else if (lonA - lonB > halfTurn)
        lonB += 2 * halfTurn;  // going east across 180° is shorter
    std::int64_t longitude = lonA + (lonB - lonA) * dt / gap;
    if (longitude > halfTurn)
        longitude -= 2 * halfTurn;
    else if (longitude < -halfTurn)
        longitude += 2 * halfTurn;

    const TimeValue photoUtc =
        offset.east ? photo - seconds(offset) : photo + seconds(offset);
    const auto local = fromTimeValue(photo);
    const auto utc = fromTimeValue(photoUtc);
    if (!local || !utc)
        return {};

    Outcome result = 2 * dt <= gap ? copyOf(a, logA, doubtful) : copyOf(b, logB, doubtful);
    TrackPoint& point = result.match->point;
    setPositionTenths(point, Axis::latitude, latitude);
    setPositionTenths(point, Axis::longitude, longitude);
    point.time = *local;
    result.match->utc = photoUtc;
    TextWriter(point.timeText)
        .number(utc->hour, 2).text(":")
        .number(utc->minute, 2).text(":")
        .number(utc->second, 2);
    return result;
}

inline Outcome matchOne(const LogList& logs, TimeValue photo, const UtcOffset& offset)
{
    for (std::size_t i = 0; i < logs.size(); ++i) {
        const LogFileRecord& log = *logs[i];  // never empty in a list
        const TrackPoint& firstPoint = log.points().front();
        const TrackPoint& lastPoint = log.points().back();
        const bool isLast = i + 1 == logs.size();
        if (i == 0 && photo < localInstant(firstPoint, offset))
            return copyOf(firstPoint, log, 1);
        if (isLast && photo > localInstant(lastPoint, offset))
            return copyOf(lastPoint, log, 1);
        if (photo < localInstant(firstPoint, offset) || photo > localInstant(lastPoint, offset)) {
            if (i > 0) {
                const LogFileRecord& previous = *logs[i - 1];
                if (localInstant(previous.points().back(), offset) < photo &&
                    photo < localInstant(firstPoint, offset))
                    return interpolate(previous.points().back(), previous, firstPoint, log, photo,
                                       offset);
            }
            continue;
        }
        const auto& points = log.points();
        for (std::size_t j = 0; j < points.size(); ++j) {
            if (localInstant(points[j], offset) == photo)
                return copyOf(points[j], log, 0);
            if (localInstant(points[j], offset) > photo)
                return interpolate(points[j - 1], log, points[j], log, photo, offset);
        }
    }
    return {};
}

}  // namespace reference_detail

inline void referenceMatchAll(PhotoList& list, const UtcOffset& offset)
{
    if (list.logs.empty())
        return;
    list.offset = offset;
    for (PhotoRecord& record : list.records) {
        if (record.match)
            continue;
        const auto photo = toTimeValue(record.exif.shootingTime);
        if (!photo)
            continue;
        const auto outcome = reference_detail::matchOne(list.logs, *photo, offset);
        if (!outcome.match)
            continue;
        record.match = outcome.match;
        record.doubtful = outcome.doubtful;
        record.matchedLogPath = outcome.log->path;
    }
}

}  // namespace vantora::test
