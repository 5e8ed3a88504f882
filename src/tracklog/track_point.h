#pragma once
// One GPS fix. Its position is held three ways at once: Japanese
// degree-minute-second display text (code page 932), Exif-ready rationals
// with a hemisphere letter, and, on demand, signed decimal degrees.

#include <cstddef>
#include <cstdint>
#include <string>

#include "tracklog/time_values.h"

namespace vantora {

// The Exif RATIONAL. Three in a row (degrees, minutes, seconds) are exactly
// the value of GPSLatitude or GPSLongitude.
struct Rational {
    std::uint32_t numerator = 0;
    std::uint32_t denominator = 0;
};

struct TrackPoint {
    // UTC, as logged. A photo's match interpolated between two fixes is
    // the one exception: its copy holds the photo's local shooting time here
    // (TrackMatch says which instant a match stands for).
    ExifDateTime time;
    char latitudeText[32] = {};    // code page 932, e.g. "北緯 35度39分7.4秒"
    char latitudeRef[2] = {};      // "N" or "S"
    Rational latitude[3] = {};     // degrees/1, minutes/1, tenths of seconds/10
    char longitudeText[32] = {};   // code page 932, e.g. "東経 139度45分40.7秒"
    char longitudeRef[2] = {};     // "E" or "W"
    Rational longitude[3] = {};
    char timeText[9] = {};         // "03:04:05", the UTC time of day
    char status[2] = {};           // the fix status letter as logged
};

enum class Axis { latitude, longitude };

// Fills one axis from whole degrees, whole minutes and seconds (0 <= S < 60):
// the seconds are stored as tenths rounded half-up, the text shows S itself
// with one decimal. Only the upper-case letters 'N' and 'E' count as north
// and east.
void fillAxis(TrackPoint& point, Axis axis, int degrees, int minutes, double seconds,
              char hemisphere);

// The same fields from tenths of seconds already rounded; the text shows
// tenths / 10. Used where a position is computed rather than read.
void fillAxisTenths(TrackPoint& point, Axis axis, int degrees, int minutes,
                    std::uint32_t tenths, char hemisphere);

// The display text of one axis, "北緯 35度39分7.4秒" in code page 932:
// 北緯/南緯 for latitude, 東経/西経 for longitude, the seconds with one
// decimal. The photo side writes its stored positions in the same form, so
// the two can be compared as text.
void writeAxisText(char* text, std::size_t size, Axis axis, bool positive, long long degrees,
                   long long minutes, double seconds);

// Decimal degrees of an axis, never negative: the sign lives only in the
// reference letter (see formatDegrees).
double latitudeDegrees(const TrackPoint& point);
double longitudeDegrees(const TrackPoint& point);

// "%.6f" of the value, with a leading '-' unless the reference letter equals
// the positive letter ('N' for latitude, 'E' for longitude).
std::wstring formatDegrees(double value, const char* referenceLetter, char positiveLetter);

}  // namespace vantora
