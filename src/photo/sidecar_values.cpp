#include "photo/sidecar_values.h"

#include <cmath>
#include <cstdint>
#include <string_view>

#include "tracklog/text_writer.h"

namespace vantora {

namespace {

// Seconds of arc to the millionth, as rationals of the photo's fields.
constexpr std::uint32_t kSecondsDenominator = 1000000;

void takeAxis(const XmpCoordinate& from, Axis axis, PhotoExifData& exif)
{
    const bool isLatitude = axis == Axis::latitude;
    char* ref = isLatitude ? exif.latitudeRef : exif.longitudeRef;
    Rational* rationals = isLatitude ? exif.latitude : exif.longitude;
    ref[0] = from.ref;
    ref[1] = '\0';
    rationals[0] = {static_cast<std::uint32_t>(from.degrees), 1};
    rationals[1] = {static_cast<std::uint32_t>(from.minutes), 1};
    rationals[2] = {static_cast<std::uint32_t>(std::llround(from.seconds * kSecondsDenominator)), kSecondsDenominator};
    const bool positive = from.ref == (isLatitude ? 'N' : 'E');
    writeAxisText(isLatitude ? exif.latitudeText : exif.longitudeText,
                  isLatitude ? sizeof exif.latitudeText : sizeof exif.longitudeText, axis, positive, from.degrees,
                  from.minutes, from.seconds);
}

// "2.2.0.0" into the four bytes; false when it is not four small numbers.
bool takeVersion(std::string_view text, std::array<std::uint8_t, 4>& version)
{
    std::array<std::uint8_t, 4> parsed{};
    std::size_t at = 0;
    for (std::size_t i = 0; i < parsed.size(); ++i) {
        if (i > 0 && (at >= text.size() || text[at++] != '.'))
            return false;
        int value = 0;
        std::size_t digits = 0;
        for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 3; ++at, ++digits)
            value = value * 10 + (text[at] - '0');
        if (digits == 0 || value > 255)
            return false;
        parsed[i] = static_cast<std::uint8_t>(value);
    }
    if (at != text.size())
        return false;
    version = parsed;
    return true;
}

void takePosition(const XmpPhotoValues& sidecar, PhotoExifData& exif)
{
    takeAxis(*sidecar.latitude, Axis::latitude, exif);
    takeAxis(*sidecar.longitude, Axis::longitude, exif);
    if (!takeVersion(sidecar.gpsVersionId, exif.gpsVersion))
        exif.gpsVersion = {2, 2, 0, 0};  // what XMP's GPS properties stand for
    TextWriter(exif.gpsMapDatum).text(sidecar.gpsMapDatum);
    // "2008-05-12T01:20:30Z": the time of day, as the photo's GPSTimeStamp shows.
    const std::string_view stamp = sidecar.gpsTimeStamp;
    TextWriter(exif.gpsTimeText).text(stamp.size() >= 19 && stamp[10] == 'T' ? stamp.substr(11, 8) : "");
    TextWriter(exif.gpsStatus).text(sidecar.gpsStatus.size() == 1 ? std::string_view(sidecar.gpsStatus) : "");
    exif.hasGpsTags = 1;
}

}  // namespace

void takeSidecarValues(const XmpPhotoValues& sidecar, PhotoExifData& exif)
{
    if (sidecar.shootingTime) {
        exif.shootingTime = *sidecar.shootingTime;
        const std::string_view zone = sidecar.shootingZone;
        // Only a zone of the photo's own form ("+09:00"); "Z" names none.
        TextWriter(exif.offsetTimeOriginal).text(zone.size() == 6 ? zone : "");
    }
    if (sidecar.hasPosition())
        takePosition(sidecar, exif);
}

}  // namespace vantora
