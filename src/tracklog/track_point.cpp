#include "tracklog/track_point.h"

#include "tracklog/text_writer.h"

namespace vantora {

namespace {

// The display words in code page 932 (the source files are UTF-8).
constexpr std::string_view kNorthLatitude = "\x96\x6B\x88\xDC";  // 北緯
constexpr std::string_view kSouthLatitude = "\x93\xEC\x88\xDC";  // 南緯
constexpr std::string_view kEastLongitude = "\x93\x8C\x8C\x6F";  // 東経
constexpr std::string_view kWestLongitude = "\x90\xBC\x8C\x6F";  // 西経
constexpr std::string_view kDegree = "\x93\x78";                 // 度
constexpr std::string_view kMinute = "\x95\xAA";                 // 分
constexpr std::string_view kSecond = "\x95\x62";                 // 秒

struct AxisFields {
    char* text;
    std::size_t textSize;
    char* ref;
    std::size_t refSize;
    Rational* values;
};

AxisFields fieldsOf(TrackPoint& p, Axis axis)
{
    if (axis == Axis::latitude)
        return {p.latitudeText, sizeof p.latitudeText, p.latitudeRef, sizeof p.latitudeRef,
                p.latitude};
    return {p.longitudeText, sizeof p.longitudeText, p.longitudeRef, sizeof p.longitudeRef,
            p.longitude};
}

void fillAxisFields(TrackPoint& point, Axis axis, int degrees, int minutes, std::uint32_t tenths,
                    double shownSeconds, char hemisphere)
{
    const bool positive = hemisphere == (axis == Axis::latitude ? 'N' : 'E');
    const AxisFields f = fieldsOf(point, axis);

    f.values[0] = {static_cast<std::uint32_t>(degrees), 1};
    f.values[1] = {static_cast<std::uint32_t>(minutes), 1};
    f.values[2] = {tenths, 10};

    writeAxisText(f.text, f.textSize, axis, positive, degrees, minutes, shownSeconds);

    const char letter = axis == Axis::latitude ? (positive ? 'N' : 'S') : (positive ? 'E' : 'W');
    TextWriter(f.ref, f.refSize).text(std::string_view(&letter, 1));
}

double axisDegrees(const Rational (&values)[3])
{
    const std::uint32_t d = values[0].numerator;
    const std::uint32_t m = values[1].numerator;
    const std::uint32_t sn = values[2].numerator;
    const std::uint32_t sd = values[2].denominator;
    double value = d + m / 60.0;
    // The seconds' divisor is formed in 32 bits, as the Exif value is.
    const std::uint32_t divisor = sd * 3600u;
    if (sd != 0 && divisor != 0)
        value += static_cast<double>(sn) / divisor;
    return value;
}

}  // namespace

void writeAxisText(char* text, std::size_t size, Axis axis, bool positive, long long degrees,
                   long long minutes, double seconds)
{
    std::string_view word;
    if (axis == Axis::latitude)
        word = positive ? kNorthLatitude : kSouthLatitude;
    else
        word = positive ? kEastLongitude : kWestLongitude;
    TextWriter(text, size)
        .text(word).text(" ")
        .number(degrees).text(kDegree)
        .number(minutes).text(kMinute)
        .fixed(seconds, 1).text(kSecond);
}

void fillAxis(TrackPoint& point, Axis axis, int degrees, int minutes, double seconds,
              char hemisphere)
{
    // Half-up to tenths; a value outside the contract must not reach an
    // undefined float-to-integer conversion.
    const double scaled = seconds * 10.0 + 0.5;
    const std::uint32_t tenths =
        scaled >= 0.0 && scaled < 4294967296.0 ? static_cast<std::uint32_t>(scaled) : 0;
    fillAxisFields(point, axis, degrees, minutes, tenths, seconds, hemisphere);
}

void fillAxisTenths(TrackPoint& point, Axis axis, int degrees, int minutes,
                    std::uint32_t tenths, char hemisphere)
{
    fillAxisFields(point, axis, degrees, minutes, tenths, tenths / 10.0, hemisphere);
}

double latitudeDegrees(const TrackPoint& point)
{
    return axisDegrees(point.latitude);
}

double longitudeDegrees(const TrackPoint& point)
{
    return axisDegrees(point.longitude);
}

std::wstring formatDegrees(double value, const char* referenceLetter, char positiveLetter)
{
    const bool positive = referenceLetter != nullptr && referenceLetter[0] == positiveLetter;
    return widenAscii((positive ? "" : "-") + formatFixed(value, 6));
}

}  // namespace vantora
