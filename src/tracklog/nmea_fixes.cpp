#include "tracklog/nmea_fixes.h"

#include "tracklog/nmea_numbers.h"
#include "tracklog/text_writer.h"

namespace vantora::nmea {

namespace {

// Longer time and position fields are damage, not precision.
constexpr std::size_t kMaxValueField = 15;
constexpr std::size_t kFractionDigits = 8;  // what a 15-character time leaves after "hhmmss."

// Where each field stands, counting the address ("GPGGA") as field 0, and
// how many fields the standard layout has (the checksum is not a field).
enum GgaField : int { kGgaTime = 1, kGgaLatitude, kGgaNorthSouth, kGgaLongitude, kGgaEastWest,
                      kGgaQuality, kGgaFields = 15 };
enum RmcField : int { kRmcTime = 1, kRmcStatus, kRmcLatitude, kRmcNorthSouth, kRmcLongitude,
                      kRmcEastWest, kRmcDate = 9, kRmcShortFormFields = 12 };
enum ZdaField : int { kZdaTime = 1, kZdaDay, kZdaMonth, kZdaYear, kZdaFields = 7 };
// Where the pieces stand in "ddmmyy".
constexpr std::size_t kDayAt = 0, kMonthAt = 2, kYearAt = 4;

bool allDigits(std::string_view text)
{
    for (char c : text)
        if (!isDigit(c))
            return false;
    return !text.empty();
}

std::optional<TimeOfDay> readTime(std::string_view text)
{
    if (text.size() > kMaxValueField || text.size() < 6 || !allDigits(text.substr(0, 6)))
        return std::nullopt;
    TimeOfDay time;
    time.hour = static_cast<std::int8_t>(twoDigitPiece(text, 0));
    time.minute = static_cast<std::int8_t>(twoDigitPiece(text, 2));
    time.second = static_cast<std::int8_t>(twoDigitPiece(text, 4));
    if (text.size() == 6)
        return time;
    const std::string_view fraction = text.substr(7);
    if (text[6] != '.' || !allDigits(fraction))
        return std::nullopt;  // "22251.x", "123456."
    // Padded to kFractionDigits, so ".5" and ".500" give the same number.
    for (std::size_t i = 0; i < kFractionDigits; ++i) {
        const std::uint32_t digit = i < fraction.size() ? static_cast<std::uint32_t>(fraction[i] - '0') : 0u;
        time.fraction = time.fraction * 10 + digit;
    }
    return time;
}

enum class AxisRead { ok, impossible };

// The two digits before the point are minutes, those before them degrees,
// the fraction is minutes too.
AxisRead readAxis(std::string_view text, std::string_view hemisphere, AxisValue& out)
{
    if (text.size() > kMaxValueField)
        return AxisRead::impossible;
    out.hemisphere = hemisphere.empty() ? '\0' : hemisphere[0];
    const std::size_t dot = text.find('.');
    if (text.empty() || dot == std::string_view::npos)
        return AxisRead::ok;
    const std::ptrdiff_t minutesAt = static_cast<std::ptrdiff_t>(dot) - 2;
    const int degrees = minutesAt > 0 ? leadingInt(text.substr(0, static_cast<std::size_t>(minutesAt))) : 0;
    const int minutes = leadingInt(text.substr(minutesAt > 0 ? static_cast<std::size_t>(minutesAt) : 0, 2));
    // A sign would turn into a huge unsigned Exif value: refuse the fix.
    if (degrees < 0 || minutes < 0)
        return AxisRead::impossible;
    out.degrees = degrees;
    out.minutes = static_cast<std::int8_t>(minutes);
    out.seconds = decimalFraction(text.substr(dot + 1)) * 60.0;
    out.present = true;
    return AxisRead::ok;
}

std::optional<Position> readPosition(const Sentence& s, int latitudeField)
{
    Position position;
    if (readAxis(s.field(latitudeField), s.field(latitudeField + 1), position.latitude) != AxisRead::ok ||
        readAxis(s.field(latitudeField + 2), s.field(latitudeField + 3), position.longitude) != AxisRead::ok)
        return std::nullopt;
    return position;
}

// "ddmmyy" as the logger's reader always read it: a two-digit year below 70
// is of the 2000s.
CalendarDate readRmcDate(std::string_view text)
{
    const int yy = twoDigitPiece(text, kYearAt);
    CalendarDate date;
    date.year = static_cast<std::int16_t>(yy < 70 ? yy + 2000 : yy + 1900);
    date.month = static_cast<std::int8_t>(twoDigitPiece(text, kMonthAt));
    date.day = static_cast<std::int8_t>(twoDigitPiece(text, kDayAt));
    return date;
}

}  // namespace

bool sameInstant(const TimeOfDay& a, const TimeOfDay& b)
{
    return a.secondOfDay() == b.secondOfDay() && a.fraction == b.fraction;
}

std::optional<GgaFix> readGga(const Sentence& s)
{
    if (s.fieldCount < kGgaFields)
        return std::nullopt;
    const auto time = readTime(s.field(kGgaTime));
    const auto position = readPosition(s, kGgaLatitude);
    if (!time || !position)
        return std::nullopt;
    const std::string_view quality = s.field(kGgaQuality);
    return GgaFix{*time, *position, !quality.empty() && isDigit(quality[0]) && leadingInt(quality) > 0};
}

std::optional<RmcFix> readRmc(const Sentence& s)
{
    if (s.fieldCount < kRmcShortFormFields)
        return std::nullopt;
    const std::string_view status = s.field(kRmcStatus);
    const auto time = readTime(s.field(kRmcTime));
    if (status.size() > 1 || !time)
        return std::nullopt;
    RmcFix fix;
    fix.time = *time;
    fix.date = readRmcDate(s.field(kRmcDate));
    const auto position = readPosition(s, kRmcLatitude);
    fix.position = position.value_or(Position{});
    fix.positionReadable = position.has_value();
    fix.status = status.empty() ? '\0' : status[0];
    fix.valid = fix.status == '\0' || fix.status == 'A' || fix.status == 'a';
    return fix;
}

std::optional<ZdaDate> readZda(const Sentence& s)
{
    const std::string_view day = s.field(kZdaDay), month = s.field(kZdaMonth), year = s.field(kZdaYear);
    if (s.fieldCount < kZdaFields || day.size() > 2 || month.size() > 2 || year.size() != 4 ||
        !allDigits(day) || !allDigits(month) || !allDigits(year))
        return std::nullopt;
    const auto time = readTime(s.field(kZdaTime));
    if (!time)
        return std::nullopt;
    const CalendarDate date{static_cast<std::int16_t>(leadingInt(year)),
                            static_cast<std::int8_t>(leadingInt(month)),
                            static_cast<std::int8_t>(leadingInt(day))};
    return ZdaDate{*time, date};
}

std::optional<MadePoint> makePoint(const CalendarDate& date, const TimeOfDay& time,
                                   const Position& position, char status)
{
    MadePoint made{};
    ExifDateTime& t = made.point.time;
    t.year = date.year;
    t.month = date.month;
    t.day = date.day;
    t.hour = time.hour;
    t.minute = time.minute;
    t.second = time.second;
    const auto instant = toTimeValue(t);
    if (!instant)
        return std::nullopt;
    made.instant = *instant;
    writeTrackDateTimeText(t);
    TextWriter(made.point.timeText)
        .number(t.hour, 2).text(":").number(t.minute, 2).text(":").number(t.second, 2);
    const AxisValue& lat = position.latitude;
    const AxisValue& lon = position.longitude;
    if (lat.present)
        fillAxis(made.point, Axis::latitude, lat.degrees, lat.minutes, lat.seconds, lat.hemisphere);
    if (lon.present)
        fillAxis(made.point, Axis::longitude, lon.degrees, lon.minutes, lon.seconds, lon.hemisphere);
    if (status != '\0')
        made.point.status[0] = status;
    return made;
}

}  // namespace vantora::nmea
