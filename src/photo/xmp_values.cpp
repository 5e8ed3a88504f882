#include "photo/xmp_values.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "photo/xmp_parsed.h"

namespace vantora {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Leading digits as a number (at most nine of them); nullopt without any.
std::optional<int> digits(std::string_view& text, std::size_t exactly = 0)
{
    std::size_t n = 0;
    long value = 0;
    while (n < text.size() && isDigit(text[n]) && n < 9) {
        value = value * 10 + (text[n] - '0');
        ++n;
    }
    if (n == 0 || (exactly != 0 && n != exactly) || (n < text.size() && isDigit(text[n])))
        return std::nullopt;
    text.remove_prefix(n);
    return static_cast<int>(value);
}

bool skip(std::string_view& text, char c)
{
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

// "40" or "40.8750", with the C locale out of play.
std::optional<double> decimal(std::string_view text)
{
    const auto whole = digits(text);
    if (!whole)
        return std::nullopt;
    double value = *whole;
    if (skip(text, '.')) {
        double scale = 0.1;
        if (text.empty())
            return std::nullopt;
        for (; !text.empty() && isDigit(text.front()); text.remove_prefix(1), scale /= 10)
            value += (text.front() - '0') * scale;
    }
    if (!text.empty())
        return std::nullopt;
    return value;
}

std::optional<XmpCoordinate> coordinateOf(std::string_view text, char positive, char negative, int maxDegrees)
{
    if (text.size() < 3 || (text.back() != positive && text.back() != negative))
        return std::nullopt;
    XmpCoordinate c;
    c.ref = text.back();
    text.remove_suffix(1);
    const auto degrees = digits(text);
    if (!degrees || !skip(text, ','))
        return std::nullopt;
    c.degrees = *degrees;
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) {
        const auto minutes = decimal(text);
        if (!minutes || *minutes >= 60)
            return std::nullopt;
        c.minutes = static_cast<int>(*minutes);
        c.seconds = std::min((*minutes - c.minutes) * 60, std::nextafter(60.0, 0.0));
    } else {
        std::string_view wholeMinutes = text.substr(0, comma);
        const auto minutes = digits(wholeMinutes);
        const auto seconds = decimal(text.substr(comma + 1));
        if (!minutes || !wholeMinutes.empty() || !seconds || *minutes >= 60 || *seconds >= 60)
            return std::nullopt;
        c.minutes = *minutes;
        c.seconds = *seconds;
    }
    if (c.degrees > maxDegrees || (c.degrees == maxDegrees && (c.minutes > 0 || c.seconds > 0)))
        return std::nullopt;
    return c;
}

// The zone of an ISO 8601 date-time: "Z" or "+09:00"; empty for none.
std::optional<std::string> zoneOf(std::string_view text)
{
    if (text.empty() || text == "Z")
        return std::string(text);
    std::string_view rest = text;
    if (!skip(rest, '+') && !skip(rest, '-'))
        return std::nullopt;
    const auto hours = digits(rest, 2);
    if (!hours || !skip(rest, ':'))
        return std::nullopt;
    const auto minutes = digits(rest, 2);
    if (!minutes || !rest.empty() || *hours > 23 || *minutes > 59)
        return std::nullopt;
    return std::string(text);
}

// "2008-05-12T10:20" with optional ":30", ".25" and zone; a date alone has
// no time to match by. Some raw developers write the Exif form
// "2008:05:12 10:20:30" here; it is read too.
bool readDateTime(std::string_view text, XmpPhotoValues& values)
{
    ExifDateTime t;
    const auto year = digits(text, 4);
    const char separator = text.empty() ? '-' : text.front();
    if (!year || (separator != '-' && separator != ':') || !skip(text, separator))
        return false;
    const auto month = digits(text, 2);
    if (!month || !skip(text, separator))
        return false;
    const auto day = digits(text, 2);
    if (!day || !skip(text, separator == '-' ? 'T' : ' '))
        return false;
    const auto hour = digits(text, 2);
    if (!hour || !skip(text, ':'))
        return false;
    const auto minute = digits(text, 2);
    if (!minute)
        return false;
    std::optional<int> second = 0;
    std::string fraction;
    if (skip(text, ':')) {
        second = digits(text, 2);
        if (skip(text, '.'))
            for (; !text.empty() && isDigit(text.front()); text.remove_prefix(1))
                fraction += text.front();
    }
    const auto zone = zoneOf(text);
    if (!second || !zone)
        return false;
    t.year = *year, t.month = *month, t.day = *day, t.hour = *hour, t.minute = *minute, t.second = *second;
    if (!hasValidFields(t))
        return false;
    writeTrackDateTimeText(t);
    values.shootingTime = t;
    values.shootingFraction = fraction;
    values.shootingZone = *zone;
    return true;
}

const std::string* valueOf(const ParsedXmp& parsed, std::string_view ns, std::string_view name)
{
    for (const SimpleXmpProperty& p : parsed.properties)
        if (!p.complex && p.namespaceUri == ns && p.name == name)
            return &p.value;
    return nullptr;
}

XmpPhotoValues valuesOf(const ParsedXmp& parsed)
{
    XmpPhotoValues values;
    auto text = [&](std::string_view name) {
        const std::string* v = valueOf(parsed, kExifNamespace, name);
        return v ? *v : std::string();
    };
    if (const std::string* original = valueOf(parsed, kExifNamespace, "DateTimeOriginal"))
        readDateTime(*original, values);
    if (!values.shootingTime)
        if (const std::string* created = valueOf(parsed, kPhotoshopNamespace, "DateCreated"))
            readDateTime(*created, values);
    values.latitude = coordinateOf(text("GPSLatitude"), 'N', 'S', 90);
    values.longitude = coordinateOf(text("GPSLongitude"), 'E', 'W', 180);
    values.gpsMapDatum = text("GPSMapDatum");
    values.gpsVersionId = text("GPSVersionID");
    values.gpsTimeStamp = text("GPSTimeStamp");
    values.gpsStatus = text("GPSStatus");
    return values;
}

std::optional<long double> ratio(const Rational& r)
{
    if (r.denominator == 0)
        return std::nullopt;
    return static_cast<long double>(r.numerator) / r.denominator;
}

}  // namespace

