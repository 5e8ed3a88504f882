#pragma once
// The values of an XMP text a photo list shows (shooting time and
// position), and the forms in which the program writes them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "photo/photo_record.h"
#include "photo/xmp_text.h"
#include "tracklog/time_values.h"
#include "tracklog/track_point.h"

namespace vantora {

// One axis as XMP writes it ("35,40.8750N" or "35,40,52.5N"), broken down
// as fillAxis takes it.
struct XmpCoordinate {
    int degrees = 0;
    int minutes = 0;
    double seconds = 0;  // 0 <= seconds < 60
    char ref = 'N';      // 'N', 'S', 'E' or 'W'
    double signedDegrees() const;
};

struct XmpPhotoValues {
    // exif:DateTimeOriginal, else photoshop:DateCreated, when it has at least
    // a time of day; the text is "2008/05/12 10:20:30".
    std::optional<ExifDateTime> shootingTime;
    std::string shootingFraction;  // the digits after the seconds' point, "25" of "30.25"
    std::string shootingZone;      // "+09:00", "Z", or empty when none is given
    std::optional<XmpCoordinate> latitude;
    std::optional<XmpCoordinate> longitude;
    std::string gpsMapDatum;       // the texts as they are in the XMP
    std::string gpsVersionId;      // "2.2.0.0"
    std::string gpsTimeStamp;      // "2008-05-12T01:20:30Z"
    std::string gpsStatus;
    bool hasPosition() const { return latitude.has_value() && longitude.has_value(); }
    bool empty() const;
};

// The values of a well-formed XMP text; nullopt for anything else. A value
// that does not have its form ("35,40.8750N", an ISO 8601 date-time) counts
// as absent.
std::optional<XmpPhotoValues> readXmpValues(std::string_view xmp);

// True when the text holds any exif:GPS... property: an XMP packet inside a
// JPEG that has them gets the written position too.
bool holdsGpsProperties(std::string_view xmp);

// Those of `props` that the text holds already (by namespace and name), in
// their order: a shift of shooting times keeps a JPEG's own XMP times in
// step, and adds none.
std::vector<XmpProperty> heldProperties(std::string_view xmp, std::vector<XmpProperty> props);

// The fields `from` has that `into` lacks, copied into it.
void fillMissing(XmpPhotoValues& into, const XmpPhotoValues& from);

// "35,40.8750N": whole degrees, then minutes with four decimals, more (up to
// eight, trailing zeros dropped) where the rationals need them. Nullopt for
// a zero denominator or a reference letter other than N, S, E, W.
std::optional<std::string> xmpCoordinate(const Rational (&dms)[3], char ref);

// "2008-05-12T10:20:30" followed by the zone text ("+09:00", "Z"), if any.
std::string xmpDateTime(const ExifDateTime& time, std::string_view zone = {});

// The UTC instant in ISO 8601, "2008-05-12T01:20:30Z"; nullopt outside the
// calendar's range.
std::optional<std::string> xmpUtcInstant(TimeValue utc);

// What a sidecar takes of a match: GPSVersionID 2.2.0.0, latitude and
// longitude, the datum WGS-84, GPSTimeStamp (the match's instant in UTC)
// and GPSStatus. Nullopt when the match's position or instant is unusable.
std::optional<std::vector<XmpProperty>> gpsSidecarProperties(const TrackMatch& match);

// DateTimeOriginal and DateCreated of a shifted shooting time.
std::vector<XmpProperty> shootingTimeProperties(const ExifDateTime& time, std::string_view zone = {});

}  // namespace vantora
