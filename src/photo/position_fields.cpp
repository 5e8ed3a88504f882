#include "photo/position_fields.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "photo/photo_record.h"

namespace vantora {

namespace {

bool isExactly(const char (&reference)[2], char letter)
{
    return reference[0] == letter && reference[1] == '\0';
}

std::int64_t tenthsOf(const Rational (&values)[3])
{
    return static_cast<std::int64_t>(values[0].numerator) * kTenthsPerDegree +
           static_cast<std::int64_t>(values[1].numerator) * kTenthsPerMinute +
           static_cast<std::int64_t>(values[2].numerator);
}

template <std::size_t N>
void copyField(const char (&from)[N], char (&to)[N])
{
    std::copy(std::begin(from), std::end(from), std::begin(to));
}

void copyField(const Rational (&from)[3], Rational (&to)[3])
{
    std::copy(std::begin(from), std::end(from), std::begin(to));
}

}  // namespace

std::int64_t positionTenths(const TrackPoint& point, Axis axis)
{
    if (axis == Axis::latitude) {
        const std::int64_t value = tenthsOf(point.latitude);
        return isExactly(point.latitudeRef, 'N') ? value : -value;
    }
    const std::int64_t value = tenthsOf(point.longitude);
    return isExactly(point.longitudeRef, 'E') ? value : -value;
}

void setPositionTenths(TrackPoint& point, Axis axis, std::int64_t tenths)
{
    // Split truncating towards zero, so the parts carry no sign of their own.
    const std::int64_t degrees = tenths / kTenthsPerDegree;
    const std::int64_t rest = tenths - degrees * kTenthsPerDegree;
    const int minutes = static_cast<int>(std::llabs(rest / kTenthsPerMinute));
    const auto secondTenths = static_cast<std::uint32_t>(std::llabs(rest % kTenthsPerMinute));
    // Only a damaged log gives more degrees than an int holds; keep the
    // fields well-defined even then.
    const int wholeDegrees = static_cast<int>(std::min<std::int64_t>(std::llabs(degrees), INT_MAX));

    const bool negative = tenths < 0;
    const char hemisphere =
        axis == Axis::latitude ? (negative ? 'S' : 'N') : (negative ? 'W' : 'E');
    fillAxisTenths(point, axis, wholeDegrees, minutes, secondTenths, hemisphere);
}

std::int64_t wrapLongitudeTenths(std::int64_t tenths)
{
    if (tenths >= -kHalfTurnTenths && tenths <= kHalfTurnTenths)
        return tenths;
    std::int64_t wrapped = tenths % kFullTurnTenths;  // strictly within one turn either way
    if (wrapped > kHalfTurnTenths)
        wrapped -= kFullTurnTenths;
    else if (wrapped < -kHalfTurnTenths)
        wrapped += kFullTurnTenths;
    return wrapped;
}

void copyPosition(const TrackPoint& from, PhotoExifData& to)
{
    copyField(from.latitudeText, to.latitudeText);
    copyField(from.latitudeRef, to.latitudeRef);
    copyField(from.latitude, to.latitude);
    copyField(from.longitudeText, to.longitudeText);
    copyField(from.longitudeRef, to.longitudeRef);
    copyField(from.longitude, to.longitude);
}

double metresBetween(const TrackPoint& a, const TrackPoint& b)
{
    constexpr double kEarthRadiusMetres = 6371000.0;
    constexpr double kRadiansPerTenth = 3.14159265358979323846 / (180.0 * kTenthsPerDegree);
    const auto latA = static_cast<double>(positionTenths(a, Axis::latitude)) * kRadiansPerTenth;
    const auto latB = static_cast<double>(positionTenths(b, Axis::latitude)) * kRadiansPerTenth;
    const std::int64_t lonDifference = wrapLongitudeTenths(positionTenths(b, Axis::longitude) -
                                                           positionTenths(a, Axis::longitude));
    // Equirectangular: exact enough at these distances, and never NaN.
    const double x = static_cast<double>(lonDifference) * kRadiansPerTenth * std::cos((latA + latB) / 2);
    const double y = latB - latA;
    return kEarthRadiusMetres * std::sqrt(x * x + y * y);
}

}  // namespace vantora