double XmpCoordinate::signedDegrees() const
{
    const double value = degrees + minutes / 60.0 + seconds / 3600.0;
    return ref == 'S' || ref == 'W' ? -value : value;
}

bool XmpPhotoValues::empty() const
{
    return !shootingTime && !latitude && !longitude && gpsMapDatum.empty() && gpsVersionId.empty() &&
           gpsTimeStamp.empty() && gpsStatus.empty();
}

std::optional<XmpPhotoValues> readXmpValues(std::string_view xmp)
{
    try {
        const ParsedXmp parsed = parseXmp(xmp);
        if (parsed.reading != XmpReading::read || !parsed.hasXmpRoot)
            return std::nullopt;
        return valuesOf(parsed);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

bool holdsGpsProperties(std::string_view xmp)
{
    try {
        const ParsedXmp parsed = parseXmp(xmp);
        return std::any_of(parsed.properties.begin(), parsed.properties.end(), [](const SimpleXmpProperty& p) {
            return p.namespaceUri == kExifNamespace && p.name.compare(0, 3, "GPS") == 0;
        });
    } catch (const std::bad_alloc&) {
        return false;
    }
}

std::vector<XmpProperty> heldProperties(std::string_view xmp, std::vector<XmpProperty> props)
{
    try {
        const ParsedXmp parsed = parseXmp(xmp);
        std::erase_if(props, [&parsed](const XmpProperty& wanted) {
            return std::none_of(parsed.properties.begin(), parsed.properties.end(), [&](const SimpleXmpProperty& p) {
                return p.namespaceUri == wanted.ns && p.name == wanted.name;
            });
        });
        return props;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

void fillMissing(XmpPhotoValues& into, const XmpPhotoValues& from)
{
    if (!into.shootingTime && from.shootingTime) {
        into.shootingTime = from.shootingTime;
        into.shootingFraction = from.shootingFraction;
        into.shootingZone = from.shootingZone;
    }
    // A position is one thing: both axes come from the same sidecar.
    if (!into.hasPosition() && from.hasPosition()) {
        into.latitude = from.latitude;
        into.longitude = from.longitude;
    }
    for (auto field : {&XmpPhotoValues::gpsMapDatum, &XmpPhotoValues::gpsVersionId, &XmpPhotoValues::gpsTimeStamp,
                       &XmpPhotoValues::gpsStatus})
        if ((into.*field).empty())
            into.*field = from.*field;
}

std::optional<std::string> xmpCoordinate(const Rational (&dms)[3], char ref)
{
    const auto d = ratio(dms[0]), m = ratio(dms[1]), s = ratio(dms[2]);
    if (!d || !m || !s || (ref != 'N' && ref != 'S' && ref != 'E' && ref != 'W'))
        return std::nullopt;
    // In units of 1e-8 minute, so that the digits come from integers.
    constexpr long long kUnit = 100000000;
    const long long total = std::llround((*d * 60 + *m + *s / 60) * kUnit);
    if (total < 0 || total > 180LL * 60 * kUnit)
        return std::nullopt;
    const long long degrees = total / (60 * kUnit);
    const long long minutes = total % (60 * kUnit) / kUnit;
    char fraction[16];
    std::snprintf(fraction, sizeof fraction, "%08lld", total % kUnit);
    std::size_t keep = 8;
    while (keep > 4 && fraction[keep - 1] == '0')
        --keep;
    fraction[keep] = '\0';
    char text[48];
    std::snprintf(text, sizeof text, "%lld,%02lld.%s%c", degrees, minutes, fraction, ref);
    return std::string(text);
}

std::string xmpDateTime(const ExifDateTime& time, std::string_view zone)
{
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", static_cast<int>(time.year),
                  static_cast<int>(time.month), static_cast<int>(time.day), static_cast<int>(time.hour),
                  static_cast<int>(time.minute), static_cast<int>(time.second));
    return std::string(text) + std::string(zone);
}

std::optional<std::string> xmpUtcInstant(TimeValue utc)
{
    const std::optional<ExifDateTime> time = fromTimeValue(utc);
    if (!time)
        return std::nullopt;
    return xmpDateTime(*time, "Z");
}

std::optional<std::vector<XmpProperty>> gpsSidecarProperties(const TrackMatch& match)
{
    const auto latitude = xmpCoordinate(match.point.latitude, match.point.latitudeRef[0]);
    const auto longitude = xmpCoordinate(match.point.longitude, match.point.longitudeRef[0]);
    const auto stamp = xmpUtcInstant(match.utc);
    if (!latitude || !longitude || !stamp)
        return std::nullopt;
    // An empty status field of the log counts as a valid fix, as in the photos.
    const std::string status = match.point.status[0] != '\0' ? std::string(1, match.point.status[0]) : "A";
    return std::vector<XmpProperty>{
        {kExifNamespace, "GPSVersionID", "2.2.0.0"}, {kExifNamespace, "GPSLatitude", *latitude},
        {kExifNamespace, "GPSLongitude", *longitude}, {kExifNamespace, "GPSMapDatum", "WGS-84"},
        {kExifNamespace, "GPSTimeStamp", *stamp},   {kExifNamespace, "GPSStatus", status},
    };
}

std::vector<XmpProperty> shootingTimeProperties(const ExifDateTime& time, std::string_view zone)
{
    const std::string text = xmpDateTime(time, zone);
    return {{kExifNamespace, "DateTimeOriginal", text}, {kPhotoshopNamespace, "DateCreated", text}};
}

}  // namespace vantora
