#pragma once
// A fix as a log keeps it in memory: the numbers a TrackPoint is made of,
// in 18 bytes instead of the 176 of its display texts and rationals. The
// texts are made again when a point is asked for, exactly as the reader
// made them; a fix whose fields do not come back exactly is kept whole.

#include <cstdint>
#include <optional>

#include "tracklog/time_values.h"
#include "tracklog/track_point.h"

namespace vantora {

struct StoredAxis {
    std::uint16_t degrees = 0;
    std::uint16_t tenths = 0;       // the seconds in tenths, as the rational holds them
    std::uint16_t shownTenths = 0;  // the seconds in tenths, as the text shows them
    std::uint8_t minutes = 0;
    char letter = '\0';             // 'N', 'S', 'E' or 'W'; none: the axis was not logged
};

struct StoredFix {
    StoredAxis latitude;
    StoredAxis longitude;
    char status = '\0';
    // The logged day lies past the end of its month ("31 April" counts as
    // 1 May but is shown as logged).
    bool dayPastMonthEnd = false;
};

// The stored form of a point whose instant is `instant`, or none when the
// point would not come back exactly (it is then kept whole).
std::optional<StoredFix> storeFix(const TrackPoint& point, TimeValue instant);

// The point a stored fix stands for; empty only for an instant without a
// calendar date, which storeFix never stores.
std::optional<TrackPoint> restoreFix(const StoredFix& fix, TimeValue instant);

// Every field of the two points is the same (the bytes of each text too).
bool samePoint(const TrackPoint& a, const TrackPoint& b);

}  // namespace vantora
