#pragma once
// Compares track points field by field (the structure has padding, so its
// bytes as a whole may differ where the values do not).

#include <cstring>
#include <string>

#include "tracklog/track_point.h"

namespace vantora::test {

namespace point_comparison_detail {

template <typename T, std::size_t N>
bool sameArray(const T (&a)[N], const T (&b)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        if (std::memcmp(&a[i], &b[i], sizeof a[i]) != 0)
            return false;
    return true;
}

inline bool sameRationals(const Rational (&a)[3], const Rational (&b)[3])
{
    for (std::size_t i = 0; i < 3; ++i)
        if (a[i].numerator != b[i].numerator || a[i].denominator != b[i].denominator)
            return false;
    return true;
}

inline bool sameDateTime(const ExifDateTime& a, const ExifDateTime& b)
{
    return sameArray(a.dateTimeText, b.dateTimeText) && a.year == b.year &&
           a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

}  // namespace point_comparison_detail

// The name of the first field in which the two points differ; empty when
// every field, every byte of the texts included, is the same.
inline std::string firstDifference(const TrackPoint& a, const TrackPoint& b)
{
    using namespace point_comparison_detail;
    if (!sameDateTime(a.time, b.time))
        return "time";
    if (!sameArray(a.latitudeText, b.latitudeText))
        return "latitudeText";
    if (!sameArray(a.latitudeRef, b.latitudeRef))
        return "latitudeRef";
    if (!sameRationals(a.latitude, b.latitude))
        return "latitude";
    if (!sameArray(a.longitudeText, b.longitudeText))
        return "longitudeText";
    if (!sameArray(a.longitudeRef, b.longitudeRef))
        return "longitudeRef";
    if (!sameRationals(a.longitude, b.longitude))
        return "longitude";
    if (!sameArray(a.timeText, b.timeText))
        return "timeText";
    if (!sameArray(a.status, b.status))
        return "status";
    return {};
}

}  // namespace vantora::test
