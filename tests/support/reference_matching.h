#pragma once
// Matching done the plain way, to check the fast matcher against: every
// instant converted afresh at each comparison, the logs and their fixes
// scanned from the start for every photo, nothing learnt or cached. Same
// rules as matchAll: longitude the short way round, a photo whose time
// cannot be converted left without a match, a camera with a clock of its
// own matched by that clock's shift, and the kind of each result with the
// lengths of time it names.

#include <cstdint>
#include <optional>

#include "photo/photo_record.h"
#include "photo/position_fields.h"
#include "tracklog/text_writer.h"
#include "tracklog/time_values.h"

namespace vantora::test {

namespace reference_detail {

// The clock a photo is matched by: the list's offset, or the shift of its
// camera's own clock.
struct Clock {
    UtcOffset offset;
    std::optional<TimeValue> cameraShift;
};

inline Clock clockOf(const PhotoList& list, const PhotoRecord& record, const UtcOffset& offset)
{
    for (const CameraClock& clock : list.cameraClocks)
        if (clock.camera == record.exif.camera)
            return {offset, clock.utcShift};
    return {offset, std::nullopt};
}

// Fixes in a log list always convert (the reader drops those that do not).
inline TimeValue localInstant(const TrackPoint& point, const Clock& clock)
{
    if (clock.cameraShift)
        return toTimeValue(point.time).value() + *clock.cameraShift;
    return toLocalTimeValue(point.time, clock.offset).value();
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
    MatchKind kind = MatchKind::notMatched;
    TimeValue distance = 0;  // to the end of the track
    TimeValue gap = 0;       // between the fixes around the photo
};

inline Outcome copyOf(const TrackPoint& point, const LogFileRecord& log, std::int32_t doubtful,
                      MatchKind kind = MatchKind::atFix)
{
    return {TrackMatch{point, toTimeValue(point.time).value()}, doubtful, &log, kind};
}

inline Outcome endOfTrack(const TrackPoint& point, const LogFileRecord& log, MatchKind kind,
                          TimeValue distance)
{
    Outcome outcome = copyOf(point, log, 1, kind);
    outcome.distance = distance;
    return outcome;
}

inline Outcome interpolate(const TrackPoint& a, const LogFileRecord& logA, const TrackPoint& b,
                           const LogFileRecord& logB, TimeValue photo, const Clock& clock)
{
    const TimeValue tA = localInstant(a, clock);
    const TimeValue tB = localInstant(b, clock);
    const TimeValue gap = tB - tA;
    const TimeValue dt = photo - tA;
    if (gap / 3600 >= 10) {
        Outcome far = tB - photo >= dt ? copyOf(a, logA, 1, MatchKind::noPositionInGap)
                                       : copyOf(b, logB, 1, MatchKind::noPositionInGap);
        far.gap = gap;
        return far;
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

    const TimeValue shift = clock.cameraShift ? *clock.cameraShift
                            : clock.offset.east ? seconds(clock.offset)
                                                : -seconds(clock.offset);
    const TimeValue photoUtc = photo - shift;
    const auto local = fromTimeValue(photo);
    const auto utc = fromTimeValue(photoUtc);
    if (!local || !utc)
        return {};

    const MatchKind kind = doubtful ? MatchKind::inGap : MatchKind::betweenFixes;
    Outcome result = 2 * dt <= gap ? copyOf(a, logA, doubtful, kind) : copyOf(b, logB, doubtful, kind);
    result.gap = gap;
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

inline Outcome matchOne(const LogList& logs, TimeValue photo, const Clock& clock)
{
    for (std::size_t i = 0; i < logs.size(); ++i) {
        const LogFileRecord& log = *logs[i];  // never empty in a list
        const TrackPoint& firstPoint = log.points().front();
        const TrackPoint& lastPoint = log.points().back();
        const bool isLast = i + 1 == logs.size();
        if (i == 0 && photo < localInstant(firstPoint, clock))
            return endOfTrack(firstPoint, log, MatchKind::beforeTrack,
                              localInstant(firstPoint, clock) - photo);
        if (isLast && photo > localInstant(lastPoint, clock))
            return endOfTrack(lastPoint, log, MatchKind::afterTrack,
                              photo - localInstant(lastPoint, clock));
        if (photo < localInstant(firstPoint, clock) || photo > localInstant(lastPoint, clock)) {
            if (i > 0) {
                const LogFileRecord& previous = *logs[i - 1];
                if (localInstant(previous.points().back(), clock) < photo &&
                    photo < localInstant(firstPoint, clock))
                    return interpolate(previous.points().back(), previous, firstPoint, log, photo,
                                       clock);
            }
            continue;
        }
        const auto& points = log.points();
        for (std::size_t j = 0; j < points.size(); ++j) {
            if (localInstant(points[j], clock) == photo)
                return copyOf(points[j], log, 0);
            if (localInstant(points[j], clock) > photo)
                return interpolate(points[j - 1], log, points[j], log, photo, clock);
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
        if (!photo) {
            record.reason.kind = record.exif.shootingTime.dateTimeText[0] ? MatchKind::unreadableShootingTime
                                                                          : MatchKind::noShootingTime;
            continue;
        }
        const auto outcome =
            reference_detail::matchOne(list.logs, *photo, reference_detail::clockOf(list, record, offset));
        if (!outcome.match)
            continue;
        record.match = outcome.match;
        record.doubtful = outcome.doubtful;
        record.matchedLogPath = outcome.log->path;
        record.reason.kind = outcome.kind;
        record.reason.distance = outcome.distance;
        record.reason.gap = outcome.gap;
    }
}

}  // namespace vantora::test
