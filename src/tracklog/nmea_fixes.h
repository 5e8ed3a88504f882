#pragma once
// The values the reader takes from GGA, RMC and ZDA sentences, read from
// their fields by the logger's rules, and the track point a fix becomes.

#include <cstdint>
#include <optional>
#include <string_view>

#include "tracklog/nmea_sentences.h"
#include "tracklog/time_values.h"
#include "tracklog/track_point.h"

namespace vantora::nmea {

// "hhmmss" or "hhmmss.f..." with a fraction of any length. Only the digits
// are checked here; the ranges are checked when a point is made.
struct TimeOfDay {
    std::int8_t hour = 0;
    std::int8_t minute = 0;
    std::int8_t second = 0;
    std::uint32_t fraction = 0;  // in units of 10^-8 s: ".5", ".50" and ".500" alike

    int secondOfDay() const { return (hour * 60 + minute) * 60 + second; }
};

// A GGA and an RMC belong to one fix when their times name the same instant.
// Receivers write "123456.00" in one and "123456.000" in the other, so the
// fraction is compared as a number, not as text; different fractions are
// different fixes of a 4 Hz or 10 Hz receiver.
bool sameInstant(const TimeOfDay& a, const TimeOfDay& b);

// One axis of "ddmm.mmmm" / "dddmm.mmmm", ready for fillAxis.
struct AxisValue {
    double seconds = 0.0;
    std::int32_t degrees = 0;
    std::int8_t minutes = 0;
    char hemisphere = '\0';  // the first letter of the hemisphere field
    bool present = false;    // an empty field, or one without '.', leaves the axis zero
};

struct Position {
    AxisValue latitude;
    AxisValue longitude;
};

struct CalendarDate {
    std::int16_t year = 0;
    std::int8_t month = 0;
    std::int8_t day = 0;
};

struct GgaFix {
    TimeOfDay time;
    Position position;
    bool hasFix = false;  // the fix-quality field is not 0
};

struct RmcFix {
    TimeOfDay time;
    CalendarDate date;
    Position position;
    bool positionReadable = false;  // only a log without GGA needs the RMC's own position
    char status = '\0';  // '\0' for an empty status field, which counts as valid
    bool valid = false;  // status 'A', 'a' or empty
};

struct ZdaDate {
    TimeOfDay time;
    CalendarDate date;
};

// Empty when the sentence lacks fields of its layout (more are allowed),
// when the time, latitude or longitude field is longer than 15 characters or
// unreadable, or when a position carries a sign.
std::optional<GgaFix> readGga(const Sentence& sentence);
// Also the short form of NMEA 2.0-2.2, without the mode indicator. Empty
// when the time is unreadable or the status field has more than one
// character; an unreadable position only clears positionReadable.
std::optional<RmcFix> readRmc(const Sentence& sentence);
std::optional<ZdaDate> readZda(const Sentence& sentence);

// The track point of a fix at the whole second (the fraction is dropped).
// Empty when the date or time is out of range, so every point's instant can
// be compared.
struct MadePoint {
    TrackPoint point;
    TimeValue instant = 0;
};
std::optional<MadePoint> makePoint(const CalendarDate& date, const TimeOfDay& time,
                                   const Position& position, char status);

}  // namespace vantora::nmea
