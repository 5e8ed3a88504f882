#pragma once
// The time of a GPX track point: an XML Schema dateTime such as
// "2008-05-01T12:04:05.250+09:00", turned into the UTC instant the NMEA
// reader would give for the same fix.

#include <optional>
#include <string_view>

#include "tracklog/time_values.h"

namespace vantora {

struct GpxInstant {
    ExifDateTime utc;  // the six fields in UTC, with the track display text
    TimeValue value = 0;
};

// Accepts "YYYY-MM-DDThh:mm:ss", optionally with a fraction of a second of
// any length (dropped, as the NMEA reader drops "hhmmss.sss": the point is
// at the whole second) and a zone "Z" or "+hh:mm"/"-hh:mm" (turned into UTC;
// without one the time is taken as UTC, as GPX prescribes). Whitespace
// around the text is ignored. Empty for anything else, for a date that does
// not exist (30 February, 29 February of a common year), for 24:00:00 and
// leap seconds, and for instants outside the years 1900 to 9999 in UTC.
std::optional<GpxInstant> parseGpxTime(std::string_view text);

}  // namespace vantora
