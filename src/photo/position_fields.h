#pragma once
// The position fields of track points and photos. A position between two
// fixes is computed as a signed count of tenths of an arc second
// (degrees × 36000 + minutes × 600 + tenths of seconds), negative in the
// south and west; these helpers read and write the fields in that unit.

#include <cstdint>

#include "tracklog/track_point.h"

namespace vantora {

struct PhotoExifData;

constexpr std::int64_t kTenthsPerDegree = 36000;
constexpr std::int64_t kTenthsPerMinute = 600;
constexpr std::int64_t kHalfTurnTenths = 180 * kTenthsPerDegree;  // 180°
constexpr std::int64_t kFullTurnTenths = 2 * kHalfTurnTenths;      // 360°

// The axis as signed tenths, from the numerators of its three rationals (a
// track point's denominators are 1, 1 and 10). Positive only when the
// reference is exactly "N" (latitude) or "E" (longitude).
std::int64_t positionTenths(const TrackPoint& point, Axis axis);

// Writes a computed position into the axis: rationals |degrees|/1,
// minutes/1, tenths/10, the letter S or W for a negative value, and the
// display text.
void setPositionTenths(TrackPoint& point, Axis axis, std::int64_t tenths);

// The same longitude within -180°..180°. Values already in that range,
// both ends included, come back unchanged.
std::int64_t wrapLongitudeTenths(std::int64_t tenths);

// The distance between two fixes in metres, on a sphere of the Earth's
// mean radius; good to a fraction of a metre over the few hundred metres it
// is used for (was the logger standing still?).
double metresBetween(const TrackPoint& a, const TrackPoint& b);

}  // namespace vantora
